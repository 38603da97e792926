#include "program.h"

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
    {"SemicolonsWithAMarkAtTheStart",
     {"--column", "Telefon", "--delimiter", ";", "--tidy"},
     "\xEF\xBB\xBFName;Telefon;Betrag\r\nAnn;(603) 434-3563;12,50\r\n",
     0,
     "Name;Telefon;Betrag\r\nAnn;603-434-3563;12,50\r\n"},
    {"NoFinalLineEndStaysSo", {"--column", "1"}, "6034343563", 0, "603-434-3563"},
    {"UniqueLeavesOutTheRecordsOfNumbersSeenInAnyLayout",
     {"--column", "2", "--unique"},
     "a,(603) 434-3563\nb,603.434.3563\nc,7978118\nd,6034343563\n",
     0,
     "a,(603) 434-3563\nc,7978118\n"},
    {"UniqueNeverLeavesOutARecordForAFieldThatIsNoNumber",
     {"--column", "2", "--unique"},
     "a,\nb,\nc,n/a\nd,n/a\ne,6034343563\nf,(603) 434-3563\n",
     0,
     "a,\nb,\nc,n/a\nd,n/a\ne,603-434-3563\n"},
    {"AMissingColumnNameFailsTheInputAndSaysWhatTheHeadingHas",
     {"--column", "Fax"},
     "Name,Phone\nAnn,6034343563\n",
     1,
     {},
     "dialwright: standard input: no column is named Fax (the heading has: Name, Phone)\n"},
    {"AQuoteThatNeverClosesFailsTheInputNamingItsLine",
     {"--column", "1"},
     "6034343563,x\n1,\"2\n3,4\n",
     1,
     "603-434-3563,x\n1,\"2\n3,4\n",
     "dialwright: standard input: line 2: a quote opened here is never closed\n"},
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
     {"--column", "\"Tel \"\"2\"\"\""},
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
     {"--column=\"Tel \"2\"\""},
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
