#include "platform/ui/report/report_layout.h"

#include <map>

#include <gtest/gtest.h>

#include "platform/ui/report/tests/fixed_measurer.h"

namespace report {
namespace {

using testing::FixedMeasurer;

using Row = std::map<std::string, std::string>;

RowScanner Rows(std::vector<Row> rows) {
    return [rows = std::move(rows)](const std::function<void(const FieldReader&)>& visit) {
        for (const Row& row : rows) {
            visit([&row](const std::string& field) {
                auto it = row.find(field);
                return it == row.end() ? std::string() : it->second;
            });
        }
    };
}

ReportItem Item(ItemKind kind, std::string text, int left, int top, int width,
                std::string field = "") {
    ReportItem item;
    item.kind = kind;
    item.text = std::move(text);
    item.field = std::move(field);
    item.left = left;
    item.top = top;
    item.width = width;
    item.font.size = 10;
    return item;
}

ReportDefinition SmallReport() {
    ReportDefinition d;
    d.title.items.push_back(Item(ItemKind::Label, "Lijst", 5, 4, 100));
    d.title.items.push_back(Item(ItemKind::Date, "Datum: ", 5, 21, 0));
    d.title.items.back().autoSize = true;
    d.title.height = 50;
    d.header.items.push_back(Item(ItemKind::Label, "Naam", 5, 0, 100));
    ReportItem page = Item(ItemKind::PageNumber, "Pagina: ", 0, 0, PageGeometry{}.ContentWidth());
    page.align = Align::Right;
    d.header.items.push_back(page);
    d.detail.items.push_back(Item(ItemKind::DataText, "", 5, 0, 100, "NAAM"));
    return d;
}

std::vector<std::string> Texts(const PreparedPage& page) {
    std::vector<std::string> out;
    for (const PlacedText& t : page.texts) {
        out.push_back(t.text);
    }
    return out;
}

TEST(ReportLayout, EmptyReportHasOnePageWithTitleAndPageNumber) {
    const FixedMeasurer m;
    const PreparedReport r = Prepare(SmallReport(), Rows({}), m, "2024-05-01", "10:00");
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(Texts(r.pages[0]),
              (std::vector<std::string>{"Lijst", "Datum: 2024-05-01", "Naam", "Pagina: 1"}));
    // Title items at the page's top margin; the header below the title band.
    EXPECT_EQ(r.pages[0].texts[0].y, r.geometry.top + 4);
    EXPECT_EQ(r.pages[0].texts[2].y, r.geometry.top + 50);
    EXPECT_EQ(r.pages[0].texts[0].x, r.geometry.left + 5);
}

TEST(ReportLayout, RowsFillPagesWithHeaderOnEachAndTitleOnlyOnFirst) {
    const FixedMeasurer m;
    const PageGeometry g;
    const int rowHeight = 14;
    const int firstPageRows = (g.bottom - g.top - 50 - rowHeight) / rowHeight;
    const int nextPageRows = (g.bottom - g.top - rowHeight) / rowHeight;
    std::vector<Row> rows;
    const int total = firstPageRows + nextPageRows + 3;
    for (int i = 0; i < total; ++i) {
        rows.push_back({{"NAAM", "r" + std::to_string(i)}});
    }
    const PreparedReport r = Prepare(SmallReport(), Rows(rows), m, "d", "t");
    ASSERT_EQ(r.pages.size(), 3u);
    const std::size_t perPage[] = {static_cast<std::size_t>(firstPageRows) + 4,
                                   static_cast<std::size_t>(nextPageRows) + 2, 3 + 2};
    int next = 0;
    for (std::size_t p = 0; p < r.pages.size(); ++p) {
        const auto texts = Texts(r.pages[p]);
        EXPECT_EQ(texts.size(), perPage[p]) << "page " << p + 1;
        const std::size_t first = p == 0 ? 2 : 0;
        EXPECT_EQ(texts[first], "Naam");
        EXPECT_EQ(texts[first + 1], "Pagina: " + std::to_string(p + 1));
        for (std::size_t i = first + 2; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i], "r" + std::to_string(next++));
        }
        for (const PlacedText& t : r.pages[p].texts) {
            EXPECT_LE(t.y + t.height, g.bottom);
        }
    }
    EXPECT_EQ(next, total);
}

TEST(ReportLayout, ValuesPrintOnOneLineCutAtTheirWidth) {
    const FixedMeasurer m;
    const PreparedReport r = Prepare(
        SmallReport(), Rows({{{"NAAM", "Zo\xC3\xAB\r\nJansen en Zonen"}}, {{"NAAM", "a\nb"}}}), m,
        "d", "t");
    const auto texts = Texts(r.pages[0]);
    // 100 units hold ten characters of 10 units; "ë" is one character.
    EXPECT_EQ(texts[4], "Zo\xC3\xAB Jansen");
    EXPECT_EQ(texts[5], "a b");
}

TEST(ReportLayout, NothingPrintsPastTheRightMargin) {
    const FixedMeasurer m;
    ReportDefinition d;
    const PageGeometry g;
    const int w = g.ContentWidth();
    d.detail.items.push_back(Item(ItemKind::DataText, "", 5, 0, w - 105, "A"));
    d.detail.items.push_back(Item(ItemKind::DataText, "", w - 100, 0, 300, "B"));
    d.detail.items.push_back(Item(ItemKind::DataText, "", w + 10, 0, 50, "C"));
    const std::string wide(80, 'x');
    const PreparedReport r = Prepare(d, Rows({{{"A", "a"}, {"B", wide}, {"C", "c"}}}), m, "d", "t");
    const auto& texts = r.pages[0].texts;
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].x + texts[1].width, g.right);
    EXPECT_EQ(texts[1].text, std::string(10, 'x'));
}

TEST(ReportLayout, BandIsAsHighAsItsTallestItem) {
    const FixedMeasurer m;
    Band band;
    band.height = 3;
    band.items.push_back(Item(ItemKind::Label, "a", 0, 0, 10));
    band.items.push_back(Item(ItemKind::Label, "b", 0, 2, 10));
    band.items.back().font.size = 20;
    EXPECT_EQ(BandHeight(band, m), 2 + 24);
}

TEST(ReportLayout, CutToWidthKeepsWholeCharacters) {
    const FixedMeasurer m;
    ReportFont f;
    f.size = 10;
    EXPECT_EQ(CutToWidth(m, f, "\xC3\xAB\xC3\xAB\xC3\xAB", 25), "\xC3\xAB\xC3\xAB");
    EXPECT_EQ(CutToWidth(m, f, "abc", 30), "abc");
    EXPECT_EQ(CutToWidth(m, f, "abc", 9), "");
}

}  // namespace
}  // namespace report
