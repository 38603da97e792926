#include "app/form1.h"

#include "input/add_folder.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList LocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

}  // namespace

// Only a list of local files may be dropped; anything else shows the no-drop pointer.
void Form1::ListView1_OLEDragOver(QDragMoveEvent& event)
{
    if (LocalPaths(event.mimeData()).isEmpty()) {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
        return;
    }
    event.acceptProposedAction();
}

// The drop is taken at once and the paths are added from the event loop: a folder walk can be
// long, and the program the files came from would stay in its drag until the drop returned.
void Form1::ListView1_OLEDragDrop(QDropEvent& event)
{
    const QStringList paths = LocalPaths(event.mimeData());
    if (paths.isEmpty()) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, paths] { AddDroppedPaths(paths); }, Qt::QueuedConnection);
}

// A dropped file adds its full path; a dropped folder adds the full path of every file in it
// and below it. The folders are walked first and every path is added at once, so the drop is
// one step to undo whatever the user does while the walk yields.
void Form1::AddDroppedPaths(const QStringList& paths)
{
    QStringList found;
    for (const QString& path : paths) {
        if (AddFolder::IsFolder(path)) {
            Pacer pacer = MakePacer(false);
            found << AddFolder::FilesOfDroppedFolder(desktop_, pacer, path);
        } else {
            found << path;
        }
    }
    ListModel& phones = ListView1->items();
    const qsizetype firstRow = phones.count();
    for (const QString& file : std::as_const(found))
        phones.appendDeferred(file);
    phones.flushAppends();
    RecordAppends(*ListView1, firstRow);
}
