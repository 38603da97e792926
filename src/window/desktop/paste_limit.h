#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLineEdit;

// Keeps a paste or a drop that would make a line edit's text longer than it can lay out at
// once out of it, and says so. A line edit lays out its whole text in one go: tens of megabytes
// of it (a copy of a long result list) hold the window for a minute and take gigabytes.
// Whatever fits goes in whole, as before; nothing is ever cut short.
class PasteLimit final : public QObject {
public:
    // Counted in characters: an emoji is one, though it takes two UTF-16 units.
    static constexpr qsizetype kMostCharacters = 1'000'000;

    enum class Way : quint8 { Pasted, Dropped };

    // refused() is told how long, in characters, the text would have been, and how it came.
    PasteLimit(QLineEdit* field, std::function<void(qsizetype, Way)> refused);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the text may go in, replacing the selection or beside it; tells refused() when
    // it may not.
    bool admits(QStringView incoming, bool replacesSelection, Way way);
    bool admitsClipboard(bool selection);
    void showMenu(const QPoint& at);

    QPointer<QLineEdit> field_;
    std::function<void(qsizetype, Way)> refused_;
};
