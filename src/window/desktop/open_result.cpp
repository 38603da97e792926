#include "window/desktop/open_result.h"

#include <QFileInfo>

OpenFileResult ComposeOpenResult(const QStringList& absolutePaths)
{
    OpenFileResult result;
    if (absolutePaths.isEmpty())
        return result;
    if (absolutePaths.size() == 1) {
        result.text = absolutePaths.first();
    } else {
        QString folder = QFileInfo(absolutePaths.first()).absolutePath();
        for (const QString& path : absolutePaths)
            if (QFileInfo(path).absolutePath() != folder)
                folder = QStringLiteral("/");  // names from several folders: paths from the root
        QStringList pieces{folder};
        for (const QString& path : absolutePaths) {
            const QFileInfo info(path);
            pieces << (folder == QLatin1String("/") ? info.absoluteFilePath().mid(1)
                                                    : info.fileName());
        }
        result.text = pieces.join(QChar(u'\0'));
    }
    if (result.text.size() > kOpenResultCapacity) {
        result.text.clear();
        result.selectionTooLong = true;
    }
    return result;
}
