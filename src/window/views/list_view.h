#pragma once

#include "lists/list_model.h"
#include "window/views/uniform_table_view.h"

// A list shown as a report: rows under column headers, whole-row single selection. It owns its
// ListModel and offers the operations the handlers use; rows are counted from 0, and -1 means
// "no item". Its rows share one height, so the view keeps nothing per row however long the list.
class ListView final : public UniformTableView {
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);

    ListModel& items() { return model_; }
    const ListModel& items() const { return model_; }

    // Shorthands for the calls every handler makes.
    qsizetype count() const { return model_.count(); }
    QString text(qsizetype row) const { return model_.text(row); }

    int addColumn(const QString& caption) { return model_.addColumn(caption); }
    void setColumnWidthTwips(int column, int twips);
    int columnWidthTwips(int column) const;

    qsizetype selectedIndex() const;
    void select(qsizetype row);
    void scrollToRow(qsizetype row);
    // The row under a point of the viewport, or -1. Only rows the user can see are under a
    // point: outside the viewport (over the header, below the list) there is none.
    qsizetype itemAt(const QPoint& viewportPoint) const;

    // The list's own pointer, shown over its rows.
    void setListPointer(const QCursor& cursor);
    void setDragOutManual(bool manual);

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // Styles paint the header's bare end, right of the last column, in the window colour, which
    // is the white of the window around the lists: it takes its headings' colour instead.
    void paintHeaderEndAsHeadings();

    ListModel model_;
};
