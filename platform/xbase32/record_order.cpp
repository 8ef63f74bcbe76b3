#include "platform/xbase32/record_order.h"

#include "platform/xbase32/dbf_table.h"

namespace xb {

uint32_t NaturalOrder::First() {
    return table_.Holds(1) ? 1 : 0;
}

uint32_t NaturalOrder::Last() {
    return table_.RecordCount();
}

uint32_t NaturalOrder::Next(uint32_t recno) {
    return table_.Holds(static_cast<int64_t>(recno) + 1) ? recno + 1 : 0;
}

uint32_t NaturalOrder::Prior(uint32_t recno) {
    const uint32_t count = table_.RecordCount();
    if (recno > count + 1) {
        return count;
    }
    return recno > 1 ? recno - 1 : 0;
}

}  // namespace xb
