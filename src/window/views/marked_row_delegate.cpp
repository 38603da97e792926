#include "window/views/marked_row_delegate.h"

#include "lists/list_model.h"
#include "window/look/faint_text.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

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

bool MarkedRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QString reason = event != nullptr && view != nullptr && event->type() == QEvent::ToolTip
                               ? index.data(Qt::ToolTipRole).toString()
                               : QString();
    const QString listTip = reason.isEmpty() ? QString() : view->toolTip();
    if (listTip.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // The reason alone would hide what the list's own tip says about every row.
    QToolTip::showText(event->globalPos(), listTip + QLatin1Char('\n') + reason, view->viewport(),
                       option.rect);
    return true;
}
