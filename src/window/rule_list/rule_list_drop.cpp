#include "window/form1.h"

#include "window/dropped_paths.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>

// Rule files may be dropped on the rule list; anything but local files shows the no-drop
// pointer.
void Form1::ListView2_OLEDragOver(QDragMoveEvent& event)
{
    if (DroppedLocalPaths(event.mimeData()).isEmpty()) {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
        return;
    }
    event.acceptProposedAction();
}

// The drop is taken at once and the files are read from the event loop, so the program the
// files came from is not held in its drag while a message box waits.
void Form1::ListView2_OLEDragDrop(QDropEvent& event)
{
    const QStringList paths = DroppedLocalPaths(event.mimeData());
    if (paths.isEmpty()) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    QList<QByteArray> names;
    names.reserve(paths.size());
    for (const QString& path : paths)
        names << QFile::encodeName(path);
    QMetaObject::invokeMethod(
        this, [this, names] { LoadRuleFiles(names); }, Qt::QueuedConnection);
}
