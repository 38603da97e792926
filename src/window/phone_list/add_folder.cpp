#include "window/phone_list/add_folder.h"

#include "core/app_error.h"
#include "files/path_tidy.h"
#include "lists/list_model.h"
#include "window/desktop/desktop.h"
#include "window/desktop/pacer.h"
#include "window/errors/procedure.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace AddFolder {

namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

QString LastName(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

bool SkippedByAttributes(const QString& folder)
{
    if (IsRootFolder(folder))
        return false;
    const int attributes = FileAttributes(folder);
    return attributes == (kDirectory | kSystem | kHidden)
           || attributes == (kDirectory | kSystem | kHidden | kReparsePoint);
}

struct Entry {
    QByteArray name;
    bool folder = false;  // a real folder, not a link to one
};

struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Lists a folder's entries in name order; throws AppError when it cannot be read. With a pacer,
// window events keep running while a folder of many thousands of entries is read.
std::vector<Entry> ListFolder(const QString& folder, Pacer* pacer)
{
    const QByteArray native = Native(folder);
    const std::unique_ptr<DIR, FolderCloser> dir(::opendir(native.constData()));
    if (!dir)
        throw AppError::fromErrno(errno);
    std::vector<Entry> entries;
    for (;;) {
        // readdir tells the end of the folder from a failure only by errno, which the lstat
        // below or a yield may have left set.
        errno = 0;
        const dirent* item = ::readdir(dir.get());
        if (item == nullptr) {
            if (errno != 0)
                throw AppError::fromErrno(errno);
            break;
        }
        Entry entry;
        entry.name = QByteArray(item->d_name);
        if (entry.name == "." || entry.name == "..")
            continue;
        unsigned char type = item->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            const QByteArray full = native + (native.endsWith('/') ? "" : "/") + entry.name;
            type = ::lstat(full.constData(), &info) == 0 && S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
        }
        entry.folder = type == DT_DIR;
        entries.push_back(std::move(entry));
        if (pacer != nullptr)
            pacer->pace();
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace

int FileAttributes(const QString& path)
{
    const QByteArray native = Native(path);
    struct stat link {};
    if (native.isEmpty() || ::lstat(native.constData(), &link) != 0)
        return -1;
    int attributes = 0;
    struct stat target = link;
    if (S_ISLNK(link.st_mode)) {
        attributes |= kReparsePoint;
        if (::stat(native.constData(), &target) != 0)
            return attributes;
    }
    if (S_ISDIR(target.st_mode))
        attributes |= kDirectory;
    else if (S_ISREG(target.st_mode))
        attributes |= kArchive;
    if (LastName(path).startsWith(QLatin1Char('.')))
        attributes |= kHidden;
    return attributes;
}

bool IsFolder(const QString& path)
{
    const int attributes = FileAttributes(path);
    return attributes >= 0 && (attributes & kDirectory) != 0;
}

bool IsRootFolder(const QString& folder)
{
    return !folder.isEmpty() && std::all_of(folder.begin(), folder.end(), [](QChar c) {
        return c == QLatin1Char('/');
    });
}

bool IsExistingFile(const QString& path)
{
    const QByteArray native = Native(path);
    struct stat info {};
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // O_PATH opens without asking for read or write access, as the test needs.
    const int fd = ::open(native.constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool HasBadNameChars(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return code < 32 || (code >= 127 && code <= 159) || code == u'?' || code == 0xFFFD;
    });
}

QStringList GetFilesInFolder(const QString& folder, const QString& pattern, Pacer* pacer)
{
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const bool everything = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
    QStringList names;
    try {
        for (const Entry& entry : ListFolder(base, pacer)) {
            if (pacer != nullptr)
                pacer->pace();
            if (entry.folder)
                continue;
            const QString name = QFile::decodeName(entry.name);
            if (!everything && !QDir::match(pattern, name))
                continue;
            if (IsExistingFile(base + name))
                names << name;
        }
    } catch (const AppError&) {
        // A folder whose files cannot be listed adds none.
    }
    return names;
}

void GetSubDirectories2016(Desktop& desktop, Pacer& pacer, QStringList& folders, bool descend)
{
    Procedure proc(desktop,
                   QStringLiteral("in CorvaneTitle2021/08/31.AddFolder.GetSubDirectories2016 "));
    QStringList newFolders;             // 104
    const QStringList given = folders;  // 106: the pass sees the list as it was given
    for (const QString& folder : given) {
        bool isFolder = false;
        proc.step(108, [&] { isFolder = IsFolder(folder); });
        if (!isFolder || folder.size() >= kMaxPath)  // 110
            continue;
        proc.step(114, [&] { pacer.pace(); });  // 112, 114
        bool skipped = false;
        proc.step(116, [&] { skipped = SkippedByAttributes(folder); });
        if (skipped)
            continue;
        // 118 to 148: a folder that cannot be listed is passed over without a report; one that
        // is refused or gone leaves the list.
        try {
            for (const Entry& entry : ListFolder(folder, &pacer)) {
                pacer.pace();  // 120
                if (!entry.folder)
                    continue;
                const QString name = QFile::decodeName(entry.name);                // 122
                if (name.size() >= kMaxPath || HasBadNameChars(name)               // 124, 126
                    || name.contains(QLatin1Char('?'))                             // 128
                    || name == QLatin1String(".") || name == QLatin1String(".."))  // 130
                    continue;
                newFolders << folder + name + QLatin1Char('/');  // 132, 134
            }
        } catch (const AppError& error) {
            const ErrorCode code = error.code();  // 138
            if (code == ErrorCode::PermissionDenied || code == ErrorCode::PathNotFound
                || code == ErrorCode::FileNotFound)
                folders.removeOne(folder);  // 142 to 148
        }
    }
    if (!newFolders.isEmpty() && descend)
        proc.step(150, [&] { GetSubDirectories2016(desktop, pacer, newFolders, true); });
    for (const QString& folder : std::as_const(newFolders)) {  // 152
        bool isFolder = false;
        proc.step(154, [&] { isFolder = IsFolder(folder); });
        if (!isFolder)
            continue;
        proc.step(156, [&] { pacer.pace(); });
        bool skipped = false;
        proc.step(158, [&] { skipped = SkippedByAttributes(folder); });
        if (!skipped)
            proc.step(160, [&] { folders << folder; });
    }
}

void AddFilesOfDroppedFolder(Desktop& desktop, Pacer& pacer, const QString& folder, ListModel& list)
{
    QStringList folders{folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')};
    GetSubDirectories2016(desktop, pacer, folders, true);
    for (QString each : std::as_const(folders)) {
        // Window events keep running while the files of a big tree or a big folder are tested
        // and added, so a click lands when it is made; the rows added so far are in the list.
        pacer.pace();
        if (each.size() > 1)
            each.chop(1);  // the trailing "/"; the root keeps its only one
        for (const QString& name : GetFilesInFolder(each, QStringLiteral("*.*"), &pacer)) {
            pacer.pace();
            if (name.startsWith(QLatin1Char('~')))
                continue;
            const QString path = FixDoubleSlashes(each + QLatin1Char('/') + name);
            if (IsExistingFile(path) && FileAttributes(path) != (kArchive | kHidden))
                list.appendDeferred(path);
        }
    }
    list.flushAppends();
}

}  // namespace AddFolder
