#include "support/scripted_desktop.h"
#include "window/form1.h"
#include "window/look/faint_text.h"
#include "window/views/marked_row_delegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QPalette Dark()
{
    QPalette dark;
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x24, 0x24, 0x24);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, window},
                                       {QPalette::WindowText, QColor(Qt::white)},
                                       {QPalette::Base, base},
                                       {QPalette::AlternateBase, window},
                                       {QPalette::Text, QColor(0xee, 0xee, 0xee)},
                                       {QPalette::Button, window},
                                       {QPalette::ButtonText, QColor(Qt::white)},
                                       {QPalette::Light, QColor(0x50, 0x50, 0x50)},
                                       {QPalette::Midlight, QColor(0x45, 0x45, 0x45)},
                                       {QPalette::Mid, QColor(0x30, 0x30, 0x30)},
                                       {QPalette::Dark, QColor(0x20, 0x20, 0x20)},
                                       {QPalette::Shadow, QColor(Qt::black)},
                                       {QPalette::PlaceholderText, QColor(0x7f, 0x7f, 0x7f)}})
        dark.setColor(role, colour);
    return dark;
}

struct LookCase {
    const char* name;
    QPalette palette;
};

// Under the palette of a light and of a dark colour scheme: a result copied unchanged reads at
// the readable contrast at least, and fainter than a formatted one; the result list's header is
// painted with the palette right to its end, past its last column too.
TEST(ListLook, MarkedResultsAndTheHeaderFollowThePalette)
{
    const QPalette original = QApplication::palette();
    const LookCase cases[] = {{"light", original}, {"dark", Dark()}};
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.name);
        QApplication::setPalette(c.palette);
        QTemporaryDir folder;
        ScriptedDesktop desktop;
        Form1 form(desktop, folder.path());
        ListView& results = *form.ListView3;
        results.items().append(QStringLiteral("603-434-3563"));
        const qsizetype marked = results.items().append(QStringLiteral("555"));
        results.items().setMark(marked, RowMark::NoRule);

        const auto drawn = [&results](qsizetype row) {
            QStyleOptionViewItem option;
            option.palette = results.palette();
            option.font = results.font();
            static_cast<MarkedRowDelegate*>(results.itemDelegate())
                ->initStyleOption(&option, results.items().index(static_cast<int>(row), 0));
            return option.palette;
        };
        const QColor base = results.palette().color(QPalette::Base);
        const double formatted = ContrastRatio(drawn(0).color(QPalette::Text), base);
        const double faint = ContrastRatio(drawn(marked).color(QPalette::Text), base);
        EXPECT_GE(faint, kReadableContrast);
        EXPECT_LT(faint, formatted * 0.6);

        form.show();
        QHeaderView& header = *results.horizontalHeader();
        const QImage image = header.grab().toImage();
        const int end = header.sectionViewportPosition(0) + header.sectionSize(0);
        ASSERT_LT(end + 8, image.width()) << "no room right of the last column";
        const QColor section = image.pixelColor(end / 2, image.height() / 2);
        const QColor empty = image.pixelColor((end + image.width()) / 2, image.height() / 2);
        EXPECT_LT(ContrastRatio(empty, section), 1.3)
            << "section " << section.name().toStdString() << " empty area "
            << empty.name().toStdString();
    }
    QApplication::setPalette(original);
}

}  // namespace
