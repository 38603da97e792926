#include "support/form_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A list filled with rows, changed, then read the way an assistive tool reads it.
struct ListCase {
    const char* name;
    ListView* Form1::*list;
    int rows;
    // Columns past the first get texts of their own.
    bool subItems;
    // Rows taken out, [removeFrom, removeTo), once a tool holds the objects of row `held`.
    int removeFrom;
    int removeTo;
    int held;  // -1: none
    // The row the user goes to at the end, scrolled into sight.
    int current;
};

QString Text(int row, int column)
{
    return QStringLiteral("%1-%2").arg(6030000000LL + row).arg(column);
}

QString Box(const QRect& rect)
{
    return QStringLiteral("%1x%2 at (%3, %4)")
        .arg(rect.width())
        .arg(rect.height())
        .arg(rect.x())
        .arg(rect.y());
}

// Where a rectangle of the viewport is on the screen.
QString OnScreen(const QWidget* viewport, const QRect& rect)
{
    return Box(QRect(viewport->mapToGlobal(rect.topLeft()), rect.size()));
}

class ListAccessibleTest : public FormTest {
protected:
    void check(const ListCase& c);

private:
    // The case's list, filled, in a new window on the screen; textNow_ tells what each row will
    // hold once the case's rows are taken out.
    ListView* fill(const ListCase& c);
    void checkHeld(const ListCase& c, ListView* list, QAccessible::Id rowObject,
                   QAccessible::Id cell);
    void checkRowInSight(const ListCase& c, ListView* list);

    std::function<QString(int, int)> textNow_;
};

// How the table numbers its children, as the table view counts them when it announces the
// focus and the selection: a corner, the column headers, then each row's object followed by
// the row's cells.
int RowObjectIndex(int columns, int row)
{
    return (row + 1) * (columns + 1);
}

int CellIndex(int columns, int row, int column)
{
    return RowObjectIndex(columns, row) + column + 1;
}

// A tool that reads a list, magnifies the row the user is on or clicks a row it found by name
// finds the row's object and cells where the row is drawn, over the list and not over the Help
// button above it, in a short list and in a long one scrolled half way; after rows have left,
// every place names the row that is there now, and an object of a row that has gone is gone
// or says it is no longer anything.
TEST_F(ListAccessibleTest, RowsAndCellsAreWhereTheListDrawsThem)
{
    const ListCase cases[] = {
        {"the first phone number", &Form1::ListView1, 5, false, 0, 0, -1, 0},
        {"a rule of two columns", &Form1::ListView2, 4, true, 0, 0, -1, 2},
        {"a result half way down a hundred thousand", &Form1::ListView3, 100'000, false, 0, 0, -1,
         50'000},
        {"phone numbers taken out around a held one", &Form1::ListView1, 10, false, 2, 5, 3, 3},
        {"a rule held below rules taken out", &Form1::ListView2, 8, true, 1, 3, 6, 4},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        check(c);
    }
}

ListView* ListAccessibleTest::fill(const ListCase& c)
{
    form.reset();
    form = std::make_unique<Form1>(desktop, programFolder.path());
    ListView* list = (*form).*c.list;
    ListModel& items = list->items();
    for (int row = 0; row < c.rows; ++row)
        items.appendDeferred(Text(row, 0));
    items.flushAppends();
    for (int row = 0; c.subItems && row < c.rows; ++row)
        items.setSubItem(row, 1, Text(row, 1));
    showActive();
    // The window is wider than the test's screen: the list goes to the screen's middle, where a
    // point of it has a window under it.
    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    form->move(form->pos() + middle - list->mapToGlobal(list->rect().center()));
    list->doItemsLayout();
    textNow_ = [c](int row, int column) {
        const bool shown = column == 0 || c.subItems;
        const int gone = c.removeTo - c.removeFrom;
        return shown ? Text(row < c.removeFrom ? row : row + gone, column) : QString();
    };
    return list;
}

void ListAccessibleTest::check(const ListCase& c)
{
    ListView* list = fill(c);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    const int columns = table->tableInterface()->columnCount();
    ASSERT_EQ(columns, list->items().columnCountTotal());

    // A tool holds the objects of a row by their ids while rows are taken out.
    QAccessible::Id heldRowObject = 0;
    QAccessible::Id heldCell = 0;
    if (c.held >= 0) {
        QAccessibleInterface* rowObject = table->child(RowObjectIndex(columns, c.held));
        QAccessibleInterface* cell = table->tableInterface()->cellAt(c.held, 0);
        ASSERT_NE(rowObject, nullptr);
        ASSERT_NE(cell, nullptr);
        heldRowObject = QAccessible::uniqueId(rowObject);
        heldCell = QAccessible::uniqueId(cell);
    }
    for (int row = c.removeFrom; row < c.removeTo; ++row)
        list->items().removeAt(c.removeFrom);
    if (c.held >= 0) {
        {
            // While nothing listens, the view tells no one of the change.
            SCOPED_TRACE("unannounced");
            checkHeld(c, list, heldRowObject, heldCell);
        }
        // As when a screen reader listens: the view announces the rows that went.
        QAccessibleTableModelChangeEvent removal(list,
                                                 QAccessibleTableModelChangeEvent::RowsRemoved);
        removal.setFirstRow(c.removeFrom);
        removal.setLastRow(c.removeTo - 1);
        table->tableInterface()->modelChange(&removal);
        SCOPED_TRACE("announced");
        checkHeld(c, list, heldRowObject, heldCell);
    }
    checkRowInSight(c, list);
}

void ListAccessibleTest::checkHeld(const ListCase& c, ListView* list, QAccessible::Id rowObject,
                                   QAccessible::Id cell)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    const int columns = table->tableInterface()->columnCount();
    const int gone = c.removeTo - c.removeFrom;
    const int rows = c.rows - gone;
    EXPECT_EQ(table->tableInterface()->rowCount(), rows);
    EXPECT_EQ(table->childCount(), (rows + 1) * (columns + 1));

    const bool removed = c.held >= c.removeFrom && c.held < c.removeTo;
    for (const QAccessible::Id id : {rowObject, cell}) {
        QAccessibleInterface* held = QAccessible::accessibleInterface(id);
        if (removed) {
            EXPECT_TRUE(held == nullptr || !held->isValid());
            continue;
        }
        // Moved up with its row: the table's child at the row's new place, named as before.
        const int now = c.held < c.removeFrom ? c.held : c.held - gone;
        const int place =
            id == rowObject ? RowObjectIndex(columns, now) : CellIndex(columns, now, 0);
        ASSERT_NE(held, nullptr);
        EXPECT_TRUE(held->isValid());
        EXPECT_EQ(table->indexOfChild(held), place);
        EXPECT_EQ(table->child(place), held);
        EXPECT_EQ(held->text(QAccessible::Name), Text(c.held, 0));
    }
    // The held row's old place names the row that is there now.
    if (c.held < rows) {
        for (const int place : {RowObjectIndex(columns, c.held), CellIndex(columns, c.held, 0)}) {
            QAccessibleInterface* there = table->child(place);
            ASSERT_NE(there, nullptr);
            EXPECT_TRUE(there->isValid());
            EXPECT_EQ(there->text(QAccessible::Name), textNow_(c.held, 0));
        }
    }
}

void ListAccessibleTest::checkRowInSight(const ListCase& c, ListView* list)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    QAccessibleTableInterface* cells = table->tableInterface();
    const int columns = cells->columnCount();
    const int row = c.current;
    list->select(row);
    list->scrollToRow(row);
    QWidget* viewport = list->viewport();
    const QRect drawn = list->visualRect(list->items().index(row, 0));
    ASSERT_TRUE(viewport->rect().contains(drawn)) << "the row is out of sight";

    // The row's object: the child before its cells, named by its first text, lying across the
    // viewport where the row is drawn.
    QAccessibleInterface* rowObject = table->child(RowObjectIndex(columns, row));
    ASSERT_NE(rowObject, nullptr);
    EXPECT_EQ(rowObject->role(), QAccessible::RowHeader);
    EXPECT_EQ(rowObject->text(QAccessible::Name), textNow_(row, 0));
    EXPECT_EQ(table->indexOfChild(rowObject), RowObjectIndex(columns, row));
    EXPECT_EQ(Box(rowObject->rect()),
              OnScreen(viewport, QRect(0, drawn.top(), viewport->width(), drawn.height())));
    EXPECT_FALSE(rowObject->state().invisible);

    std::vector<QAccessibleInterface*> shown{rowObject};
    for (int column = 0; column < columns; ++column) {
        SCOPED_TRACE(column);
        QAccessibleInterface* cell = cells->cellAt(row, column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(table->indexOfChild(cell), CellIndex(columns, row, column));
        EXPECT_EQ(table->child(CellIndex(columns, row, column)), cell);
        ASSERT_NE(cell->tableCellInterface(), nullptr);
        EXPECT_EQ(cell->tableCellInterface()->rowIndex(), row);
        EXPECT_EQ(cell->tableCellInterface()->columnIndex(), column);
        EXPECT_EQ(cell->text(QAccessible::Name), textNow_(row, column));
        EXPECT_EQ(Box(cell->rect()),
                  OnScreen(viewport, list->visualRect(list->items().index(row, column))));
        EXPECT_TRUE(cell->state().selected);
        EXPECT_FALSE(cell->state().invisible);
        shown.push_back(cell);
    }
    // A tool pointing at the middle of any of them points at the row in the list.
    for (QAccessibleInterface* each : shown) {
        SCOPED_TRACE(each->text(QAccessible::Name).toStdString());
        const QPoint middle = each->rect().center();
        EXPECT_EQ(QApplication::widgetAt(middle), viewport);
        EXPECT_NE(QApplication::widgetAt(middle), form->PushButton5);
        QAccessibleInterface* under = table->childAt(middle.x(), middle.y());
        EXPECT_NE(under, nullptr);
        if (under == nullptr || under->tableCellInterface() == nullptr)
            continue;
        EXPECT_EQ(under->tableCellInterface()->rowIndex(), row);
        if (each != rowObject)
            EXPECT_EQ(under, each);
    }

    // The focus the view announces for the current cell, found by its child number as a
    // screen reader finds it: the row's first cell, where the row is drawn.
    QAccessibleEvent focus(list, QAccessible::Focus);
    const QModelIndex current = list->currentIndex();
    focus.setChild(CellIndex(columns, current.row(), current.column()));
    QAccessibleInterface* focused = focus.accessibleInterface();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused, cells->cellAt(row, 0));
    EXPECT_EQ(focused->text(QAccessible::Name), textNow_(row, 0));
    EXPECT_TRUE(focused->state().focused);
    EXPECT_EQ(QApplication::widgetAt(focused->rect().center()), viewport);

    // The desktop's bridge asks for cells past the last row by a count of its own: it gets an
    // answer that is no cell, never nothing. A column dragged wider than the list reports only
    // the part in sight, so its middle is never over another control.
    QAccessibleInterface* past = cells->cellAt(cells->rowCount() + 3, 0);
    ASSERT_NE(past, nullptr);
    EXPECT_EQ(past->tableCellInterface(), nullptr);
    const int width = list->columnWidth(0);
    list->setColumnWidth(0, viewport->width() * 3);
    const QRect wide = cells->cellAt(row, 0)->rect();
    EXPECT_TRUE(QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size()).contains(wide))
        << Box(wide).toStdString();
    EXPECT_EQ(QApplication::widgetAt(wide.center()), viewport);
    list->setColumnWidth(0, width);

    // The first row's object lies where the first row is drawn while it shows; scrolled out of
    // sight, it has no place on the screen.
    QAccessibleInterface* first = table->child(RowObjectIndex(columns, 0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(QAccessible::Name), textNow_(0, 0));
    const QRect firstDrawn = list->visualRect(list->items().index(0, 0));
    const bool firstShown = viewport->rect().contains(firstDrawn);
    ASSERT_TRUE(firstShown || !viewport->rect().intersects(firstDrawn));
    EXPECT_EQ(first->state().invisible, !firstShown);
    if (firstShown)
        EXPECT_EQ(
            Box(first->rect()),
            OnScreen(viewport, QRect(0, firstDrawn.top(), viewport->width(), firstDrawn.height())));
    else
        EXPECT_TRUE(first->rect().isEmpty());
}

}  // namespace
