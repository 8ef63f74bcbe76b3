#pragma once

#include <QFont>
#include <string>

#include "platform/ui/report/report_layout.h"

class QPagedPaintDevice;

namespace report {

QFont ToQFont(const ReportFont& font);

// Real font metrics at 96 dpi, the resolution of report units.
class QtTextMeasurer : public TextMeasurer {
  public:
    int Width(const ReportFont& font, std::string_view text) const override;
    int Height(const ReportFont& font) const override;
};

// Paints the prepared pages on any paged device (a printer, a PDF writer), one page each.
// The device's own margins are set to zero; the report keeps its own. False when the device
// cannot be painted on.
bool PaintReport(const PreparedReport& report, QPagedPaintDevice& device);

// Writes the prepared pages as a PDF file; false when the file cannot be written.
bool WritePdf(const PreparedReport& report, const std::string& path);

}  // namespace report
