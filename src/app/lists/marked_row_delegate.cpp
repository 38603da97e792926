#include "app/lists/marked_row_delegate.h"

#include "app/lists/list_model.h"

void MarkedRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(ListModel::MarkRole).toInt() == static_cast<int>(RowMark::None))
        return;
    option->palette.setBrush(QPalette::Text, option->palette.brush(QPalette::PlaceholderText));
    option->font.setItalic(true);
}
