#include "app/desktop/open_result.h"
#include "app/desktop/qt_desktop.h"

#include <gtest/gtest.h>

namespace {

TEST(OpenResult, OneFileIsItsFullPathSeveralAreTheFolderThenEachName)
{
    EXPECT_EQ(ComposeOpenResult({QStringLiteral("/home/u/list.txt")}).text,
              QStringLiteral("/home/u/list.txt"));
    EXPECT_EQ(ComposeOpenResult({}).text, QString());
    const OpenFileResult several =
        ComposeOpenResult({QStringLiteral("/home/u/b.txt"), QStringLiteral("/home/u/a.txt")});
    EXPECT_EQ(several.text, QStringLiteral("/home/u") + QChar(u'\0') + QStringLiteral("b.txt")
                                + QChar(u'\0') + QStringLiteral("a.txt"));
    EXPECT_FALSE(several.selectionTooLong);
}

TEST(OpenResult, FilesFromSeveralFoldersAreNamedFromTheRoot)
{
    const OpenFileResult mixed =
        ComposeOpenResult({QStringLiteral("/home/u/a.txt"), QStringLiteral("/srv/b.txt")});
    EXPECT_EQ(mixed.text.split(QChar(u'\0')), (QStringList{"/", "home/u/a.txt", "srv/b.txt"}));
}

TEST(OpenResult, MoreThan30000CharactersIsTheSelectionTooLongFailure)
{
    // The folder "/f" (2), then names of 9 characters, each after a NUL: 2 + 10 n characters.
    const auto names = [](int count) {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << QStringLiteral("/f/%1.txt").arg(i, 5, 10, QLatin1Char('0'));
        return paths;
    };
    const OpenFileResult fits = ComposeOpenResult(names(2999));
    EXPECT_EQ(fits.text.size(), 29992);
    EXPECT_FALSE(fits.selectionTooLong);
    const OpenFileResult tooLong = ComposeOpenResult(names(3000));
    EXPECT_TRUE(tooLong.selectionTooLong);
    EXPECT_TRUE(tooLong.text.isEmpty());
}

TEST(QtDesktopText, ClassicFilterBecomesQtNameFilters)
{
    EXPECT_EQ(
        QtDesktop::qtNameFilters(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")),
        (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(QtDesktop::qtNameFilters(QStringLiteral("Lists|*.txt;*.csv|")),
              (QStringList{"Lists (*.txt *.csv)"}));
}

TEST(QtDesktopText, LineBreaksShowAsLineBreaks)
{
    EXPECT_EQ(QtDesktop::displayText(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
}

}  // namespace
