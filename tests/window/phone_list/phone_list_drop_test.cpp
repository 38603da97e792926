#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "window/phone_list/add_folder.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PhoneListDrop : public FormTest {
protected:
    QString make(const QString& relative)
    {
        const QString path = work.filePath(relative);
        if (relative.endsWith(QLatin1Char('/')))
            EXPECT_TRUE(QDir().mkpath(path));
        else {
            EXPECT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
            WriteBytes(path, "x");
        }
        return QDir::cleanPath(path);
    }
    void link(const QString& target, const QString& relative)
    {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                            QFile::encodeName(work.filePath(relative)).constData()),
                  0);
    }

    static QMimeData* files(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }

    // Drags the data over the phone list; returns whether a drop would be taken.
    bool dragOver(QMimeData* data, QWidget* target = nullptr)
    {
        QWidget* viewport = target != nullptr ? target : form->ListView1->viewport();
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(QPoint(3, 3), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        return enter.isAccepted() && move.isAccepted() && move.dropAction() != Qt::IgnoreAction;
    }
    // Drops the paths; returns how many numbers the list had gained when the drop returned.
    qsizetype drop(const QStringList& paths, QWidget* target = nullptr)
    {
        std::unique_ptr<QMimeData> data(files(paths));
        EXPECT_TRUE(dragOver(data.get(), target));
        QDropEvent event(QPointF(3, 3), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        const qsizetype before = phones().count();
        QApplication::sendEvent(target != nullptr ? target : form->ListView1->viewport(), &event);
        EXPECT_TRUE(event.isAccepted());
        const qsizetype gainedDuringTheDrop = phones().count() - before;
        // The paths are added from the event loop, once the drop has returned.
        QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
        return gainedDuringTheDrop;
    }
    QStringList added() { return texts(phones()); }
};

TEST_F(PhoneListDrop, TextIsNotAFileListAndShowsNoDrop)
{
    QMimeData text;
    text.setText(QStringLiteral("6034343563"));
    EXPECT_FALSE(dragOver(&text));
    QDropEvent event(QPointF(12, 12), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->ListView1->viewport(), &event);
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://www.dialwright.example/list.txt"))});
    EXPECT_FALSE(dragOver(&web));
    EXPECT_EQ(phones().count(), 0);
}

TEST_F(PhoneListDrop, ADroppedFileAddsItsPathUnchanged)
{
    const QString tilde = make("~draft.txt");
    const QString hidden = make(".hidden");
    drop({tilde, hidden, work.filePath("not-there.txt")});
    EXPECT_EQ(added(), (QStringList{tilde, hidden, work.filePath("not-there.txt")}));
}

TEST_F(PhoneListDrop, AFolderAddsItsFilesLevelByLevelInNameOrder)
{
    make("top/b.txt");
    make("top/a.txt");
    make("top/~lock.txt");
    make("top/.profile");
    make("top/sub2/c.txt");
    make("top/sub1/deep/d.txt");
    make("top/sub1/b1.txt");
    make("top/.git/config");
    make("top/empty/");
    const QString top = work.filePath("top");
    drop({top});
    EXPECT_EQ(added(),
              (QStringList{top + "/a.txt", top + "/b.txt", top + "/.git/config",
                           top + "/sub1/b1.txt", top + "/sub2/c.txt", top + "/sub1/deep/d.txt"}));
}

TEST_F(PhoneListDrop, TwoFoldersAddEachFolderOnceInOrder)
{
    make("one/1.txt");
    make("two/2.txt");
    drop({work.filePath("two"), work.filePath("one")});
    EXPECT_EQ(added(), (QStringList{work.filePath("two/2.txt"), work.filePath("one/1.txt")}));
}

TEST_F(PhoneListDrop, LinkedFoldersAreNotWalkedAndSpecialFilesNotAdded)
{
    make("tree/real/r.txt");
    make("outside/secret.txt");
    link(work.filePath("tree"), "tree/loop");
    link(work.filePath("outside"), "tree/escape");
    link(work.filePath("tree/real/r.txt"), "tree/linked.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(work.filePath("tree/fifo")).constData(), 0600), 0);
    drop({work.filePath("tree")});
    EXPECT_EQ(added(),
              (QStringList{work.filePath("tree/linked.txt"), work.filePath("tree/real/r.txt")}));
}

TEST_F(PhoneListDrop, SubFolderWithUndecodableNameIsSkippedWithEverythingBelow)
{
    make("names/ok/1.txt");
    make(QString::fromUtf8("names/\xce\xb1\xce\xb2/2.txt"));  // Greek decodes cleanly
    const QByteArray bad = QFile::encodeName(work.filePath("names")) + "/bad\xff";
    ASSERT_EQ(::mkdir(bad.constData(), 0700), 0);
    const int fd = ::open((bad + "/3.txt").constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    drop({work.filePath("names")});
    EXPECT_EQ(added(),
              (QStringList{work.filePath("names/ok/1.txt"),
                           work.filePath(QString::fromUtf8("names/\xce\xb1\xce\xb2/2.txt"))}));
}

TEST_F(PhoneListDrop, AFolderPathOf260CharactersHasItsFilesAddedButIsNotWalked)
{
    const QString base = work.filePath("long");
    // base + "/" + name + "/" comes to exactly 260 characters.
    const QString name(258 - base.size(), QLatin1Char('n'));
    ASSERT_LE(name.size(), 255);
    make("long/" + name + "/own.txt");
    make("long/" + name + "/below/deeper.txt");
    drop({base});
    EXPECT_EQ(added(), QStringList{base + "/" + name + "/own.txt"});
}

TEST_F(PhoneListDrop, AnEmptyFolderAddsNothing)
{
    drop({make("nothing/")});
    EXPECT_EQ(phones().count(), 0);
}

TEST_F(PhoneListDrop, AFolderThatRefusesListingIsLeftOut)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not refuse root";
    make("guarded/open/1.txt");
    make("guarded/closed/2.txt");
    ASSERT_EQ(::chmod(QFile::encodeName(work.filePath("guarded/closed")).constData(), 0), 0);
    drop({work.filePath("guarded")});
    ::chmod(QFile::encodeName(work.filePath("guarded/closed")).constData(), 0700);
    EXPECT_EQ(added(), QStringList{work.filePath("guarded/open/1.txt")});
}

TEST_F(PhoneListDrop, TheWalkYieldsAndTheDropTakesNoBusyState)
{
    make("y/a/1.txt");
    make("y/b/2.txt");
    std::vector<Form1::Pointer> seen;
    desktop.onYield(1, [&] { seen.push_back(form->pointer()); });
    drop({work.filePath("y")});
    EXPECT_GT(desktop.yields(), 3);
    EXPECT_EQ(seen, std::vector<Form1::Pointer>{Form1::Pointer::Default});
    EXPECT_EQ(phones().count(), 2);
}

// Window events run while a folder's files are listed and added, so "Clear List" clicked
// meanwhile acts at once: it takes out what the list held at the click (numbers from before
// the drop and the files added so far), and the files found after it are still added, in order.
TEST_F(PhoneListDrop, ClearListClickedWhileFilesAreAddedClearsWhatWasThere)
{
    make("big/a.txt");
    make("big/b.txt");
    make("big/c.txt");
    make("big/sub/d.txt");
    make("big/sub/e.txt");
    const QString big = work.filePath("big");
    const QStringList all{big + "/a.txt", big + "/b.txt", big + "/c.txt", big + "/sub/d.txt",
                          big + "/sub/e.txt"};
    struct Case {
        const char* name;
        qsizetype filesBeforeClick;
    };
    qsizetype clickAt = 0;
    bool clicked = false;
    for (int yield = 1; yield <= 1000; ++yield)
        desktop.onYield(yield, [&] {
            if (clicked || phones().count() != clickAt)
                return;
            clicked = true;
            form->PushButton4->click();
            EXPECT_EQ(phones().count(), 0);
        });
    for (const Case& c : {Case{"after_the_first_file", 1}, Case{"after_the_folder_own_files", 3},
                          Case{"inside_a_sub_folder", 4}}) {
        SCOPED_TRACE(c.name);
        form->PushButton4_Click();
        phones().append(QStringLiteral("6034343563"));
        clickAt = 1 + c.filesBeforeClick;
        clicked = false;
        drop({big});
        ASSERT_TRUE(clicked);
        EXPECT_EQ(added(), all.mid(c.filesBeforeClick));
        EXPECT_EQ(phones().rowCount(), phones().count());
        // Undo walks back through the files found after the click, the clear, and the files
        // found before it, each finding the list as it left it.
        const QStringList before =
            QStringList{QStringLiteral("6034343563")} + all.mid(0, c.filesBeforeClick);
        form->Form_Undo();
        EXPECT_EQ(added(), QStringList());
        form->Form_Undo();
        EXPECT_EQ(added(), before);
        form->Form_Undo();
        EXPECT_EQ(added(), QStringList{QStringLiteral("6034343563")});
        form->Form_Redo();
        form->Form_Redo();
        form->Form_Redo();
        EXPECT_EQ(added(), all.mid(c.filesBeforeClick));
    }
}

// The whole list is the drop target (rows, header, scroll bars), and the drop returns before
// any folder is walked, so the program the files came from is not held in its drag.
TEST_F(PhoneListDrop, ADropAnywhereOnTheListReturnsAtOnceAndAddsFromTheEventLoop)
{
    const QString file = make("walk/deep/1.txt");
    ListView* list = form->ListView1;
    for (QWidget* target :
         {list->viewport(), list->horizontalHeader()->viewport(),
          static_cast<QWidget*>(list->horizontalHeader()),
          static_cast<QWidget*>(list->verticalScrollBar()), static_cast<QWidget*>(list)}) {
        form->PushButton4_Click();
        EXPECT_EQ(drop({work.filePath("walk")}, target), 0) << target->metaObject()->className();
        EXPECT_EQ(added(), QStringList{file}) << target->metaObject()->className();
    }
}

TEST(AddFolderTests, AttributesFollowTheLinuxMapping)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("f.txt");
    const QString hidden = dir.filePath(".h");
    WriteBytes(file, "x");
    WriteBytes(hidden, "x");
    ASSERT_EQ(::symlink(QFile::encodeName(file).constData(),
                        QFile::encodeName(dir.filePath("l")).constData()),
              0);
    EXPECT_EQ(AddFolder::FileAttributes(file), 32);
    EXPECT_EQ(AddFolder::FileAttributes(hidden), 34);
    EXPECT_EQ(AddFolder::FileAttributes(dir.path()), 16);
    EXPECT_EQ(AddFolder::FileAttributes(dir.filePath("l")), 32 + 1024);
    EXPECT_EQ(AddFolder::FileAttributes(dir.filePath("none")), -1);
    EXPECT_TRUE(AddFolder::IsRootFolder(QStringLiteral("/")));
    EXPECT_FALSE(AddFolder::IsRootFolder(dir.path()));
    EXPECT_TRUE(AddFolder::IsExistingFile(file));
    EXPECT_FALSE(AddFolder::IsExistingFile(dir.path()));
    EXPECT_FALSE(AddFolder::IsExistingFile(QStringLiteral("/dev/null")));
}

TEST(AddFolderTests, BadNameCharacters)
{
    EXPECT_FALSE(AddFolder::HasBadNameChars(QStringLiteral("plain name.txt")));
    EXPECT_FALSE(AddFolder::HasBadNameChars(QString::fromUtf8("日本語 αβ")));
    for (const char16_t* bad : {u"a\tb", u"a\u007fb", u"a\u0085b", u"a?b", u"a\ufffdb", u"\u001f"})
        EXPECT_TRUE(AddFolder::HasBadNameChars(QString::fromUtf16(bad)));
}

}  // namespace
