#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class LoadFiles : public FormTest {
protected:
    // Shows the dialog answering with the result; the boxes expected after it come from
    // thenExpect.
    void load(const QString& dialogResult, const std::function<void()>& thenExpect = {})
    {
        expectLoadDialog(OpenFileResult{dialogResult, false});
        if (thenExpect)
            thenExpect();
        form->PushButton3->click();
        EXPECT_NE(form->pointer(), Form1::Pointer::Hourglass);
    }
    static QString several(const QString& folder, const QStringList& names)
    {
        return (QStringList{folder} + names).join(QChar(u'\0'));
    }
};

TEST_F(LoadFiles, OneFileAppendsItsLinesInOrderAfterWhatIsThere)
{
    phones().append(QStringLiteral("typed"));
    load(file("list.txt", "6034343563\r\n7173933292\r\n\r\n (603) 434-3563 \r\n"));
    EXPECT_EQ(texts(phones()),
              (QStringList{"typed", "6034343563", "7173933292", "", " (603) 434-3563 "}));
    EXPECT_EQ(phones().rowCount(), 5);
}

// A merged export with one Windows-1252 record: each line keeps its own encoding's characters,
// through the list, a run and a save, rather than every UTF-8 line turning into mojibake.
TEST_F(LoadFiles, ALatin1LineAmongUtf8LinesCostsNoOtherLineItsAccents)
{
    load(file("merged.txt",
              "Zo\xC3\xAB M\xC3\xBCller\r\n6034343563\r\nJos\xE9\r\n\xE2\x98\x8E 555\r\n"));
    const QStringList loaded{QStringLiteral(u"Zo\u00eb M\u00fcller"), "6034343563",
                             QStringLiteral(u"Jos\u00e9"), QStringLiteral(u"\u260e 555")};
    EXPECT_EQ(texts(phones()), loaded);
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7_Click();
    const QString saved = work.filePath(QStringLiteral("saved.txt"));
    expectSaveDialog(saved);
    form->PushButton2->click();
    EXPECT_EQ(ReadBytes(saved), "Zo\xC3\xAB M\xC3\xBCller,\r\n603-434-3563,\r\nJos\xC3\xA9,\r\n"
                                "\xE2\x98\x8E 555\r\n");
}

TEST_F(LoadFiles, SeveralFilesLoadOneAfterAnotherInTheDialogsOrder)
{
    file("b.txt", "b1\nb2\n");
    file("a.txt", "a1\ra2\r");
    file("empty.txt", "");
    load(several(work.path(), {"b.txt", "empty.txt", "a.txt"}));
    EXPECT_EQ(texts(phones()), (QStringList{"b1", "b2", "", "a1", "a2"}));
}

TEST_F(LoadFiles, AMissingFileAmongSeveralSaysFileNotFoundAndTheRestLoad)
{
    file("a.txt", "1\r\n");
    file("c.txt", "3\r\n");
    load(several(work.path(), {"a.txt", "gone.txt", "c.txt"}),
         [&] { desktop.expectInfo(QStringLiteral("File not found")); });
    EXPECT_EQ(texts(phones()), (QStringList{"1", "3"}));
}

TEST_F(LoadFiles, CancelledDialogNeverShowsTheHourglass)
{
    std::vector<Form1::Pointer> pointers;
    desktop.setOnBox([&] { pointers.push_back(form->pointer()); });
    load(QString());
    EXPECT_EQ(pointers, std::vector<Form1::Pointer>{Form1::Pointer::Default});
    EXPECT_EQ(phones().count(), 0);
    desktop.setOnBox(nullptr);
}

TEST_F(LoadFiles, TooLongASelectionShowsTheTwoLineMessageAndLoadsNothing)
{
    expectLoadDialog(OpenFileResult{QString(), true});
    desktop.expectInfo(QStringLiteral("You've selected too many files to add.\r\rPlease try adding "
                                      "via the \"Add All\" button."));
    form->PushButton3_Click();
    EXPECT_EQ(phones().count(), 0);
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

TEST_F(LoadFiles, TheDialogStartsWithAnEmptyName)
{
    results().append(QStringLiteral("r"));
    FileDialogSettings save;
    save.title = QStringLiteral("Save");
    save.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    desktop.expectSaveFile(save, work.filePath(QStringLiteral("out.txt")));
    form->PushButton2_Click();
    EXPECT_EQ(form->dialogFileName(), work.filePath(QStringLiteral("out.txt")));
    load(QString());
    EXPECT_EQ(form->dialogFileName(), QString());
}

TEST_F(LoadFiles, SpecialFilesAreRefusedWithoutHangingAndTheHourglassGoes)
{
    const QString fifo = work.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("folder")));
    phones().append(QStringLiteral("kept"));
    load(fifo, [&] {
        desktop.expectErrorReport(QStringLiteral("Path/File access error"), kLoadClick, 120);
    });
    // Each file the user chose gets its own report, however alike.
    load(several(work.path(), {"folder", "fifo"}), [&] {
        desktop.expectErrorReport(QStringLiteral("Path/File access error"), kLoadClick, 134);
        desktop.expectErrorReport(QStringLiteral("Path/File access error"), kLoadClick, 134);
    });
    load(QStringLiteral("/dev/null"), [&] {
        desktop.expectErrorReport(QStringLiteral("Path/File access error"), kLoadClick, 120);
    });
    EXPECT_EQ(texts(phones()), (QStringList{"kept"}));
}

TEST_F(LoadFiles, UnreadableFileReportsPermissionDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not refuse root";
    const QString locked = file("locked.txt", "1\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    load(locked,
         [&] { desktop.expectErrorReport(QStringLiteral("Permission denied"), kLoadClick, 120); });
    EXPECT_EQ(phones().count(), 0);
}

TEST_F(LoadFiles, FileRemovedAfterTheDialogSaysFileNotFound)
{
    const QString path = file("soon-gone.txt", "1\r\n");
    QFile::remove(path);
    load(path, [&] { desktop.expectInfo(QStringLiteral("File not found")); });
    EXPECT_EQ(phones().count(), 0);
}

TEST_F(LoadFiles, BinaryFilesAndHugeLinesLoad)
{
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 37) & 0xFF);
    load(file("binary.bin", binary));
    EXPECT_GT(phones().count(), 1);
    // Every byte is one character, so nothing is lost or replaced.
    qsizetype characters = 0;
    for (const QString& text : texts(phones()))
        characters += text.size();
    EXPECT_EQ(characters + binary.count('\n') + binary.count('\r') - binary.count("\r\n"),
              binary.size());

    form->PushButton4_Click();
    const QByteArray line(qsizetype{50} * 1024 * 1024, '7');
    load(file("huge.txt", line + "\r\n"));
    ASSERT_EQ(phones().count(), 1);
    EXPECT_EQ(phones().text(0).size(), line.size());
}

// A load lets the window repaint between blocks, and a row goes into the list only once it is
// whole: a line that spans several blocks is one row, whatever a queued call adds meanwhile.
// Clicks and keys wait for the end of the load, and neither list takes a drop meanwhile.
TEST_F(LoadFiles, ALoadYieldsBetweenBlocksAndKeepsEveryRowWhole)
{
    const QByteArray longAscii(qsizetype{3} << 20, '7');
    const QByteArray longUtf8 = QByteArray(qsizetype{3} << 20, '8') + "\xc3\xa9";
    struct Case {
        const char* name;
        QByteArray longLine;
        QString longText;
        bool addMeanwhile;
    };
    const Case cases[] = {
        {"AsciiAlone", longAscii, QString::fromLatin1(longAscii), false},
        {"AsciiWithARowAddedMeanwhile", longAscii, QString::fromLatin1(longAscii), true},
        {"Utf8WithARowAddedMeanwhile", longUtf8, QString::fromUtf8(longUtf8), true},
    };
    const QString path = file(QStringLiteral("dropped.txt"), "1\r\n");
    const auto dropTaken = [&path](QWidget* viewport) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        return enter.isAccepted();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->PushButton4_Click();
        const int before = desktop.yields();
        const int beforeWithoutInput = desktop.yieldsWithoutInput();
        // By the second yield the first block's whole line is in the list, the long one not yet.
        bool dropsRefused = false;
        desktop.onYield(before + 2, [&] {
            if (c.addMeanwhile)
                phones().append(QStringLiteral("added"));
            dropsRefused =
                !dropTaken(form->ListView1->viewport()) && !dropTaken(form->ListView2->viewport());
        });
        load(file(QStringLiteral("long.txt"), "111\r\n" + c.longLine + "\r\n222\r\n"));
        EXPECT_GE(desktop.yields() - before, 3);
        EXPECT_EQ(desktop.yieldsWithoutInput() - beforeWithoutInput, desktop.yields() - before);
        EXPECT_TRUE(dropsRefused);
        EXPECT_TRUE(dropTaken(form->ListView1->viewport()));
        const QStringList expected = c.addMeanwhile ? QStringList{"111", "added", c.longText, "222"}
                                                    : QStringList{"111", c.longText, "222"};
        EXPECT_EQ(texts(phones()), expected);
    }
}

// A file larger than the memory the program can have is refused before a byte of it is read:
// one report, every list as it was, and the next file still loads.
TEST_F(LoadFiles, AFileLargerThanMemoryIsRefusedBeforeItIsRead)
{
    const QString huge = work.filePath(QStringLiteral("huge.txt"));
    {
        QFile sparse(huge);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(qint64(1) << 40));  // a terabyte of holes
    }
    file("small.txt", "6034343563\r\n");
    phones().append(QStringLiteral("kept"));
    results().append(QStringLiteral("result"));
    load(huge,
         [&] { desktop.expectErrorReport(QStringLiteral("Out of memory"), kLoadClick, 120); });
    EXPECT_EQ(texts(phones()), (QStringList{"kept"}));
    load(several(work.path(), {"huge.txt", "small.txt"}),
         [&] { desktop.expectErrorReport(QStringLiteral("Out of memory"), kLoadClick, 134); });
    EXPECT_EQ(texts(phones()), (QStringList{"kept", "6034343563"}));
    EXPECT_EQ(texts(results()), (QStringList{"result"}));
    EXPECT_EQ(rules().count(), 0);
}

TEST_F(LoadFiles, Utf8AndWindows1252FilesKeepEveryCharacter)
{
    load(file("utf8.txt", "\xef\xbb\xbf"
                          "Zo\xc3\xab\r\n\xe2\x98\x8e\r\n"));
    load(file("ansi.txt", "Zo\xeb\r\n\x80 5\r\n"));
    EXPECT_EQ(texts(phones()),
              (QStringList{QStringLiteral(u"Zo\u00eb"), QStringLiteral(u"\u260e"),
                           QStringLiteral(u"Zo\u00eb"), QStringLiteral(u"\u20ac 5")}));
}

TEST_F(LoadFiles, TheHourglassShowsThroughEveryLoadAlsoAfterAFailure)
{
    std::vector<Form1::Pointer> pointers;
    desktop.setOnBox([&] { pointers.push_back(form->pointer()); });
    load(work.filePath(QStringLiteral("none.txt")),
         [&] { desktop.expectInfo(QStringLiteral("File not found")); });
    EXPECT_EQ(pointers,
              (std::vector<Form1::Pointer>{Form1::Pointer::Default, Form1::Pointer::Hourglass}));
    desktop.setOnBox(nullptr);
}

}  // namespace
