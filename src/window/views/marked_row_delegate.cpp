#include "window/views/marked_row_delegate.h"

#include "lists/list_model.h"
#include "window/look/faint_text.h"

void MarkedRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(ListModel::MarkRole).toInt() == static_cast<int>(RowMark::None))
        return;
    QPalette& palette = option->palette;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(
            group, QPalette::Text,
            FaintText(palette.color(group, QPalette::Text), palette.color(group, QPalette::Base)));
    option->font.setItalic(true);
}
