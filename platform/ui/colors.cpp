#include "platform/ui/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace ui {
namespace {

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system scheme's indices in their order, each with the palette entry nearest in meaning.
constexpr SystemRole kSystemRoles[] = {
    {QPalette::Active, QPalette::Button},           // 0 scroll bar
    {QPalette::Active, QPalette::Window},           // 1 desktop
    {QPalette::Active, QPalette::Highlight},        // 2 active caption
    {QPalette::Inactive, QPalette::Mid},            // 3 inactive caption
    {QPalette::Active, QPalette::Window},           // 4 menu
    {QPalette::Active, QPalette::Base},             // 5 window
    {QPalette::Active, QPalette::Shadow},           // 6 window frame
    {QPalette::Active, QPalette::WindowText},       // 7 menu text
    {QPalette::Active, QPalette::Text},             // 8 window text
    {QPalette::Active, QPalette::HighlightedText},  // 9 caption text
    {QPalette::Active, QPalette::Window},           // 10 active border
    {QPalette::Inactive, QPalette::Window},         // 11 inactive border
    {QPalette::Active, QPalette::Dark},             // 12 application work space
    {QPalette::Active, QPalette::Highlight},        // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},  // 14 highlight text
    {QPalette::Active, QPalette::Button},           // 15 button face
    {QPalette::Active, QPalette::Dark},             // 16 button shadow
    {QPalette::Disabled, QPalette::Text},           // 17 grey text
    {QPalette::Active, QPalette::ButtonText},       // 18 button text
    {QPalette::Inactive, QPalette::Text},           // 19 inactive caption text
    {QPalette::Active, QPalette::Light},            // 20 button highlight
    {QPalette::Active, QPalette::Shadow},           // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},      // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},      // 24 info background
    {QPalette::Active, QPalette::Window},           // 25 (unused index)
    {QPalette::Active, QPalette::Link},             // 26 hot light
    {QPalette::Active, QPalette::Highlight},        // 27 gradient active caption
    {QPalette::Inactive, QPalette::Mid},            // 28 gradient inactive caption
    {QPalette::Active, QPalette::Highlight},        // 29 menu highlight
    {QPalette::Active, QPalette::Window},           // 30 menu bar
};

QPalette CurrentPalette() {
    return qGuiApp ? QGuiApplication::palette() : QPalette();
}

}  // namespace

QColor ColorToQColor(TColor color) {
    if (color == clNone) {
        return QColor(Qt::transparent);
    }
    if (color == clDefault) {
        return QColor();
    }
    const auto bits = static_cast<std::uint32_t>(color);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0x00FFFFFFu;
        if (index >= std::size(kSystemRoles)) {
            return QColor();
        }
        const SystemRole& r = kSystemRoles[index];
        return CurrentPalette().color(r.group, r.role);
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    if (!color.isValid()) {
        return clDefault;
    }
    if (color.alpha() == 0) {
        return clNone;
    }
    const QColor rgb = color.toRgb();
    return static_cast<TColor>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

}  // namespace ui
