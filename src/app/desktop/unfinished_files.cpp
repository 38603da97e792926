#include "app/desktop/unfinished_files.h"

#include <cstdlib>
#include <set>
#include <unistd.h>

namespace UnfinishedFiles {

namespace {
std::set<QByteArray>& Paths()
{
    static std::set<QByteArray> paths;
    // Registered once the set exists, so the removal runs at exit before the set is destroyed.
    static const bool removedAtExit = std::atexit([] { RemoveAll(); }) == 0;
    (void)removedAtExit;
    return paths;
}
}  // namespace

void Add(const QByteArray& path)
{
    Paths().insert(path);
}

void Forget(const QByteArray& path)
{
    Paths().erase(path);
}

void RemoveAll()
{
    for (const QByteArray& path : Paths())
        ::unlink(path.constData());
    Paths().clear();
}

}  // namespace UnfinishedFiles
