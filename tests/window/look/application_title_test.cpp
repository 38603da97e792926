#include "window/look/application_title.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplicationTitle, ShortNameStandsAsItIs)
{
    EXPECT_EQ(MakeApplicationTitle(QStringLiteral("Dialwright")), QStringLiteral("Dialwright"));
    const QString forty(40, QLatin1Char('a'));
    EXPECT_EQ(MakeApplicationTitle(forty), forty);
}

TEST(ApplicationTitle, LongNameIsCutAtItsLastBlanks)
{
    // 45 characters; cutting the last word leaves 39.
    EXPECT_EQ(MakeApplicationTitle(QStringLiteral("Dialwright Telephone Number Layout Tool Suite")),
              QStringLiteral("Dialwright Telephone Number Layout Tool"));
    EXPECT_EQ(MakeApplicationTitle(QStringLiteral("Dialwright Telephone Number Layout Tool Suite "
                                                  "Professional Edition")),
              QStringLiteral("Dialwright Telephone Number Layout Tool"));
}

TEST(ApplicationTitle, LongNameWithoutBlankEndsInAnEllipsisAtForty)
{
    const QString title = MakeApplicationTitle(QString(50, QLatin1Char('w')));
    EXPECT_EQ(title.size(), 40);
    EXPECT_EQ(title, QString(39, QLatin1Char('w')) + QChar(u'\u2026'));
    // A blank only near the start still leaves a long word to shorten.
    EXPECT_EQ(MakeApplicationTitle(QStringLiteral("Ab ") + QString(45, QLatin1Char('c'))),
              QStringLiteral("Ab"));
}

}  // namespace
