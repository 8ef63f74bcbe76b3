#include "platform/ui/report/report_layout.h"

#include <algorithm>

#include "platform/db/data_set.h"
#include "platform/db/field.h"

namespace report {

namespace {

// Byte length of the UTF-8 character starting at text[i].
std::size_t CharLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 1;
    if (c >= 0xF0) {
        n = 4;
    } else if (c >= 0xE0) {
        n = 3;
    } else if (c >= 0xC0) {
        n = 2;
    }
    return std::min(n, text.size() - i);
}

struct PageWriter {
    const TextMeasurer& measure;
    const PageGeometry& geometry;
    const std::string& date;
    const std::string& time;

    void Place(PreparedPage& page, const Band& band, int y, int pageNumber,
               const FieldReader* row) const {
        for (const ReportItem& item : band.items) {
            std::string text;
            switch (item.kind) {
                case ItemKind::Label:
                    text = item.text;
                    break;
                case ItemKind::DataText:
                    text = row != nullptr ? (*row)(item.field) : std::string();
                    break;
                case ItemKind::Date:
                    text = item.text + date;
                    break;
                case ItemKind::Time:
                    text = item.text + time;
                    break;
                case ItemKind::PageNumber:
                    text = item.text + std::to_string(pageNumber);
                    break;
            }
            text = OneLine(text);
            int width = item.autoSize ? measure.Width(item.font, text) : item.width;
            const int x = geometry.left + item.left;
            // Nothing prints past the right margin.
            width = std::min(width, geometry.right - x);
            if (width <= 0) {
                continue;
            }
            PlacedText placed;
            placed.x = x;
            placed.y = y + item.top;
            placed.width = width;
            placed.height = measure.Height(item.font);
            placed.text = CutToWidth(measure, item.font, text, width);
            placed.font = item.font;
            placed.align = item.align;
            page.texts.push_back(std::move(placed));
        }
    }
};

}  // namespace

RowScanner DataSetRows(db::TDataSet& dataSet) {
    return [&dataSet](const std::function<void(const FieldReader&)>& visit) {
        if (!dataSet.Active()) {
            return;
        }
        const FieldReader reader = [&dataSet](const std::string& field) {
            const db::TField* f = dataSet.FindField(field);
            return f != nullptr ? f->AsString() : std::string();
        };
        dataSet.ScanRecords([&] {
            visit(reader);
            return true;
        });
    };
}

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;  // CR LF is one break
        }
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

std::string CutToWidth(const TextMeasurer& measure, const ReportFont& font, std::string_view text,
                       int width) {
    if (measure.Width(font, text) <= width) {
        return std::string(text);
    }
    // Binary search over character boundaries.
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        ends.push_back(i + CharLength(text, i));
    }
    std::size_t lo = 0;
    std::size_t hi = ends.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi + 1) / 2;
        if (measure.Width(font, text.substr(0, ends[mid - 1])) <= width) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo == 0 ? std::string() : std::string(text.substr(0, ends[lo - 1]));
}

int BandHeight(const Band& band, const TextMeasurer& measure) {
    int height = band.height;
    for (const ReportItem& item : band.items) {
        height = std::max(height, item.top + measure.Height(item.font));
    }
    return height;
}

PreparedReport Prepare(const ReportDefinition& definition, const RowScanner& rows,
                       const TextMeasurer& measure, const std::string& date,
                       const std::string& time, const PageGeometry& geometry) {
    PreparedReport report;
    report.geometry = geometry;
    const PageWriter writer{measure, geometry, date, time};
    const int titleHeight = BandHeight(definition.title, measure);
    const int headerHeight = BandHeight(definition.header, measure);
    const int detailHeight = BandHeight(definition.detail, measure);

    int y = geometry.top;
    auto newPage = [&] {
        report.pages.emplace_back();
        y = geometry.top;
        if (report.pages.size() == 1) {
            writer.Place(report.pages.back(), definition.title, y, 1, nullptr);
            y += titleHeight;
        }
        writer.Place(report.pages.back(), definition.header, y,
                     static_cast<int>(report.pages.size()), nullptr);
        y += headerHeight;
    };
    newPage();
    int rowsOnPage = 0;
    rows([&](const FieldReader& row) {
        // A row taller than the page still prints, alone on its page.
        if (y + detailHeight > geometry.bottom && rowsOnPage > 0) {
            newPage();
            rowsOnPage = 0;
        }
        writer.Place(report.pages.back(), definition.detail, y,
                     static_cast<int>(report.pages.size()), &row);
        y += detailHeight;
        ++rowsOnPage;
    });
    return report;
}

}  // namespace report
