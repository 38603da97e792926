#include "files/file_attributes.h"

#include "core/app_error.h"

#include <QByteArrayList>

#include <cerrno>
#include <sys/xattr.h>

#include <algorithm>
#include <vector>

namespace {

// The extended attribute names of a path, or of an open file; empty where the file system has
// none.
std::vector<QByteArray> AttributeNames(const QByteArray& path, int fd)
{
    const auto list = [&](char* buffer, size_t size) {
        return fd >= 0 ? ::flistxattr(fd, buffer, size)
                       : ::llistxattr(path.constData(), buffer, size);
    };
    std::vector<QByteArray> names;
    const ssize_t size = list(nullptr, 0);
    if (size < 0) {
        if (errno == ENOTSUP)
            return names;
        throw AppError::fromErrno(errno);
    }
    QByteArray buffer(size, '\0');
    const ssize_t got = list(buffer.data(), static_cast<size_t>(buffer.size()));
    if (got < 0)
        throw AppError::fromErrno(errno);
    for (const QByteArray& name : buffer.left(got).split('\0'))
        if (!name.isEmpty())
            names.push_back(name);
    return names;
}

bool CopyAttribute(const QByteArray& from, int fd, const QByteArray& name)
{
    const ssize_t size = ::lgetxattr(from.constData(), name.constData(), nullptr, 0);
    if (size < 0)
        return false;
    QByteArray value(size, '\0');
    const ssize_t got = ::lgetxattr(from.constData(), name.constData(), value.data(), value.size());
    return got >= 0
           && ::fsetxattr(fd, name.constData(), value.constData(), static_cast<size_t>(got), 0)
                  == 0;
}

}  // namespace

namespace FileAttributes {

bool CarryOver(int fd, const QByteArray& name, const QByteArray& from, const struct stat& fromInfo)
{
    struct stat own {};
    if (::fstat(fd, &own) != 0)
        throw AppError::fromErrno(errno);
    if ((own.st_uid != fromInfo.st_uid || own.st_gid != fromInfo.st_gid)
        && ::fchown(fd, fromInfo.st_uid, fromInfo.st_gid) != 0)
        return false;
    // After the owner, since a change of owner clears the set-user and set-group bits.
    if (::fchmod(fd, fromInfo.st_mode & 07777) != 0)
        return false;
    const std::vector<QByteArray> names = AttributeNames(from, -1);
    if (!std::all_of(names.begin(), names.end(), [&](const QByteArray& attribute) {
            return CopyAttribute(from, fd, attribute);
        }))
        return false;
    // Nor may the new file have what the old had not (a folder's default access list).
    const std::vector<QByteArray> added = AttributeNames(name, fd);
    return std::all_of(added.begin(), added.end(), [&](const QByteArray& attribute) {
        return std::find(names.begin(), names.end(), attribute) != names.end()
               || ::fremovexattr(fd, attribute.constData()) == 0;
    });
}

}  // namespace FileAttributes
