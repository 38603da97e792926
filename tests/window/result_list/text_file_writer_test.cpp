// Saves that keep what they replace: owner, mode and attributes, every hard link, the targets
// of symbolic links, long names, folders the user may not write to, files mounted over a name,
// and a full disk; and new files that get what their folder gives every new file.

#include "lists/list_model.h"
#include "support/file_helpers.h"
#include "support/locations.h"
#include "support/scripted_desktop.h"
#include "window/desktop/pacer.h"
#include "window/result_list/save_comma.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

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

mode_t Mode(const QString& file)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    return st.st_mode & 07777;
}

// The file's access control list as the system keeps it; empty when it has none.
QByteArray AccessList(const QString& file)
{
    QByteArray list(1024, '\0');
    const ssize_t size = ::getxattr(QFile::encodeName(file).constData(), "system.posix_acl_access",
                                    list.data(), static_cast<size_t>(list.size()));
    list.truncate(size < 0 ? 0 : size);
    return list;
}

bool RunTool(const QString& program, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

struct NewFileCase {
    const char* name;
    mode_t umask;
    QStringList defaultList;  // setfacl's arguments for the folder, if any
};

TEST_F(Saves, ANewFileGetsWhatAnyNewFileInItsFolderGets)
{
    const NewFileCase cases[] = {
        {"umask 022", 022, {}},
        {"umask 077", 077, {}},
        {"a default access list that lets another user write",
         022,
         {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("u:nobody:rw,g::rw,m::rw")}},
    };
    int checked = 0;
    for (const NewFileCase& c : cases) {
        const QString folder = path(QString::fromLatin1(c.name));
        const QString touchedFile = folder + QStringLiteral("/touched");
        const QString savedFile = folder + QStringLiteral("/saved.txt");
        ASSERT_TRUE(QDir().mkpath(folder));
        if (!c.defaultList.isEmpty()
            && !RunTool(QStringLiteral("setfacl"), c.defaultList + QStringList{folder}))
            continue;  // no setfacl, or a file system without access lists
        const mode_t previous = ::umask(c.umask);
        const bool touched = RunTool(QStringLiteral("touch"), {touchedFile});
        save(savedFile);
        ::umask(previous);
        ASSERT_TRUE(touched) << c.name;
        EXPECT_EQ(ReadBytes(savedFile), saved) << c.name;
        EXPECT_EQ(Mode(savedFile), Mode(touchedFile)) << c.name;
        EXPECT_EQ(AccessList(savedFile), AccessList(touchedFile)) << c.name;
        EXPECT_EQ(AccessList(touchedFile).isEmpty(), c.defaultList.isEmpty()) << c.name;
        ++checked;
    }
    if (checked < static_cast<int>(std::size(cases)))
        GTEST_SKIP() << "no access lists here (setfacl missing or not supported)";
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

struct MountCase {
    const char* name;
    bool fifo;        // a FIFO is mounted over the name while the save works
    bool fifoReader;  // and has a reader, so opening it to write would not fail by itself
};

// A file mounted over the name cannot be renamed over; it is rewritten in place. What is
// mounted there may change while the save works: the rewrite writes only into a regular file
// and never waits on a FIFO.
TEST_F(Saves, AFileMountedOverTheNameIsRewrittenInPlace)
{
    const MountCase cases[] = {
        {"a file bind-mounted over the name", false, false},
        {"a FIFO mounted over it meanwhile", true, false},
        {"a FIFO with a reader mounted over it meanwhile", true, true},
    };
    WriteBytes(path(QStringLiteral("probe")), old);
    if (::mount(native(path(QStringLiteral("probe"))).constData(),
                native(path(QStringLiteral("probe"))).constData(), nullptr, MS_BIND, nullptr)
        != 0)
        GTEST_SKIP() << "mounting needs privileges this test does not have";
    ASSERT_EQ(::umount2(native(path(QStringLiteral("probe"))).constData(), MNT_DETACH), 0);
    for (const MountCase& c : cases) {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("target.txt"));
        const QString mounted = dir.filePath(QStringLiteral("mounted"));
        WriteBytes(target, old);
        if (c.fifo)
            ASSERT_EQ(::mkfifo(native(mounted).constData(), 0600), 0);
        else
            WriteBytes(mounted, "the mounted text\r\n");
        const auto mount = [&] {
            return ::mount(native(mounted).constData(), native(target).constData(), nullptr,
                           MS_BIND, nullptr)
                   == 0;
        };
        int reader = -1;
        ScriptedDesktop script;
        script.expectMessage(
            QStringLiteral("Are you sure you wish to overwrite ") + target + QStringLiteral(" ?"),
            QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, MsgResult::Yes);
        if (c.fifo) {
            script.onYield(1, [&] {
                if (c.fifoReader)
                    reader = ::open(native(mounted).constData(), O_RDONLY | O_NONBLOCK);
                ASSERT_TRUE(mount()) << c.name;
            });
            script.expectErrorReport(QStringLiteral("Path/File access error"), kCommaWriter, 182);
        } else {
            ASSERT_TRUE(mount()) << c.name;
        }
        Pacer pacer(script, {&results});
        SaveComma::SaveListviewAsCommaDelimToFile(script, pacer, QStringLiteral("Dialwright"),
                                                  results, target);
        EXPECT_TRUE(script.scriptDone()) << c.name;
        if (!c.fifo) {
            EXPECT_EQ(ReadBytes(target), saved) << c.name;
        }
        if (reader >= 0) {
            char got[64];
            EXPECT_LE(::read(reader, got, sizeof got), 0) << c.name << ": the FIFO was written";
            ::close(reader);
        }
        ASSERT_EQ(::umount2(native(target).constData(), MNT_DETACH), 0) << c.name;
        EXPECT_EQ(ReadBytes(target), old) << c.name << ": the file under the mount";
        if (!c.fifo) {
            EXPECT_EQ(ReadBytes(mounted), saved) << c.name;
        }
        EXPECT_EQ(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{"mounted", "target.txt"}))
            << c.name;
    }
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
    desktop.expectErrorReport(QStringLiteral("Disk full"), kCommaWriter, 182);

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

// A save long enough for the disk to be set writing behind it, its written stretches let go of
// by the cache: the file is whole, byte for byte; the same save failing past those stretches
// keeps the old file and leaves no temporary one.
TEST_F(Saves, ALongSaveWrittenBehindIsWholeOrNotThereAtAll)
{
    constexpr int kRows = 640;  // of 64 KB each: 40 MB
    ListModel rows;
    rows.addColumn(QStringLiteral("Result(s)"));
    QByteArray whole;
    for (int r = 0; r < kRows; ++r) {
        const QString text(qsizetype{64} << 10, QChar(u'0' + r % 10));
        rows.appendDeferred(text);
        whole += text.toLatin1() + (r + 1 < kRows ? ",\r\n" : "\r\n");
    }
    const QString file = path(QStringLiteral("long.txt"));
    {
        Pacer pacer(desktop, {&rows});
        SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, QStringLiteral("Dialwright"),
                                                  rows, file);
    }
    EXPECT_EQ(ReadBytes(file), whole);

    WriteBytes(file, old);
    desktop.expectMessage(
        QStringLiteral("Are you sure you wish to overwrite ") + file + QStringLiteral(" ?"),
        QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, MsgResult::Yes);
    desktop.expectErrorReport(QStringLiteral("Subscript out of range"), kCommaWriter, 154);
    desktop.onYield(desktop.yields() + kRows - 40, [&rows] { rows.removeAt(0); });
    {
        Pacer pacer(desktop, {&rows});
        SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, QStringLiteral("Dialwright"),
                                                  rows, file);
    }
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("long.txt")});
}

}  // namespace
