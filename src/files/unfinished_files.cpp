#include "files/unfinished_files.h"

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
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

// The same names where a signal handler may read them: fixed storage, no allocation, each slot
// published by its flag only once its name is whole.
struct Slot {
    std::atomic<bool> used{false};
    std::array<char, PATH_MAX> name{};
};
std::array<Slot, 8> slots;

void Publish(const QByteArray& path)
{
    if (path.size() >= PATH_MAX)
        return;
    for (Slot& slot : slots) {
        if (slot.used.load())
            continue;
        std::memcpy(slot.name.data(), path.constData(), static_cast<size_t>(path.size()) + 1);
        slot.used.store(true);
        return;
    }
}

void Withdraw(const QByteArray& path)
{
    for (Slot& slot : slots)
        if (slot.used.load() && path == slot.name.data())
            slot.used.store(false);
}
}  // namespace

void Add(const QByteArray& path)
{
    Paths().insert(path);
    Publish(path);
}

void Forget(const QByteArray& path)
{
    Withdraw(path);
    Paths().erase(path);
}

void RemoveAll()
{
    for (const QByteArray& path : Paths()) {
        Withdraw(path);
        ::unlink(path.constData());
    }
    Paths().clear();
}

namespace {
volatile std::sig_atomic_t rewriting = 0;
volatile std::sig_atomic_t deferred = 0;
}  // namespace

RewritingInPlace::RewritingInPlace()
{
    rewriting = 1;
}

RewritingInPlace::~RewritingInPlace()
{
    rewriting = 0;
    if (const int signal = deferred; signal != 0) {
        deferred = 0;
        std::raise(signal);
    }
}

bool DeferEnd(int signal)
{
    if (rewriting == 0)
        return false;
    deferred = signal;
    return true;
}

void RemoveAllFromSignal()
{
    for (Slot& slot : slots)
        if (slot.used.load())
            ::unlink(slot.name.data());
}

}  // namespace UnfinishedFiles
