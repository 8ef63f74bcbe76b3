#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/db/tests/data_set_fixture.h"

namespace db::testing {
namespace {

using Log = std::vector<std::string>;

TEST(DataLinks, EditAndPostNotifyInTheOrderControlsRely) {
    PeopleTable people(2);
    people.Link();
    people.log.clear();
    people.table->Edit();
    EXPECT_EQ(people.log, (Log{"link:checkbrowse", "link:editing", "link:record "}));
    people.log.clear();
    people.Field("NAAM").SetAsString("x");
    EXPECT_EQ(people.log, (Log{"link:record NAAM"}));
    people.log.clear();
    people.table->Post();
    EXPECT_EQ(people.log,
              (Log{"link:update", "link:checkbrowse", "link:browsing", "link:changed"}));
}

TEST(DataLinks, OpenAndCloseSwitchTheLinks) {
    PeopleTable people(2);
    people.table->Close();
    people.Link();
    EXPECT_TRUE(people.log.empty());
    people.table->Open();
    EXPECT_EQ(people.log, (Log{"link:active"}));
    EXPECT_TRUE(people.links[0]->Active());
    people.log.clear();
    people.table->Close();
    EXPECT_EQ(people.log, (Log{"link:inactive"}));
}

TEST(DataLinks, DisableControlsHoldsNotificationsUntilTheLastEnable) {
    PeopleTable people(5);
    people.Link(3);
    people.log.clear();
    people.table->DisableControls();
    people.table->DisableControls();
    people.table->Next();
    people.table->Edit();
    people.Field("NAAM").SetAsString("x");
    people.table->Post();
    people.table->Last();
    people.table->Delete();
    people.table->EnableControls();
    EXPECT_TRUE(people.log.empty());
    EXPECT_TRUE(people.table->ControlsDisabled());
    people.table->EnableControls();
    EXPECT_EQ(people.log, (Log{"link:changed"}));
    EXPECT_FALSE(people.table->ControlsDisabled());
    people.table->EnableControls();  // unbalanced: no effect
    EXPECT_EQ(people.log.size(), 1u);
}

TEST(DataLinks, EnableControlsReportsAStateChangedMeanwhile) {
    PeopleTable people(2);
    people.Link();
    people.log.clear();
    people.table->DisableControls();
    people.table->Edit();
    people.table->EnableControls();
    EXPECT_EQ(people.log, (Log{"link:editing", "link:changed"}));

    people.table->Cancel();
    people.log.clear();
    people.table->DisableControls();
    people.table->Close();
    people.table->EnableControls();
    EXPECT_EQ(people.log, (Log{"link:inactive"}));
}

TEST(DataLinks, ScrollDistanceIsHowFarEachWindowMoved) {
    PeopleTable people(6);
    people.Link(3);  // a grid
    people.Link(1);  // an edit control
    people.log.clear();
    for (int i = 0; i < 3; ++i) {
        people.table->Next();
    }
    people.table->Prior();
    people.table->Prior();
    people.table->Prior();
    std::erase(people.log, "link:checkbrowse");
    EXPECT_EQ(people.log,
              (Log{"link:scrolled 0", "link:scrolled 1", "link:scrolled 0", "link:scrolled 1",
                   "link:scrolled 1", "link:scrolled 1", "link:scrolled 0", "link:scrolled -1",
                   "link:scrolled 0", "link:scrolled -1", "link:scrolled -1", "link:scrolled -1"}));
    EXPECT_EQ(people.links[0]->ActiveRecord(), 0);
    EXPECT_EQ(people.links[1]->ActiveRecord(), 0);
}

TEST(DataLinks, GrowingAWindowFillsItAroundTheActiveRecord) {
    PeopleTable people(7);
    TDataLink& grid = people.Link(1);
    people.table->Last();
    grid.SetBufferCount(4);
    ASSERT_EQ(grid.RecordCount(), 4);
    EXPECT_EQ(grid.ActiveRecord(), 3);
    std::vector<int> ids;
    for (int row = 0; row < 4; ++row) {
        grid.SetActiveRecord(row);
        ids.push_back(people.Id());
    }
    grid.SetActiveRecord(3);
    EXPECT_EQ(ids, (std::vector<int>{4, 5, 6, 7}));
    grid.SetBufferCount(2);
    EXPECT_EQ(grid.RecordCount(), 2);
    EXPECT_EQ(people.Id(), 7);
    people.table->Prior();
    EXPECT_EQ(people.Id(), 6);
}

TEST(DataSources, ReportStateAndDataChanges) {
    PeopleTable people(2);
    TDataSource source;
    Log log;
    source.OnStateChange = [&](TDataSource& s) {
        log.push_back("state " + std::to_string(s.State()));
    };
    source.OnDataChange = [&](TDataSource&, TField* field) {
        log.push_back(field != nullptr ? "data " + field->FieldName() : "data");
    };
    source.SetDataSet(people.table.get());
    EXPECT_EQ(source.State(), dsBrowse);
    source.Edit();
    people.Field("NAAM").SetAsString("x");
    people.table->Post();
    people.table->Next();
    EXPECT_EQ(log, (Log{"state 1", "state 2", "data", "data NAAM", "state 1", "data", "data"}));

    source.AutoEdit = false;
    source.Edit();
    EXPECT_EQ(people.table->State(), dsBrowse);
}

TEST(DataSources, DisabledSourceSilencesItsLinks) {
    PeopleTable people(3);
    RecordingLink& link = people.Link();
    people.log.clear();
    people.source->SetEnabled(false);
    EXPECT_FALSE(link.Active());
    people.table->Next();
    EXPECT_EQ(people.log, (Log{"link:inactive"}));
    people.source->SetEnabled(true);
    EXPECT_TRUE(link.Active());
}

TEST(DataSources, LinksAndSourcesLetGoOfWhatIsDestroyed) {
    PeopleTable people(2);
    RecordingLink& link = people.Link();
    people.source.reset();
    EXPECT_EQ(link.DataSource(), nullptr);
    EXPECT_FALSE(link.Active());

    TDataSource source;
    RecordingLink other(people.log);
    other.SetDataSource(&source);
    source.SetDataSet(people.table.get());
    EXPECT_TRUE(other.Active());
    people.links.clear();
    people.table.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(other.Active());
}

// A data set whose master source can be set, for the circular-link check.
class DetailTable : public TMemoryDataSet {
  public:
    TDataSource* master = nullptr;
    TDataSource* GetDataSource() const override { return master; }
};

TEST(DataSources, CircularLinksAreRefused) {
    DetailTable detail;
    TDataSource source;
    detail.master = &source;
    try {
        source.SetDataSet(&detail);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(source.DataSet(), nullptr);
}

TEST(MasterLinks, TellTheDetailWhenTheMasterMovesOrGoes) {
    PeopleTable master(3);
    TMemoryDataSet detail;
    detail.FieldDefs().Add("ID", ftSmallint);
    detail.Open();
    TDataSource source;
    source.SetDataSet(master.table.get());
    TMasterDataLink link(&detail);
    Log log;
    link.OnMasterChange = [&] { log.push_back("change " + master.Field("ID").AsString()); };
    link.OnMasterDisable = [&] { log.push_back("disable"); };
    link.SetFieldNames("id");
    link.SetDataSource(&source);
    ASSERT_EQ(link.Fields().size(), 1u);
    EXPECT_EQ(link.Fields()[0], &master.Field("ID"));
    master.table->Next();
    master.table->Edit();
    master.Field("NAAM").SetAsString("x");  // not a key field
    master.Field("ID").SetAsInteger(7);
    master.table->Cancel();
    master.table->Close();
    // Field names on an inactive link disable; Edit and Cancel re-read the master record,
    // so the detail hears of them too.
    EXPECT_EQ(log, (Log{"disable", "change 1", "change 2", "change 2", "change 7", "change 2",
                        "disable"}));
}

}  // namespace
}  // namespace db::testing
