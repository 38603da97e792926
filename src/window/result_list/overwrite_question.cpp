#include "window/result_list/overwrite_question.h"

#include "files/file_system.h"
#include "window/desktop/desktop.h"

bool ConfirmOverwrite(Desktop& desktop, const QString& applicationTitle, const QString& fileName)
{
    if (!FileExists(fileName))
        return true;
    return desktop.messageBox(QStringLiteral("Are you sure you wish to overwrite ") + fileName
                                  + QStringLiteral(" ?"),
                              applicationTitle, MsgIcon::None, MsgButtons::YesNo)
           == MsgResult::Yes;
}
