#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {
class TIniFile;
}

namespace monitor {

// The caller template that "Standaard Bellersgedeelte indeling" restores.
inline constexpr std::string_view kStandaardBellersstring = "%h - %t - %v, %n, %a - %s - %m -%z";

struct MonitorFont {
    std::string name;
    int size = 0;  // points
    bool operator==(const MonitorFont&) const = default;
};

// The monitor window's layout as section [belverin] of the settings file keeps it.
struct MonitorLayout {
    int top = 0;
    int width = 509;
    int left = 0;
    int height = 345;
    int panelnaamheight = 41;       // Panel4
    int panelmsnheight = 166;       // Panelmsn
    int panel1height = 46;          // Panel1
    MonitorFont nummerfont;         // L_nummer
    MonitorFont naamfont;           // L_gegevens
    MonitorFont msnfont;            // Panelmsn
    std::int32_t msnfontcolor = 0;  // written, never read back
    bool operator==(const MonitorLayout&) const = default;
};

// The design: 509 x 345 at the top left corner, panels 41, 166 and 46 high, every font the
// window's own.
MonitorLayout StandaardMonitorLayout(const MonitorFont& vensterfont);
// Every key with the design as its default, 0 included as a value. A font size below 1 or an
// empty font name keeps the window's.
MonitorLayout LeesMonitorLayout(const rtl::TIniFile& ini, const MonitorFont& vensterfont);
// Writes every key, msnfontcolor too.
void SchrijfMonitorLayout(rtl::TIniFile& ini, const MonitorLayout& layout);

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Where a window of `window` goes: where it is when it overlaps one of `screens`, else at the
// top left of `primary` (its free area), so that a pop-up is never shown unseen.
ScreenRect KeepOnAScreen(const ScreenRect& window, const std::vector<ScreenRect>& screens,
                         const ScreenRect& primary);

}  // namespace monitor
