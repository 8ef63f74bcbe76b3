#pragma once

// The table's change stamp: how other opens, and index files, learn that records the count
// held already were changed (appends show in the count). It lies in header bytes 16..27, which
// the format reserves and other readers skip: a counter, the record changed and a check.
//
// A shared write of record r makes two marks under the stamp lock: the next odd counter with r
// before the bytes go out, the even one after them. An open that last saw s and now reads c
// knows that only r changed when c is the mark right after s, or the pair after an even s;
// anything else may have touched any record. Pack and zap, and a first write in exclusive use,
// make one mark that names no record.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xb {

struct ChangeStamp {
    uint32_t counter = 0;
    uint32_t record = 0;  // 0: any
    bool operator==(const ChangeStamp&) const = default;
};

inline constexpr std::size_t kChangeStampAt = 16;
inline constexpr std::size_t kChangeStampSize = 12;

std::string EncodeChangeStamp(ChangeStamp stamp);
// nullopt when the bytes do not check out (half written, or another program's); all zero is
// a table that no change was stamped in yet.
std::optional<ChangeStamp> DecodeChangeStamp(std::string_view bytes);

// The marks of a write of a record, and the one mark of a change of any record.
ChangeStamp StampBeforeWrite(ChangeStamp now, uint32_t record);
ChangeStamp StampAfterWrite(ChangeStamp before);
ChangeStamp StampOfWholeChange(ChangeStamp now);

// The one record that changed from a counter seen to the stamp now; 0 when it may be any.
// Only meaningful when the counters differ.
uint32_t ChangedRecord(uint32_t seen, ChangeStamp now);

}  // namespace xb
