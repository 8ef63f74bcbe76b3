#pragma once

#include <string>

namespace xb {

class AreaView;
class WorkArea;

enum TextExportKind { kExportCommaDelimited = 21, kExportBlankDelimited = 22 };

// Writes the records the area shows, in its current order, to a new text file: one line per
// record ending in CR LF, memo fields left out, text in UTF-8. Comma-delimited: texts trimmed
// and quoted (quotes doubled), numbers trimmed, dates yyyymmdd, logicals T or F. Blank-delimited:
// every field at its full width, one blank between fields. The cursor does not move. Throws
// xb::Error.
void ExportText(WorkArea& area, AreaView& view, const std::string& path, int kind);

}  // namespace xb
