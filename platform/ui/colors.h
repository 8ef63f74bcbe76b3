#pragma once

#include <QColor>
#include <cstdint>

namespace ui {

// The class library's colour integers: $00BBGGRR for a colour of its own, 0x80000000 plus an index
// for a colour of the system's scheme, and two markers.
using TColor = std::int32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;

inline constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);  // -2147483633
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInfoBk = SystemColor(24);

// System colours come from the application's palette; clNone is transparent; clDefault and unknown
// system indices give an invalid QColor, which means "leave the default".
QColor ColorToQColor(TColor color);

// An invalid QColor gives clDefault, a fully transparent one clNone, any other its $00BBGGRR value.
TColor QColorToColor(const QColor& color);

}  // namespace ui
