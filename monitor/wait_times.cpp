#include "monitor/wait_times.h"

namespace monitor {

namespace {

constexpr int kFallbackSearchSeconds = 5;

}  // namespace

int StartDelaySeconds(int configured) {
    return configured < 0 ? 0 : configured;
}

int ReadStartDelaySeconds(const rtl::TIniFile& ini) {
    return StartDelaySeconds(ini.ReadInteger("algemeen", "startvertraging", 0));
}

int SearchWaitSeconds(std::string_view zoektijd) {
    int seconds = 0;
    if (!rtl::TryParseIniInteger(zoektijd, seconds) || seconds < 1) {
        return kFallbackSearchSeconds;
    }
    return seconds;
}

int SearchWaitMilliseconds(std::string_view zoektijd) {
    const long long ms = static_cast<long long>(SearchWaitSeconds(zoektijd)) * 1000 - 3;
    // Very large settings are held at the largest wait an int can carry.
    return ms > 2147483647LL ? 2147483647 : static_cast<int>(ms);
}

}  // namespace monitor
