#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

// One memory limit of a control group the process is in, as its files read.
struct MemoryLimit {
    QByteArray limit;  // memory.max (cgroup v2) or memory.limit_in_bytes (v1): bytes, or "max"
    QByteArray usage;  // memory.current or memory.usage_in_bytes
    QByteArray stat;   // memory.stat, for the file cache the kernel can give back
};

// The memory the process can still take, in bytes: MemAvailable of the system, and within it
// the room left under every control-group limit above the process and under its own
// address-space limit (what it leaves, when one is set). -1 when nothing is known.
qint64 MemoryRoom(QByteArrayView meminfo, const std::vector<MemoryLimit>& limits,
                  std::optional<qint64> addressSpaceLeft = std::nullopt);

// The same, read from /proc and /sys for this process now.
qint64 MemoryRoomNow();
