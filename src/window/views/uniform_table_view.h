#pragma once

#include <QPersistentModelIndex>
#include <QStringListModel>
#include <QTableView>

// A table view whose rows all have one height, placed by arithmetic: it keeps nothing per row,
// so a list of ten million rows costs no more to grow, scroll or paint than a list of ten.
//
// A QTableView places its rows through its vertical header, and a header keeps bookkeeping for
// every section, hidden or not: about eight bytes a row, and work in proportion to the rows
// already there at every announcement of new ones. Here the vertical header stays hidden and
// is given a model of its own without rows; everything the table view would ask it (where a
// row is, which row is at a point, how far the list scrolls) is answered from the row height
// instead. Columns keep the horizontal header, with its captions and widths. Selection, keys
// and tool tips stay the table view's own; the accessible table, whose rows Qt would place by
// the hidden header, is the lists' own (list_accessible).
//
// Rows scroll a whole row at a time; columns scroll by the pixel. No grid, spans or hidden rows.
class UniformTableView : public QTableView {
    Q_OBJECT

public:
    explicit UniformTableView(int rowHeight, QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The table view's answers about rows, from the row height. They hide the table view's own,
    // which would ask the vertical header.
    int rowAt(int y) const;
    int rowViewportPosition(int row) const;
    int rowHeight(int row) const;

    QModelIndex indexAt(const QPoint& point) const override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // Only the rows in sight count, however long the list.
    int sizeHintForColumn(int column) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    bool isIndexHidden(const QModelIndex& index) const override;

protected Q_SLOTS:
    void updateGeometries() override;

private:
    int rows() const;
    // How far the rows are scrolled, in pixels from the top of the first.
    qint64 pixelOffset() const;
    // The index under a point of the viewport, remembered for the style's hover look.
    void noteHover(const QPoint& viewportPoint);

    int rowHeight_;
    // The vertical header's model: no rows, so the header keeps nothing.
    QStringListModel noRows_;
    QPersistentModelIndex hover_;
    // The offset the viewport's pixels were painted at, for scrolling them.
    qint64 shownOffset_ = 0;
    bool inGeometries_ = false;
};
