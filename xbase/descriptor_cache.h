#pragma once

#include "xbase/work_area.h"

namespace xbase {

// Builds the table's field descriptors once, without messages; its area must be current.
void EnsureDescriptors(TVCLWorkArea& wa);

// The layout of field `n` (from 1) of the table, read from the engine on first use; its area
// must be current. Null when the table has no such field or its bytes lie outside the record.
const FieldLayout* LayoutOf(TVCLWorkArea& wa, uint16_t n);

}  // namespace xbase
