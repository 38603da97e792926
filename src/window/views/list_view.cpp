#include "window/views/list_view.h"

#include "core/app_error.h"
#include "window/look/twips.h"
#include "window/views/list_accessible.h"
#include "window/views/marked_row_delegate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

#include <new>

namespace {
// Every row is this tall: rows are placed by arithmetic, so a list of millions costs the view
// nothing per row.
constexpr int kRowHeightPixels = 18;
}  // namespace

ListView::ListView(QWidget* parent) : UniformTableView(kRowHeightPixels, parent), model_(this)
{
    // Before anything asks about the list: the table view's own accessible rows would all lie
    // at its top edge.
    InstallListAccessibility();
    setModel(&model_);
    setItemDelegate(new MarkedRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Columns keep the widths they were given; the user may drag a divider past the right
    // edge to read long texts.
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // A double-click on a divider sizes the column to the rows in sight only, never to a
    // thousand rows that may each be long.
    horizontalHeader()->setResizeContentsPrecision(0);
    setDragOutManual(true);
    // Rows scroll only when a handler asks or the keyboard moves, never because a held button
    // nears an edge: moving a phone number scrolls by its own rule.
    setAutoScroll(false);
    paintHeaderEndAsHeadings();
}

void ListView::paintHeaderEndAsHeadings()
{
    QPalette header;
    header.setColor(QPalette::Window, palette().color(QPalette::Button));
    horizontalHeader()->setPalette(header);
}

void ListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        paintHeaderEndAsHeadings();
}

void ListView::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= model_.columnCountTotal())
        throw AppError(ErrorCode::SubscriptOutOfRange);
    setColumnWidth(column, TwipsToPixels(twips));
}

int ListView::columnWidthTwips(int column) const
{
    return PixelsToTwips(columnWidth(column));
}

qsizetype ListView::selectedIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListView::select(qsizetype row)
{
    if (row < 0 || row >= model_.count())
        throw AppError(ErrorCode::SubscriptOutOfRange);
    model_.flushAppends();
    const QModelIndex cell = model_.index(static_cast<int>(row), 0);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect
                                                | QItemSelectionModel::Rows);
}

void ListView::scrollToRow(qsizetype row)
{
    if (row < 0 || row >= model_.count())
        throw AppError(ErrorCode::SubscriptOutOfRange);
    model_.flushAppends();
    scrollTo(model_.index(static_cast<int>(row), 0));
}

qsizetype ListView::itemAt(const QPoint& viewportPoint) const
{
    if (!viewport()->rect().contains(viewportPoint))
        return -1;
    const QModelIndex cell = indexAt(viewportPoint);
    return cell.isValid() ? cell.row() : -1;
}

void ListView::setListPointer(const QCursor& cursor)
{
    viewport()->setCursor(cursor);
}

void ListView::setDragOutManual(bool manual)
{
    setDragEnabled(!manual);
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    // A press below the rows keeps the selected row: a double-click there acts on it.
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    UniformTableView::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const
{
    // The press chooses the row; a release never changes it. A press on the selected row would
    // otherwise leave the choice to the release, which takes whatever row is under the pointer
    // by then: after a moved number has scrolled the list, or passed over an equal text, that
    // is another number than the one the user moved, and Delete would remove it.
    if (event != nullptr && event->type() == QEvent::MouseButtonRelease)
        return QItemSelectionModel::NoUpdate;
    return UniformTableView::selectionCommand(index, event);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    // The copy key takes the whole text of the cell, not the beginning a long one shows.
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        const QModelIndex cell = currentIndex();
        if (!cell.isValid())
            return;
        try {
            QString whole;
            model_.appendCell(whole, cell.row(), cell.column());
            QGuiApplication::clipboard()->setText(whole);
        } catch (const std::bad_alloc&) {
            // Too long to copy: the clipboard keeps what it held.
        }
        return;
    }
    UniformTableView::keyPressEvent(event);
    // The row the keys moved to is the one Delete would remove: the user must see it.
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

QModelIndex ListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // A list of rows: Home and End go to the first and last row, not the row's first and last
    // column as in a table.
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return UniformTableView::moveCursor(action, modifiers);
}
