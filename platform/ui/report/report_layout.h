#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace db {
class TDataSet;
}

namespace report {

// Report units are 1/96 inch, so a grid pixel prints as wide as on a 96-dpi screen.
inline constexpr double kUnitsPerMm = 96.0 / 25.4;

struct ReportFont {
    std::string name = "Arial";
    int size = 10;  // points
    int color = 0;  // $00BBGGRR
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const ReportFont&) const = default;
};

enum class Align { Left, Right, Center };

// Measures one line of text in report units; the renderer answers with real font metrics,
// tests with fixed ones.
class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    virtual int Width(const ReportFont& font, std::string_view text) const = 0;
    virtual int Height(const ReportFont& font) const = 0;
};

enum class ItemKind {
    Label,       // fixed text
    DataText,    // the value of `field` in the current row
    Date,        // prefix and the date of preparing
    Time,        // prefix and the time of preparing
    PageNumber,  // prefix and the page number
};

// One item on a band. Its height is one line of its font; with autoSize its width is that
// of its text.
struct ReportItem {
    ItemKind kind = ItemKind::Label;
    std::string text;   // caption, or the prefix of a date, time or page number
    std::string field;  // DataText only
    int left = 0;
    int top = 0;
    int width = 0;
    ReportFont font;
    Align align = Align::Left;
    bool autoSize = false;
};

struct Band {
    int height = 0;  // at least as high as its items reach
    std::vector<ReportItem> items;
};

struct ReportDefinition {
    Band title;   // once, on the first page
    Band header;  // at the top of every page, after the title on the first
    Band detail;  // once per row
};

// Paper: A4 portrait, margins top, left and right 10 mm, bottom 25 mm.
struct PageGeometry {
    int width = 794;
    int height = 1123;
    int left = 38;
    int top = 38;
    int right = 756;  // content ends here
    int bottom = 1029;
    int ContentWidth() const { return right - left; }
};

struct PlacedText {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;
    ReportFont font;
    Align align = Align::Left;
};

struct PreparedPage {
    std::vector<PlacedText> texts;
};

struct PreparedReport {
    PageGeometry geometry;
    std::vector<PreparedPage> pages;
};

// Reads the value of a field of the row being visited.
using FieldReader = std::function<std::string(const std::string& field)>;
// Visits every row in order; `visit` reads the row's fields through the reader it is given.
using RowScanner = std::function<void(const std::function<void(const FieldReader&)>& visit)>;

// The rows of a data set in its current order and filter, read without moving its record.
RowScanner DataSetRows(db::TDataSet& dataSet);

// Values print on one line: line breaks become blanks.
std::string OneLine(std::string_view text);
// The longest start of `text` (whole UTF-8 characters) that measures at most `width`.
std::string CutToWidth(const TextMeasurer& measure, const ReportFont& font, std::string_view text,
                       int width);
// The height of a band: its own, or as far as its items reach when that is more.
int BandHeight(const Band& band, const TextMeasurer& measure);

// Lays the report out on pages, reading every row once. `date` and `time` are the texts of
// the moment of preparing. There is always at least one page.
PreparedReport Prepare(const ReportDefinition& definition, const RowScanner& rows,
                       const TextMeasurer& measure, const std::string& date,
                       const std::string& time, const PageGeometry& geometry = {});

}  // namespace report
