#include "window/form1.h"

#include "core/app_error.h"
#include "files/file_system.h"

#include <QGuiApplication>
#include <QPixmap>

namespace {

// The screen rows above and below which moving a number scrolls the list.
constexpr int kScrollUpAbove = 305;
constexpr int kScrollDownBelow = 364;

QCursor DragPointer(const QString& programFolder)
{
    try {
        QPixmap image;
        if (image.loadFromData(ReadWholeFile(JoinPath(programFolder, QStringLiteral("drag.ico")))))
            return QCursor(image);
    } catch (const AppError&) {
        // Without a readable drag.ico the standard pointer for moving stands in.
    }
    return QCursor(Qt::DragMoveCursor);
}

}  // namespace

void Form1::ListView1_ItemClick()
{
    ListView1->setListPointer(DragPointer(programFolder_));
    ListView1->setDragOutManual(true);
    const qsizetype selected = ListView1->selectedIndex();
    DragItem = selected >= 0
                   ? QPersistentModelIndex(ListView1->items().index(static_cast<int>(selected), 0))
                   : QPersistentModelIndex();
}

void Form1::ListView1_MouseDown()
{
    MouseIsDown = true;
}

// A release a box took never reached the list; the buttons the system reports tell.
bool Form1::buttonHeldOnPhoneList() const
{
    return MouseIsDown && QGuiApplication::mouseButtons() != Qt::NoButton;
}

void Form1::ListView1_MouseUp()
{
    MouseIsDown = false;
    ListView1->setListPointer(QCursor(Qt::ArrowCursor));
    EndMoveStep();
}

// With the button held, the moving number exchanges places with the number under the pointer,
// and the list scrolls when the pointer is high or low on the screen. Nothing moves during a
// formatting run, which reads the numbers in place; the saves read only the other lists, and
// the operations that read this one keep clicks waiting until they end.
void Form1::ListView1_MouseMove(const QPoint& viewportPoint)
{
    ResetPointer();
    if (!MouseIsDown || FormattingBusy)
        return;
    const qsizetype hover = ListView1->itemAt(viewportPoint);
    // A moving item that has left the list moves nothing until the next item click.
    if (hover < 0 || !DragItem.isValid())
        return;
    ListModel& phones = ListView1->items();
    const qsizetype dragged = DragItem.row();
    if (phones.text(dragged) == phones.text(hover))
        return;
    phones.swapTexts(dragged, hover);
    moveExchanges_.emplace_back(dragged, hover);
    ListView1->select(hover);
    DragItem = QPersistentModelIndex(phones.index(static_cast<int>(hover), 0));
    const int y = desktop_.pointerScreenY();
    if (y < kScrollUpAbove && hover >= 1)
        ListView1->scrollToRow(hover - 1);
    else if (y > kScrollDownBelow && hover + 1 < phones.count())
        ListView1->scrollToRow(hover + 1);
}

void Form1::ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode == kDeleteKeyCode)
        RemoveSelectedPhone();
}

void Form1::ListView1_DblClick()
{
    RemoveSelectedPhone();
}

// Removes the selected number, wherever the click landed; nothing while an operation runs or
// when no number is selected.
void Form1::RemoveSelectedPhone()
{
    if (!isBusy())
        RemoveSelectedRow(*ListView1);
}
