#include "app/desktop/unfinished_files.h"

#include <set>
#include <unistd.h>

namespace UnfinishedFiles {

namespace {
std::set<QByteArray>& Paths()
{
    static std::set<QByteArray> paths;
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
