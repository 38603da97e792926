#include "window/form1.h"

void Form1::setPointer(Pointer pointer)
{
    if (pointer == pointer_)
        return;
    pointer_ = pointer;
    switch (pointer) {
    case Pointer::Default: unsetCursor(); break;
    case Pointer::Arrow: setCursor(Qt::ArrowCursor); break;
    case Pointer::Hourglass: setCursor(Qt::WaitCursor); break;
    case Pointer::Hand: setCursor(handCursor_.value_or(QCursor(Qt::PointingHandCursor))); break;
    }
}

// Only the operation that set the hourglass takes it away again; mouse movement never does.
void Form1::ShowHandPointer()
{
    if (!isBusy())
        setPointer(Pointer::Hand);
}

void Form1::ResetPointer()
{
    if (!isBusy())
        setPointer(Pointer::Default);
}

void Form1::Form_MouseMove()
{
    ResetPointer();
}
