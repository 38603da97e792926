#include "window/views/uniform_table_view.h"

#include <QHeaderView>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// A position in pixels, kept inside what an int can say. Rows are numbered with int, and past
// about a hundred million rows their distance from the top would pass it: positions are worked
// out in 64 bits, and only what lies near the viewport needs to fit.
int ClampedPixels(qint64 pixels)
{
    return static_cast<int>(std::clamp<qint64>(pixels, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

}  // namespace

UniformTableView::UniformTableView(int rowHeight, QWidget* parent)
    : QTableView(parent), rowHeight_(std::max(rowHeight, 1))
{
    verticalHeader()->hide();
    setShowGrid(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The table view's own layout runs once, while there are no rows: it hides the corner
    // button, which only shows beside a visible vertical header.
    QTableView::updateGeometries();
}

void UniformTableView::setModel(QAbstractItemModel* model)
{
    if (model == this->model())
        return;
    if (this->model() != nullptr)
        disconnect(this->model(), nullptr, this, nullptr);
    QTableView::setModel(model);
    verticalHeader()->setModel(&noRows_);
    if (model == nullptr)
        return;
    // The table view learned of new and removed rows through its vertical header; the layout
    // (the scroll bar's range, a repaint) follows the model itself now, once the change is done.
    const auto relayout = [this] { scheduleDelayedItemsLayout(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, relayout);
    connect(model, &QAbstractItemModel::rowsRemoved, this, relayout);
    connect(model, &QAbstractItemModel::rowsMoved, this, relayout);
    connect(model, &QAbstractItemModel::modelReset, this, relayout);
    connect(model, &QAbstractItemModel::layoutChanged, this, relayout);
}

int UniformTableView::rows() const
{
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

int UniformTableView::rowAt(int y) const
{
    const qint64 pixel = static_cast<qint64>(y) + pixelOffset();
    if (pixel < 0)
        return -1;
    const qint64 row = pixel / rowHeight_;
    return row < rows() ? static_cast<int>(row) : -1;
}

int UniformTableView::rowViewportPosition(int row) const
{
    return ClampedPixels(static_cast<qint64>(row) * rowHeight_ - pixelOffset());
}

int UniformTableView::rowHeight(int /*row*/) const
{
    return rowHeight_;
}

int UniformTableView::verticalOffset() const
{
    return ClampedPixels(pixelOffset());
}

qint64 UniformTableView::pixelOffset() const
{
    // Scrolled to the end, the last row sits on the bottom edge and the top row may be cut, as
    // in a table view; elsewhere the top row shows whole.
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() == bar->maximum())
        return static_cast<qint64>(rows()) * rowHeight_ - viewport()->height();
    return static_cast<qint64>(bar->value()) * rowHeight_;
}

QModelIndex UniformTableView::indexAt(const QPoint& point) const
{
    const int row = rowAt(point.y());
    const int column = columnAt(point.x());
    if (row < 0 || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

QRect UniformTableView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex()
        || isIndexHidden(index))
        return {};
    return {columnViewportPosition(index.column()), rowViewportPosition(index.row()),
            columnWidth(index.column()), rowHeight_};
}

bool UniformTableView::isIndexHidden(const QModelIndex& index) const
{
    return isColumnHidden(index.column());
}

void UniformTableView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex()
        || isIndexHidden(index))
        return;
    // Rows announced a moment ago may not have reached the scroll bar's range yet.
    executeDelayedItemsLayout();

    // Columns, by the pixel: a cell wider than the viewport shows its start.
    const QHeaderView* columns = horizontalHeader();
    const int viewportWidth = viewport()->width();
    const int left = columns->sectionPosition(index.column());
    const int width = columns->sectionSize(index.column());
    if (hint == PositionAtCenter)
        horizontalScrollBar()->setValue(left - (viewportWidth - width) / 2);
    else if (left - columns->offset() < 0 || width > viewportWidth)
        horizontalScrollBar()->setValue(left);
    else if (left - columns->offset() + width > viewportWidth)
        horizontalScrollBar()->setValue(left - viewportWidth + width);

    // Rows, a whole row at a time: the row goes to the top or the bottom edge of the viewport,
    // whichever is nearer, unless it shows already.
    const int viewportHeight = viewport()->height();
    const int top = rowViewportPosition(index.row());
    if (hint == EnsureVisible) {
        if (top < 0 || rowHeight_ > viewportHeight)
            hint = PositionAtTop;
        else if (top + rowHeight_ > viewportHeight)
            hint = PositionAtBottom;
        else {
            update(index);
            return;
        }
    }
    int first = index.row();
    if (hint == PositionAtBottom || hint == PositionAtCenter) {
        // The rows above it that fit in the space left (all of it, or half of it).
        const int space = hint == PositionAtCenter ? viewportHeight / 2 : viewportHeight;
        first -= std::min(first, std::max(space / rowHeight_ - 1, 0));
    }
    verticalScrollBar()->setValue(first);
    update(index);
}

QModelIndex UniformTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int lastRow = rows() - 1;
    const int lastColumn = model() != nullptr ? model()->columnCount(rootIndex()) - 1 : -1;
    if (lastRow < 0 || lastColumn < 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());

    int row = std::min(current.row(), lastRow);
    int column = std::min(current.column(), lastColumn);
    if (isRightToLeft() && (action == MoveLeft || action == MoveRight))
        action = action == MoveLeft ? MoveRight : MoveLeft;
    switch (action) {
    case MoveUp: row = std::max(row - 1, 0); break;
    case MoveDown: row = std::min(row + 1, lastRow); break;
    case MoveLeft: column = std::max(column - 1, 0); break;
    case MoveRight: column = std::min(column + 1, lastColumn); break;
    case MovePrevious:
        // Back to the last cell of the row above; from the first cell, round to the last row.
        if (--column < 0) {
            column = lastColumn;
            row = row > 0 ? row - 1 : lastRow;
        }
        break;
    case MoveNext:
        if (++column > lastColumn) {
            column = 0;
            row = row < lastRow ? row + 1 : 0;
        }
        break;
    case MoveHome:
        column = 0;
        if (modifiers & Qt::ControlModifier)
            row = 0;
        break;
    case MoveEnd:
        column = lastColumn;
        if (modifiers & Qt::ControlModifier)
            row = lastRow;
        break;
    case MovePageUp: {
        // The row a viewport's height above: the current row then shows at the bottom edge.
        const int above = rowAt(visualRect(current).bottom() - viewport()->height());
        row = above < 0 ? 0 : above;
        break;
    }
    case MovePageDown: {
        const int below = rowAt(visualRect(current).top() + viewport()->height());
        row = below < 0 ? lastRow : below;
        break;
    }
    }
    return model()->index(row, column, rootIndex());
}

void UniformTableView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    // The rectangle may run from any corner to the opposite one.
    const int left = std::min(rect.left(), rect.right());
    const int right = std::max(rect.left(), rect.right());
    const int top = std::min(rect.top(), rect.bottom());
    const int bottom = std::max(rect.top(), rect.bottom());
    const bool rightToLeft = isRightToLeft();
    const QModelIndex first = indexAt(QPoint(rightToLeft ? right : left, top));
    const QModelIndex last = indexAt(QPoint(rightToLeft ? left : right, bottom));
    if (selectionModel() == nullptr || !first.isValid() || !last.isValid())
        return;
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion UniformTableView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const QRect viewportRect = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        // Kept within a row's height of the viewport, so a range of millions of rows still
        // makes a rectangle an int can describe.
        const int top = std::max(rowViewportPosition(range.top()), -rowHeight_);
        const int bottom = std::min(rowViewportPosition(range.bottom()) + rowHeight_,
                                    viewportRect.height() + rowHeight_);
        int left = columnViewportPosition(range.left());
        int right = columnViewportPosition(range.right()) + columnWidth(range.right());
        if (isRightToLeft()) {
            left = columnViewportPosition(range.right());
            right = columnViewportPosition(range.left()) + columnWidth(range.left());
        }
        const QRect rect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        if (viewportRect.intersects(rect))
            region += rect;
    }
    return region;
}

int UniformTableView::sizeHintForColumn(int column) const
{
    if (model() == nullptr)
        return -1;
    ensurePolished();
    const int first = std::max(rowAt(0), 0);
    const int last = std::min(rows() - 1, first + viewport()->height() / rowHeight_);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int hint = 0;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, column, rootIndex());
        hint = std::max(hint, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return hint;
}

void UniformTableView::updateGeometries()
{
    if (inGeometries_)
        return;
    inGeometries_ = true;

    // The header above the rows, as tall as it asks to be.
    QHeaderView* columns = horizontalHeader();
    int headerHeight = 0;
    if (!columns->isHidden())
        headerHeight = std::min(std::max(columns->minimumHeight(), columns->sizeHint().height()),
                                columns->maximumHeight());
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect port = viewport()->geometry();
    columns->setGeometry(port.left(), port.top() - headerHeight, port.width(), headerHeight);
    if (columns->isHidden())
        QMetaObject::invokeMethod(columns, "updateGeometries");

    // When everything fits without scroll bars, the viewport is as large as it can be.
    QSize size = viewport()->size();
    const QSize most = maximumViewportSize();
    const int length = columns->length();
    const int rowCount = rows();
    if (most.width() >= length
        && static_cast<qint64>(most.height()) >= static_cast<qint64>(rowCount) * rowHeight_)
        size = most;

    // Columns by the pixel; a click on an arrow moves about a column's share of the viewport.
    int columnsInView = 0;
    for (int width = 0, visual = columns->count() - 1; visual >= 0; --visual) {
        const int logical = columns->logicalIndex(visual);
        if (columns->isSectionHidden(logical))
            continue;
        width += columns->sectionSize(logical);
        if (width > size.width())
            break;
        ++columnsInView;
    }
    horizontalScrollBar()->setPageStep(size.width());
    horizontalScrollBar()->setRange(0, length - size.width());
    horizontalScrollBar()->setSingleStep(
        std::max(size.width() / (std::max(columnsInView, 1) + 1), 2));

    // Rows a whole row at a time: the bar counts the rows above the first one shown.
    const int rowsInView = std::clamp(size.height() / rowHeight_, 1, std::max(rowCount, 1));
    verticalScrollBar()->setRange(0, rowCount - rowsInView);
    verticalScrollBar()->setPageStep(rowsInView);
    verticalScrollBar()->setSingleStep(1);

    inGeometries_ = false;
    // A new range moves the rows when the list was scrolled to its end.
    if (pixelOffset() != shownOffset_) {
        shownOffset_ = pixelOffset();
        viewport()->update();
    }
    updateEditorGeometries();
}

void UniformTableView::scrollContentsBy(int dx, int dy)
{
    if (dx != 0)
        QTableView::scrollContentsBy(dx, 0);
    if (dy == 0)
        return;
    // dy counts rows, and the last step to the end may be part of a row: the pixels come from
    // the offsets. A jump of a viewport or more repaints it whole.
    const qint64 offset = pixelOffset();
    const qint64 pixels = shownOffset_ - offset;
    shownOffset_ = offset;
    if (std::abs(pixels) < viewport()->height())
        viewport()->scroll(0, static_cast<int>(pixels));
    else
        viewport()->update();
    // Another row lies under the pointer now.
    if (viewport()->underMouse())
        noteHover(viewport()->mapFromGlobal(QCursor::pos()));
}

void UniformTableView::noteHover(const QPoint& viewportPoint)
{
    const QModelIndex index = indexAt(viewportPoint);
    if (index == hover_)
        return;
    const QModelIndex before = hover_;
    hover_ = index;
    if (before.isValid())
        update(before);
    if (index.isValid())
        update(index);
}

bool UniformTableView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        noteHover(static_cast<QHoverEvent*>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave: noteHover(QPoint(-1, -1)); break;
    default: break;
    }
    return QTableView::viewportEvent(event);
}

void UniformTableView::mouseMoveEvent(QMouseEvent* event)
{
    noteHover(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void UniformTableView::paintEvent(QPaintEvent* event)
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    const QHeaderView* columns = horizontalHeader();
    const int rowCount = rows();
    if (columns->count() == 0 || rowCount == 0 || itemDelegate() == nullptr)
        return;

    // The part of the damage that lies over cells: past the last column and below the last
    // row, the viewport keeps its background.
    const QRegion& damage = event->region();
    QRect area = damage.boundingRect();
    const int columnsEnd = columns->length() - columns->offset();
    if (isRightToLeft())
        area.setLeft(std::max(area.left(), viewport()->width() - columnsEnd));
    else
        area.setRight(std::min(area.right(), columnsEnd - 1));
    const qint64 rowsEnd = static_cast<qint64>(rowCount) * rowHeight_ - pixelOffset();
    area.setBottom(std::min(area.bottom(), ClampedPixels(rowsEnd - 1)));
    if (!area.isValid())
        return;
    const int firstRow = rowAt(area.top());
    if (firstRow < 0)
        return;
    int lastRow = rowAt(area.bottom());
    if (lastRow < 0)
        lastRow = rowCount - 1;
    int firstVisual = columns->visualIndexAt(area.left());
    int lastVisual = columns->visualIndexAt(area.right());
    if (isRightToLeft())
        std::swap(firstVisual, lastVisual);
    if (firstVisual < 0)
        firstVisual = 0;
    if (lastVisual < 0)
        lastVisual = columns->count() - 1;

    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    for (int row = firstRow; row <= lastRow; ++row) {
        const int top = rowViewportPosition(row);
        option.features.setFlag(QStyleOptionViewItem::Alternate,
                                alternatingRowColors() && (row & 1) != 0);
        for (int visual = firstVisual; visual <= lastVisual; ++visual) {
            const int column = columns->logicalIndex(visual);
            if (columns->isSectionHidden(column))
                continue;
            const QRect cell(columnViewportPosition(column), top, columnWidth(column), rowHeight_);
            // Each cell once, even when the damage is several rectangles it straddles.
            if (!damage.intersects(cell))
                continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            QStyleOptionViewItem cellOption = option;
            cellOption.rect = cell;
            if (selectionModel() != nullptr && selectionModel()->isSelected(index))
                cellOption.state |= QStyle::State_Selected;
            if (index == hover_)
                cellOption.state |= QStyle::State_MouseOver;
            if (option.state & QStyle::State_Enabled) {
                const bool enabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
                if (!enabled)
                    cellOption.state &= ~QStyle::State_Enabled;
                cellOption.palette.setCurrentColorGroup(enabled ? QPalette::Normal
                                                                : QPalette::Disabled);
            }
            if (focused && index == current)
                cellOption.state |= QStyle::State_HasFocus;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &cellOption, &painter, this);
            itemDelegateForIndex(index)->paint(&painter, cellOption, index);
        }
    }
}
