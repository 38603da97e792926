#include "window/form1.h"

#include "window/dropped_paths.h"
#include "window/errors/procedure.h"
#include "window/phone_list/add_folder.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <new>

// Only a list of local files may be dropped; anything else shows the no-drop pointer.
void Form1::ListView1_OLEDragOver(QDragMoveEvent& event)
{
    bool files = false;
    try {
        files = !DroppedLocalPaths(event.mimeData()).isEmpty();
    } catch (const std::bad_alloc&) {
        // A drag that cannot even be looked at offers nothing to drop; no box mid-drag.
    }
    if (!files) {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
        return;
    }
    event.acceptProposedAction();
}

namespace {

// The drop has no report of its own but for what only memory can refuse: the list of dropped
// paths, the files of a dropped folder, the rows they become. Running out is reported as
// "Out of memory" at the step under way, and the drop goes on with the next path.
const QString& DropLocation()
{
    static const QString location =
        QStringLiteral("in Tessaline2021/08/31.Form1.ListView1_OLEDragDrop ");
    return location;
}

}  // namespace

// The drop is taken at once and the paths are added from the event loop: a folder walk can be
// long, and the program the files came from would stay in its drag until the drop returned.
void Form1::ListView1_OLEDragDrop(QDropEvent& event)
{
    Procedure proc(desktop_, DropLocation());
    QStringList paths;
    proc.step(100, [&] { paths = DroppedLocalPaths(event.mimeData()); });
    if (paths.isEmpty()) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    proc.step(102, [&] {
        QMetaObject::invokeMethod(
            this, [this, paths] { AddDroppedPaths(paths); }, Qt::QueuedConnection);
    });
}

// A dropped file adds its full path; a dropped folder adds the full path of every file in it
// and below it. The rows the drop adds are one step to undo; a list cleared while the walk
// yields keeps the rows added before the clear as a step of their own.
void Form1::AddDroppedPaths(const QStringList& paths)
{
    Procedure proc(desktop_, DropLocation());
    ListModel& phones = ListView1->items();
    ListHistory::Appending appending(history_, phones);
    for (const QString& path : paths) {
        bool folder = false;
        proc.step(104, [&] { folder = AddFolder::IsFolder(path); });
        if (!folder) {
            proc.step(112, [&] { phones.append(path); });
            continue;
        }
        // Files are added as the walk finds them, and window events run meanwhile, so a click
        // lands when it is made: a "Clear List" clears what the list holds at that moment.
        proc.step(106, [&] {
            Pacer pacer = MakePacer(false);
            AddFolder::AddFilesOfDroppedFolder(desktop_, pacer, path, phones);
        });
        // The rows added before a failure stay, and the view hears of them.
        proc.step(110, [&] { phones.flushAppends(); });
    }
    appending.record();
}
