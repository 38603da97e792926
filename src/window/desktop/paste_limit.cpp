#include "window/desktop/paste_limit.h"

#include "lists/character_count.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <memory>

PasteLimit::PasteLimit(QLineEdit* field, std::function<void(qsizetype, Way)> refused)
    : QObject(field), field_(field), refused_(std::move(refused))
{
    field->installEventFilter(this);
}

bool PasteLimit::admits(QStringView incoming, bool replacesSelection, Way way)
{
    qsizetype would = CharacterCount(field_->text()) + CharacterCount(incoming);
    if (replacesSelection)
        would -= CharacterCount(field_->selectedText());
    if (would <= kMostCharacters)
        return true;
    refused_(would, way);
    return false;
}

bool PasteLimit::admitsClipboard(bool selection)
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (selection && !clipboard->supportsSelection())
        return true;
    // Ctrl+V and Paste replace the selection; a middle click puts the text beside it.
    return admits(clipboard->text(selection ? QClipboard::Selection : QClipboard::Clipboard),
                  !selection, Way::Pasted);
}

void PasteLimit::showMenu(const QPoint& at)
{
    const std::unique_ptr<QMenu> menu(field_->createStandardContextMenu());
    // The menu's own Paste goes straight to the field; this one asks first. It is known by the
    // caption the line edit gives it, in whatever language that is.
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste")
            && !action->text().startsWith(paste))
            continue;
        action->disconnect();
        connect(action, &QAction::triggered, field_, [this] {
            if (field_ != nullptr && admitsClipboard(false))
                field_->paste();
        });
    }
    menu->exec(at);
}

bool PasteLimit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != field_ || field_->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)
               && !admitsClipboard(false);
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton
               && !admitsClipboard(true);
    case QEvent::Drop: {
        const QMimeData* data = static_cast<QDropEvent*>(event)->mimeData();
        if (data == nullptr || !data->hasText() || admits(data->text(), false, Way::Dropped))
            return false;
        event->ignore();
        return true;
    }
    case QEvent::ContextMenu:
        showMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default: return false;
    }
}
