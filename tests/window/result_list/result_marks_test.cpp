#include "support/copy_messages.h"
#include "support/form_fixture.h"
#include "window/views/marked_row_delegate.h"

#include <QStyleOptionViewItem>

namespace {

struct MarkCase {
    const char* name;
    QString phone;
    QString result;
    RowMark mark;
    QString toolTip;
    bool wide;  // a text beyond eight bits, which makes the whole phone list wide
};

// A result copied unchanged is marked, drawn apart and told why in its tool tip, through the
// eight-bit and the wide road of the run alike; the copied text knows nothing of the marks.
TEST_F(FormTest, ResultsCopiedUnchangedAreMarkedWithTheirReason)
{
    const MarkCase cases[] = {
        {"laid into a pattern", "6034343563", "603-434-3563", RowMark::None, "", false},
        {"all zeros still laid in", "0000000", "000/0000", RowMark::None, "", false},
        {"no rule of its length", "555-1234", "555-1234", RowMark::NoRule,
         "No rule for 8 characters: copied unchanged", false},
        {"one character", "5", "5", RowMark::NoRule, "No rule for 1 character: copied unchanged",
         false},
        {"empty", "", "", RowMark::NoRule, "No rule for 0 characters: copied unchanged", false},
        {"a rule fits but letters are no number", "abcdefg", "abcdefg", RowMark::NotANumber,
         "Not a number: copied unchanged", false},
        {"a rule fits but inner blanks are no number", "603 434 35", "603 434 35",
         RowMark::NotANumber, "Not a number: copied unchanged", false},
        {"a pattern without x", "123", "123", RowMark::NoDigitPlaces,
         "The rule for 3 characters has no x in its pattern: copied unchanged", false},
        {"a telephone sign is no number", QString::fromUtf8("\xe2\x98\x8e 55555"),
         QString::fromUtf8("\xe2\x98\x8e 55555"), RowMark::NotANumber,
         "Not a number: copied unchanged", true},
    };
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide list" : "eight-bit list");
        TearDown();
        SetUp();
        addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
        addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
        addRule(QStringLiteral("3"), QStringLiteral("---"));
        std::vector<const MarkCase*> used;
        for (const MarkCase& c : cases)
            if (wide || !c.wide) {
                phones().append(c.phone);
                used.push_back(&c);
            }
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7_Click();
        ASSERT_EQ(results().count(), static_cast<qsizetype>(used.size()));
        ASSERT_EQ(phones().texts().wide(), wide);

        auto* delegate = qobject_cast<MarkedRowDelegate*>(form->ListView3->itemDelegate());
        ASSERT_NE(delegate, nullptr);
        const QPalette palette = form->ListView3->palette();
        QString copied;
        for (size_t row = 0; row < used.size(); ++row) {
            const MarkCase& c = *used[row];
            SCOPED_TRACE(c.name);
            const QModelIndex cell = results().index(static_cast<int>(row), 0);
            EXPECT_EQ(results().text(static_cast<qsizetype>(row)), c.result);
            EXPECT_EQ(results().mark(static_cast<qsizetype>(row)), c.mark);
            EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), c.toolTip);
            QStyleOptionViewItem option;
            option.palette = palette;
            option.font = form->ListView3->font();
            delegate->initStyleOption(&option, cell);
            const bool marked = c.mark != RowMark::None;
            // How faint, in every colour scheme, is the look test's.
            EXPECT_EQ(option.palette.color(QPalette::Text) != palette.color(QPalette::Text),
                      marked);
            EXPECT_EQ(option.font.italic(), marked);
            EXPECT_EQ(option.text, c.result);
            copied += c.result + QStringLiteral("\r\n");
        }
        desktop.expectInfo(kCopied);
        form->PushButton8_Click();
        EXPECT_EQ(desktop.clipboardText(), copied);
    }
}

}  // namespace
