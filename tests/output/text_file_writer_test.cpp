// Saves that keep what they replace: owner, mode and attributes, every hard link, the targets
// of symbolic links, long names, folders the user may not write to, and a full disk.

#include "app/desktop/pacer.h"
#include "app/lists/list_model.h"
#include "output/save_comma.h"
#include "support/file_helpers.h"
#include "support/scripted_desktop.h"

#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const QString kWriter =
    QStringLiteral("in Tessaline2021/08/31.SaveComma.SaveListviewAsCommaDelimToFile ");
constexpr uid_t kNobody = 65534;

class Saves : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        results.addColumn(QStringLiteral("Result(s)"));
        results.append(QStringLiteral("603-434-3563"));
        results.append(QStringLiteral("797/8118"));
    }

    QString path(const QString& name) const { return work.filePath(name); }
    static QByteArray native(const QString& name) { return QFile::encodeName(name); }
    static struct stat info(const QString& name)
    {
        struct stat st {};
        EXPECT_EQ(::lstat(native(name).constData(), &st), 0) << name.toStdString();
        return st;
    }

    // The comma-delimited save of the two results, answering Yes to the overwrite question.
    void save(const QString& name)
    {
        if (QFileInfo::exists(name))
            desktop.expectMessage(
                QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?"),
                QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, MsgResult::Yes);
        Pacer pacer(desktop, {&results});
        SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, QStringLiteral("Dialwright"),
                                                  results, name);
    }
    // Nothing but the named entries is left in the folder: no temporary file.
    QStringList entries() const
    {
        return QDir(work.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    const QByteArray saved = "603-434-3563,\r\n797/8118\r\n";
    const QByteArray old = "the old text, longer than the new one\r\n";
    QTemporaryDir work;
    ScriptedDesktop desktop;
    ListModel results;
};

TEST_F(Saves, AReplacedFileKeepsItsModeOwnerAndExtendedAttributes)
{
    const QString file = path(QStringLiteral("kept.txt"));
    WriteBytes(file, old);
    ASSERT_EQ(::chmod(native(file).constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(native(file).constData(), kNobody, kNobody), 0);
    }
    const bool attributes =
        ::setxattr(native(file).constData(), "user.dialwright", "kept", 4, 0) == 0;
    save(file);
    EXPECT_EQ(ReadBytes(file), saved);
    const struct stat after = info(file);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(after.st_uid, kNobody);
        EXPECT_EQ(after.st_gid, kNobody);
    }
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(native(file).constData(), "user.dialwright", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(entries(), QStringList{"kept.txt"});
    if (!root || !attributes)
        GTEST_SKIP() << "checked what this machine allows: owner needs root, attributes a file "
                        "system that has them";
}

struct LinkCase {
    const char* name;
    std::function<void(const QTemporaryDir&)> make;
    QString saveTo;
    QStringList newText;  // every name that must read the new text afterwards
    QStringList links;    // every name that must still be a symbolic link
};

TEST_F(Saves, LinksAndLongNamesGetTheNewTextWhereTheUserMeantIt)
{
    const auto write = [this](const QTemporaryDir& dir, const char* name) {
        WriteBytes(dir.filePath(QString::fromLatin1(name)), old);
    };
    const auto link = [](const QTemporaryDir& dir, const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, native(dir.filePath(QString::fromLatin1(name))).constData()),
                  0);
    };
    const QString longName(255, QLatin1Char('n'));
    const LinkCase cases[] = {
        {"two hard links",
         [&](const QTemporaryDir& dir) {
             write(dir, "a.txt");
             ASSERT_EQ(::link(native(dir.filePath("a.txt")).constData(),
                              native(dir.filePath("b.txt")).constData()),
                       0);
         },
         "a.txt",
         {"a.txt", "b.txt"},
         {}},
        {"a chain of two links",
         [&](const QTemporaryDir& dir) {
             ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
             write(dir, "real/file.txt");
             link(dir, "real/file.txt", "middle");
             link(dir, "middle", "first");
         },
         "first",
         {"real/file.txt"},
         {"first", "middle"}},
        {"a link whose target does not exist yet",
         [&](const QTemporaryDir& dir) { link(dir, "new.txt", "dangling"); },
         "dangling",
         {"new.txt"},
         {"dangling"}},
        {"a name of 255 bytes",
         [&](const QTemporaryDir& dir) { write(dir, "other"); },
         longName,
         {longName},
         {}},
    };
    for (const LinkCase& c : cases) {
        QTemporaryDir dir;
        c.make(dir);
        const QStringList before =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        save(dir.filePath(c.saveTo));
        for (const QString& name : c.newText)
            EXPECT_EQ(ReadBytes(dir.filePath(name)), saved) << c.name << ": " << name.toStdString();
        for (const QString& name : c.links)
            EXPECT_TRUE(S_ISLNK(info(dir.filePath(name)).st_mode)) << c.name;
        QStringList expected = before;
        for (const QString& name : c.newText)
            if (!name.contains(QLatin1Char('/')) && !expected.contains(name))
                expected << name;
        expected.sort();
        EXPECT_EQ(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            expected)
            << c.name;
    }
    EXPECT_TRUE(desktop.scriptDone());
}

// Permission bits do not stop root, so as root the save runs in a child that gives up root.
TEST_F(Saves, AFolderTheUserMayNotWriteToIsNoObstacleForAWritableFile)
{
    const QString folder = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("locked")));
    const QString file = folder + QStringLiteral("/list.txt");
    WriteBytes(file, old);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(native(file).constData(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(native(work.path()).constData(), 0755), 0);
        ASSERT_EQ(::chmod(native(folder).constData(), 0755), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(2);
            save(file);
            ::_exit(desktop.shown().size() == 1 ? 0 : 3);  // only the overwrite question
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0) << "2: could not give up root; 3: a report was shown";
    } else {
        ASSERT_EQ(::chmod(native(folder).constData(), 0555), 0);
        save(file);
        ::chmod(native(folder).constData(), 0755);
    }
    EXPECT_EQ(ReadBytes(file), saved);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"list.txt"});
}

// A rewrite in place makes sure the whole text fits before it touches the old one.
TEST_F(Saves, AFullDiskDuringARewriteInPlaceLeavesEveryLinkAsItWas)
{
    const QString file = path(QStringLiteral("a.txt"));
    WriteBytes(file, old);
    ASSERT_EQ(::link(native(file).constData(), native(path(QStringLiteral("b.txt"))).constData()),
              0);
    for (int i = 0; i < 20000; ++i)
        results.appendDeferred(QStringLiteral("603-434-3563"));
    desktop.expectMessage(
        QStringLiteral("Are you sure you wish to overwrite ") + file + QStringLiteral(" ?"),
        QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, MsgResult::Yes);
    desktop.expectErrorReport(QStringLiteral("Disk full"), kWriter, 182);

    // RLIMIT_FSIZE refuses large writes for root too.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    struct rlimit small = before;
    small.rlim_cur = rlim_t{64} * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    Pacer pacer(desktop, {&results});
    SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, QStringLiteral("Dialwright"), results,
                                              file);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(ReadBytes(path(QStringLiteral("b.txt"))), old);
    EXPECT_EQ(entries(), (QStringList{"a.txt", "b.txt"}));
}

}  // namespace
