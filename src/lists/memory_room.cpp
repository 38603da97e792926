#include "lists/memory_room.h"

#include <QFile>
#include <QList>

#include <sys/resource.h>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// The number after "key" at the start of a line, as in "MemAvailable:  123 kB".
std::optional<qint64> NumberAfter(QByteArrayView text, QByteArrayView key)
{
    for (const QByteArrayView line :
         QByteArray::fromRawData(text.data(), text.size()).split('\n')) {
        if (!line.startsWith(key))
            continue;
        QByteArrayView rest = line.sliced(key.size()).trimmed();
        if (const qsizetype space = rest.indexOf(' '); space >= 0)
            rest.truncate(space);  // the unit, as in "123 kB"
        bool ok = false;
        const qint64 value = rest.toLongLong(&ok);
        if (ok)
            return value;
    }
    return std::nullopt;
}

std::optional<qint64> Number(QByteArrayView text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QByteArray ReadSmallFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The control-group folders the process's memory is charged to, innermost first: every
// level has its own limit, and the tightest one counts.
std::vector<MemoryLimit> LimitsNow()
{
    std::vector<MemoryLimit> limits;
    const QByteArray groups = ReadSmallFile(QStringLiteral("/proc/self/cgroup"));
    for (const QByteArray& line : groups.split('\n')) {
        // "0::/path" is the unified (v2) hierarchy; "4:memory:/path" the v1 memory controller.
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        const bool unified = fields[0] == "0" && fields[1].isEmpty();
        const bool v1 = fields[1].split(',').contains("memory");
        if (!unified && !v1)
            continue;
        QString group = QString::fromUtf8(fields.mid(2).join(':'));
        const QStringList roots = unified ? QStringList{QStringLiteral("/sys/fs/cgroup"),
                                                        QStringLiteral("/sys/fs/cgroup/unified")}
                                          : QStringList{QStringLiteral("/sys/fs/cgroup/memory")};
        const QString limitName =
            unified ? QStringLiteral("/memory.max") : QStringLiteral("/memory.limit_in_bytes");
        const QString usageName =
            unified ? QStringLiteral("/memory.current") : QStringLiteral("/memory.usage_in_bytes");
        for (const QString& root : roots) {
            for (QString at = group;; at = at.left(std::max<qsizetype>(at.lastIndexOf(u'/'), 0))) {
                const QString folder = root + at;
                MemoryLimit limit{ReadSmallFile(folder + limitName),
                                  ReadSmallFile(folder + usageName),
                                  ReadSmallFile(folder + QStringLiteral("/memory.stat"))};
                if (!limit.limit.isEmpty())
                    limits.push_back(std::move(limit));
                if (at.isEmpty() || at == QStringLiteral("/"))
                    break;
            }
        }
    }
    return limits;
}

}  // namespace

qint64 MemoryRoom(QByteArrayView meminfo, const std::vector<MemoryLimit>& limits,
                  std::optional<qint64> addressSpaceLeft)
{
    qint64 room = -1;
    const auto narrow = [&room](qint64 value) {
        value = std::max<qint64>(value, 0);
        room = room < 0 ? value : std::min(room, value);
    };
    if (const std::optional<qint64> kilobytes = NumberAfter(meminfo, "MemAvailable:"))
        narrow(*kilobytes * 1024);
    for (const MemoryLimit& limit : limits) {
        const std::optional<qint64> most = Number(limit.limit);  // "max" is no limit
        const std::optional<qint64> used = Number(limit.usage);
        if (!most || !used)
            continue;
        // File cache that nobody has touched lately is given back before anything is refused.
        const qint64 cache = NumberAfter(limit.stat, "inactive_file ").value_or(0);
        narrow(*most - std::max<qint64>(*used - cache, 0));
    }
    if (addressSpaceLeft)
        narrow(*addressSpaceLeft);
    return room;
}

namespace {

// What an address-space limit (ulimit -v) leaves of the process's address space: allocations
// fail past it whatever memory is free. Nothing when no limit is set.
std::optional<qint64> AddressSpaceLeftNow()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY
        || limit.rlim_cur > rlim_t(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    const std::optional<qint64> kilobytes =
        NumberAfter(ReadSmallFile(QStringLiteral("/proc/self/status")), "VmSize:");
    if (!kilobytes)
        return std::nullopt;
    return qint64(limit.rlim_cur) - *kilobytes * 1024;
}

}  // namespace

qint64 MemoryRoomNow()
{
    return MemoryRoom(ReadSmallFile(QStringLiteral("/proc/meminfo")), LimitsNow(),
                      AddressSpaceLeftNow());
}
