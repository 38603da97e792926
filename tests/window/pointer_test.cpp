#include "support/form_fixture.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTest>

namespace {

class PointerRules : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // A real mouse movement over a control.
    static void moveOver(QWidget* control)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), control->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
    }
};

TEST_F(PointerRules, HandOverButtonsDefaultOverListsAndBackground)
{
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        form->setPointer(Form1::Pointer::Default);
        moveOver(button);
        EXPECT_EQ(form->pointer(), Form1::Pointer::Hand) << button->objectName().toStdString();
    }
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3}) {
        form->setPointer(Form1::Pointer::Hand);
        moveOver(list->viewport());
        EXPECT_EQ(form->pointer(), Form1::Pointer::Default) << list->objectName().toStdString();
    }
    form->setPointer(Form1::Pointer::Arrow);
    moveOver(form.get());
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);  // the default pointer is an arrow
}

TEST_F(PointerRules, NoMouseMovementReplacesTheHourglass)
{
    form->setPointer(Form1::Pointer::Hourglass);
    EXPECT_TRUE(form->isBusy());
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
    moveOver(form->PushButton7);
    moveOver(form->ListView1->viewport());
    moveOver(form->ListView2->viewport());
    moveOver(form->ListView3->viewport());
    moveOver(form.get());
    EXPECT_EQ(form->pointer(), Form1::Pointer::Hourglass);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

TEST_F(PointerRules, ClosingTheWindowEndsTheProgramWithoutAQuestion)
{
    form->ListView1->items().append(QStringLiteral("6034343563"));
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(desktop.programEnded());
    EXPECT_TRUE(desktop.shown().empty());
}

}  // namespace
