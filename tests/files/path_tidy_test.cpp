#include "files/path_tidy.h"

#include <gtest/gtest.h>

namespace {

TEST(FixDoubleSlashes, JoinsAtTheRootComeOutClean)
{
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("//list.txt")), QStringLiteral("/list.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a//b.txt")), QStringLiteral("/home/a/b.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a\\\\b")), QStringLiteral("/home/a\\\\b"));
}

}  // namespace
