#include "lists/number_list_rewrite.h"
#include "support/form_fixture.h"
#include "support/lists_seen.h"

#include <QDir>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <vector>

namespace {

using Lists = ListsSeen;

enum class Action {
    Type,
    Load,
    Drop,
    RemovePhone,
    RemoveRule,
    Drag,
    ClearPhones,
    ClearRules,
    ClearResults,
    AddRule,
    LoadRules,
    SampleData,
    Run,
    Tidy,
    RemoveDuplicates,
    Undo,
    Redo,
};
constexpr int kActions = static_cast<int>(Action::Redo) + 1;

// Random sequences of every kind of change the user makes, some of them made while a drop's
// walk or a run yields, against a model of the history: the lists as they stood after each
// step. Every undo and every redo must bring back exactly the lists of its step, all the way
// down to the empty window and up again.
class HistoryModel : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(work.isValid());
        showActive();
        for (int folder = 0; folder < 3; ++folder) {
            const QString name = QStringLiteral("d%1").arg(folder);
            QDir(work.path()).mkdir(name);
            for (int n = 0; n <= folder + 1; ++n)
                file(name + QStringLiteral("/%1.txt").arg(n), "");
            folders_.push_back(work.filePath(name));
        }
        phoneFiles_ = {file(QStringLiteral("p0.txt"), "111\n222\n"),
                       file(QStringLiteral("p1.txt"), "6034343563\r\n7978118\r\n"),
                       file(QStringLiteral("p2.txt"), ""), file(QStringLiteral("p3.txt"), "abc")};
        ruleFiles_ = {file(QStringLiteral("r0.txt"), "10\txxx-xxx-xxxx\n"),
                      file(QStringLiteral("r1.txt"), "7\txxx/xxxx\n3\t---\n")};
        armYieldHook();
    }

    // One sequence from the empty window; ends with the window empty again.
    void runSequence(unsigned seed)
    {
        rng_.seed(seed);
        known_.assign(1, {Lists{}, {true, true, true}, 0});
        ASSERT_EQ(form->history().undoableSteps(), 0u);
        ASSERT_EQ(Lists::Of(*form), Lists{});
        const int actions = 3 + pick(7);
        for (int i = 0; i < actions && !HasFailure(); ++i)
            act(static_cast<Action>(pick(kActions)));
        // Until this sequence records a step, the history still holds the last one's to redo.
        if (known_.size() > 1)
            ASSERT_EQ(form->history().stepCount() + 1, known_.size()) << "steps the model missed";
        for (size_t depth = this->depth(); depth > 0; --depth)
            ASSERT_NO_FATAL_FAILURE(expectStep(Action::Undo, depth - 1));
        ASSERT_EQ(Lists::Of(*form), Lists{});
        for (size_t depth = 0; depth + 1 < known_.size(); ++depth)
            ASSERT_NO_FATAL_FAILURE(expectStep(Action::Redo, depth + 1));
        // Back to the empty window for the next sequence; its first step drops these.
        while (form->history().canUndo())
            form->Form_Undo();
        ASSERT_EQ(Lists::Of(*form), Lists{});
    }

private:
    // The lists right after a step. A list that an operation under way appends to holds rows
    // that are not a step yet while another list changes: it is unknown at that step.
    struct Known {
        Lists lists;
        std::array<bool, 3> known{};
        int serial = 0;  // of the action that learned it
    };
    static QStringList& part(Lists& lists, size_t list)
    {
        return list == 0 ? lists.phones : list == 1 ? lists.rules : lists.results;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <class T, size_t N> const T& any(const std::array<T, N>& from)
    {
        return from[static_cast<size_t>(pick(static_cast<int>(N)))];
    }
    size_t depth() const { return form->history().undoableSteps(); }

    // The user's clicks and keys during a yield of a long operation, sometimes; not during a
    // load, where they wait for its end.
    void armYieldHook()
    {
        desktop.onYield(desktop.yields() + 1, [this] {
            armYieldHook();
            if (nesting_ == 1 && !desktop.inputWaits() && pick(3) == 0)
                act(static_cast<Action>(pick(kActions)));
        });
    }

    // Boxes of an action taken during another come before the other's own.
    void expect(const std::function<void()>& boxes)
    {
        if (nesting_ > 1)
            desktop.expectFirst(boxes);
        else
            boxes();
    }

    // One undo or redo key that must go to the step at `to`.
    void expectStep(Action key, size_t to)
    {
        const Lists before = Lists::Of(*form);
        const size_t steps = form->history().stepCount();
        if (key == Action::Undo)
            QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        else if (pick(2) == 0)
            QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
        else
            QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_EQ(form->history().stepCount(), steps) << "the history lost its steps";
        ASSERT_EQ(depth(), to);
        const Lists now = Lists::Of(*form);
        ASSERT_NE(now, before) << "a step that changed nothing";
        Known expected = known_[to];
        Lists seen = now;
        for (size_t list = 0; list < 3; ++list)
            if (expected.known[list])
                ASSERT_EQ(part(seen, list), part(expected.lists, list))
                    << "list " << list << " at step " << to;
    }

    void act(Action action)
    {
        ++nesting_;
        const int serial = ++serials_;
        const size_t from = depth();
        const Lists before = Lists::Of(*form);
        const bool duringOperation = nesting_ > 1;
        if (action == Action::Undo || action == Action::Redo) {
            const bool can = action == Action::Undo ? from > 0 : from + 1 < known_.size();
            if (duringOperation) {
                // Both keys do nothing while an operation is under way.
                form->Form_Undo();
                form->Form_Redo();
                EXPECT_EQ(Lists::Of(*form), before);
                EXPECT_EQ(depth(), from);
            } else if (can) {
                expectStep(action, action == Action::Undo ? from - 1 : from + 1);
            }
            --nesting_;
            return;
        }
        if (!duringOperation)
            appending_ = AppendsTo(action);
        change(action);
        const size_t to = depth();
        ASSERT_GE(to, from);
        if (to > from) {
            Lists after = Lists::Of(*form);
            std::array<bool, 3> known{true, true, true};
            // The operation under way had appended rows to its list that are no step yet,
            // unless this change was made to the same list.
            if (duringOperation && appending_ >= 0) {
                const auto list = static_cast<size_t>(appending_);
                Lists was = before;
                known[list] = part(was, list) != part(after, list);
            }
            known_.resize(to + 1);
            for (size_t between = from + 1; between < to; ++between)
                if (known_[between].serial < serial)
                    known_[between] = {before, to - from == 2 ? known : std::array<bool, 3>{},
                                       serial};
            known_[to] = {std::move(after), known, serial};
        }
        --nesting_;
    }

    // The list an operation appends to while it yields; -1 for the others.
    static int AppendsTo(Action action)
    {
        switch (action) {
        case Action::Load:
        case Action::Drop: return 0;
        case Action::Run: return 2;
        default: return -1;
        }
    }

    void change(Action action)
    {
        static const std::array<QString, 8> numbers{QStringLiteral("6034343563"),
                                                    QStringLiteral("7978118"),
                                                    QStringLiteral("555"),
                                                    QStringLiteral("7173933292"),
                                                    QStringLiteral("abc"),
                                                    QStringLiteral("12345678901"),
                                                    QStringLiteral("(603) 434-3563"),
                                                    QStringLiteral("+1 797.8118")};
        ListView& phoneList = *form->ListView1;
        ListView& ruleList = *form->ListView2;
        switch (action) {
        case Action::Type: {
            QString answer = any(numbers);
            if (pick(2) == 0)
                answer += QLatin1Char(',') + any(numbers);
            expect([&] {
                desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                                    QStringLiteral("Add Phone Number"), QString(), answer);
            });
            form->PushButton1_Click();
            break;
        }
        case Action::Load: {
            const QString path = phoneFiles_[static_cast<size_t>(pick(4))];
            expect([&] { expectLoadDialog({path, false}); });
            form->PushButton3_Click();
            break;
        }
        case Action::Drop: {
            QStringList paths{folders_[static_cast<size_t>(pick(3))]};
            if (pick(3) == 0)
                paths << QStringLiteral("/dropped/file.txt");
            form->AddDroppedPaths(paths);
            break;
        }
        case Action::RemovePhone:
            if (phoneList.count() > 0)
                phoneList.select(pick(static_cast<int>(phoneList.count())));
            if (pick(2) == 0)
                form->ListView1_KeyDown(Form1::kDeleteKeyCode, Qt::NoModifier);
            else
                form->ListView1_DblClick();
            break;
        case Action::RemoveRule:
            if (ruleList.count() > 0)
                ruleList.select(pick(static_cast<int>(ruleList.count())));
            if (pick(2) == 0)
                form->PushButton14_Click();
            else
                form->ListView2_DblClick();
            break;
        case Action::Drag: drag(); break;
        case Action::ClearPhones: form->PushButton4_Click(); break;
        case Action::ClearRules: form->PushButton15_Click(); break;
        case Action::ClearResults: form->PushButton9_Click(); break;
        case Action::AddRule: {
            static const std::array<QString, 4> lengths{QStringLiteral("10"), QStringLiteral("7"),
                                                        QStringLiteral("3"), QStringLiteral("8")};
            static const std::array<QString, 4> patterns{
                QStringLiteral("xxx-xxx-xxxx"), QStringLiteral("xxx/xxxx"), QStringLiteral("---"),
                QStringLiteral(" xx ")};
            const QString length = any(lengths);
            const QString pattern = any(patterns);
            const bool duplicate = form->IsLengthInRuleList(length);
            expect([&] {
                desktop.expectInput(QStringLiteral("Enter length of phone: "),
                                    QStringLiteral("Input Length"), QString(), length);
                if (duplicate)
                    desktop.expectInfo(QStringLiteral("Inputted length is already in the list."));
                else
                    desktop.expectInput(QStringLiteral("Enter phone format: "),
                                        QStringLiteral("Input Format"), QStringLiteral("xxx-xxxx"),
                                        pattern);
            });
            form->PushButton13_Click();
            break;
        }
        case Action::LoadRules:
            form->LoadRuleFiles({QFile::encodeName(ruleFiles_[static_cast<size_t>(pick(2))])});
            break;
        case Action::SampleData: form->PushButton11_Click(); break;
        case Action::Run:
            if (!form->formattingBusy())
                expect([&] {
                    desktop.expectInfo(phoneList.count() == 0 ? QStringLiteral("No files added.")
                                                              : QStringLiteral("Done."));
                });
            form->PushButton7_Click();
            break;
        case Action::Tidy:
        case Action::RemoveDuplicates: rewrite(action); break;
        case Action::Undo:
        case Action::Redo: break;
        }
    }

    // The phone list's menu: nothing during a run; otherwise the list as a simple reference
    // rewrites it, and the box that says so. The test's texts are digits with the usual
    // punctuation, which tidy to their digits, or hold letters, or are empty (the empty file),
    // and stay as they are.
    void rewrite(Action action)
    {
        const bool tidy = action == Action::Tidy;
        if (form->isBusy() || form->formattingBusy()) {
            const Lists before = Lists::Of(*form);
            (tidy ? form->mnuTidyNumbers : form->mnuRemoveDuplicates)->trigger();
            EXPECT_EQ(Lists::Of(*form), before) << "the menu acted during an operation";
            return;
        }
        const auto letters = [](const QString& text) {
            return std::ranges::any_of(text, [](QChar c) { return c.isLetter(); });
        };
        const auto digits = [](const QString& text) {
            QString only;
            for (const QChar c : text)
                if (c.isDigit())
                    only += c;
            return only;
        };
        const QStringList before = Lists::Of(*form).phones;
        QStringList after;
        TidyCounts counts;
        QSet<QString> seen;
        for (const QString& text : before) {
            const bool number = !letters(text) && !text.isEmpty();
            if (tidy) {
                after << (number ? digits(text) : text);
                counts.letters += letters(text) ? 1 : 0;
                counts.empty += text.isEmpty() ? 1 : 0;
                counts.tidied += number && after.back() != text ? 1 : 0;
            } else if (const QString key = number ? QLatin1Char('#') + digits(text) : text;
                       !seen.contains(key)) {
                seen.insert(key);
                after << text;
            }
        }
        const qsizetype removed = before.size() - after.size();
        expect([&] { desktop.expectInfo(tidy ? TidyReport(counts) : DuplicatesReport(removed)); });
        (tidy ? form->mnuTidyNumbers : form->mnuRemoveDuplicates)->trigger();
        EXPECT_EQ(Lists::Of(*form).phones, after);
    }

    // A number pressed and moved over one to three rows, sometimes back to where it started.
    void drag()
    {
        ListView& list = *form->ListView1;
        if (list.count() < 2)
            return;
        const auto row = [&list, this] { return pick(static_cast<int>(list.count())); };
        const int start = row();
        list.select(start);
        form->ListView1_ItemClick();
        form->ListView1_MouseDown();
        std::vector<int> hops(static_cast<size_t>(1 + pick(3)));
        for (int& hop : hops)
            hop = row();
        if (pick(3) == 0)
            hops.push_back(start);
        for (const int hop : hops) {
            list.scrollToRow(hop);
            form->ListView1_MouseMove(list.visualRect(list.items().index(hop, 0)).center());
        }
        form->ListView1_MouseUp();
    }

    std::mt19937 rng_;
    int nesting_ = 0;
    // The list the operation under way at the top appends to, as AppendsTo tells.
    int appending_ = -1;
    int serials_ = 0;
    // By the number of steps done: the lists right after that step.
    std::vector<Known> known_;
    std::vector<QString> folders_;
    std::vector<QString> phoneFiles_;
    std::vector<QString> ruleFiles_;
};

TEST_F(HistoryModel, EveryStepUndoesAndRedoesToTheListsItLeft)
{
    constexpr unsigned kSequences = 2000;
    for (unsigned seed = 1; seed <= kSequences && !HasFailure(); ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        runSequence(seed);
    }
    EXPECT_TRUE(desktop.scriptDone());
}

}  // namespace
