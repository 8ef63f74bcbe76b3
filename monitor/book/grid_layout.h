#pragma once

#include <string>

class QWidget;

namespace rtl {
class TIniFile;
}

namespace ui {
class TDBGrid;
}

// The layout of a window with a grid in the grid-layout file: section [name] holds the window's
// position and size, section [name + position] each column (field, title, width, fonts, font
// colours, read-only flag, alignment), so a restored layout brings back the column order.
void savedbgrid(rtl::TIniFile& file, const QWidget& form, const ui::TDBGrid& grid,
                const std::string& name);
// Restores what the file holds; -1, empty and missing values leave the design values. A field
// name the data set lacks keeps the column's field; font sizes below 1 are ignored; a window
// placed wholly off every screen comes onto the primary one.
void laaddbgrid(const rtl::TIniFile& file, QWidget& form, ui::TDBGrid& grid,
                const std::string& name);
