#pragma once

#include <QByteArray>

#include <sys/stat.h>

// What a file carries besides its text: owner, group, permission bits, extended attributes
// (access control lists are among them).
namespace FileAttributes {

// Gives the open file `fd`, named `name`, what `from` has (described by `fromInfo`), and takes
// from it what `from` has not (an access list inherited from its folder). False when something
// cannot be carried: an owner the user may not give away, a file system without the attribute.
bool CarryOver(int fd, const QByteArray& name, const QByteArray& from, const struct stat& fromInfo);

}  // namespace FileAttributes
