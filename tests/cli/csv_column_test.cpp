#include "program.h"
#include "support/file_helpers.h"

#include <QTemporaryDir>

namespace {

struct CsvCase {
    const char* name;
    QStringList options;  // after --format and the rule 10=xxx-xxx-xxxx
    QByteArray input;
    int exitCode;
    QByteArray out;
    QByteArray err = {};
};

// One field of every record formatted, every other byte as it was: quotes, doubled quotes,
// delimiters and line breaks inside quotes, headings, short records, semicolons, line ends.
const CsvCase kCases[] = {
    {"ByNumberEveryRecord",
     {"--column", "2"},
     "a,6034343563,b\r\nc,7978118,d\r\n",
     0,
     "a,603-434-3563,b\r\nc,7978118,d\r\n"},
    {"ByHeadingNameTheHeadingStaysAsItWas",
     {"--column", "Phone"},
     "Name,Phone\nAnn,6034343563\nPhone,6034343563\n",
     0,
     "Name,Phone\nAnn,603-434-3563\nPhone,603-434-3563\n"},
    {"AQuotedHeadingNamesItsColumn",
     {"--column", "Mobile Phone"},
     "\"Name\",\"Mobile Phone\"\r\n\"Ann\",\"6034343563\"\r\n",
     0,
     "\"Name\",\"Mobile Phone\"\r\n\"Ann\",603-434-3563\r\n"},
    {"QuotesDoubledQuotesCommasAndLineBreaksInsideQuotesStay",
     {"--column", "3"},
     "\"a, \"\"b\"\"\",\"two\r\nlines\",6034343563,\"x\ny\"\n",
     0,
     "\"a, \"\"b\"\"\",\"two\r\nlines\",603-434-3563,\"x\ny\"\n"},
    {"AFieldTheRulesLeaveKeepsItsOwnQuotes",
     {"--column", "1"},
     "\"12\",x\n\" 6034343563\",y\n",
     0,
     "\"12\",x\n\" 6034343563\",y\n"},
    {"AResultHoldingTheDelimiterOrAQuoteIsQuoted",
     {"--column", "1", "--rule", "7=xxx,x\"xxx"},
     "7978118,z\n",
     0,
     "\"797,8\"\"118\",z\n"},
    {"ARecordTooShortPassesUnchanged",
     {"--column", "3"},
     "a,b\n\nc,d,6034343563\n",
     0,
     "a,b\n\nc,d,603-434-3563\n"},
    // The input's own encoding, byte for byte: its mark, UTF-8 records, Windows-1252 records
    // among them (each new field in its record's encoding), UTF-16 of either byte order.
    {"SemicolonsWithAMarkAtTheStartKeepTheMark",
     {"--column", "Telefon", "--delimiter", ";", "--tidy"},
     "\xEF\xBB\xBFName;Telefon;Betrag\r\nAnn;(603) 434-3563;12,50\r\n",
     0,
     "\xEF\xBB\xBFName;Telefon;Betrag\r\nAnn;603-434-3563;12,50\r\n"},
    {"UtfEightAndWindows1252RecordsComeBackAsTheyWere",
     {"--column", "Phone", "--rule", "7=xxx/xxxx"},
     "Name,Phone\nZo\xC3\xAB M\xC3\xBCller,6034343563\nJos\xE9,7978118\n",
     0,
     "Name,Phone\nZo\xC3\xAB M\xC3\xBCller,603-434-3563\nJos\xE9,797/8118\n"},
    {"ANewFieldIsWrittenInItsRecordsEncoding",
     {"--column", "Téléphone", "--rule", "7=xxx·xxxx"},
     "Nom,T\xC3\xA9l\xC3\xA9phone\n\xC3\x89lise,7978118\nJos\xE9,7978118\n",
     0,
     "Nom,T\xC3\xA9l\xC3\xA9phone\n\xC3\x89lise,797\xC2\xB7"
     "8118\nJos\xE9,797\xB7"
     "8118\n"},
    {"AWindows1252HeadingNamesItsColumn",
     {"--column", "Téléphone", "--delimiter", ";"},
     "Nom;T\xE9l\xE9phone\r\nJos\xE9;6034343563\r\n",
     0,
     "Nom;T\xE9l\xE9phone\r\nJos\xE9;603-434-3563\r\n",
     {}},
    {"ACharacterWindows1252CannotHoldFailsTheInputAtItsRecord",
     {"--column", "2", "--rule", "7=xxx→xxxx"},
     "\xC3\x89lise,7978118\nJos\xE9,7978118\nAnn,7978118\n",
     1,
     "\xC3\x89lise,797\xE2\x86\x92"
     "8118\n",
     "dialwright: standard input: line 2: its new field 797\xE2\x86\x92"
     "8118 holds a character "
     "that Windows-1252, the encoding of that record, cannot hold\n"},
    {"UtfSixteenComesBackUtfSixteenWithItsLoneSurrogateAndOddByte",
     {"--column", "2", "--rule", "7=xxx,xxxx"},
     Utf16(QStringLiteral(u"A,6034343563\r\n\u00e9") + QChar(0xD800)
               + QStringLiteral(u",7978118\n"),
           false)
         + "!",
     0,
     Utf16(QStringLiteral(u"A,603-434-3563\r\n\u00e9") + QChar(0xD800)
               + QStringLiteral(u",\"797,8118\"\n"),
           false)
         + "!"},
    {"BigEndianUtfSixteen",
     {"--column", "1"},
     Utf16(QStringLiteral(u"6034343563,\u260e"), true),
     0,
     Utf16(QStringLiteral(u"603-434-3563,\u260e"), true)},
    {"AQuoteThatNeverClosesAtTheEndWithoutALineEndFailsToo",
     {"--column", "1"},
     "6034343563,x\n1,\"2\n3,4",
     1,
     "603-434-3563,x\n",
     "dialwright: standard input: line 2: a quote opened here is never closed\n"},
    {"TheLineNamedIsWhereTheQuoteLeftOpenWasOpened",
     {"--column", "3"},
     "a,\"x\ny\",6034343563,\"z\nb,1\n",
     1,
     "",
     "dialwright: standard input: line 2: a quote opened here is never closed\n"},
    {"AQuoteThatNeverClosesFailsTheInputNamingItsLine",
     {"--column", "1"},
     "6034343563,x\n1,\"2\n3,4\n",
     1,
     "603-434-3563,x\n",
     "dialwright: standard input: line 2: a quote opened here is never closed\n"},
    {"AClosedQuotedFieldOfMegabytesWithLineBreaksIsReadWhole",
     {"--column", "2"},
     "\"" + QByteArray(1 << 21, 'n') + "\r\n" + QByteArray(1 << 20, 'n') + "\",6034343563\nb,7\n",
     0,
     "\"" + QByteArray(1 << 21, 'n') + "\r\n" + QByteArray(1 << 20, 'n')
         + "\",603-434-3563\nb,7\n"},
    {"NoRecordWithTheFieldIsSaid",
     {"--column", "2"},
     "a;b\n1;2\n",
     0,
     "a;b\n1;2\n",
     "dialwright: standard input: no record has field 2; is the delimiter right?\n"},
    {"AHeadingOfDigitsIsChosenByNameInQuotes",
     {"--column", "\"2023\"", "--delimiter", ";"},
     "Name;2;2023\nAnn;7978118;6034343563\n",
     0,
     "Name;2;2023\nAnn;7978118;603-434-3563\n"},
    {"ANumberIsAFieldNumberEvenWhenAHeadingIsThatNumber",
     {"--column", "2023"},
     "Name,2023\nAnn,6034343563\n",
     0,
     "Name,2023\nAnn,6034343563\n",
     "dialwright: standard input: no record has field 2023; is the delimiter right?\n"},
    {"AQuotedNameDoublesEachQuoteInsideAsCsvDoes",
     {"--column", R"("Tel ""2""")"},
     "Name,\"Tel \"\"2\"\"\",Tel \"2\"\nAnn,6034343563,7978118\n",
     0,
     "Name,\"Tel \"\"2\"\"\",Tel \"2\"\nAnn,603-434-3563,7978118\n"},
    {"AnEmptyQuotedNameIsAUsageError",
     {"--column", "\"\""},
     "",
     2,
     {},
     "dialwright: --column takes a name of one character or more, not \"\"\n"
     "Usage: dialwright [OPTION]... [FILE]...\n"
     "Try 'dialwright --help' for more information.\n"},
    {"AQuoteInsideAQuotedNameThatIsNotDoubledIsAUsageError",
     {R"(--column="Tel "2"")"},
     "",
     2,
     {},
     "dialwright: --column takes a name in quotes as CSV writes it, each quote inside doubled, "
     "not '\"Tel \"2\"\"'\n"
     "Usage: dialwright [OPTION]... [FILE]...\n"
     "Try 'dialwright --help' for more information.\n"},
    {"ColumnTwiceIsAUsageError",
     {"--column", "Phone", "--column=2"},
     "",
     2,
     {},
     "dialwright: --column given twice\n"
     "Usage: dialwright [OPTION]... [FILE]...\n"
     "Try 'dialwright --help' for more information.\n"},
    {"DelimiterTwiceIsAUsageError",
     {"--column", "2", "--delimiter", ";", "--delimiter", ";"},
     "",
     2,
     {},
     "dialwright: --delimiter given twice\n"
     "Usage: dialwright [OPTION]... [FILE]...\n"
     "Try 'dialwright --help' for more information.\n"},
    {"ColumnWithLinesIsAUsageError",
     {"--column", "1", "--lines"},
     "",
     2,
     {},
     "dialwright: --column writes CSV and --lines writes lines: choose one\n"
     "Usage: dialwright [OPTION]... [FILE]...\n"
     "Try 'dialwright --help' for more information.\n"},
};

class CsvColumn : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvColumn, FormatsOneFieldAndKeepsTheRest)
{
    const CsvCase& c = GetParam();
    const ProgramRun run =
        RunProgram(QStringList{"--format", "--rule", "10=xxx-xxx-xxxx"} + c.options, c.input);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(Table, CsvColumn, ::testing::ValuesIn(kCases),
                         [](const auto& each) { return std::string(each.param.name); });

}  // namespace
