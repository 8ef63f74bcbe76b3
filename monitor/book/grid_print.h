#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/report/report_layout.h"

namespace book {

// A report has at most this many columns.
inline constexpr int kReportSlots = 30;

// A grid column as the report sees it.
struct PrintColumn {
    std::string title;
    std::string field;
    int width = 0;  // grid pixels, which are report units
    report::ReportFont cellFont;
    report::ReportFont titleFont;
    report::Align align = report::Align::Left;
    report::Align titleAlign = report::Align::Left;
};

// The grid columns that fill the report's slots, in slot order: for each selected title in
// list order, every column whose title equals it exactly, at most kReportSlots.
std::vector<int> MatchSlots(const std::vector<std::string>& selected,
                            const std::vector<PrintColumn>& columns);

struct GridReportRequest {
    std::string title;
    std::string subtitle;
    std::vector<std::string> selected;
    std::vector<PrintColumn> columns;
    // The font of the title, date, time and page number: the first column's cell font.
    report::ReportFont reportFont;
    // Another font for everything; slots are then as wide as their widest value or title + 5.
    std::optional<report::ReportFont> otherFont;
};

struct GridReport {
    report::ReportDefinition definition;
    int filled = 0;    // slots filled
    bool cut = false;  // a slot reaches past the right margin
};

// Builds the report: title band (title underlined, "Datum: ", "Tijd: ", subtitle), a header
// band with the slots' titles and "Pagina: " at its right end, a detail band with the slots'
// fields. Slots are placed from x 5. With another font the rows are read to size the slots.
GridReport BuildGridReport(const GridReportRequest& request, const report::RowScanner& rows,
                           const report::TextMeasurer& measure,
                           const report::PageGeometry& geometry = {});

}  // namespace book
