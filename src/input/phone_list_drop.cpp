#include "app/form1.h"

#include "input/add_folder.h"
#include "input/dropped_paths.h"

#include <QDragMoveEvent>
#include <QDropEvent>

// Only a list of local files may be dropped; anything else shows the no-drop pointer.
void Form1::ListView1_OLEDragOver(QDragMoveEvent& event)
{
    if (DroppedLocalPaths(event.mimeData()).isEmpty()) {
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
    const QStringList paths = DroppedLocalPaths(event.mimeData());
    if (paths.isEmpty()) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, paths] { AddDroppedPaths(paths); }, Qt::QueuedConnection);
}

// A dropped file adds its full path; a dropped folder adds the full path of every file in it
// and below it.
void Form1::AddDroppedPaths(const QStringList& paths)
{
    ListModel& phones = ListView1->items();
    for (const QString& path : paths) {
        if (AddFolder::IsFolder(path)) {
            Pacer pacer = MakePacer(false);
            AddFolder::AddFilesOfDroppedFolder(desktop_, pacer, path, phones);
        } else {
            phones.append(path);
        }
    }
}
