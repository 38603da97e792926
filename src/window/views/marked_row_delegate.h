#pragma once

#include <QStyledItemDelegate>

// Draws a marked row (a result copied unchanged) in a fainter shade of the palette's text colour,
// still readable against its background (FaintText), and in italics, so it stands out in any
// colour scheme; selected rows keep the highlight's colours. Its tool tip keeps the list's own
// tool tip first and gives the reason on a line after it.
class MarkedRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // What painting a cell starts from; public so the look of a marked row can be checked.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
