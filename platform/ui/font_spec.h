#pragma once

#include <QFont>
#include <string>

#include "platform/ui/colors.h"

namespace ui {

// A font as the class library keeps it: name, size in points, colour and style.
struct FontSpec {
    std::string name;
    int size = 0;
    TColor color = clWindowText;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const FontSpec&) const = default;
};

QFont ToQFont(const FontSpec& spec);
// The font of a window's main menu. Windows draws menu bars in its own menu font, whatever the
// window's; Arial of 9 points stands in for it, so that a bar keeps the room its window was
// designed with.
QFont MenuBarFont();
FontSpec FromQFont(const QFont& font, TColor color);

}  // namespace ui
