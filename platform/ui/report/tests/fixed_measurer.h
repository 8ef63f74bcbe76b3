#pragma once

#include "platform/ui/report/report_layout.h"

namespace report::testing {

// Every character is `size` units wide; a line is size + 4 high.
class FixedMeasurer : public TextMeasurer {
  public:
    int Width(const ReportFont& font, std::string_view text) const override {
        int chars = 0;
        for (const char c : text) {
            chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        }
        return chars * font.size;
    }
    int Height(const ReportFont& font) const override { return font.size + 4; }
};

}  // namespace report::testing
