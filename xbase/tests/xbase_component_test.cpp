// The engine component over the engine library, on tables opened by a data-set double.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "platform/db/database_error.h"
#include "platform/db/field.h"
#include "platform/rtl/exception.h"
#include "xbase/c_string_list.h"
#include "xbase/tests/component_fixture.h"
#include "xbase/xbase_component.h"

namespace xbase::testing {
namespace {

namespace fs = std::filesystem;

std::vector<Row> FiveRows() {
    return {{"010", "Aap"},
            {"020", "Noot", true},
            {"030", "Mies"},
            {"040", "Wim", true},
            {"050", "Zus"}};
}

// Table A bound to the component, table B open beside it.
class XbaseTest : public ComponentTest {
  protected:
    void SetUp() override {
        ComponentTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        pathA = MakeTable("a.dbf", FiveRows());
        pathB = MakeTable("b.dbf",
                          {{"1", "b1"},
                           {"2", "b2"},
                           {"3", "b3"},
                           {"4", "b4"},
                           {"5", "b5"},
                           {"6", "b6"},
                           {"7", "b7"}},
                          {"NUMMER:C:20", "NAAM:C:150"});
        tableA = std::make_unique<AreaTable>(pathA);
        tableB = std::make_unique<AreaTable>(pathB);
        source = std::make_unique<db::TDataSource>();
        source->SetDataSet(tableA.get());
        xb = std::make_unique<TXbase>();
        xb->SetName("a2");
        xb->SetDataSource(source.get());
    }
    void TearDown() override {
        xb.reset();
        source.reset();
        tableA.reset();
        tableB.reset();
        ComponentTest::TearDown();
    }

    // Opens both tables and leaves B's area current.
    void OpenBoth() {
        tableA->Open();
        tableB->Open();
        Real().sx_Select(tableB->WorkArea());
        Logged().Log().clear();
    }

    std::string pathA, pathB;
    std::unique_ptr<AreaTable> tableA, tableB;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<TXbase> xb;
    int recSizeA = 0;
};

TEST_F(XbaseTest, EachOperationActsOnItsTableAndLeavesTheCurrentAreaCurrent) {
    const fs::path exportFile = fs::path(folder) / "out.txt";
    struct Case {
        const char* name;
        std::function<void(TXbase&)> run;
        std::function<void(const EngineApi&)> check;  // on table A's area
    };
    const std::vector<Case> cases = {
        {"Count", [](TXbase& x) { EXPECT_EQ(x.Count(), 5); }, nullptr},
        {"RecSize", [this](TXbase& x) { EXPECT_EQ(x.RecSize(), recSizeA); }, nullptr},
        {"Index",
         [this](TXbase& x) { EXPECT_EQ(x.Index(folder + "tel0.idx", "nummer", 0, false, ""), 1); },
         [](const EngineApi& e) { EXPECT_EQ(e.sx_IndexOrd(), 1); }},
        {"IndexOrd", [](TXbase& x) { EXPECT_EQ(x.IndexOrd(), 1); }, nullptr},
        {"TagName", [](TXbase& x) { EXPECT_EQ(x.TagName(1), "TEL0"); }, nullptr},
        {"SetOrder", [](TXbase& x) { EXPECT_EQ(x.SetOrder(0), 1); },
         [](const EngineApi& e) { EXPECT_EQ(e.sx_IndexOrd(), 0); }},
        {"CloseIndexes", [](TXbase& x) { x.CloseIndexes(); },
         [](const EngineApi& e) { EXPECT_STREQ(e.sx_TagName(1), ""); }},
        {"IndexOpen", [this](TXbase& x) { EXPECT_EQ(x.IndexOpen(folder + "tel0.idx"), 1); },
         [](const EngineApi& e) { EXPECT_EQ(e.sx_IndexOrd(), 1); }},
        {"Reindex", [](TXbase& x) { x.Reindex(); }, nullptr},
        {"Query", [](TXbase& x) { EXPECT_NE(x.Query("NAAM = 'Aap'"), 0); },
         [](const EngineApi& e) { EXPECT_STREQ(e.sx_DBFilter(), "NAAM = 'Aap'"); }},
        {"SetFilterExpr", [](TXbase& x) { x.SetFilterExpr(""); },
         [](const EngineApi& e) { EXPECT_STREQ(e.sx_DBFilter(), ""); }},
        {"Commit", [](TXbase& x) { x.Commit(); }, nullptr},
        {"SysProp", [](TXbase& x) { EXPECT_NE(x.SysProp(65006, 0), 0); }, nullptr},
        {"TurboRead", [](TXbase& x) { x.SetTurboRead(true); }, nullptr},
        {"CopyFileText",
         [&exportFile](TXbase& x) { EXPECT_TRUE(x.CopyFileText(exportFile.string(), 21)); },
         [&exportFile](const EngineApi&) { EXPECT_TRUE(fs::exists(exportFile)); }},
        {"FilterDlg",
         [](TXbase& x) { EXPECT_EQ(x.FilterDlg(0, "NAAM = 'x'", "Filter", true), "NAAM = 'x'"); },
         nullptr},
        {"Pack", [](TXbase& x) { x.Pack(); },
         [](const EngineApi& e) { EXPECT_EQ(e.sx_RecCount(), 3); }},
        {"Zap", [](TXbase& x) { x.Zap(); },
         [](const EngineApi& e) { EXPECT_EQ(e.sx_RecCount(), 0); }},
    };
    OpenBoth();
    Real().sx_Select(tableA->WorkArea());
    recSizeA = Real().sx_RecSize();
    Real().sx_Select(tableB->WorkArea());
    ASSERT_NE(recSizeA, Real().sx_RecSize());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.run(*xb);
        EXPECT_EQ(CurrentArea(), tableB->WorkArea());
        EXPECT_EQ(Real().sx_RecCount(), 7) << "table B untouched";
        if (c.check) {
            Real().sx_Select(tableA->WorkArea());
            c.check(Real());
            Real().sx_Select(tableB->WorkArea());
        }
    }
}

TEST_F(XbaseTest, OnAClosedTableNothingReachesTheAreaThatIsCurrent) {
    tableB->Open();
    Real().sx_Index((folder + "b0.idx").c_str(), "nummer", 0, 0, "");
    Logged().Log().clear();

    EXPECT_EQ(xb->Count(), 0);
    EXPECT_EQ(xb->RecSize(), 0);
    EXPECT_EQ(xb->IndexOrd(), 0);
    EXPECT_EQ(xb->TagName(1), "");
    EXPECT_EQ(xb->Index(folder + "tel0.idx", "nummer", 0, false, ""), 0);
    EXPECT_EQ(xb->IndexOpen(folder + "b0.idx"), 0);
    EXPECT_EQ(xb->SetOrder(0), 0);
    xb->Reindex();
    xb->CloseIndexes();
    xb->Commit();
    EXPECT_FALSE(xb->CopyFileText(folder + "out.txt", 22));
    EXPECT_THROW(xb->Pack(), db::EDatabaseError);
    EXPECT_THROW(xb->Zap(), db::EDatabaseError);

    for (const char* call : {"sx_Count", "sx_RecSize", "sx_IndexOrd", "sx_TagName", "sx_Index",
                             "sx_IndexOpen", "sx_SetOrder", "sx_Reindex", "sx_CloseIndexes",
                             "sx_Commit", "sx_CopyFileText", "sx_Pack", "sx_Zap"}) {
        EXPECT_EQ(Logged().CountOf(call), 0) << call;
    }
    EXPECT_EQ(CurrentArea(), tableB->WorkArea());
    EXPECT_EQ(Real().sx_RecCount(), 7);
    EXPECT_EQ(Real().sx_IndexOrd(), 1);
    EXPECT_FALSE(fs::exists(folder + "tel0.idx"));
    EXPECT_FALSE(fs::exists(folder + "out.txt"));
}

TEST_F(XbaseTest, PackAndZapRaiseWithNothingChanged) {
    struct Case {
        const char* name;
        bool open;
        std::function<void(TXbase&)> run;
    };
    const std::vector<Case> cases = {
        {"Pack closed", false, [](TXbase& x) { x.Pack(); }},
        {"Zap closed", false, [](TXbase& x) { x.Zap(); }},
        {"Pack shared", true, [](TXbase& x) { x.Pack(); }},
        {"Zap shared", true, [](TXbase& x) { x.Zap(); }},
    };
    tableA->exclusive = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.open) {
            tableA->Open();
        }
        try {
            c.run(*xb);
            ADD_FAILURE() << "no exception";
        } catch (const db::EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("a2: ", 0), 0u) << e.what();
        }
        tableA->Close();
        EXPECT_EQ(RecordsOnDisk(pathA), 5);
    }
}

TEST_F(XbaseTest, CountAfterPackIsTheRecordsThatWereNotDeleted) {
    tableA->Open();
    Real().sx_Select(tableA->WorkArea());
    EXPECT_EQ(Real().sx_RecCount(), 5);
    xb->Pack();
    EXPECT_EQ(xb->Count(), 3);
    tableA->Close();
    EXPECT_EQ(RecordsOnDisk(pathA), 3);
}

TEST_F(XbaseTest, ThirteenIndexesNumberedInTurnWithTheIndexNameFollowingEach) {
    tableA->exclusive = false;
    tableA->Open();
    for (int n = 0; n < 13; ++n) {
        const std::string file = folder + "tel" + std::to_string(n) + ".idx";
        EXPECT_EQ(xb->Index(file, kPhoneBookKeys[static_cast<std::size_t>(n)], 0, false, ""),
                  n + 1);
        ASSERT_EQ(tableA->indexNames.size(), static_cast<std::size_t>(n + 1));
        EXPECT_EQ(tableA->indexNames.back(), "TEL" + std::to_string(n));
        EXPECT_TRUE(fs::exists(file));
    }
    EXPECT_EQ(tableA->indexDefReads, 13);
    EXPECT_EQ(xb->IndexOrd(), 13);
    EXPECT_EQ(xb->TagName(3), "TEL2");
    xb->Reindex();
    EXPECT_EQ(xb->IndexOrd(), 13);
}

TEST_F(XbaseTest, ARefusedIndexAnswersZeroAndKeepsTheOrder) {
    tableA->Open();
    ASSERT_EQ(xb->Index(folder + "tel0.idx", "nummer", 0, false, ""), 1);
    tableA->indexNames.clear();
    EXPECT_EQ(xb->Index(folder + "bad.idx", "nummer +", 0, false, ""), 0);
    EXPECT_EQ(xb->Index(folder + "nofolder/x.idx", "nummer", 0, false, ""), 0);
    EXPECT_TRUE(tableA->indexNames.empty());
    EXPECT_EQ(xb->IndexOrd(), 1);
}

TEST_F(XbaseTest, AReindexTheEngineRefusesRaisesWithItsReason) {
    tableA->Open();
    fs::create_directory(folder + "sub");
    ASSERT_EQ(xb->Index(folder + "sub/x.idx", "nummer", 0, false, ""), 1);
    fs::remove_all(folder + "sub");  // the index file can no longer be written
    try {
        xb->Reindex();
        ADD_FAILURE() << "no exception";
    } catch (const db::EDatabaseError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("a2: Reindex refused: ", 0), 0u) << text;
        EXPECT_NE(text.find("sub/x.idx"), std::string::npos) << text;
    }
    // With its folder back the same reindex goes through.
    fs::create_directory(folder + "sub");
    EXPECT_NO_THROW(xb->Reindex());
    EXPECT_EQ(xb->Count(), 5);
}

TEST_F(XbaseTest, AQueryGivenWhileClosedIsAppliedWhenTheTableOpens) {
    EXPECT_EQ(xb->Query("NAAM = 'Mies'"), 0);
    EXPECT_EQ(xb->Filter(), "NAAM = 'Mies'");
    EXPECT_EQ(Logged().CountOf("sx_Query"), 0);

    tableA->Open();
    Real().sx_Select(tableA->WorkArea());
    EXPECT_STREQ(Real().sx_DBFilter(), "NAAM = 'Mies'");
    EXPECT_EQ(xb->Count(), 1);

    // It survives closing and opening again.
    tableA->Close();
    tableA->Open();
    Real().sx_Select(tableA->WorkArea());
    EXPECT_STREQ(Real().sx_DBFilter(), "NAAM = 'Mies'");

    xb->SetFilterExpr("");
    tableA->Close();
    tableA->Open();
    Real().sx_Select(tableA->WorkArea());
    EXPECT_STREQ(Real().sx_DBFilter(), "");
    EXPECT_EQ(xb->Count(), 5);
}

TEST_F(XbaseTest, ExtraIndexesOpenTheirFilesAndKeepTheOrder) {
    // Index files made earlier on the same table.
    tableA->Open();
    ASSERT_EQ(xb->Index(folder + "names.IDX", "naam", 0, false, ""), 1);
    ASSERT_EQ(xb->Index(folder + "tel0.idx", "nummer", 0, false, ""), 2);
    tableA->Close();

    rtl::TStringList names;
    names.Add(folder + "names");
    struct Case {
        const char* name;
        bool orderFirst;  // an order is current before the list is given
        int namesOrder;
        int expectedOrder;
        const char* expectedTag;
    };
    for (const Case& c : {Case{"order kept", true, 2, 1, "TEL0"},
                          Case{"first extra index", false, 1, 1, "NAMES"}}) {
        SCOPED_TRACE(c.name);
        xb->SetExtraIndexes(rtl::TStringList());
        tableA->Open();
        if (c.orderFirst) {
            ASSERT_EQ(xb->IndexOpen(folder + "tel0.idx"), 1);
        }
        tableB->Open();
        Real().sx_Select(tableB->WorkArea());
        Logged().Log().clear();
        xb->SetExtraIndexes(names);
        EXPECT_EQ(CurrentArea(), tableB->WorkArea());
        EXPECT_EQ(Logged().CountOf("sx_IndexOpen"), 1);
        EXPECT_EQ(xb->TagName(c.namesOrder), "NAMES");
        EXPECT_EQ(xb->IndexOrd(), c.expectedOrder);
        EXPECT_EQ(xb->TagName(c.expectedOrder), c.expectedTag);
        EXPECT_EQ(tableA->indexNames.back(), c.expectedTag);
        tableA->Close();
        tableB->Close();
    }

    // Opening the table opens the list again.
    tableA->Open();
    EXPECT_EQ(xb->TagName(1), "NAMES");
    EXPECT_EQ(xb->IndexOrd(), 1);
}

TEST_F(XbaseTest, CommitPostsAPendingEditFirst) {
    tableA->Open();
    std::vector<std::string>& log = Logged().Log();
    tableA->AfterPost = [&log](db::TDataSet&) { log.emplace_back("post"); };
    tableA->Append();
    tableA->FieldByName("NAAM").SetAsString("Nieuw");
    log.clear();
    xb->Commit();
    EXPECT_EQ(tableA->State(), db::dsBrowse);
    const auto post = std::find(log.begin(), log.end(), "post");
    const auto commit = std::find(log.begin(), log.end(), "sx_Commit");
    ASSERT_NE(post, log.end());
    ASSERT_NE(commit, log.end());
    EXPECT_LT(post, commit);

    log.clear();
    xb->Commit();
    EXPECT_EQ(std::count(log.begin(), log.end(), "post"), 0);
    EXPECT_EQ(Logged().CountOf("sx_Commit"), 1);
}

TEST_F(XbaseTest, TextsReachTheEngineInWindows1252AndFileNamesAsGiven) {
    MakeTable("c.dbf", {});
    tableA->Open();
    Real().sx_Select(tableA->WorkArea());
    Real().sx_GoTop();
    Real().sx_Replace("NAAM", SX_R_CHAR, "Caf\xE9");
    Real().sx_Commit();

    EXPECT_NE(xb->Query("NAAM = 'Café'"), 0);
    Real().sx_Select(tableA->WorkArea());
    EXPECT_STREQ(Real().sx_DBFilter(), "NAAM = 'Caf\xE9'");
    EXPECT_EQ(xb->Count(), 1);
    xb->SetFilterExpr("");

    const std::string file = folder + "één.idx";
    EXPECT_EQ(xb->Index(file, "naam", 0, false, "naam <> 'Café'"), 1);
    EXPECT_TRUE(fs::exists(file));
    Real().sx_Select(tableA->WorkArea());
    EXPECT_STREQ(Real().sx_IndexCondition(), "naam <> 'Caf\xE9'");
    EXPECT_EQ(xb->Count(), 4);
}

TEST_F(XbaseTest, LongTextsReachTheEngineWhole) {
    std::string condition = "nummer <> 'x'";
    while (condition.size() < 400) {
        condition += " .and. nummer <> 'x'";
    }
    const std::string deep = folder + std::string(120, 'd') + "/" + std::string(150, 'e') + "/";
    fs::create_directories(deep);
    tableA->Open();
    const std::string file = deep + "long.idx";
    ASSERT_GT(file.size(), 255u);
    EXPECT_EQ(xb->Index(file, "nummer", 0, false, condition), 1);
    EXPECT_TRUE(fs::exists(file));
    Real().sx_Select(tableA->WorkArea());
    EXPECT_EQ(std::string(Real().sx_IndexCondition()), condition);
    EXPECT_EQ(std::string(Real().sx_IndexName(1)), file);
}

TEST_F(XbaseTest, TheBoundDataSetFollowsTheSourceAndItsEnd) {
    tableA->Open();
    tableB->Open();
    db::TDataSource other;
    other.SetDataSet(tableB.get());
    xb->SetDataSource(&other);
    EXPECT_EQ(xb->Count(), 7);
    source->SetDataSet(nullptr);
    other.SetDataSet(tableA.get());
    EXPECT_EQ(xb->Count(), 5);
    tableA.reset();
    EXPECT_EQ(xb->Count(), 0);
    EXPECT_FALSE(xb->DataSetActive());
}

TEST(CStringList, KeepsWholeTextsInOrder) {
    TCStringList texts;
    const std::string longText(1000, 'x');
    for (const std::string& t :
         {std::string("a"), longText, std::string(), longText + "y", std::string("e")}) {
        texts.Add(t);
    }
    ASSERT_EQ(texts.Count(), 5);
    EXPECT_STREQ(texts.Items(0), "a");
    EXPECT_EQ(std::string(texts.Items(1)), longText);
    EXPECT_STREQ(texts.Items(2), "");
    EXPECT_EQ(std::string(texts.Items(3)), longText + "y");
    EXPECT_THROW(texts.Items(5), rtl::Exception);
    EXPECT_THROW(texts.Items(-1), rtl::Exception);
}

}  // namespace
}  // namespace xbase::testing
