#pragma once

#include <string_view>

#include "platform/rtl/ini_file.h"

namespace monitor {

// Waits that the settings ask for, brought into a range that always ends.

// The start-up delay of [algemeen] startvertraging (absent: 0); a negative one is 0.
int StartDelaySeconds(int configured);
int ReadStartDelaySeconds(const rtl::TIniFile& ini);

// The longest wait for the directory search: zoektijd when it is a whole number of at least
// 1, else 5; the wait itself is that many seconds less 3 ms.
int SearchWaitSeconds(std::string_view zoektijd);
int SearchWaitMilliseconds(std::string_view zoektijd);

}  // namespace monitor
