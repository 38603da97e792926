#pragma once

#include <QString>
#include <QStringList>

class Desktop;
class ListModel;
class Pacer;

// Files and folders dropped on the phone list: the breadth-first folder walk and the file
// tests behind it. Attributes follow the classic bits: hidden 2 (a name starting with "."),
// directory 16, archive 32 (a regular file), reparse point 1024 (a symbolic link); there is no
// system bit here.
namespace AddFolder {

inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
inline constexpr int kArchive = 32;
inline constexpr int kReparsePoint = 1024;
// Paths and names this long or longer are not walked.
inline constexpr qsizetype kMaxPath = 260;

// The attribute bits of a path, or -1 when they cannot be read.
int FileAttributes(const QString& path);
bool IsFolder(const QString& path);
bool IsRootFolder(const QString& folder);
// A regular file that can be opened; FIFOs, devices and sockets are never opened.
bool IsExistingFile(const QString& path);
// A control character, a code from 127 to 159, a question mark, or a character that could not
// be decoded from the name's bytes.
bool HasBadNameChars(const QString& name);
// The names of the files in a folder that match the pattern ("*.*" is every file), in name
// order, hidden files included, folders left out. With a pacer, window events keep running
// while a big folder is listed.
QStringList GetFilesInFolder(const QString& folder, const QString& pattern, Pacer* pacer = nullptr);
// Appends every folder below the listed ones (each ending in "/"), breadth-first, and removes
// listed folders that cannot be read. Symbolic links to folders are not walked.
void GetSubDirectories2016(Desktop& desktop, Pacer& pacer, QStringList& folders, bool descend);

// Appends the files a dropped folder adds to the list: its own, then those of its sub-folders
// level by level, each a full path. The pacer announces the rows as they come.
void AddFilesOfDroppedFolder(Desktop& desktop, Pacer& pacer, const QString& folder,
                             ListModel& list);

}  // namespace AddFolder
