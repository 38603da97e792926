#include "app/lists/text_column.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Every way a list changes (appends of narrow and wide text, replacing, exchanging, removing,
// clearing, taking a run of rows out and putting it back elsewhere) against a plain vector of
// texts: the packed column must read back the same.
TEST(TextColumnTest, ReadsBackWhatAPlainListOfTextsHolds)
{
    const std::vector<QString> samples = {
        QString(),
        QStringLiteral("6034343563"),
        QStringLiteral("(603) 434-3563 "),
        QString::fromUtf8("Zo\xc3\xab \xc3\xbf"),  // still eight bits
        QString::fromUtf8("\xe2\x98\x8e 555"),     // wider: turns the column wide
        QString::fromUtf8("\xf0\x9f\x93\x9e"),     // outside the BMP
        QString(300, QLatin1Char('7')),
    };
    for (const bool wideFromTheStart : {false, true}) {
        std::mt19937 random(wideFromTheStart ? 7 : 3);
        const auto pick = [&](qsizetype below) {
            return std::uniform_int_distribution<qsizetype>(0, below - 1)(random);
        };
        TextColumn column;
        std::vector<QString> expected;
        // Narrow samples only until halfway, so the change to wide happens with rows in place.
        for (int step = 0; step < 600; ++step) {
            const qsizetype choices = wideFromTheStart || step > 300 ? 7 : 4;
            const QString& text = samples[static_cast<size_t>(pick(choices))];
            const auto rows = static_cast<qsizetype>(expected.size());
            switch (rows == 0 ? 0 : pick(7)) {
            case 0:
            case 1:
                column.append(QStringView(text));
                expected.push_back(text);
                break;
            case 2: {
                const qsizetype row = pick(rows);
                column.set(row, text);
                expected[static_cast<size_t>(row)] = text;
                break;
            }
            case 3: {
                const qsizetype a = pick(rows);
                const qsizetype b = pick(rows);
                column.swap(a, b);
                std::swap(expected[static_cast<size_t>(a)], expected[static_cast<size_t>(b)]);
                break;
            }
            case 4: {
                const qsizetype row = pick(rows);
                column.remove(row);
                expected.erase(expected.begin() + row);
                break;
            }
            case 5: {
                // A run of rows out, into a column of its own, and back in at another place.
                const qsizetype from = pick(rows);
                const qsizetype to = from + pick(rows - from + 1);
                const TextColumn run = column.slice(from, to);
                ASSERT_EQ(run.count(), to - from);
                column.eraseRows(from, to);
                std::vector<QString> taken(expected.begin() + from, expected.begin() + to);
                expected.erase(expected.begin() + from, expected.begin() + to);
                const qsizetype at = pick(static_cast<qsizetype>(expected.size()) + 1);
                column.insertRows(at, run);
                expected.insert(expected.begin() + at, taken.begin(), taken.end());
                break;
            }
            default:
                if (step % 97 == 0) {
                    column.clear();
                    expected.clear();
                }
            }
            ASSERT_EQ(column.count(), static_cast<qsizetype>(expected.size()));
            qsizetype characters = 0;
            for (qsizetype row = 0; row < column.count(); ++row) {
                ASSERT_EQ(column.at(row), expected[static_cast<size_t>(row)]) << "step " << step;
                characters += column.at(row).size();
            }
            ASSERT_EQ(column.characters(), characters);
        }
    }
    TextColumn latin1;
    latin1.append(QLatin1StringView("\xe9t\xe9"));
    EXPECT_EQ(latin1.at(0), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
    EXPECT_FALSE(latin1.wide());

    // Rows put back into a column of the other width.
    TextColumn narrowRows;
    narrowRows.append(QStringView(u"12"));
    narrowRows.append(QStringView(u"\u00e9"));
    TextColumn wideRows;
    wideRows.append(QStringView(u"\u260e 1"));
    TextColumn mixed;
    mixed.append(QStringView(u"a"));
    mixed.insertRows(0, wideRows);
    mixed.insertRows(1, narrowRows);
    ASSERT_EQ(mixed.count(), 4);
    EXPECT_TRUE(mixed.wide());
    EXPECT_EQ(mixed.at(0), QStringView(u"\u260e 1"));
    EXPECT_EQ(mixed.at(1), QStringLiteral("12"));
    EXPECT_EQ(mixed.at(2), QStringView(u"\u00e9"));
    EXPECT_EQ(mixed.at(3), QStringLiteral("a"));
}

}  // namespace
