#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/field.h"
#include "xbase/tests/dataset_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

class Editing : public RealTables {
  protected:
    void SetUp() override {
        RealTables::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeFive();
        table = &Table("VIJF.DBF");
        table->Open();
    }

    std::string Name() const { return table->FieldByName("NAAM").AsString(); }
    // What the file holds for record `recno`'s name, blanks cut.
    std::string StoredName(int recno) const {
        std::string bytes = StoredBytes("VIJF.DBF", recno, 1, 20);
        bytes.erase(bytes.find_last_not_of(' ') + 1);
        return bytes;
    }

    TestTable* table = nullptr;
};

TEST_F(Editing, PostWritesTheEditedRecord) {
    table->Next();
    table->Edit();
    EXPECT_EQ(table->State(), db::dsEdit);
    table->FieldByName("NAAM").SetAsString("Twee bis");
    EXPECT_TRUE(table->Modified());
    table->Post();
    EXPECT_EQ(table->State(), db::dsBrowse);
    EXPECT_EQ(Name(), "Twee bis");
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_EQ(StoredName(2), "Twee bis");
}

TEST_F(Editing, CancelKeepsTheStoredRecord) {
    table->Edit();
    table->FieldByName("NAAM").SetAsString("Weg");
    table->Cancel();
    EXPECT_EQ(Name(), "Een");
    EXPECT_EQ(StoredName(1), "Een");
    // The record lock went with the cancel: editing again works.
    table->Edit();
    table->FieldByName("NAAM").SetAsString("Eén");
    table->Post();
    EXPECT_EQ(Name(), "Eén");
}

TEST_F(Editing, AppendAndInsertAddRecordsAtTheEnd) {
    table->Append();
    EXPECT_EQ(table->State(), db::dsInsert);
    EXPECT_EQ(table->RecNo(), -1);
    table->FieldByName("NAAM").SetAsString("Zes");
    table->Post();
    EXPECT_EQ(Name(), "Zes");
    EXPECT_EQ(table->RecNo(), 6);

    table->First();
    table->Insert();
    table->FieldByName("NAAM").SetAsString("Zeven");
    table->Post();
    EXPECT_EQ(table->RecNo(), 7);
    table->First();
    EXPECT_EQ(WalkForward(*table), (Names{"Een", "Twee", "Vier", "Vijf", "Zes", "Zeven"}));
    EXPECT_EQ(StoredName(7), "Zeven");
}

TEST_F(Editing, ANewRecordStartsBlank) {
    table->Append();
    EXPECT_TRUE(table->FieldByName("NAAM").IsNull());
    table->Cancel();
    EXPECT_EQ(Name(), "Vijf");
    table->First();
    EXPECT_EQ(WalkForward(*table).size(), 4u);
}

TEST_F(Editing, DeletingEveryRecordLeavesAnEmptySetThatEditInsertsInto) {
    table->First();
    while (!table->IsEmpty()) {
        table->Delete();
    }
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(ErrorOf([&] { table->Delete(); }),
              "Cannot perform this operation on an empty dataset");
    table->Edit();
    EXPECT_EQ(table->State(), db::dsInsert);
    table->FieldByName("NAAM").SetAsString("Nieuw");
    table->Post();
    table->First();
    EXPECT_EQ(WalkForward(*table), (Names{"Nieuw"}));
    table->First();
    EXPECT_EQ(table->RecNo(), 6);
}

TEST_F(Editing, AReadOnlyOpenRefusesChanges) {
    table->Close();
    class ReadOnlyTable : public TDBDataSet {
      public:
        ~ReadOnlyTable() override { Close(); }

      protected:
        CursorHandle CreateHandle() override {
            CursorHandle handle = 0;
            CheckOpen(DbiOpenTableArea(DBHandle(), "VIJF.DBF", "SXFOX", nullptr, nullptr, 0, 1, 0,
                                       2, false, nullptr, &handle));
            return handle;
        }
    } readOnly;
    readOnly.SetDatabaseName(folder);
    readOnly.Open();
    EXPECT_FALSE(readOnly.CanModify());
    EXPECT_EQ(ErrorOf([&] { readOnly.Edit(); }), "Cannot modify a read-only dataset");
}

}  // namespace
}  // namespace xbase::testing
