#pragma once

#include <cstdint>
#include <string>

namespace xb {

// One field of a DBF record as the engine's parts see it.
struct FieldDesc {
    std::string name;  // upper case, as stored
    char type = 'C';   // 'C', 'N', 'D', 'L' or 'M'
    int width = 0;     // bytes in the record
    int decimals = 0;
    int offset = 0;  // 0-based byte offset in the record; the deletion flag is byte 0
};

}  // namespace xb
