#include "monitor/book/grid_print.h"

#include <algorithm>

namespace book {

using report::ItemKind;
using report::ReportItem;

std::vector<int> MatchSlots(const std::vector<std::string>& selected,
                            const std::vector<PrintColumn>& columns) {
    std::vector<int> slots;
    for (const std::string& title : selected) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].title == title &&
                slots.size() < static_cast<std::size_t>(kReportSlots)) {
                slots.push_back(static_cast<int>(c));
            }
        }
    }
    return slots;
}

namespace {

ReportItem TitleItem(ItemKind kind, std::string text, int top, const report::ReportFont& font) {
    ReportItem item;
    item.kind = kind;
    item.text = std::move(text);
    item.left = 5;
    item.top = top;
    item.font = font;
    item.autoSize = true;
    return item;
}

}  // namespace

GridReport BuildGridReport(const GridReportRequest& request, const report::RowScanner& rows,
                           const report::TextMeasurer& measure,
                           const report::PageGeometry& geometry) {
    GridReport out;
    report::ReportDefinition& d = out.definition;
    const report::ReportFont f = request.otherFont.value_or(request.reportFont);

    // Title band: each item 3 below the one before, the band 8 below the last.
    report::ReportFont underlined = f;
    underlined.underline = true;
    const int line = measure.Height(f);
    int top = 4;
    d.title.items.push_back(TitleItem(ItemKind::Label, request.title, top, underlined));
    for (auto [kind, text] :
         {std::pair{ItemKind::Date, "Datum: "}, std::pair{ItemKind::Time, "Tijd: "},
          std::pair{ItemKind::Label, ""}}) {
        top += line + 3;
        d.title.items.push_back(TitleItem(kind, *text != '\0' ? text : request.subtitle, top, f));
    }
    d.title.height = top + line + 8;

    const std::vector<int> slots = MatchSlots(request.selected, request.columns);
    out.filled = static_cast<int>(slots.size());
    std::vector<int> widths(slots.size(), 0);
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const PrintColumn& c = request.columns[static_cast<std::size_t>(slots[s])];
        if (!request.otherFont) {
            widths[s] = std::max(0, c.width);
        } else {
            widths[s] = std::max(widths[s], measure.Width(f, c.title) + 5);
        }
    }
    if (request.otherFont && !slots.empty()) {
        // An empty table leaves the slots as wide as their titles.
        rows([&](const report::FieldReader& row) {
            for (std::size_t s = 0; s < slots.size(); ++s) {
                const PrintColumn& c = request.columns[static_cast<std::size_t>(slots[s])];
                widths[s] =
                    std::max(widths[s], measure.Width(f, report::OneLine(row(c.field))) + 5);
            }
        });
    }

    int x = 5;
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const PrintColumn& c = request.columns[static_cast<std::size_t>(slots[s])];
        ReportItem label;
        label.kind = ItemKind::Label;
        label.text = c.title;
        label.left = x;
        label.width = widths[s];
        label.font = request.otherFont ? f : c.titleFont;
        label.align = c.titleAlign;
        d.header.items.push_back(label);

        ReportItem data;
        data.kind = ItemKind::DataText;
        data.field = c.field;
        data.left = x;
        data.width = widths[s];
        data.font = request.otherFont ? f : c.cellFont;
        data.align = c.align;
        d.detail.items.push_back(data);

        if (widths[s] > 0 && x + widths[s] > geometry.ContentWidth()) {
            out.cut = true;
        }
        x += widths[s];
    }

    // The page number keeps the right end of the band. Where the titles reach into its room it
    // takes a line of its own above them: text drawn over text cannot be read.
    ReportItem page;
    page.kind = ItemKind::PageNumber;
    page.text = "Pagina: ";
    page.width = std::min(measure.Width(f, page.text + "99999"), geometry.ContentWidth());
    page.left = geometry.ContentWidth() - page.width;
    page.font = f;
    page.align = report::Align::Right;
    if (x > page.left) {
        for (ReportItem& label : d.header.items) {
            label.top += measure.Height(f);
        }
    }
    d.header.items.push_back(page);
    return out;
}

}  // namespace book
