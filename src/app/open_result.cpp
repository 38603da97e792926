#include "app/open_result.h"

#include <QFileInfo>

OpenFileResult ComposeOpenResult(const QStringList& absolutePaths)
{
    OpenFileResult result;
    if (absolutePaths.isEmpty())
        return result;
    if (absolutePaths.size() == 1) {
        result.text = absolutePaths.first();
    } else {
        const QString folder = QFileInfo(absolutePaths.first()).absolutePath();
        QStringList pieces{folder};
        for (const QString& path : absolutePaths) {
            const QFileInfo info(path);
            // A name from another folder keeps its full path so it still names the right file.
            pieces << (info.absolutePath() == folder ? info.fileName() : info.absoluteFilePath());
        }
        result.text = pieces.join(QChar(u'\0'));
    }
    if (result.text.size() > kOpenResultCapacity) {
        result.text.clear();
        result.selectionTooLong = true;
    }
    return result;
}
