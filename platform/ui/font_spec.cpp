#include "platform/ui/font_spec.h"

namespace ui {

QFont ToQFont(const FontSpec& spec) {
    QFont font;
    if (!spec.name.empty()) {
        font.setFamily(QString::fromStdString(spec.name));
    }
    if (spec.size > 0) {
        font.setPointSize(spec.size);
    }
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    return font;
}

QFont MenuBarFont() {
    return ToQFont(FontSpec{"Arial", 9});
}

FontSpec FromQFont(const QFont& font, TColor color) {
    FontSpec spec;
    spec.name = font.family().toStdString();
    spec.size = font.pointSize() > 0 ? font.pointSize() : 0;
    spec.color = color;
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underline = font.underline();
    spec.strikeOut = font.strikeOut();
    return spec;
}

}  // namespace ui
