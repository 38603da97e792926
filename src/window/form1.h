#pragma once

#include "lists/list_history.h"
#include "window/command_line.h"
#include "window/desktop/desktop.h"
#include "window/desktop/pacer.h"
#include "window/views/list_view.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QWidget>

#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QPushButton;
namespace RuleFile {
struct Rule;
}

// The program's only working window. It owns the three lists, the fourteen buttons, the
// pointer state and FormattingBusy. Each control event has one handler named control_event;
// the handlers are declared here and defined in the folder of the subsystem that does the
// work.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    enum class Pointer { Default, Arrow, Hourglass, Hand };

    // programFolder is where the optional files (hand pointer, skin, drag pointer) are looked
    // for. Start-up (Form_Load) runs before the constructor returns.
    Form1(Desktop& desktop, QString programFolder, QWidget* parent = nullptr);

    const QString& programFolder() const { return programFolder_; }
    const QString& applicationTitle() const { return applicationTitle_; }

    Pointer pointer() const { return pointer_; }
    void setPointer(Pointer pointer);
    // The busy state: an operation under way shows the hourglass.
    bool isBusy() const { return pointer_ == Pointer::Hourglass; }
    bool hasHandPointerImage() const { return handCursor_.has_value(); }
    bool formattingBusy() const { return FormattingBusy; }

    // An information box: OK (or the given buttons), no icon, the application title.
    MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok);

    // The pacer of one long operation: it announces the rows all three lists gain, and with
    // keepBusy it shows the hourglass again after every yield, so the busy state holds for the
    // whole operation even when a handler that ran meanwhile put the arrow back.
    Pacer MakePacer(bool keepBusy, Pacer::Input input = Pacer::Input::Runs);

    // The file dialog's name, kept from one save to the next; loading clears it.
    const QString& dialogFileName() const { return dialogFileName_; }

    // Start-up and pointer handling.
    void Form_Load();
    void LoadSkin();
    void VisitHomePageAtRandom();
    void ShowHandPointer();
    void ResetPointer();
    void Form_MouseMove();

    // Phone numbers in.
    void PushButton1_Click();
    void PushButton3_Click();
    void AddNumbersFromFile(ListView& list, const QString& path);
    // Appends every line of the file at this name (its bytes, as the system takes them).
    void AppendLinesOfFile(ListView& list, const QByteArray& name);
    // Files named on the command line: loaded in order, as a selection of several files is.
    // Returns the names that could not be found, for ReportMissingFiles.
    QList<MissingFile> LoadPhoneNumberFiles(const QList<QByteArray>& names);
    // One box for all of them, however many.
    void ReportMissingFiles(const QList<MissingFile>& missing);
    void PushButton4_Click();
    void PushButton10_Click();
    void PushButton11_Click();

    // The phone list's own mouse and key handling: removal, and moving a number by dragging.
    void ListView1_ItemClick();
    void ListView1_MouseDown();
    void ListView1_MouseUp();
    void ListView1_MouseMove(const QPoint& viewportPoint);
    void ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void ListView1_DblClick();
    void ListView1_OLEDragOver(QDragMoveEvent& event);
    void ListView1_OLEDragDrop(QDropEvent& event);
    void AddDroppedPaths(const QStringList& paths);
    static constexpr int kDeleteKeyCode = 46;
    // The phone list's context menu (a right-click, the Menu key, Shift+F10), at that point of
    // the screen: numbers as people write them, tidied or rid of duplicates across layouts. Each
    // acts on the whole list as one step to undo, and holds back while an operation runs.
    void ListView1_ContextMenu(const QPoint& globalPos);
    void mnuTidyNumbers_Click();
    void mnuRemoveDuplicates_Click();

    // Rules.
    void PushButton13_Click();
    void PushButton14_Click();
    void PushButton15_Click();
    void ListView2_DblClick();
    bool IsLengthInRuleList(const QString& lengthText) const;
    // Rule files, dropped on the rule list or named on the command line: each file's rules are
    // appended in file order, as loading phone-number files appends their lines.
    void ListView2_OLEDragOver(QDragMoveEvent& event);
    void ListView2_OLEDragDrop(QDropEvent& event);
    void LoadRuleFiles(const QList<QByteArray>& names);
    void AddRulesFromFile(const QByteArray& name);
    // Every rule that comes from a file joins the list here.
    void AppendRules(const QList<RuleFile::Rule>& loaded);

    // The formatting run.
    void PushButton7_Click();

    // Results out.
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    void PushButton9_Click();
    // The save dialog shared by both saves; returns the chosen name, empty when cancelled.
    QString ShowSaveDialog();

    // Help.
    void PushButton5_Click();

    // Undo (Ctrl+Z) and redo (Ctrl+Shift+Z, Ctrl+Y) of the user's changes to the three lists;
    // the keys do nothing while an operation is under way.
    void Form_Undo();
    void Form_Redo();
    // Records the rows an operation appended to a list, from firstRow to the end, as one step
    // to undo. Call it once the operation has ended; every operation that appends rows does.
    void RecordAppends(ListView& list, qsizetype firstRow);
    const ListHistory& history() const { return history_; }

    // The controls, named as the handlers name them.
    ListView* ListView1 = nullptr;
    ListView* ListView2 = nullptr;
    ListView* ListView3 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton14 = nullptr;
    QPushButton* PushButton15 = nullptr;
    QMenu* PhoneListMenu = nullptr;
    QAction* mnuTidyNumbers = nullptr;
    QAction* mnuRemoveDuplicates = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    // Routes the phone list's mouse events to its handlers; true when the event is used up.
    bool phoneListEvent(QEvent* event);
    // Follows the right button on the phone list's rows or heading: where a right-click ended
    // that should open the menu, once its release arrives.
    std::optional<QPoint> rightClickEnded(QEvent* event);
    // Drags and drops over any part of the phone list; true when the event is used up.
    bool phoneListDropEvent(QEvent* event);
    // Drags and drops over any part of the rule list; true when the event is used up.
    bool ruleListDropEvent(QEvent* event);
    // While a file loads, neither list takes a drop: clicks and keys wait for the load, and a
    // drop would run in the middle of it. True when the event was a drag or drop, refused.
    bool refuseDropWhileLoading(QEvent* event);
    void RemoveSelectedPhone();
    // A button pressed on the phone list is still down: a number may be moving.
    bool buttonHeldOnPhoneList() const;
    // Changes to a list that are recorded as they are made, each one step.
    void RemoveSelectedRow(ListView& list);
    void ClearList(ListView& list);
    // Every row of the list exchanged at once for a column of texts built beside it.
    void ReplaceRows(ListView& list, TextColumn texts);
    void RecordStep(ListHistory::Step step);
    void RecordAppends(std::initializer_list<std::pair<ListView*, qsizetype>> lists);
    // A move of a phone number is one step, from the press to the release.
    void EndMoveStep();
    void ShowChanged(const ListHistory::Shown& shown);

    Desktop& desktop_;
    QString programFolder_;
    QString applicationTitle_;
    Pointer pointer_ = Pointer::Default;
    std::optional<QCursor> handCursor_;
    bool FormattingBusy = false;
    // Files being read into a list (AppendLinesOfFile) at this moment.
    int loadsUnderWay_ = 0;
    QString dialogFileName_;
    // The phone list's drag state: the button is held, and the item that is moving. The index
    // follows its row and becomes invalid when the row leaves the list.
    bool MouseIsDown = false;
    QPersistentModelIndex DragItem;
    // The exchanges of the move under way, recorded as one step at the release.
    std::vector<std::pair<qsizetype, qsizetype>> moveExchanges_;
    // Where the right button was pressed on the phone list, while its release may still open
    // the menu: until the pointer moves away.
    std::optional<QPoint> menuPress_;
    ListHistory history_;
};
