#include "monitor/book/grid_print.h"

#include <map>

#include <gtest/gtest.h>

#include "platform/ui/report/tests/fixed_measurer.h"

namespace book {
namespace {

using report::ItemKind;
using report::testing::FixedMeasurer;
using Row = std::map<std::string, std::string>;

report::RowScanner Rows(std::vector<Row> rows) {
    return [rows = std::move(rows)](const std::function<void(const report::FieldReader&)>& visit) {
        for (const Row& row : rows) {
            visit([&row](const std::string& f) {
                auto it = row.find(f);
                return it == row.end() ? std::string() : it->second;
            });
        }
    };
}

PrintColumn Column(std::string title, std::string field, int width) {
    PrintColumn c;
    c.title = std::move(title);
    c.field = std::move(field);
    c.width = width;
    c.cellFont.size = 8;
    c.titleFont.size = 9;
    c.titleFont.bold = true;
    return c;
}

std::vector<PrintColumn> Columns() {
    return {Column("Nummer", "NUMMER", 74), Column("Naam", "NAAM", 125),
            Column("Plaats", "PLAATS", 145), Column("Naam", "VOORNAAM", 90)};
}

struct Slot {
    std::string title;
    int left;
    int width;
};

std::vector<Slot> Slots(const GridReport& r) {
    std::vector<Slot> out;
    for (const auto& item : r.definition.header.items) {
        if (item.kind == ItemKind::Label) {
            out.push_back({item.text, item.left, item.width});
        }
    }
    return out;
}

struct LayoutCase {
    const char* name;
    std::vector<std::string> selected;
    bool otherFont;
    std::vector<Row> rows;
    std::vector<Slot> slots;
};

TEST(GridPrint, SlotsFromTheSelectionInListOrder) {
    const std::vector<LayoutCase> cases = {
        {"empty selection", {}, false, {}, {}},
        {"list order, grid widths from x 5",
         {"Plaats", "Nummer"},
         false,
         {},
         {{"Plaats", 5, 145}, {"Nummer", 150, 74}}},
        {"one title twice",
         {"Nummer", "Nummer"},
         false,
         {},
         {{"Nummer", 5, 74}, {"Nummer", 79, 74}}},
        {"a title matching two columns",
         {"Naam"},
         false,
         {},
         {{"Naam", 5, 125}, {"Naam", 130, 90}}},
        {"another font: widest value or title + 5",
         {"Nummer", "Plaats"},
         true,
         {{{"NUMMER", "0201234567890"}, {"PLAATS", "Ee"}},
          {{"NUMMER", "1"}, {"PLAATS", "Zo\xC3\xAB"}}},
         {{"Nummer", 5, 13 * 7 + 5}, {"Plaats", 101, 6 * 7 + 5}}},
        {"another font on an empty table: the titles",
         {"Plaats"},
         true,
         {},
         {{"Plaats", 5, 6 * 7 + 5}}},
        {"no such title", {"Straat"}, false, {}, {}},
    };
    const FixedMeasurer m;
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridReportRequest request;
        request.selected = c.selected;
        request.columns = Columns();
        if (c.otherFont) {
            request.otherFont = report::ReportFont{"Courier", 7, 0, false, false, false};
        }
        const GridReport r = BuildGridReport(request, Rows(c.rows), m);
        const auto slots = Slots(r);
        ASSERT_EQ(slots.size(), c.slots.size());
        for (std::size_t i = 0; i < slots.size(); ++i) {
            EXPECT_EQ(slots[i].title, c.slots[i].title) << i;
            EXPECT_EQ(slots[i].left, c.slots[i].left) << i;
            EXPECT_EQ(slots[i].width, c.slots[i].width) << i;
        }
        // Each title has its data text below it, at the same place.
        ASSERT_EQ(r.definition.detail.items.size(), slots.size());
        for (std::size_t i = 0; i < slots.size(); ++i) {
            EXPECT_EQ(r.definition.detail.items[i].left, slots[i].left);
            EXPECT_EQ(r.definition.detail.items[i].width, slots[i].width);
        }
        EXPECT_FALSE(r.cut);
    }
}

TEST(GridPrint, ThirtySlotsAtMost) {
    std::vector<std::string> selected(31, "Nummer");
    EXPECT_EQ(MatchSlots(selected, Columns()).size(), 30u);
    selected.assign(16, "Naam");  // 32 matches
    const auto slots = MatchSlots(selected, Columns());
    ASSERT_EQ(slots.size(), 30u);
    EXPECT_EQ(slots[28], 0 + 1);
    EXPECT_EQ(slots[29], 3);
}

TEST(GridPrint, FontsAndTitleBand) {
    const FixedMeasurer m;
    GridReportRequest request;
    request.title = "Telefoonklapper";
    request.subtitle = "ISDN Belverin";
    request.selected = {"Naam"};
    request.columns = Columns();
    request.reportFont.size = 8;
    const GridReport r = BuildGridReport(request, Rows({}), m);
    const auto& title = r.definition.title;
    ASSERT_EQ(title.items.size(), 4u);
    EXPECT_EQ(title.items[0].text, "Telefoonklapper");
    EXPECT_TRUE(title.items[0].font.underline);
    EXPECT_EQ(title.items[1].kind, ItemKind::Date);
    EXPECT_EQ(title.items[1].text, "Datum: ");
    EXPECT_EQ(title.items[2].text, "Tijd: ");
    EXPECT_EQ(title.items[3].text, "ISDN Belverin");
    // Line height 12: tops 4, 19, 34, 49; the band ends 8 below the subtitle.
    EXPECT_EQ(title.items[1].top, 19);
    EXPECT_EQ(title.items[3].top, 49);
    EXPECT_EQ(title.height, 49 + 12 + 8);
    // With the grid's fonts the title takes the title font, the value the cell font.
    EXPECT_TRUE(r.definition.header.items[0].font.bold);
    EXPECT_EQ(r.definition.detail.items[0].font.size, 8);
    const auto& page = r.definition.header.items.back();
    EXPECT_EQ(page.kind, ItemKind::PageNumber);
    EXPECT_EQ(page.align, report::Align::Right);
    EXPECT_EQ(page.left + page.width, report::PageGeometry{}.ContentWidth());
}

TEST(GridPrint, SlotsPastTheMarginAreCutAndSaid) {
    const FixedMeasurer m;
    GridReportRequest request;
    request.selected = {"Plaats", "Plaats", "Plaats", "Plaats", "Plaats", "Nummer", "Nummer"};
    request.columns = Columns();
    const GridReport r = BuildGridReport(request, Rows({}), m);
    EXPECT_TRUE(r.cut);
    const report::PreparedReport p =
        report::Prepare(r.definition, Rows({{{"PLAATS", "x"}, {"NUMMER", "y"}}}), m, "d", "t");
    const report::PageGeometry g;
    int values = 0;
    for (const auto& t : p.pages[0].texts) {
        EXPECT_LE(t.x + t.width, g.right) << t.text;
        values += t.text == "x" || t.text == "y" ? 1 : 0;
    }
    // 5 + 4 * 145 = 585; the fifth Plaats is cut, the Nummer slots start past the margin.
    EXPECT_EQ(values, 5);
}

// The page number stays at the right end of the header; where the titles reach its room it gets
// a line of its own, so that no text is printed over another.
TEST(GridPrint, ThePageNumberNeverSharesItsRoomWithATitle) {
    struct Case {
        const char* name;
        std::vector<std::string> selected;
        bool ownLine;
    };
    const Case cases[] = {
        {"titles short of its room", {"Plaats", "Nummer"}, false},
        {"titles up to the right end", {"Plaats", "Plaats", "Plaats", "Plaats", "Nummer"}, true},
        {"titles past the margin", {"Plaats", "Plaats", "Plaats", "Plaats", "Plaats"}, true},
    };
    const FixedMeasurer m;
    const report::PageGeometry g;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridReportRequest request;
        request.selected = c.selected;
        request.columns = Columns();
        const GridReport r = BuildGridReport(request, Rows({}), m);
        const auto& page = r.definition.header.items.back();
        ASSERT_EQ(page.kind, ItemKind::PageNumber);
        EXPECT_EQ(page.left + page.width, g.ContentWidth());
        EXPECT_EQ(page.top, 0);
        EXPECT_EQ(r.definition.header.items.front().top,
                  c.ownLine ? m.Height(request.reportFont) : 0);

        const report::PreparedReport p = report::Prepare(r.definition, Rows({}), m, "d", "t");
        const auto& texts = p.pages[0].texts;
        int pageNumbers = 0;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            pageNumbers += texts[i].text == "Pagina: 1" ? 1 : 0;
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                const auto& a = texts[i];
                const auto& b = texts[j];
                const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                                   a.y + a.height <= b.y || b.y + b.height <= a.y;
                EXPECT_TRUE(apart) << a.text << " over " << b.text;
            }
        }
        EXPECT_EQ(pageNumbers, 1);
    }
}

TEST(GridPrint, RowsPerPageWithHeaderOnEachPage) {
    const FixedMeasurer m;
    GridReportRequest request;
    request.selected = {"Naam"};
    request.columns = Columns();
    request.reportFont.size = 8;
    std::vector<Row> rows(200, Row{{"NAAM", "Jansen"}});
    const GridReport r = BuildGridReport(request, Rows(rows), m);
    const report::PreparedReport p = report::Prepare(r.definition, Rows(rows), m, "d", "t");
    // Detail rows 12 high; header 13 (title font 9); title band 69; 991 units of page.
    const int first = (991 - 69 - 13) / 12;
    const int next = (991 - 13) / 12;
    ASSERT_EQ(p.pages.size(), 3u);
    int seen = 0;
    for (std::size_t i = 0; i < p.pages.size(); ++i) {
        int values = 0;
        int headers = 0;
        for (const auto& t : p.pages[i].texts) {
            values += t.text == "Jansen" ? 1 : 0;
            headers += t.text == "Naam" ? 1 : 0;
        }
        EXPECT_EQ(headers, 2) << i;  // "Naam" names two columns
        if (i == 0) {
            EXPECT_EQ(values, first);
        } else if (i == 1) {
            EXPECT_EQ(values, next);
        }
        seen += values;
    }
    EXPECT_EQ(seen, 200);
}

}  // namespace
}  // namespace book
