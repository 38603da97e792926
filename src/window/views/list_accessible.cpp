#include "window/views/list_accessible.h"

#include "window/views/list_view.h"
#include "window/views/uniform_table_view.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The table's children are numbered as the table view numbers them when it announces focus and
// selection: 0 is the corner, 1 to C the column headers, then each row r has its object at
// (r + 1) * (C + 1) and its cells right after it. Numbers past what an int holds are -1: no
// child stands there.
int NumberOf(qint64 number)
{
    return number <= std::numeric_limits<int>::max() ? static_cast<int>(number) : -1;
}

int RowNumber(int columns, int row)
{
    return NumberOf((static_cast<qint64>(row) + 1) * (static_cast<qint64>(columns) + 1));
}

int CellNumber(int columns, int row, int column)
{
    const int rowNumber = RowNumber(columns, row);
    return rowNumber < 0 ? -1 : NumberOf(static_cast<qint64>(rowNumber) + column + 1);
}

int ColumnCount(const QAbstractItemView& view)
{
    return view.model() != nullptr ? view.model()->columnCount(view.rootIndex()) : 0;
}

int RowCount(const QAbstractItemView& view)
{
    return view.model() != nullptr ? view.model()->rowCount(view.rootIndex()) : 0;
}

// A rectangle of the viewport on the screen, mapped as the table view's own cells map theirs.
QRect OnScreen(const QAbstractItemView& view, QRect rect)
{
    rect.translate(view.viewport()->mapTo(&view, QPoint(0, 0)));
    rect.translate(view.mapToGlobal(QPoint(0, 0)));
    return rect;
}

QString ItemName(const QModelIndex& index)
{
    QString name = index.data(Qt::AccessibleTextRole).toString();
    return name.isEmpty() ? index.data(Qt::DisplayRole).toString() : name;
}

QList<int> Distinct(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return {numbers.begin(), numbers.end()};
}

QWindow* WindowOf(const QWidget* widget)
{
    if (widget == nullptr)
        return nullptr;
    QWindow* window = widget->windowHandle();
    if (window == nullptr && widget->nativeParentWidget() != nullptr)
        window = widget->nativeParentWidget()->windowHandle();
    return window;
}

// What every child of a list's table shares: the list it belongs to, and its number among the
// table's children, worked out afresh each time from what it stands for.
class ListChild : public QAccessibleInterface {
public:
    explicit ListChild(UniformTableView* view) : view_(view) {}

    // The child's number in the table now; -1 once it stands for nothing in the list.
    virtual int number() const = 0;
    const UniformTableView* view() const { return view_.data(); }

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return WindowOf(view_.data()); }
    QAccessibleInterface* parent() const override
    {
        return view_ != nullptr ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    // The table's child of that number, as the table hands it out.
    QAccessibleInterface* sibling(int number) const
    {
        QAccessibleInterface* table = parent();
        return table != nullptr ? table->child(number) : nullptr;
    }

    // An index of the list, as long as it is one: rows that leave the list leave it invalid.
    bool holds(const QPersistentModelIndex& index) const
    {
        return view_ != nullptr && view_->model() != nullptr && index.isValid()
               && index.model() == view_->model() && index.parent() == view_->rootIndex();
    }

    QPointer<UniformTableView> view_;
};

// The view's corner button: hidden, as the vertical header beside it is.
class CornerObject final : public ListChild {
public:
    using ListChild::ListChild;

    int number() const override { return isValid() ? 0 : -1; }
    bool isValid() const override { return view_ != nullptr; }
    QString text(QAccessible::Text) const override { return {}; }
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Pane; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = true;
        return state;
    }
};

// A column's caption in the header above the rows.
class ColumnHeaderObject final : public ListChild {
public:
    ColumnHeaderObject(UniformTableView* view, int column) : ListChild(view), column_(column) {}

    int column() const { return column_; }
    // Columns added or taken out before this one move it; -1 when it was taken out.
    void setColumn(int column) { column_ = column; }

    int number() const override { return isValid() ? column_ + 1 : -1; }
    bool isValid() const override
    {
        return view_ != nullptr && column_ >= 0 && column_ < ColumnCount(*view_);
    }

    QString text(QAccessible::Text text) const override
    {
        if (!isValid())
            return {};
        const QAbstractItemModel* model = view_->model();
        switch (text) {
        case QAccessible::Name: {
            QString name =
                model->headerData(column_, Qt::Horizontal, Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? model->headerData(column_, Qt::Horizontal).toString() : name;
        }
        case QAccessible::Description:
            return model->headerData(column_, Qt::Horizontal, Qt::AccessibleDescriptionRole)
                .toString();
        default: return {};
        }
    }

    QRect rect() const override
    {
        const QRect section = shown();
        if (section.isEmpty())
            return {};
        const QWidget* port = view_->horizontalHeader()->viewport();
        return {port->mapToGlobal(section.topLeft()), section.size()};
    }

    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = shown().isEmpty();
        state.disabled = !view_->horizontalHeader()->isEnabled();
        return state;
    }

private:
    // The part of the header's viewport the caption is drawn in (it scrolls with the columns);
    // empty when none of it shows.
    QRect shown() const
    {
        if (!isValid() || !view_->horizontalHeader()->isVisible())
            return {};
        const QHeaderView* header = view_->horizontalHeader();
        const QRect section(header->sectionViewportPosition(column_), 0,
                            header->sectionSize(column_), header->viewport()->height());
        return section & header->viewport()->rect();
    }

    int column_;
};

// A row as a whole: the table view's row header, which the lists do not show. A tool finds
// the row by its first text and acts on it where it is drawn.
class RowObject final : public ListChild {
public:
    RowObject(UniformTableView* view, const QModelIndex& first) : ListChild(view), first_(first) {}

    int number() const override
    {
        return isValid() ? RowNumber(ColumnCount(*view_), first_.row()) : -1;
    }
    bool isValid() const override { return holds(first_); }

    QString text(QAccessible::Text text) const override
    {
        return text == QAccessible::Name && isValid() ? ItemName(first_) : QString();
    }

    QRect rect() const override
    {
        const QRect band = shown();
        return band.isEmpty() ? QRect() : OnScreen(*view_, band);
    }

    QAccessible::Role role() const override { return QAccessible::RowHeader; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = shown().isEmpty();
        const QItemSelectionModel* selection = view_->selectionModel();
        state.selected =
            selection != nullptr && selection->isRowSelected(first_.row(), view_->rootIndex());
        return state;
    }

private:
    // The row across the viewport, as much of it as shows; empty when it is scrolled out of
    // sight. Worked out in 64 bits: a row far down the list lies past what an int can say.
    QRect shown() const
    {
        if (!isValid() || !view_->isVisible())
            return {};
        const QWidget* port = view_->viewport();
        const qint64 top = view_->rowViewportPosition(first_.row());
        const qint64 bottom = top + view_->rowHeight(first_.row());
        const qint64 shownTop = std::max<qint64>(top, 0);
        const qint64 shownBottom = std::min<qint64>(bottom, port->height());
        if (shownBottom <= shownTop || port->width() <= 0)
            return {};
        return {0, static_cast<int>(shownTop), port->width(),
                static_cast<int>(shownBottom - shownTop)};
    }

    QPersistentModelIndex first_;
};

// One cell of a row, as the table view's own cells are: where the view draws it, named by its
// text.
class CellObject final : public ListChild,
                         public QAccessibleTableCellInterface,
                         public QAccessibleActionInterface {
public:
    CellObject(UniformTableView* view, const QModelIndex& index) : ListChild(view), index_(index) {}

    int number() const override
    {
        return isValid() ? CellNumber(ColumnCount(*view_), index_.row(), index_.column()) : -1;
    }
    bool isValid() const override { return holds(index_); }

    QString text(QAccessible::Text text) const override
    {
        if (!isValid())
            return {};
        switch (text) {
        case QAccessible::Name: return ItemName(index_);
        case QAccessible::Description: return index_.data(Qt::AccessibleDescriptionRole).toString();
        default: return {};
        }
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        // Only the part in sight: a column dragged wider than the list would otherwise reach
        // over the controls beside it, and a click at its centre land there.
        const QRect drawn = view_->visualRect(index_).intersected(view_->viewport()->rect());
        return drawn.isEmpty() ? QRect() : OnScreen(*view_, drawn);
    }

    QAccessible::Role role() const override { return QAccessible::Cell; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible =
            !view_->isVisible() || !view_->visualRect(index_).intersects(view_->viewport()->rect());
        if (const QItemSelectionModel* selection = view_->selectionModel()) {
            state.selected = selection->isSelected(index_);
            state.focused = selection->currentIndex() == index_;
        }
        const Qt::ItemFlags flags = index_.flags();
        state.disabled = !flags.testFlag(Qt::ItemIsEnabled);
        if (flags.testFlag(Qt::ItemIsSelectable)) {
            state.selectable = true;
            state.focusable = true;
            state.multiSelectable = view_->selectionMode() == QAbstractItemView::MultiSelection;
            state.extSelectable = view_->selectionMode() == QAbstractItemView::ExtendedSelection;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override
    {
        return isValid() && view_->selectionModel() != nullptr
               && view_->selectionModel()->isSelected(index_);
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        QAccessibleInterface* header = isValid() ? sibling(index_.column() + 1) : nullptr;
        return header != nullptr ? QList<QAccessibleInterface*>{header}
                                 : QList<QAccessibleInterface*>{};
    }
    // The lists show no row headings: a cell names none, so a screen reader does not read the
    // row's first text again before every cell.
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return isValid() ? index_.column() : -1; }
    int rowIndex() const override { return isValid() ? index_.row() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface: the toggle selects the cell's row, as a click does; the
    // selected row stays selected, as it does for the user.
    QStringList actionNames() const override { return {toggleAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override
    {
        if (name != toggleAction() || !isValid() || isSelected())
            return;
        QAccessibleInterface* list = parent();
        if (QAccessibleTableInterface* rows = list != nullptr ? list->tableInterface() : nullptr)
            rows->selectRow(index_.row());
    }

private:
    QPersistentModelIndex index_;
};

// A list as a table.
class ListAccessible final : public QAccessibleObject, public QAccessibleTableInterface {
public:
    explicit ListAccessible(UniformTableView* view) : QAccessibleObject(view) { watchModel(); }
    ~ListAccessible() override { releaseChildren(); }
    ListAccessible(const ListAccessible&) = delete;
    ListAccessible& operator=(const ListAccessible&) = delete;
    ListAccessible(ListAccessible&&) = delete;
    ListAccessible& operator=(ListAccessible&&) = delete;

    bool isValid() const override
    {
        return QAccessibleObject::isValid() && view() != nullptr && view()->model() != nullptr;
    }
    QWindow* window() const override { return WindowOf(view()); }

    QAccessibleInterface* parent() const override
    {
        const UniformTableView* list = view();
        return list != nullptr && list->parent() != nullptr
                   ? QAccessible::queryAccessibleInterface(list->parent())
                   : nullptr;
    }

    int childCount() const override
    {
        const UniformTableView* list = view();
        if (list == nullptr || list->model() == nullptr)
            return 0;
        const qint64 count = (static_cast<qint64>(RowCount(*list)) + 1)
                             * (static_cast<qint64>(ColumnCount(*list)) + 1);
        return static_cast<int>(std::min<qint64>(count, std::numeric_limits<int>::max()));
    }

    QAccessibleInterface* child(int number) const override
    {
        if (number < 0 || number >= childCount())
            return nullptr;
        if (QAccessibleInterface* known = kept(number))
            return known;
        ListChild* made = make(number);
        if (made == nullptr)
            return nullptr;
        children_.insert(number, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* ours = dynamic_cast<const ListChild*>(child);
        if (ours == nullptr || view() == nullptr || ours->view() != view())
            return -1;
        return ours->number();
    }

    // The cell under a point of the screen; beside the last column, the row's object; over the
    // header, the column's caption.
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const UniformTableView* list = view();
        if (list == nullptr || list->model() == nullptr || !list->isVisible())
            return nullptr;
        const QPoint global(x, y);
        const QWidget* port = list->viewport();
        const QPoint inPort = port->mapFromGlobal(global);
        const int columns = ColumnCount(*list);
        if (port->rect().contains(inPort)) {
            const QModelIndex index = list->indexAt(inPort);
            if (index.isValid())
                return child(CellNumber(columns, index.row(), index.column()));
            const int row = list->rowAt(inPort.y());
            return row >= 0 ? child(RowNumber(columns, row)) : nullptr;
        }
        const QHeaderView* header = list->horizontalHeader();
        if (!header->isVisible())
            return nullptr;
        const QPoint inHeader = header->viewport()->mapFromGlobal(global);
        if (!header->viewport()->rect().contains(inHeader))
            return nullptr;
        const int column = header->logicalIndexAt(inHeader);
        return column >= 0 ? child(column + 1) : nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        const UniformTableView* list = view();
        if (list == nullptr || !list->hasFocus() || !list->currentIndex().isValid())
            return nullptr;
        const QModelIndex current = list->currentIndex();
        return child(CellNumber(ColumnCount(*list), current.row(), current.column()));
    }

    QString text(QAccessible::Text text) const override
    {
        const UniformTableView* list = view();
        if (list == nullptr)
            return {};
        if (text == QAccessible::Name)
            return list->accessibleName();
        if (text == QAccessible::Description)
            return list->accessibleDescription();
        return {};
    }

    QRect rect() const override
    {
        const UniformTableView* list = view();
        if (list == nullptr || !list->isVisible())
            return {};
        return {list->mapToGlobal(QPoint(0, 0)), list->size()};
    }

    QAccessible::Role role() const override { return QAccessible::Table; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const UniformTableView* list = view();
        if (list == nullptr) {
            state.invalid = true;
            return state;
        }
        state.invisible = !list->isVisible();
        state.disabled = !list->isEnabled();
        state.focusable = list->focusPolicy() != Qt::NoFocus;
        state.focused = list->hasFocus();
        state.multiSelectable = list->selectionMode() == QAbstractItemView::MultiSelection;
        state.extSelectable = list->selectionMode() == QAbstractItemView::ExtendedSelection;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }

    QAccessibleInterface* cellAt(int row, int column) const override
    {
        const UniformTableView* list = view();
        // The desktop's bridge works positions out by its own count and uses the answer without
        // asking whether there was one: past the rows it gets the corner, which is no cell,
        // rather than nothing.
        if (list == nullptr || row < 0 || row >= RowCount(*list) || column < 0
            || column >= ColumnCount(*list))
            return child(0);
        return child(CellNumber(ColumnCount(*list), row, column));
    }

    QString columnDescription(int column) const override
    {
        const UniformTableView* list = view();
        return list != nullptr && list->model() != nullptr
                   ? list->model()->headerData(column, Qt::Horizontal).toString()
                   : QString();
    }
    QString rowDescription(int row) const override
    {
        const UniformTableView* list = view();
        return list != nullptr && list->model() != nullptr
                   ? list->model()->headerData(row, Qt::Vertical).toString()
                   : QString();
    }

    int rowCount() const override { return view() != nullptr ? RowCount(*view()) : 0; }
    int columnCount() const override { return view() != nullptr ? ColumnCount(*view()) : 0; }

    // The selection model keeps its ranges apart, so counting them counts every selected cell
    // once; none of this visits a row that is not selected.
    int selectedCellCount() const override
    {
        qint64 count = 0;
        for (const QItemSelectionRange& range : selectedRanges())
            count += static_cast<qint64>(range.height()) * range.width();
        return static_cast<int>(std::min<qint64>(count, std::numeric_limits<int>::max()));
    }

    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> cells;
        const int columns = columnCount();
        for (const QItemSelectionRange& range : selectedRanges()) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                for (int column = range.left(); column <= range.right(); ++column) {
                    if (QAccessibleInterface* cell = child(CellNumber(columns, row, column)))
                        cells.append(cell);
                }
            }
        }
        return cells;
    }

    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }

    QList<int> selectedRows() const override
    {
        // A range across every column selects its rows; rows of narrower ranges are selected
        // when other ranges make up the rest of them.
        std::vector<int> rows;
        const int columns = columnCount();
        for (const QItemSelectionRange& range : selectedRanges()) {
            const bool whole = range.left() == 0 && range.right() == columns - 1;
            for (int row = range.top(); row <= range.bottom(); ++row) {
                if (whole || isRowSelected(row))
                    rows.push_back(row);
            }
        }
        return Distinct(rows);
    }

    QList<int> selectedColumns() const override
    {
        std::vector<int> columns;
        for (const QItemSelectionRange& range : selectedRanges()) {
            // A selected column has its first row selected too.
            if (range.top() != 0)
                continue;
            for (int column = range.left(); column <= range.right(); ++column) {
                if (isColumnSelected(column))
                    columns.push_back(column);
            }
        }
        return Distinct(columns);
    }

    bool isRowSelected(int row) const override
    {
        const UniformTableView* list = view();
        return list != nullptr && list->selectionModel() != nullptr
               && list->selectionModel()->isRowSelected(row, list->rootIndex());
    }
    bool isColumnSelected(int column) const override
    {
        const UniformTableView* list = view();
        return list != nullptr && list->selectionModel() != nullptr
               && list->selectionModel()->isColumnSelected(column, list->rootIndex());
    }

    // The lists select one whole row at a time, as a click does: a tool may make a row the
    // selected one, and can neither select a column nor leave the list without its selected
    // row, which the user cannot either.
    bool selectRow(int row) override
    {
        UniformTableView* list = view();
        if (list == nullptr || list->selectionModel() == nullptr)
            return false;
        const QModelIndex first = list->model()->index(row, 0, list->rootIndex());
        if (!first.isValid())
            return false;
        list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect
                                                           | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // The view tells of rows and columns that came or went (only while a tool listens).
    void modelChange(QAccessibleTableModelChangeEvent* event) override
    {
        if (children_.isEmpty())
            return;
        switch (event->modelChangeType()) {
        case QAccessibleTableModelChangeEvent::ModelReset: releaseChildren(); break;
        case QAccessibleTableModelChangeEvent::ColumnsInserted:
        case QAccessibleTableModelChangeEvent::ColumnsRemoved:
            moveColumnHeaders(*event);
            settle();
            break;
        case QAccessibleTableModelChangeEvent::RowsInserted:
        case QAccessibleTableModelChangeEvent::RowsRemoved: settle(); break;
        case QAccessibleTableModelChangeEvent::DataChanged: break;
        }
    }

private:
    UniformTableView* view() const { return qobject_cast<UniformTableView*>(object()); }

    QList<QItemSelectionRange> selectedRanges() const
    {
        QList<QItemSelectionRange> ranges;
        const UniformTableView* list = view();
        if (list == nullptr || list->selectionModel() == nullptr)
            return ranges;
        for (const QItemSelectionRange& range : list->selectionModel()->selection()) {
            if (range.isValid() && range.parent() == list->rootIndex())
                ranges.append(range);
        }
        return ranges;
    }

    ListChild* make(int number) const
    {
        UniformTableView* list = view();
        if (list == nullptr || list->model() == nullptr)
            return nullptr;
        const int columns = ColumnCount(*list);
        if (number == 0)
            return new CornerObject(list);
        if (number <= columns)
            return new ColumnHeaderObject(list, number - 1);
        const int row = number / (columns + 1) - 1;
        const int column = number % (columns + 1) - 1;
        const QAbstractItemModel* model = list->model();
        const QModelIndex index = model->index(row, std::max(column, 0), list->rootIndex());
        if (!index.isValid())
            return nullptr;
        if (column < 0)
            return new RowObject(list, index);
        return new CellObject(list, index);
    }

    // The child kept for that number, if it still stands there.
    ListChild* kept(int number) const
    {
        watchModel();
        if (unsettled_)
            settle();
        ListChild* known = keptAt(number);
        if (known != nullptr && known->number() != number) {
            // Moved with no word from the model: every kept child to its number first.
            settle();
            known = keptAt(number);
        }
        return known != nullptr && known->number() == number ? known : nullptr;
    }

    ListChild* keptAt(int number) const
    {
        const auto kept = children_.constFind(number);
        return kept != children_.cend()
                   ? dynamic_cast<ListChild*>(QAccessible::accessibleInterface(*kept))
                   : nullptr;
    }

    // Rows that come, go or move leave the kept children under old numbers: they are settled
    // before the next answer. Only a mark here, however many rows change one by one.
    void watchModel() const
    {
        const UniformTableView* list = view();
        QAbstractItemModel* model = list != nullptr ? list->model() : nullptr;
        if (model == watched_)
            return;
        // Another model: nothing kept stands for any of its rows.
        if (watched_ != nullptr)
            QObject::disconnect(watched_, nullptr, &watcher_, nullptr);
        releaseChildren();
        watched_ = model;
        if (model == nullptr)
            return;
        const auto unsettle = [this] { unsettled_ = true; };
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::rowsMoved, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::columnsInserted, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::columnsRemoved, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::columnsMoved, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, &watcher_, unsettle);
        QObject::connect(model, &QAbstractItemModel::modelReset, &watcher_, unsettle);
    }

    // Every kept child to the number it has now; children whose rows or columns have left the
    // list are released. Two children never keep one number: the one that had it already stays.
    void settle() const
    {
        QHash<int, QAccessible::Id> settled;
        std::vector<std::pair<int, QAccessible::Id>> moved;
        for (auto each = children_.cbegin(); each != children_.cend(); ++each) {
            const auto* child =
                dynamic_cast<const ListChild*>(QAccessible::accessibleInterface(each.value()));
            if (child == nullptr)
                continue;
            const int number = child->number();
            if (number < 0)
                QAccessible::deleteAccessibleInterface(each.value());
            else if (number == each.key())
                settled.insert(number, each.value());
            else
                moved.emplace_back(number, each.value());
        }
        for (const auto& [number, id] : moved) {
            if (settled.contains(number))
                QAccessible::deleteAccessibleInterface(id);
            else
                settled.insert(number, id);
        }
        children_.swap(settled);
        unsettled_ = false;
    }

    void moveColumnHeaders(const QAccessibleTableModelChangeEvent& event) const
    {
        const int first = event.firstColumn();
        const int last = event.lastColumn();
        if (first < 0 || last < first)
            return;
        const bool inserted =
            event.modelChangeType() == QAccessibleTableModelChangeEvent::ColumnsInserted;
        for (const QAccessible::Id id : std::as_const(children_)) {
            auto* header = dynamic_cast<ColumnHeaderObject*>(QAccessible::accessibleInterface(id));
            if (header == nullptr || header->column() < first)
                continue;
            if (inserted)
                header->setColumn(header->column() + last - first + 1);
            else if (header->column() > last)
                header->setColumn(header->column() - (last - first + 1));
            else
                header->setColumn(-1);
        }
    }

    // Children live in Qt's registry under their ids; the table keeps the ids and releases them.
    // It touches nothing of the view here: it may be going.
    void releaseChildren() const
    {
        const QHash<int, QAccessible::Id> children = std::exchange(children_, {});
        for (const QAccessible::Id id : children)
            QAccessible::deleteAccessibleInterface(id);
    }

    // The children made so far, by number: only those a tool has asked about.
    mutable QHash<int, QAccessible::Id> children_;
    mutable bool unsettled_ = false;
    mutable QPointer<QAbstractItemModel> watched_;
    // The receiver of the model's signals: they stop when the table goes.
    mutable QObject watcher_;
};

QAccessibleInterface* MakeListAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String(ListView::staticMetaObject.className()))
        return nullptr;
    auto* list = qobject_cast<ListView*>(object);
    return list != nullptr ? new ListAccessible(list) : nullptr;
}

}  // namespace

void InstallListAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&MakeListAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
