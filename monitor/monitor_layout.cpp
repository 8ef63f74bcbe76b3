#include "monitor/monitor_layout.h"

#include "platform/rtl/ini_file.h"

namespace monitor {

namespace {

constexpr std::string_view kSection = "belverin";

MonitorFont LeesFont(const rtl::TIniFile& ini, std::string_view prefix,
                     const MonitorFont& vensterfont) {
    const std::string p(prefix);
    MonitorFont f;
    f.name = ini.ReadString(kSection, p + "fontname", vensterfont.name);
    f.size = ini.ReadInteger(kSection, p + "fontsize", vensterfont.size);
    if (f.name.empty()) {
        f.name = vensterfont.name;
    }
    if (f.size < 1) {
        f.size = vensterfont.size;
    }
    return f;
}

void SchrijfFont(rtl::TIniFile& ini, std::string_view prefix, const MonitorFont& f) {
    const std::string p(prefix);
    ini.WriteString(kSection, p + "fontname", f.name);
    ini.WriteInteger(kSection, p + "fontsize", f.size);
}

bool Overlaps(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

}  // namespace

MonitorLayout StandaardMonitorLayout(const MonitorFont& vensterfont) {
    MonitorLayout l;
    l.nummerfont = vensterfont;
    l.naamfont = vensterfont;
    l.msnfont = vensterfont;
    return l;
}

MonitorLayout LeesMonitorLayout(const rtl::TIniFile& ini, const MonitorFont& vensterfont) {
    const MonitorLayout d = StandaardMonitorLayout(vensterfont);
    MonitorLayout l = d;
    l.top = ini.ReadInteger(kSection, "top", d.top);
    l.width = ini.ReadInteger(kSection, "width", d.width);
    l.left = ini.ReadInteger(kSection, "left", d.left);
    l.height = ini.ReadInteger(kSection, "height", d.height);
    l.panelnaamheight = ini.ReadInteger(kSection, "panelnaamheight", d.panelnaamheight);
    l.panelmsnheight = ini.ReadInteger(kSection, "panelmsnheight", d.panelmsnheight);
    l.panel1height = ini.ReadInteger(kSection, "panel1height", d.panel1height);
    l.nummerfont = LeesFont(ini, "nummer", vensterfont);
    l.naamfont = LeesFont(ini, "naam", vensterfont);
    l.msnfont = LeesFont(ini, "msn", vensterfont);
    return l;
}

void SchrijfMonitorLayout(rtl::TIniFile& ini, const MonitorLayout& l) {
    ini.WriteInteger(kSection, "top", l.top);
    ini.WriteInteger(kSection, "width", l.width);
    ini.WriteInteger(kSection, "left", l.left);
    ini.WriteInteger(kSection, "height", l.height);
    ini.WriteInteger(kSection, "panelnaamheight", l.panelnaamheight);
    ini.WriteInteger(kSection, "panelmsnheight", l.panelmsnheight);
    ini.WriteInteger(kSection, "panel1height", l.panel1height);
    SchrijfFont(ini, "nummer", l.nummerfont);
    SchrijfFont(ini, "naam", l.naamfont);
    SchrijfFont(ini, "msn", l.msnfont);
    ini.WriteInteger(kSection, "msnfontcolor", l.msnfontcolor);
}

ScreenRect KeepOnAScreen(const ScreenRect& window, const std::vector<ScreenRect>& screens,
                         const ScreenRect& primary) {
    for (const auto& screen : screens) {
        if (Overlaps(window, screen)) {
            return window;
        }
    }
    ScreenRect moved = window;
    moved.left = primary.left;
    moved.top = primary.top;
    return moved;
}

}  // namespace monitor
