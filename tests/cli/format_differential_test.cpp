#include "program.h"
#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include "lists/number_list_rewrite.h"

#include <QFile>
#include <QStringEncoder>

#include <array>
#include <random>

namespace {

// Phone texts of every kind: digit strings of many lengths (leading zeros too), numbers
// written with blanks and dashes, letters, characters outside ASCII and outside the
// sixteen-bit range, empty lines.
QString RandomPhoneText(std::mt19937& random)
{
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<int> digit(0, 9);
    constexpr std::array kOthers = {
        u"555-1234",        u"(603) 434-3563", u"abcdefg", u"caf\u00e9 1", u"\u260e 7978118",
        u"\U0001F4DE12345", u"+1 603",         u"",        u"12 345",      u"\u00bd\u20ac"};
    const int k = kind(random);
    if (k < 6) {
        QString text;
        for (int n = k < 3 ? (k == 0 ? 7 : 10) : length(random); n > 0; --n)
            text += QChar(u'0' + digit(random));
        return text;
    }
    return QString::fromUtf16(kOthers[static_cast<size_t>(
        std::uniform_int_distribution<size_t>(0, kOthers.size() - 1)(random))]);
}

// The texts as a file: UTF-8 (with none, one or two marks), Windows-1252 where every text fits,
// UTF-16 with its mark, and every kind of line end.
QByteArray EncodeFile(const QStringList& texts, std::mt19937& random)
{
    std::uniform_int_distribution<int> pick(0, 5);
    const int encoding = pick(random);
    QString text;
    constexpr std::array kEnds = {u"\r\n", u"\n", u"\r"};
    for (const QString& each : texts)
        text += each + QString::fromUtf16(kEnds[static_cast<size_t>(pick(random) % 3)]);
    if (pick(random) < 2)
        text.chop(1);
    if (encoding == 0 || encoding == 1) {
        QByteArray bytes = encoding == 1 ? "\xEF\xBB\xBF" : "";
        if (pick(random) == 0)
            bytes += "\xEF\xBB\xBF";
        return bytes + text.toUtf8();
    }
    if (encoding == 2) {
        QStringEncoder windows1252("windows-1252");
        QByteArray bytes = windows1252(text);
        // Only when it can be told from UTF-8 and every text survived.
        if (!windows1252.hasError())
            return bytes + "\xE9";
    }
    if (encoding == 3 || encoding == 4) {
        QByteArray bytes = encoding == 3 ? "\xFF\xFE" : "\xFE\xFF";
        for (const QChar c : text) {
            const auto high = static_cast<char>(c.unicode() >> 8);
            const auto low = static_cast<char>(c.unicode() & 0xFF);
            bytes.append(encoding == 4 ? high : low).append(encoding == 4 ? low : high);
        }
        return bytes;
    }
    return text.toUtf8();
}

struct RuleText {
    QString length;
    QString pattern;
};

RuleText RandomRule(std::mt19937& random)
{
    // Lengths that can fit: the command refuses the others before it starts.
    constexpr std::array kLengths = {u"10", u"7",  u" 7 ", u"7.5", u"6.5",
                                     u"1",  u"12", u"1e1", u"2",   u"5"};
    constexpr std::array kPatterns = {
        u"xxx-xxx-xxxx", u"xxx/xxxx", u"(xxx) xxx-xxxx",    u"X-xx", u"\u260e xxx", u"x", u"",
        u"#x#",          u"xx.xx",    u"\U0001F4DE xxxxxxx"};
    const auto any = [&](const auto& list) {
        return QString::fromUtf16(
            list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)]);
    };
    return {any(kLengths), any(kPatterns)};
}

class FormatDifferential : public FormTest {
protected:
    // "Save As Comma Delimited" into the file, through its save dialog.
    void saveCommaDelimited(const QString& path)
    {
        expectSaveDialog(path);
        form->PushButton2_Click();
    }

    QTemporaryDir work;
};

// Thousands of phone texts and random rules through the window (its loader, its run, its
// comma-delimited save) and through the command line: the same bytes come out.
TEST_F(FormatDifferential, CommandLineWritesWhatTheWindowSaves)
{
    ASSERT_TRUE(work.isValid());
    std::mt19937 random(2023);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        form = std::make_unique<Form1>(desktop, programFolder.path());
        std::vector<RuleText> rules;
        for (int n = std::uniform_int_distribution<int>(0, 5)(random); n > 0; --n)
            rules.push_back(RandomRule(random));
        QStringList files;
        QByteArray standardInput;
        for (int f = std::uniform_int_distribution<int>(1, 3)(random); f > 0; --f) {
            QStringList texts;
            for (int n = std::uniform_int_distribution<int>(0, 60)(random); n > 0; --n)
                texts << RandomPhoneText(random);
            const QString path = work.filePath(QStringLiteral("in-%1-%2.txt").arg(round).arg(f));
            WriteBytes(path, EncodeFile(texts, random));
            files << path;
        }

        // The command line, the first file given on standard input in every other round.
        QStringList arguments{QStringLiteral("--format")};
        for (const RuleText& rule : rules)
            arguments << QStringLiteral("--rule") << rule.length + u'=' + rule.pattern;
        const QString commandOutput = work.filePath(QStringLiteral("command-%1.txt").arg(round));
        arguments << QStringLiteral("--output") << commandOutput;
        QStringList inputs = files;
        if (round % 2 == 1) {
            standardInput = ReadBytes(files.first());
            inputs.first() = QStringLiteral("-");
        }
        const ProgramRun run = RunProgram(arguments + inputs, standardInput);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

        // The window: the same rules typed in, the files loaded, the run, the save.
        for (const RuleText& rule : rules)
            addRule(rule.length, rule.pattern);
        QList<QByteArray> names;
        for (const QString& file : std::as_const(files))
            names << QFile::encodeName(file);
        EXPECT_TRUE(form->LoadPhoneNumberFiles(names).isEmpty());
        desktop.expectInfo(phones().count() > 0 ? QStringLiteral("Done.")
                                                : QStringLiteral("No files added."));
        form->PushButton7_Click();
        const QString windowOutput = work.filePath(QStringLiteral("window-%1.txt").arg(round));
        saveCommaDelimited(windowOutput);
        ASSERT_TRUE(desktop.scriptDone());

        EXPECT_EQ(ReadBytes(commandOutput), ReadBytes(windowOutput));
    }
}

// Numbers as people write them, tidied by the command line and by the window's Tidy Numbers
// before the run: the same bytes come out. What each text is, the test knows by making it.
TEST_F(FormatDifferential, TidyOnTheCommandLineWritesWhatTheWindowTidiesRunsAndSaves)
{
    ASSERT_TRUE(work.isValid());
    std::mt19937 random(31);
    const auto pick = [&random](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random);
    };
    const QString seps[] = {QStringLiteral(" "), QStringLiteral("-"),    QStringLiteral("."),
                            QStringLiteral("/"), QString(QChar(0x00A0)), QString(QChar(0x2013))};
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        form = std::make_unique<Form1>(desktop, programFolder.path());
        TidyCounts counts;
        QStringList texts;
        for (int n = 0; n < 80; ++n) {
            QString digits;
            const int length = std::array{7, 10, 11}[static_cast<size_t>(pick(3))];
            for (int i = 0; i < length; ++i)
                digits += QChar(u'0' + pick(10));
            QString text;
            switch (pick(6)) {
            case 0: text = digits; break;  // already plain: neither tidied nor left
            case 1: {
                // Digits with separators, some full-width, maybe a "+" and parentheses.
                const bool plus = pick(2) == 0;
                text = plus ? QStringLiteral("+") : QString();
                for (int i = 0; i < digits.size(); ++i) {
                    if (i > 0 && pick(3) == 0)
                        text += seps[pick(6)];
                    text += pick(4) == 0 ? QChar(0xFF10 + digits[i].digitValue()) : digits[i];
                }
                // A "+" must come first, so only a number without one is put in parentheses.
                if (!plus && pick(2) == 0)
                    text = QStringLiteral("(") + text + QStringLiteral(")");
                // Tidying that gives the text back changes nothing and is not counted.
                counts.tidied += text != digits ? 1 : 0;
                break;
            }
            case 2:
                text = QStringLiteral("1-800-") + QStringLiteral("FLOWERS").left(1 + pick(7));
                ++counts.letters;
                break;
            case 3:
                text = digits + QStringLiteral(" ext. ") + QString::number(pick(900) + 1);
                ++counts.extensions;
                break;
            case 4:
                text = QString();
                ++counts.empty;
                break;
            default:
                text = digits.left(3) + QStringLiteral("*") + digits.mid(3);
                ++counts.other;
                break;
            }
            texts << text;
        }
        const QString input = work.filePath(QStringLiteral("people-%1.txt").arg(round));
        WriteBytes(input, texts.join(QStringLiteral("\r\n")).toUtf8());
        const QStringList rules = {"10=xxx-xxx-xxxx", "7=xxx/xxxx", "11=+x xxx-xxx-xxxx"};

        const QString commandOutput =
            work.filePath(QStringLiteral("tidy-command-%1.txt").arg(round));
        QStringList arguments{"--format", "--tidy", "--output", commandOutput, input};
        for (const QString& rule : rules)
            arguments << QStringLiteral("--rule") << rule;
        const ProgramRun run = RunProgram(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

        for (const QString& rule : rules)
            addRule(rule.section(u'=', 0, 0), rule.section(u'=', 1));
        EXPECT_TRUE(form->LoadPhoneNumberFiles({QFile::encodeName(input)}).isEmpty());
        desktop.expectInfo(TidyReport(counts));
        form->mnuTidyNumbers->trigger();
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7_Click();
        const QString windowOutput = work.filePath(QStringLiteral("tidy-window-%1.txt").arg(round));
        saveCommaDelimited(windowOutput);
        ASSERT_TRUE(desktop.scriptDone());
        EXPECT_EQ(ReadBytes(commandOutput), ReadBytes(windowOutput));
    }
}

}  // namespace
