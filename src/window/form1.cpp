#include "window/form1.h"

#include "window/look/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>
#include <array>

namespace {

// The window's client area, in twips.
constexpr int kClientWidth = 15960;
constexpr int kClientHeight = 6870;

QFont ArialBold(double pointSize)
{
    // Liberation Sans has Arial's metrics, so captions fit where they were designed to fit.
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

// Where a menu opened from the keyboard shows: under the selected row when it can be seen,
// otherwise at the top of the list's rows.
QPoint KeyboardMenuPlace(const ListView& list)
{
    const QRect rows = list.viewport()->rect();
    const qsizetype selected = list.selectedIndex();
    QPoint place = rows.topLeft();
    if (selected >= 0) {
        const QRect row = list.visualRect(list.items().index(static_cast<int>(selected), 0));
        if (rows.intersects(row))
            place = QPoint(row.left(), std::clamp(row.bottom(), rows.top(), rows.bottom()));
    }
    return list.viewport()->mapToGlobal(place);
}

// Where the list's menu shows: at the pointer for a click, as for the keyboard otherwise.
QPoint MenuPlace(const QContextMenuEvent& event, const ListView& list)
{
    return event.reason() == QContextMenuEvent::Mouse ? event.globalPos() : KeyboardMenuPlace(list);
}

void Place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

}  // namespace

Form1::Form1(Desktop& desktop, QString programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      desktop_(desktop), programFolder_(std::move(programFolder))
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    connectHandlers();
    Form_Load();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::buildControls()
{
    setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setFont(ArialBold(9));
    setMouseTracking(true);

    const auto makeList = [this](const char* name, const char* spoken, int left, int top, int width,
                                 int height) {
        auto* list = new ListView(this);
        list->setObjectName(QLatin1String(name));
        list->setAccessibleName(QLatin1String(spoken));
        list->setFont(ArialBold(9));
        list->setToolTip(QStringLiteral("Double-click item to remove it. Move | line to right "
                                        "and out of window to reveal full names."));
        list->viewport()->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
        Place(list, left, top, width, height);
        return list;
    };
    const auto makeButton = [this](const char* name, const char* caption, int left, int top,
                                   int width, int height) {
        auto* button = new QPushButton(QString::fromUtf8(caption), this);
        button->setObjectName(QLatin1String(name));
        button->setFont(ArialBold(11.25));
        button->setMouseTracking(true);
        button->installEventFilter(this);
        button->setAutoDefault(false);
        Place(button, left, top, width, height);
        return button;
    };

    PushButton5 = makeButton("PushButton5", "Help", 120, 120, 7800, 405);
    ListView1 = makeList("ListView1", "Phone numbers", 120, 630, 7800, 1575);
    PushButton1 = makeButton("PushButton1", "Add Phone Number or Numbers", 120, 2290, 3840, 405);
    PushButton3 = makeButton("PushButton3", "Load Phone Numbers From File", 4080, 2290, 3840, 405);
    PushButton4 = makeButton("PushButton4", "Clear List", 120, 2800, 3840, 405);
    PushButton11 = makeButton("PushButton11", "Load Sample/Example Data", 4080, 2800, 3840, 405);
    ListView2 = makeList("ListView2", "Rules", 120, 3315, 7800, 1935);
    PushButton13 = makeButton("PushButton13", "Add Length and Format Combo", 120, 5340, 3840, 405);
    PushButton14 = makeButton("PushButton14", "Delete Selected", 4080, 5340, 3840, 405);
    PushButton15 = makeButton("PushButton15", "Clear List", 120, 5850, 3840, 405);
    PushButton10 = makeButton("PushButton10", "Load Sample/Example Data", 4080, 5850, 3840, 405);
    PushButton7 = makeButton("PushButton7", "Start Formatting Phone Numbers", 120, 6360, 7800, 405);
    ListView3 = makeList("ListView3", "Results", 8040, 120, 7800, 5640);
    PushButton6 = makeButton("PushButton6", "Save Results As Text File", 8040, 5850, 3840, 405);
    PushButton2 = makeButton("PushButton2", "Save As Comma Delimited", 12000, 5850, 3840, 405);
    PushButton8 = makeButton("PushButton8", "Copy Results To Clipboard", 8040, 6360, 3840, 405);
    PushButton9 = makeButton("PushButton9", "Clear List", 12000, 6360, 3840, 405);

    PhoneListMenu = new QMenu(this);
    PhoneListMenu->setObjectName(QStringLiteral("PhoneListMenu"));
    mnuTidyNumbers = PhoneListMenu->addAction(QStringLiteral("&Tidy Numbers"));
    mnuTidyNumbers->setObjectName(QStringLiteral("mnuTidyNumbers"));
    mnuRemoveDuplicates = PhoneListMenu->addAction(QStringLiteral("&Remove Duplicate Numbers"));
    mnuRemoveDuplicates->setObjectName(QStringLiteral("mnuRemoveDuplicates"));

    // Tab positions 0 to 16.
    const std::array<QWidget*, 17> tabOrder{
        ListView1,    ListView2,    PushButton7,  PushButton6, PushButton2, PushButton9,
        PushButton5,  PushButton8,  PushButton1,  PushButton3, PushButton4, PushButton11,
        PushButton13, PushButton14, PushButton15, ListView3,   PushButton10};
    for (size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void Form1::connectHandlers()
{
    const auto onClick = [this](QPushButton* button, void (Form1::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    // Files may be dropped anywhere on the phone list: rows, header and scroll bars alike.
    ListView1->setAcceptDrops(true);
    for (QWidget* part : ListView1->findChildren<QWidget*>()) {
        part->setAcceptDrops(true);
        if (part != ListView1->viewport())
            part->installEventFilter(this);
    }
    // Rule files, the same way on the rule list.
    ListView2->setAcceptDrops(true);
    for (QWidget* part : ListView2->findChildren<QWidget*>()) {
        part->setAcceptDrops(true);
        if (part != ListView2->viewport())
            part->installEventFilter(this);
    }
    // The list selects the pressed row first, then reports the item click.
    connect(ListView1, &QAbstractItemView::pressed, this, [this] { ListView1_ItemClick(); });
    onClick(PushButton1, &Form1::PushButton1_Click);
    onClick(PushButton2, &Form1::PushButton2_Click);
    onClick(PushButton3, &Form1::PushButton3_Click);
    onClick(PushButton6, &Form1::PushButton6_Click);
    onClick(PushButton8, &Form1::PushButton8_Click);
    onClick(PushButton9, &Form1::PushButton9_Click);
    onClick(PushButton4, &Form1::PushButton4_Click);
    onClick(PushButton5, &Form1::PushButton5_Click);
    onClick(PushButton7, &Form1::PushButton7_Click);
    onClick(PushButton10, &Form1::PushButton10_Click);
    onClick(PushButton11, &Form1::PushButton11_Click);
    onClick(PushButton13, &Form1::PushButton13_Click);
    onClick(PushButton14, &Form1::PushButton14_Click);
    onClick(PushButton15, &Form1::PushButton15_Click);
    connect(mnuTidyNumbers, &QAction::triggered, this, [this] { mnuTidyNumbers_Click(); });
    connect(mnuRemoveDuplicates, &QAction::triggered, this,
            [this] { mnuRemoveDuplicates_Click(); });
    const auto onKeys = [this](QKeyCombination keys, void (Form1::*handler)()) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, handler] { (this->*handler)(); });
    };
    onKeys(Qt::CTRL | Qt::Key_Z, &Form1::Form_Undo);
    onKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, &Form1::Form_Redo);
    onKeys(Qt::CTRL | Qt::Key_Y, &Form1::Form_Redo);
}

Pacer Form1::MakePacer(bool keepBusy, Pacer::Input input)
{
    std::function<void()> afterYield;
    if (keepBusy)
        afterYield = [this] { setPointer(Pointer::Hourglass); };
    return Pacer(desktop_, {&ListView1->items(), &ListView2->items(), &ListView3->items()},
                 std::move(afterYield), input);
}

MsgResult Form1::MsgBox(const QString& text, MsgButtons buttons)
{
    return desktop_.messageBox(text, applicationTitle_, MsgIcon::None, buttons);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport())
        return phoneListEvent(event) || QWidget::eventFilter(watched, event);
    if (auto* part = qobject_cast<QWidget*>(watched);
        part != nullptr && (part == ListView1 || ListView1->isAncestorOf(part))
        && phoneListDropEvent(event))
        return true;
    // A right-click on the list's heading opens the menu as one on its rows does.
    if (watched == ListView1->horizontalHeader()->viewport())
        if (const std::optional<QPoint> menuAt = rightClickEnded(event))
            ListView1_ContextMenu(*menuAt);
    if (auto* part = qobject_cast<QWidget*>(watched);
        part != nullptr && (part == ListView2 || ListView2->isAncestorOf(part))
        && ruleListDropEvent(event))
        return true;
    switch (event->type()) {
    case QEvent::MouseMove:
        if (qobject_cast<QPushButton*>(watched) != nullptr)
            ShowHandPointer();
        else if (watched == ListView2->viewport() || watched == ListView3->viewport())
            ResetPointer();
        break;
    case QEvent::MouseButtonDblClick:
        // A double-click anywhere on the rule list acts on its selected row.
        if (watched == ListView2->viewport())
            ListView2_DblClick();
        break;
    case QEvent::KeyPress:
        if (watched == ListView1) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Delete) {
                ListView1_KeyDown(kDeleteKeyCode, key->modifiers());
                return true;
            }
            // The Menu key and Shift+F10 open the list's menu wherever the platform does not.
            if (key->key() == Qt::Key_Menu
                || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
                ListView1_ContextMenu(KeyboardMenuPlace(*ListView1));
                return true;
            }
        }
        break;
    case QEvent::ContextMenu:
        // The menu the Menu key asks for; the mouse's opens at the release, as on the rows.
        if (watched == ListView1) {
            const auto* asked = static_cast<QContextMenuEvent*>(event);
            if (asked->reason() != QContextMenuEvent::Mouse)
                ListView1_ContextMenu(MenuPlace(*asked, *ListView1));
            return true;
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

// A press of any button starts a move, the right one too; so the menu a right-click asks for
// opens at the release, and only when the pointer stayed where it was pressed and moved no
// number. The menu the platform sends at the press is left unopened: its release would choose
// an item.
std::optional<QPoint> Form1::rightClickEnded(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        menuPress_.reset();
        if (mouse->button() == Qt::RightButton)
            menuPress_ = mouse->globalPosition().toPoint();
        return std::nullopt;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (menuPress_.has_value()
            && (!moveExchanges_.empty()
                || (mouse->globalPosition().toPoint() - *menuPress_).manhattanLength()
                       >= QApplication::startDragDistance()))
            menuPress_.reset();
        return std::nullopt;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool click =
            mouse->button() == Qt::RightButton && menuPress_.has_value() && moveExchanges_.empty();
        menuPress_.reset();
        if (click)
            return mouse->globalPosition().toPoint();
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

bool Form1::phoneListEvent(QEvent* event)
{
    // Asked before the release ends the move, which forgets what it exchanged.
    const std::optional<QPoint> menuAt = rightClickEnded(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: ListView1_MouseDown(); return false;
    case QEvent::MouseButtonRelease:
        ListView1_MouseUp();
        if (menuAt)
            ListView1_ContextMenu(*menuAt);
        return false;
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A release that went elsewhere (a box took it) ended the move all the same.
        if (MouseIsDown && mouse->buttons() == Qt::NoButton)
            ListView1_MouseUp();
        ListView1_MouseMove(mouse->position().toPoint());
        // While a number is being moved, the list's own drag selection stays out of the way.
        return MouseIsDown;
    }
    case QEvent::MouseButtonDblClick: ListView1_DblClick(); return true;
    case QEvent::ContextMenu: {
        const auto* asked = static_cast<QContextMenuEvent*>(event);
        if (asked->reason() != QContextMenuEvent::Mouse)
            ListView1_ContextMenu(MenuPlace(*asked, *ListView1));
        return true;
    }
    default: return phoneListDropEvent(event);
    }
}

bool Form1::refuseDropWhileLoading(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (loadsUnderWay_ == 0
        || (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return false;
    event->ignore();
    return true;
}

bool Form1::phoneListDropEvent(QEvent* event)
{
    if (refuseDropWhileLoading(event))
        return true;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: ListView1_OLEDragOver(*static_cast<QDragMoveEvent*>(event)); return true;
    case QEvent::Drop: ListView1_OLEDragDrop(*static_cast<QDropEvent*>(event)); return true;
    default: return false;
    }
}

bool Form1::ruleListDropEvent(QEvent* event)
{
    if (refuseDropWhileLoading(event))
        return true;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: ListView2_OLEDragOver(*static_cast<QDragMoveEvent*>(event)); return true;
    case QEvent::Drop: ListView2_OLEDragDrop(*static_cast<QDropEvent*>(event)); return true;
    default: return false;
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves that a control ignored arrive here too; only the background's own count.
    if (childAt(event->position().toPoint()) == nullptr)
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program at once, without a question; nothing is kept between runs.
    event->accept();
    desktop_.endProgram();
}
