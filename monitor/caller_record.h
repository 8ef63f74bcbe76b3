#pragma once

#include <cstdint>
#include <string>

namespace monitor {

// One call as the monitor works on it; every text it shows, logs or starts is made from one.
struct telefoonrecordtype {
    std::string nummer;
    std::string voornaam;
    std::string naam;
    std::string aanhangsel;
    std::string straat;
    std::string postcode;
    std::string plaats;
    std::string msn;
    std::string datum;  // "yyyy-mm-dd"
    std::string tijd;   // "hh:nn:ss"
    std::string soort;
    std::string zoekstatus;
    std::string reserve;
    std::string extra;
    std::string omschr;
    std::int32_t msnindex = 0;  // 0..9, 10 when no own number matched

    bool operator==(const telefoonrecordtype&) const = default;
};

// The call as the line delivered it, and the call being handled and filled in by the lookups.
// Main thread only.
inline telefoonrecordtype inkomendebeller;
inline telefoonrecordtype huidigebeller;

}  // namespace monitor
