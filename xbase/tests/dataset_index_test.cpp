#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/field.h"
#include "xbase/tests/dataset_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

TEST_F(RealTables, SwitchingTheIndexChangesTheOrderAndTheKeyFields) {
    MakeTable("ORDE.DBF", {"NAAM:C:10", "NUMMER:C:5"},
              {{{"NAAM", "Zeeman"}, {"NUMMER", "1"}},
               {{"NAAM", "Appel"}, {"NUMMER", "2"}},
               {{"NAAM", "Moes"}, {"NUMMER", "3"}}});
    const std::string index = folder + "naam.idx";
    {
        const std::string path = folder + "ORDE.DBF";
        ASSERT_GT(Engine().sx_Use(path.c_str(), "ORDE", SX_EXCLUSIVE, SX_FOX), 0);
        const int32_t order = Engine().sx_Index(index.c_str(), "NAAM", 0, 0, nullptr);
        Engine().sx_Close();
        if (order == 0) {
            GTEST_SKIP() << "the engine makes no indexes yet";
        }
    }
    TestTable& t = Table("ORDE.DBF");
    t.Open();
    EXPECT_EQ(t.IndexFieldCount(), 0);
    Engine().sx_Select(t.Handle());
    ASSERT_GT(Engine().sx_IndexOpen(index.c_str()), 0);
    Engine().sx_SetOrder(0);

    t.SwitchToIndex("naam.idx", "naam.idx");
    t.First();
    EXPECT_EQ(WalkForward(t), (Names{"Appel", "Moes", "Zeeman"}));
    EXPECT_FALSE(t.ExpressionIndex());
    ASSERT_EQ(t.IndexFieldCount(), 1);
    EXPECT_EQ(t.IndexFieldNo(0), 1);
    EXPECT_TRUE(t.IsIndexField(t.FieldByName("NAAM")));
    EXPECT_FALSE(t.IsIndexField(t.FieldByName("NUMMER")));

    // In set-key state only the key fields take values.
    t.SetKeyBuffer(TBDEDataSet::kiLookup, true);
    t.FieldByName("NAAM").SetAsString("Moes");
    EXPECT_EQ(ErrorOf([&] { t.FieldByName("NUMMER").SetAsString("3"); }),
              "Field 'NUMMER' is not indexed and cannot be modified");
    t.Cancel();

    t.SwitchToIndex("", "");
    t.First();
    EXPECT_EQ(WalkForward(t), (Names{"Zeeman", "Appel", "Moes"}));
}

}  // namespace
}  // namespace xbase::testing
