#include "output/overwrite_question.h"

#include "app/desktop/desktop.h"
#include "app/desktop/file_system.h"

bool ConfirmOverwrite(Desktop& desktop, const QString& applicationTitle, const QString& fileName)
{
    if (!FileExists(fileName))
        return true;
    return desktop.messageBox(QStringLiteral("Are you sure you wish to overwrite ") + fileName
                                  + QStringLiteral(" ?"),
                              applicationTitle, MsgIcon::None, MsgButtons::YesNo)
           == MsgResult::Yes;
}
