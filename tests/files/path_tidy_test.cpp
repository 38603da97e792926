#include "files/path_tidy.h"

#include <gtest/gtest.h>

namespace {

TEST(FixDoubleBackslashes, CollapsesPairsLeftToRight)
{
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("C:\\\\list.txt")),
              QStringLiteral("C:\\list.txt"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("a\\\\\\b")), QStringLiteral("a\\\\b"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("a\\\\\\\\b")), QStringLiteral("a\\\\b"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(FixDoubleBackslashes(QString()), QString());
}

TEST(FixDoubleBackslashes, LeadingRunBecomesExactlyTwo)
{
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\server\\share")),
              QStringLiteral("\\\\server\\share"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\\\\\\\\\server\\\\x")),
              QStringLiteral("\\\\server\\x"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\\\\\")), QStringLiteral("\\\\"));
}

TEST(FixDoubleSlashes, JoinsAtTheRootComeOutClean)
{
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("//list.txt")), QStringLiteral("/list.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a//b.txt")), QStringLiteral("/home/a/b.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a\\\\b")), QStringLiteral("/home/a\\\\b"));
}

}  // namespace
