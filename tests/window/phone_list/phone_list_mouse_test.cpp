#include "support/file_helpers.h"
#include "support/form_fixture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QScrollBar>
#include <QTest>

namespace {

class PhoneListMouse : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    void fill(const QStringList& texts)
    {
        for (const QString& text : texts)
            phones().append(text);
    }
    QWidget* viewport() { return form->ListView1->viewport(); }
    QPoint centre(int row) { return form->ListView1->visualRect(phones().index(row, 0)).center(); }
    QPoint belowTheRows() { return QPoint(30, viewport()->height() - 3); }

    void press(const QPoint& at) { QTest::mousePress(viewport(), Qt::LeftButton, {}, at); }
    void moveTo(const QPoint& at) { QTest::mouseMove(viewport(), at); }
    void release(const QPoint& at) { QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at); }
    // What a user's double-click delivers: a click, then the double-click.
    void doubleClick(const QPoint& at)
    {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
    }
    void drag(int from, int to)
    {
        press(centre(from));
        moveTo(centre(to));
        release(centre(to));
    }

    // Rows appended a moment ago reach the scroll bar's range only once the view lays them out.
    void layOut() { form->ListView1->doItemsLayout(); }
    void showFromRow(int row)
    {
        form->ListView1->scrollTo(phones().index(row, 0), QAbstractItemView::PositionAtTop);
    }
    int firstVisible() { return form->ListView1->rowAt(0); }
    int lastFullyVisible()
    {
        int row = form->ListView1->rowAt(viewport()->height() - 1);
        if (form->ListView1->visualRect(phones().index(row, 0)).bottom() >= viewport()->height())
            --row;
        return row;
    }
};

TEST_F(PhoneListMouse, OneRowDownExchangesTwoTextsAndKeepsTheMovingTextSelected)
{
    fill({"a", "b", "c", "d"});
    drag(0, 1);
    EXPECT_EQ(texts(phones()), (QStringList{"b", "a", "c", "d"}));
    EXPECT_EQ(form->ListView1->selectedIndex(), 1);
    // Further down in the same drag: the text keeps moving.
    press(centre(1));
    moveTo(centre(2));
    moveTo(centre(3));
    release(centre(3));
    EXPECT_EQ(texts(phones()), (QStringList{"b", "c", "d", "a"}));
    EXPECT_EQ(form->ListView1->selectedIndex(), 3);
}

TEST_F(PhoneListMouse, AFastMoveExchangesOnlyTheTwoItems)
{
    fill({"first", "second", "third", "fourth"});
    drag(0, 2);
    EXPECT_EQ(texts(phones()), (QStringList{"third", "second", "first", "fourth"}));
}

TEST_F(PhoneListMouse, EqualTextsDoNotMove)
{
    fill({"same", "same", "other"});
    drag(0, 1);
    EXPECT_EQ(texts(phones()), (QStringList{"same", "same", "other"}));
    EXPECT_EQ(form->ListView1->selectedIndex(), 0);
}

TEST_F(PhoneListMouse, WithoutTheButtonHeldNothingMoves)
{
    fill({"a", "b"});
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, centre(0));
    moveTo(centre(1));
    EXPECT_EQ(texts(phones()), (QStringList{"a", "b"}));
}

TEST_F(PhoneListMouse, PressOnEmptySpaceThenMoveMovesTheItemClickedLast)
{
    fill({"a", "b", "c", "d"});
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, centre(1));
    press(belowTheRows());
    moveTo(centre(3));
    release(centre(3));
    EXPECT_EQ(texts(phones()), (QStringList{"a", "d", "c", "b"}));
}

TEST_F(PhoneListMouse, AMovingItemThatLeftTheListMovesNothing)
{
    fill({"a", "b", "c"});
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, centre(2));
    phones().removeAt(2);
    press(belowTheRows());
    moveTo(centre(0));
    release(centre(0));
    EXPECT_EQ(texts(phones()), (QStringList{"a", "b"}));
    form->PushButton4_Click();
    fill({"x", "y"});
    press(belowTheRows());
    moveTo(centre(1));
    release(centre(1));
    EXPECT_EQ(texts(phones()), (QStringList{"x", "y"}));
}

TEST_F(PhoneListMouse, DoubleClickRemovesTheSelectedItemWhereverItLands)
{
    fill({"a", "b", "c"});
    form->ListView1->select(1);
    doubleClick(belowTheRows());
    EXPECT_EQ(texts(phones()), (QStringList{"a", "c"}));
    doubleClick(centre(0));
    EXPECT_EQ(texts(phones()), (QStringList{"c"}));
}

TEST_F(PhoneListMouse, DeleteKeyRemovesTheSelectedItemWithAnyShiftState)
{
    fill({"a", "b", "c", "d"});
    form->ListView1->select(3);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    form->ListView1->select(0);
    QTest::keyClick(form->ListView1, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(texts(phones()), (QStringList{"b", "c"}));
    form->ListView1->select(0);
    QTest::keyClick(form->ListView1, Qt::Key_Backspace);
    QTest::keyClick(form->ListView1, Qt::Key_X);
    EXPECT_EQ(texts(phones()), (QStringList{"b", "c"}));
}

TEST_F(PhoneListMouse, NothingIsRemovedWhileBusyOrWithoutASelection)
{
    QTest::keyClick(form->ListView1, Qt::Key_Delete);  // empty list
    fill({"a", "b"});
    QTest::keyClick(form->ListView1, Qt::Key_Delete);  // none selected
    form->ListView1_DblClick();
    EXPECT_EQ(phones().count(), 2);
    form->ListView1->select(0);
    form->setPointer(Form1::Pointer::Hourglass);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    doubleClick(belowTheRows());
    EXPECT_EQ(texts(phones()), (QStringList{"a", "b"}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Hourglass);  // moves keep the hourglass
}

TEST_F(PhoneListMouse, ScrollsAbove305AndBelow364AndNotBetween)
{
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QString::number(i);
    fill(many);
    layOut();

    // Rows a move up at the top and a move down at the bottom scroll by, at each screen row.
    struct Pass {
        int y;
        int up;
        int down;
    };
    for (const Pass pass :
         {Pass{304, 1, 0}, Pass{305, 0, 0}, Pass{330, 0, 0}, Pass{364, 0, 0}, Pass{365, 0, 1}}) {
        desktop.setPointerScreenY(pass.y);
        showFromRow(20);
        ASSERT_EQ(firstVisible(), 20);
        drag(21, 20);
        EXPECT_EQ(firstVisible(), 20 - pass.up) << "y " << pass.y;

        showFromRow(20);
        const int bottom = lastFullyVisible();
        ASSERT_GT(bottom, 21);
        drag(bottom - 1, bottom);
        EXPECT_EQ(lastFullyVisible(), bottom + pass.down) << "y " << pass.y;
    }

    // At the list's ends there is nothing further to show.
    desktop.setPointerScreenY(0);
    showFromRow(0);
    drag(1, 0);
    EXPECT_EQ(firstVisible(), 0);
}

// However the list scrolls under the pointer and whatever the texts, the release leaves the
// moving number selected, and Delete removes that number and no other.
TEST_F(PhoneListMouse, TheReleaseKeepsTheMovingNumberSelected)
{
    QStringList hundreds;
    for (int i = 100; i < 160; ++i)
        hundreds << QString::number(i);
    fill(hundreds);
    layOut();
    const int last = lastFullyVisible();
    const auto exchanged = [&](int a, int b) {
        QStringList out = hundreds;
        out.swapItemsAt(a, b);
        return out;
    };
    struct Case {
        const char* name;
        QStringList texts;
        int top;  // the first row in sight
        int from;
        int to;
        int screenY;
        QStringList moved;
        int selected;
    };
    const Case cases[] = {
        {"down, the list scrolls", hundreds, 0, last - 1, last, 365, exchanged(last - 1, last),
         last},
        {"up, the list scrolls", hundreds, 20, 21, 20, 304, exchanged(21, 20), 20},
        {"onto an equal text",
         {"same", "same", "other"},
         0,
         0,
         1,
         330,
         {"same", "same", "other"},
         0},
    };
    for (const Case& c : cases) {
        form->PushButton4_Click();
        fill(c.texts);
        layOut();
        showFromRow(c.top);
        desktop.setPointerScreenY(c.screenY);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, centre(c.from));
        ASSERT_EQ(form->ListView1->selectedIndex(), c.from) << c.name;
        // The user's hand stays where the move left it, whatever row is under it after a scroll.
        const QPoint at = centre(c.to);
        press(centre(c.from));
        moveTo(at);
        release(at);
        EXPECT_EQ(texts(phones()), c.moved) << c.name;
        EXPECT_EQ(form->ListView1->selectedIndex(), c.selected) << c.name;
        QTest::keyClick(form->ListView1, Qt::Key_Delete);
        QStringList left = c.moved;
        left.removeAt(c.selected);
        EXPECT_EQ(texts(phones()), left) << c.name;
    }
}

TEST_F(PhoneListMouse, ItemClickShowsTheDragPointerAndReleaseTheArrow)
{
    fill({"a", "b"});
    press(centre(0));
    EXPECT_EQ(viewport()->cursor().shape(), Qt::DragMoveCursor);  // no drag.ico
    release(centre(0));
    EXPECT_EQ(viewport()->cursor().shape(), Qt::ArrowCursor);

    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "ico").write(image));
    WriteBytes(programFolder.filePath(QStringLiteral("drag.ico")), buffer.data());
    press(centre(1));
    EXPECT_EQ(viewport()->cursor().shape(), Qt::BitmapCursor);
    release(centre(1));
}

}  // namespace

// Only a row the user can see is under the pointer: a held button that leaves the list (below
// onto the buttons, above onto the header, sideways) moves nothing, and no hidden row changes.
TEST_F(PhoneListMouse, APointerThatLeavesTheListMovesNothing)
{
    QStringList numbers;
    for (int i = 0; i < 12; ++i)
        numbers << QString::number(i);
    const QPoint outside[] = {QPoint(30, viewport()->height() + 40),  // below, onto the buttons
                              QPoint(30, viewport()->height() + 400),
                              QPoint(30, -8),                         // above, onto the header
                              QPoint(viewport()->width() + 30, 20)};  // sideways
    for (const QPoint& to : outside) {
        form->PushButton4_Click();
        fill(numbers);
        press(centre(0));
        // A fast move: one step straight past the list.
        moveTo(to);
        release(to);
        EXPECT_EQ(texts(phones()), numbers) << to.x() << "," << to.y();
        EXPECT_EQ(form->ListView1->rowAt(0), 0);
    }
}

// Keys move the current row, and the list follows it, so Delete never removes a number out of
// view; this holds for all three lists.
TEST_F(PhoneListMouse, KeyboardMovesKeepTheCurrentRowInView)
{
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3}) {
        for (int i = 0; i < 200; ++i)
            list->items().append(QString::number(i));
        list->setFocus();
        list->select(0);
        const auto currentVisible = [list] {
            const QRect rect = list->visualRect(list->currentIndex());
            return list->currentIndex().isValid() && list->viewport()->rect().contains(rect);
        };
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->currentIndex().row(), 30);
        EXPECT_TRUE(currentVisible()) << list->objectName().toStdString() << " down";
        for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home}) {
            QTest::keyClick(list, key);
            EXPECT_TRUE(currentVisible()) << list->objectName().toStdString() << " key " << key;
            if (key == Qt::Key_End) {
                EXPECT_EQ(list->currentIndex().row(), 199);
            }
        }
        EXPECT_EQ(list->currentIndex().row(), 0);
    }
}
