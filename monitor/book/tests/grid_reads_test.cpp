// What a grid over a large table reads from the engine: only the rows it paints.

#include <QScrollBar>
#include <QTest>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/qt_test_app.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/table.h"
#include "xbase/work_area.h"

namespace {

constexpr int kRecords = 20000;

class GridReads : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef REAL_ENGINE_PATH
        GTEST_SKIP() << "the build has no engine library";
#else
        std::string error;
        library_ = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
        ASSERT_NE(library_, nullptr) << error;
        xbase::ResetLayerState();
        xbase::ClearAllWorkAreas();
        xbase::SetMessageSink([](const xbase::LayerMessage&) {});
        xbase::BindEngine(&library_->Api());
        char pattern[] = "/tmp/gridreads-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        MakeBook();
        xbase::Session().Open();
        table_ = std::make_unique<xbase::TTable>();
        table_->SetDatabaseName(folder_);
        table_->SetTableName("boek.DBF");
        table_->SetTableType(xbase::ttSXFOX);
        table_->Open();
        const xbase::EngineApi& e = xbase::Engine();
        e.sx_Select(table_->Handle());
        ASSERT_GT(e.sx_IndexOpen((folder_ + "naam.idx").c_str()), 0);
        table_->SetIndexName("naam.idx");
        // As the program runs: deleted records hidden, after the start-up's reindex.
        ASSERT_TRUE(e.sx_Reindex());
        e.sx_SetDeleted(1);
        table_->First();
        source_.SetDataSet(table_.get());
        grid_ = std::make_unique<ui::TDBGrid>();
        for (const char* name : {"NAAM", "PLAATS", "MEMO"}) {
            grid_->Columns().Add().SetFieldName(name);
        }
        grid_->resize(500, 400);
        grid_->SetDataSource(&source_);
        grid_->show();
#endif
    }

    void TearDown() override {
        if (!library_) {
            return;
        }
        grid_.reset();
        source_.SetDataSet(nullptr);
        xbase::Engine().sx_SetDeleted(0);
        table_.reset();
        xbase::Session().Close();
        xbase::BindEngine(nullptr);
        xbase::SetMessageSink({});
        xbase::ResetLayerState();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    void MakeBook() {
        const std::string path = folder_ + "boek.DBF";
        std::ostringstream out, err;
        ASSERT_EQ(
            xb::RunTableTool({"create", path, "NAAM:C:20", "PLAATS:C:20", "MEMO:M"}, out, err), 0)
            << err.str();
        const xbase::EngineApi& e = xbase::Engine();
        ASSERT_GT(e.sx_Use(path.c_str(), "MAKE", SX_EXCLUSIVE, SX_FOX), 0);
        for (int i = 1; i <= kRecords; ++i) {
            ASSERT_EQ(e.sx_AppendEx(), 0);
            e.sx_Replace("NAAM", SX_R_CHAR,
                         ("naam " + std::to_string((i * 7919) % kRecords)).c_str());
            e.sx_Replace("PLAATS", SX_R_CHAR, i % 2 ? "Ede" : "Zwolle");
            if (i % 1000 == 0) {
                e.sx_Replace("MEMO", SX_R_MEMO, "notitie");
            }
        }
        ASSERT_GT(e.sx_Index((folder_ + "naam.idx").c_str(), "NAAM", 0, 0, nullptr), 0);
        e.sx_Close();
    }

    static intptr_t Reads() {
        return xbase::Engine().sx_SysProp(65100, 0);
    }
    // Records read from the table while the grid paints after `step`.
    intptr_t ReadsFor(const std::function<void()>& step) {
        const intptr_t before = Reads();
        step();
        grid_->grab();
        return Reads() - before;
    }
    int ScreenRows() const {
        return grid_->rowAt(grid_->viewport()->height() - 1) - grid_->rowAt(0);
    }

    std::unique_ptr<xbase::EngineLibrary> library_;
    std::string folder_;
    std::unique_ptr<xbase::TTable> table_;
    db::TDataSource source_;
    std::unique_ptr<ui::TDBGrid> grid_;
};

TEST_F(GridReads, FirstMiddleAndEndReadAScreenEach) {
    EXPECT_LT(ReadsFor([this] { grid_->Repaint(); }), 200);
    EXPECT_EQ(grid_->model()->rowCount(), kRecords);
    EXPECT_LT(ReadsFor([this] { table_->GotoBookmark(table_->BookmarkAt(kRecords / 2)); }), 200);
    EXPECT_EQ(table_->RowOf(table_->GetBookmark()), kRecords / 2);
    EXPECT_LT(ReadsFor([this] { table_->Last(); }), 200);
    EXPECT_TRUE(grid_->visualRect(grid_->model()->index(kRecords - 1, 0))
                    .intersects(grid_->viewport()->rect()));

    // A screen down by the scroll bar reads about a screen and leaves the record.
    QTest::keyClick(grid_.get(), Qt::Key_Home, Qt::ControlModifier);
    grid_->grab();
    const db::TBookmark first = table_->GetBookmark();
    const int screen = ScreenRows();
    const intptr_t down = ReadsFor([&] {
        grid_->verticalScrollBar()->setValue(grid_->verticalScrollBar()->value() + screen + 1);
    });
    EXPECT_GE(down, screen / 2);
    EXPECT_LE(down, 2 * screen + 10);
    EXPECT_EQ(table_->GetBookmark(), first);
}

TEST_F(GridReads, NothingIsReadWhileControlsAreDisabled) {
    grid_->grab();
    table_->DisableControls();
    const intptr_t before = Reads();
    grid_->verticalScrollBar()->setValue(9000);
    grid_->grab();
    const intptr_t whileDisabled = Reads() - before;
    table_->EnableControls();
    grid_->grab();
    EXPECT_EQ(whileDisabled, 0);
    EXPECT_GT(Reads(), before);
}

TEST_F(GridReads, MemoMarkersComeFromTheRecord) {
    table_->SetIndexName("");
    grid_->grab();
    table_->GotoBookmark(table_->BookmarkAt(999));
    grid_->grab();
    EXPECT_EQ(grid_->model()->index(999, 2).data().toString(), "(MEMO)");
    EXPECT_EQ(grid_->model()->index(998, 2).data().toString(), "(Memo)");
}

}  // namespace
