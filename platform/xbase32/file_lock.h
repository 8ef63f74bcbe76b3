#pragma once

#include <cstdint>
#include <vector>

namespace xb {

// Open-file-description locks: owned by the open, not the process, so two opens in one
// process exclude each other like two processes do, and a crashed process holds nothing.
// The lock bytes lie far beyond any table's data, so they never block reading.
namespace lock_offset {
inline constexpr uint64_t kOpen =
    0x7FFF0000'00000000ull;                          // shared by every open, whole for exclusive
inline constexpr uint64_t kHeader = kOpen + 1;       // record count and append
inline constexpr uint64_t kMemo = kOpen + 2;         // memo block allocation
inline constexpr uint64_t kStamp = kOpen + 3;        // the header's change stamp
inline constexpr uint64_t kRecovery = kOpen + 4;     // a pack stopped midway being finished
inline constexpr uint64_t kRecordBase = kOpen + 16;  // + record number
}  // namespace lock_offset

enum class LockKind { kShared, kExclusive };

// One attempt; false when another open holds a conflicting lock.
bool TryLock(int fd, uint64_t offset, LockKind kind);
// Retries until the lock is had or timeoutSeconds have passed (0 or less: one attempt).
bool LockWithTimeout(int fd, uint64_t offset, LockKind kind, int timeoutSeconds);
void Unlock(int fd, uint64_t offset);
// The bytes in [from, to] that another open holds a lock on, ascending.
std::vector<uint64_t> HeldElsewhere(int fd, uint64_t from, uint64_t to);

}  // namespace xb
