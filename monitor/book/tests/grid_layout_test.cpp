#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "monitor/book/grid_layout.h"
#include "platform/db/data_source.h"
#include "platform/db/tests/data_set_fixture.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/whole_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/qt_test_app.h"

namespace {

using db::testing::PeopleTable;

// A window at 10,20 of 300x200 with a grid of ID, NAAM, MEMO (design widths 50, 60, 70).
class LayoutFixture {
  public:
    LayoutFixture() : people(2), file(dir.filePath("belvodbgrid.ini").toStdString()) {
        source.SetDataSet(people.table.get());
        for (const char* name : {"ID", "NAAM", "MEMO"}) {
            ui::TColumn& column = grid.Columns().Add();
            column.SetFieldName(name);
            column.SetWidth(50 + 10 * column.Index());
        }
        grid.SetDataSource(&source);
        form.setGeometry(10, 20, 300, 200);
    }
    ~LayoutFixture() { grid.SetDataSource(nullptr); }

    void Write(const std::string& text) { rtl::WriteWholeFileAtomically(file.FileName(), text); }
    std::string Fields() const {
        std::string names;
        for (int i = 0; i < grid.Columns().Count(); ++i) {
            names += (i ? "," : "") + grid.Columns()[i].FieldName();
        }
        return names;
    }

    QTemporaryDir dir;
    PeopleTable people;
    db::TDataSource source;
    rtl::TIniFile file;
    QWidget form;
    ui::TDBGrid grid;
};

struct LayoutCase {
    const char* name;
    const char* ini;
    std::function<void(LayoutFixture&)> check;
};

TEST(GridLayout, RestoresWhatTheFileHolds) {
    const LayoutCase cases[] = {
        {"missing section leaves the design", "[ander]\nleft=99\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.form.geometry(), QRect(10, 20, 300, 200));
             EXPECT_EQ(f.Fields(), "ID,NAAM,MEMO");
             EXPECT_EQ(f.grid.Columns()[1].Width(), 60);
         }},
        {"window position and size, each by itself", "[log]\nleft=40\nheight=150\n",
         [](LayoutFixture& f) { EXPECT_EQ(f.form.geometry(), QRect(40, 20, 300, 150)); }},
        {"fewer sections restore the first columns only",
         "[log0]\nwidth=81\ntitle=Nr\n[log5]\nwidth=5\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.grid.Columns()[0].Width(), 81);
             EXPECT_EQ(f.grid.Columns()[0].Title().Caption(), "Nr");
             EXPECT_EQ(f.grid.Columns()[1].Width(), 60);
             EXPECT_EQ(f.grid.Columns()[1].Title().Caption(), "NAAM");
         }},
        {"-1 counts as absent", "[log]\nleft=-1\n[log1]\nwidth=-1\ncolor=-1\nreadonly=-1\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.form.x(), 10);
             EXPECT_EQ(f.grid.Columns()[1].Width(), 60);
             EXPECT_EQ(f.grid.Columns()[1].Font().color, ui::clWindowText);
         }},
        {"alignment 0 or missing keeps the design; 1..3 set it",
         "[log0]\nalignment=0\n[log1]\nalignment=2\n[log2]\nalignment=3\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.grid.Columns()[0].Alignment(), ui::taRightJustify);
             EXPECT_EQ(f.grid.Columns()[1].Alignment(), ui::taCenter);
             EXPECT_EQ(f.grid.Columns()[2].Alignment(), ui::taRightJustify);
         }},
        {"swapped columns come back through the field names",
         "[log0]\nfieldname=NAAM\nwidth=90\n[log1]\nfieldname=ID\nwidth=40\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.Fields(), "NAAM,ID,MEMO");
             EXPECT_EQ(f.grid.model()->index(0, 0).data().toString(), "n1");
         }},
        {"an unknown field name keeps the column's field", "[log2]\nfieldname=WEG\ntitle=Weg\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.Fields(), "ID,NAAM,MEMO");
             EXPECT_EQ(f.grid.Columns()[2].Title().Caption(), "Weg");
         }},
        {"fonts, colours and read-only; size 0 is ignored",
         "[log0]\nfontname=Courier\nfontsize=0\ncolor=255\ntitlecolor=16711680\nreadonly=1\n"
         "titlefontname=Arial\ntitlefontsize=12\n[log1]\nfontsize=11\nreadonly=0\n",
         [](LayoutFixture& f) {
             const ui::TColumn& first = f.grid.Columns()[0];
             EXPECT_EQ(first.Font().name, "Courier");
             EXPECT_EQ(first.Font().size, f.grid.Font().size);
             EXPECT_EQ(first.Font().color, ui::clRed);
             EXPECT_EQ(first.Title().Font().color, ui::clBlue);
             EXPECT_EQ(first.Title().Font().name, "Arial");
             EXPECT_EQ(first.Title().Font().size, 12);
             EXPECT_TRUE(first.ReadOnly());
             EXPECT_EQ(f.grid.Columns()[1].Font().size, 11);
             EXPECT_FALSE(f.grid.Columns()[1].ReadOnly());
         }},
        {"the grid's title font from the second column's section",
         "[log]\nDefaultRowheight=18\n[log1]\ntitlefontname=Tahoma\ntitlefontsize=9\n",
         [](LayoutFixture& f) {
             EXPECT_EQ(f.grid.TitleFont().name, "Tahoma");
             EXPECT_EQ(f.grid.TitleFont().size, 9);
         }},
        {"title font name only with DefaultRowheight", "[log1]\ntitlefontname=Tahoma\n",
         [](LayoutFixture& f) { EXPECT_NE(f.grid.TitleFont().name, "Tahoma"); }},
        {"a window off every screen comes onto the primary one", "[log]\nleft=-30000\ntop=-30000\n",
         [](LayoutFixture& f) {
             EXPECT_GT(f.form.x(), -1000);
             EXPECT_GT(f.form.y(), -1000);
             EXPECT_EQ(f.form.width(), 300);
         }},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutFixture f;
        f.Write(c.ini);
        laaddbgrid(f.file, f.form, f.grid, "log");
        c.check(f);
    }
}

TEST(GridLayout, SavedLayoutLoadsTheSame) {
    LayoutFixture saved;
    saved.form.setGeometry(30, 40, 320, 210);
    saved.grid.Columns().Move(0, 2);
    saved.grid.Columns()[0].SetWidth(123);
    saved.grid.Columns()[0].Title().SetCaption("Naam ë");
    saved.grid.Columns()[1].SetAlignment(ui::taCenter);
    saved.grid.Columns()[1].SetReadOnly(true);
    ui::FontSpec font = saved.grid.Columns()[2].Font();
    font.name = "Courier";
    font.size = 14;
    font.color = ui::clLime;
    saved.grid.Columns()[2].SetFont(font);
    savedbgrid(saved.file, saved.form, saved.grid, "klapper");
    EXPECT_EQ(saved.file.ReadString("klapper0", "fieldname", ""), "NAAM");
    EXPECT_EQ(saved.file.ReadInteger("klapper1", "alignment", 0), 2);
    EXPECT_EQ(saved.file.ReadInteger("klapper1", "readonly", -1), 1);
    EXPECT_FALSE(saved.file.SectionExists("klapper3"));

    LayoutFixture loaded;
    loaded.Write(rtl::ReadWholeFile(saved.file.FileName()).value_or(""));
    laaddbgrid(loaded.file, loaded.form, loaded.grid, "klapper");
    EXPECT_EQ(loaded.form.geometry(), QRect(30, 40, 320, 210));
    ASSERT_EQ(loaded.Fields(), "NAAM,MEMO,ID");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ui::TColumn& a = saved.grid.Columns()[i];
        const ui::TColumn& b = loaded.grid.Columns()[i];
        EXPECT_EQ(b.Width(), a.Width());
        EXPECT_EQ(b.Title().Caption(), a.Title().Caption());
        EXPECT_EQ(b.Alignment(), a.Alignment());
        EXPECT_EQ(b.ReadOnly(), a.ReadOnly());
        EXPECT_EQ(b.Font(), a.Font());
        EXPECT_EQ(b.Title().Font(), a.Title().Font());
    }
}

}  // namespace
