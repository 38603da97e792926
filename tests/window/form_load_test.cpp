#include "support/form_fixture.h"
#include "support/locations.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

namespace {

// A .cur file: an .ico whose type field says cursor and whose plane/depth fields hold the
// pointer's hot spot.
QByteArray CursorFile(int hotX, int hotY)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image));
    QByteArray bytes = buffer.data();
    bytes[2] = 2;
    bytes[10] = static_cast<char>(hotX);
    bytes[11] = 0;
    bytes[12] = static_cast<char>(hotY);
    bytes[13] = 0;
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class FormLoad : public ::testing::Test {
protected:
    std::unique_ptr<Form1> open() { return std::make_unique<Form1>(desktop, folder.path()); }
    QString inFolder(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    ScriptedDesktop desktop;
};

TEST_F(FormLoad, WithoutOptionalFilesOpensPlainAndWhite)
{
    const auto form = open();
    EXPECT_FALSE(form->hasHandPointerImage());
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(desktop.shown().empty());
}

TEST_F(FormLoad, HandPointerFileGivesTheHandOverButtons)
{
    WriteFile(inFolder("HAND-M.CUR"), CursorFile(5, 7));
    const auto form = open();
    ASSERT_TRUE(form->hasHandPointerImage());
    form->ShowHandPointer();
    EXPECT_EQ(form->pointer(), Form1::Pointer::Hand);
    EXPECT_EQ(form->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form->cursor().hotSpot(), QPoint(5, 7));
}

TEST_F(FormLoad, WithoutTheHandFileButtonsShowTheStandardHand)
{
    const auto form = open();
    form->ShowHandPointer();
    EXPECT_EQ(form->pointer(), Form1::Pointer::Hand);
    EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(FormLoad, UnreadableHandFileIsReportedAndStartUpGoesOn)
{
    WriteFile(inFolder("HAND-M.CUR"), "not a picture");
    desktop.expectErrorReport(QStringLiteral("Invalid picture"), kFormLoad, 106);
    const auto form = open();
    EXPECT_FALSE(form->hasHandPointerImage());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Dialwright"));
    EXPECT_EQ(form->ListView3->items().columnCountTotal(), 1);
}

TEST_F(FormLoad, SkinFileIsAStyleSheetAndTurnsTheBackgroundButtonColoured)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("x")));
    const QByteArray sheet = "QPushButton { color: #123456; }";
    WriteFile(inFolder("x/o.cjs"), sheet);
    const auto form = open();
    EXPECT_EQ(form->styleSheet(), QString::fromLatin1(sheet));
    EXPECT_EQ(form->palette().color(QPalette::Window), form->palette().color(QPalette::Button));
    EXPECT_NE(form->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(FormLoad, SkinThatCannotBeReadIsReportedAtStepOneHundredAndTheButtonColourStays)
{
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("x/o.cjs")));
    desktop.expectErrorReport(QStringLiteral("Path/File access error"), kFormLoad, 100);
    const auto form = open();
    EXPECT_EQ(form->palette().color(QPalette::Window), form->palette().color(QPalette::Button));
    EXPECT_NE(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->ListView1->items().columnCountTotal(), 1);
}

TEST_F(FormLoad, HomePageOpensOnlyWhenTheDrawIsSeven)
{
    struct Draw {
        double fraction;
        bool opens;
    };
    for (const Draw draw : {Draw{0.0, false}, Draw{0.059, false}, Draw{0.06, true},
                            Draw{0.0699, true}, Draw{0.07, false}, Draw{0.999, false}}) {
        ScriptedDesktop local;
        local.setSecondsSinceMidnight(45296);
        local.setRandomFraction(draw.fraction);
        Form1 form(local, folder.path());
        ASSERT_EQ(local.seeds(), std::vector<unsigned>{45296u});
        EXPECT_EQ(local.openedUrls().size(), draw.opens ? 1u : 0u) << draw.fraction;
        if (draw.opens) {
            EXPECT_EQ(local.openedUrls().front(),
                      QUrl(QStringLiteral("https://www.dialwright.example/")));
        }
    }
}

}  // namespace
