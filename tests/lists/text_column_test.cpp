#include "lists/text_column.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <vector>

// AddressSanitizer reserves most of the address space for its shadow memory; gcc says so with
// a macro, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// Every way a list changes (appends of narrow and wide text and of its own rows, exchanging,
// removing, clearing, taking a run of rows out and putting it back elsewhere) against a plain
// vector of texts: the packed column must read back the same.
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
        for (int step = 0; step < 1500; ++step) {
            const qsizetype choices = wideFromTheStart || step > 700 ? 7 : 4;
            const QString& text = samples[static_cast<size_t>(pick(choices))];
            const auto rows = static_cast<qsizetype>(expected.size());
            switch (rows == 0 ? 0 : pick(7)) {
            case 0:
            case 1:
                column.append(QStringView(text));
                expected.push_back(text);
                break;
            case 2: {
                // A copy of a row, taken from the column's own storage.
                const qsizetype row = pick(rows);
                column.visit(row, [&column](auto view) { column.append(view); });
                expected.push_back(expected[static_cast<size_t>(row)]);
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

// A row appended from a view of the column's own buffer, at the moment the buffer must grow
// and move: the copy is made from where the text is after the move.
TEST(TextColumnTest, AppendsAViewOfItsOwnRowsAsTheBufferMoves)
{
    for (const bool wide : {false, true}) {
        TextColumn column;
        const QString first =
            wide ? QString::fromUtf8("\xe2\x98\x8e 555-0101") : QStringLiteral("555-0101");
        column.append(QStringView(first));
        QStringList expected{first};
        for (int i = 0; i < 2000; ++i) {
            column.visit(column.count() - 1, [&column](auto view) { column.append(view); });
            expected << first;
        }
        ASSERT_EQ(column.count(), expected.size()) << wide;
        for (qsizetype row = 0; row < column.count(); ++row)
            ASSERT_EQ(column.at(row), expected[row]) << wide << " row " << row;
    }
}

const void* Storage(const TextColumn& column, qsizetype row)
{
    return column.visit(row, [](auto view) -> const void* { return view.data(); });
}

// Exchanging two far rows of different lengths costs the two rows: the rows between keep their
// storage where it was (nothing between them is copied or moved), and still read back right.
TEST(TextColumnTest, ExchangingFarRowsLeavesTheRowsBetweenInPlace)
{
    struct Case {
        const char* name;
        QString first;
        QString last;
    };
    const Case cases[] = {
        {"longer first", QStringLiteral("(603) 434-3563"), QStringLiteral("7978118")},
        {"shorter first", QStringLiteral("7978118"), QStringLiteral("(603) 434-3563")},
        {"wide", QString::fromUtf8("\xe2\x98\x8e 1"), QString::fromUtf8("\xf0\x9f\x93\x9e 123")},
    };
    for (const Case& c : cases) {
        TextColumn column;
        column.append(QStringView(c.first));
        for (int i = 0; i < 4094; ++i)
            column.append(QStringView(QString::number(6034340000LL + i)));
        column.append(QStringView(c.last));
        const qsizetype last = column.count() - 1;
        const void* middle = Storage(column, 2000);
        column.swap(0, last);
        EXPECT_EQ(Storage(column, 2000), middle) << c.name;
        EXPECT_EQ(column.at(0), c.last) << c.name;
        EXPECT_EQ(column.at(last), c.first) << c.name;
        EXPECT_EQ(column.at(2000), QStringLiteral("6034341999")) << c.name;
        // Rows leave with their own texts after the exchange, at either end and between.
        column.remove(2000);
        column.remove(0);
        EXPECT_EQ(column.at(0), QStringLiteral("6034340000")) << c.name;
        EXPECT_EQ(column.at(1999), QStringLiteral("6034342000")) << c.name;
        EXPECT_EQ(column.at(column.count() - 1), c.first) << c.name;
    }
}

#if !defined(UNDER_ADDRESS_SANITIZER)
// The address space the process holds now, in bytes.
rlim_t AddressSpace()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return static_cast<rlim_t>(line.mid(7).trimmed().split(' ').first().toULongLong())
                   * 1024;
    return 0;
}
#endif

// A list's buffer moves from the C library's heap to pages of its own and grows by remapping
// them; room taken ahead in slices is written over only past the end. Whatever the road, every
// value stays where it was.
TEST(RawArrayTest, KeepsItsValuesThroughEveryGrowth)
{
    RawArray<quint32> values;
    int slices = 0;
    const std::function<void()> between = [&slices] { ++slices; };
    quint32 next = 0;
    const auto pushUpTo = [&](quint32 count) {
        while (next < count)
            values.push(next++);
    };
    pushUpTo(100);                                     // on the heap
    pushUpTo(quint32(1) << 20);                        // past a megabyte: mapped
    PrepareRoom(values, qsizetype(3) << 20, between);  // twelve megabytes ahead, in slices
    EXPECT_EQ(slices, 2);
    pushUpTo(quint32(6) << 20);  // into the room, and past it by remapping
    ASSERT_EQ(values.size(), qsizetype(6) << 20);
    for (quint32 i = 0; i < next; ++i)
        if (values[i] != i)
            FAIL() << "value " << i << " reads " << values[i];
    values.truncate(10);
    values.touchRoom(0, qsizetype(1) << 22);
    EXPECT_EQ(values[9], 9U);
    values.clear();
    values.push(7);
    EXPECT_EQ(values[0], 7U);
}

// Memory runs out for real (the address space limited, in a child process) just as a row needs
// room for its end: the column keeps its rows whole, and no characters are left behind to join
// the next row.
TEST(TextColumnDeathTest, AFailedAppendLeavesTheColumnAsItWas)
{
#if defined(UNDER_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the sanitizer's shadow memory leaves no address space to limit";
#else
    for (const bool wide : {false, true}) {
        EXPECT_EXIT(
            {
                constexpr qsizetype kRows = qsizetype(4) << 20;
                TextColumn column;
                column.append(wide ? QStringView(u"\u260e") : QStringView(u"1"));
                // Room for exactly that many row ends, all taken.
                column.reserve(kRows - 1, 0);
                for (qsizetype row = 1; row < kRows; ++row)
                    column.append(QLatin1StringView());
                rlimit saved{};
                getrlimit(RLIMIT_AS, &saved);
                rlimit tight = saved;
                tight.rlim_cur = AddressSpace() + (rlim_t(1) << 20);
                setrlimit(RLIMIT_AS, &tight);
                bool failed = false;
                try {
                    column.append(QLatin1StringView("x"));
                } catch (const std::bad_alloc&) {
                    failed = true;
                }
                setrlimit(RLIMIT_AS, &saved);
                const bool unchanged = column.count() == kRows && column.characters() == 1;
                column.append(QLatin1StringView("y"));
                const bool whole = column.at(kRows) == QStringLiteral("y");
                std::_Exit(failed && unchanged && whole ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << (wide ? "wide" : "narrow");
    }
#endif
}

}  // namespace
