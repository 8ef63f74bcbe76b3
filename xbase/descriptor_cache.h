#pragma once

#include "xbase/work_area.h"

namespace xbase {

// Builds the table's field descriptors once, without messages; its area must be current.
void EnsureDescriptors(TVCLWorkArea& wa);

}  // namespace xbase
