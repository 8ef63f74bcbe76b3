#include <gtest/gtest.h>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

class OpenTable : public LayerTest {
  protected:
    OpenTable() {
        DbiInitEngine(nullptr);
        fake.calls.clear();
    }

    DbHandle Database(const std::string& directory) {
        DbHandle db = 0;
        EXPECT_EQ(
            DbiOpenDatabase(directory.c_str(), nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db),
            kOk);
        return db;
    }

    DbiResult Open(DbHandle db, const std::string& name, const char* driver = "SXFOX",
                   int32_t openMode = 0, int32_t shareMode = 0, const char* tag = nullptr) {
        return DbiOpenTableArea(db, name.c_str(), driver, nullptr, tag, 0, openMode, shareMode, 0,
                                false, nullptr, &handle);
    }

    CursorHandle handle = 0;
    const FakeTable table{{{"NUMMER", 'C', 20}, {"NAAM", 'C', 150}}, {}};
};

TEST_F(OpenTable, AliasesFromTheFileName) {
    struct Case {
        std::string file;
        std::vector<std::string> aliases;  // of opening it again and again
    };
    const Case cases[] = {
        {"PHONE~1.DBF", {"PHONE_1", "PHONE_1_1", "PHONE_1_2"}},
        {"my-t a.dbf", {"my_t_a"}},
        {"x.dbf", {"x", "x_1"}},
    };
    const DbHandle db = Database("/data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fake.AddTable("/data/" + c.file, table);
        for (const std::string& alias : c.aliases) {
            ASSERT_EQ(Open(db, c.file), kOk);
            EXPECT_EQ(fake.uses.back().alias, alias);
            EXPECT_EQ(WorkAreaOf(handle)->alias, alias);
        }
    }
}

TEST_F(OpenTable, BothProgramTablesShareTheirPrefix) {
    const DbHandle db = Database("/prog");
    fake.AddTable("/prog/belverintel.DBF", table);
    fake.AddTable("/prog/belverinlog.DBF", table);
    ASSERT_EQ(Open(db, "belverintel.DBF"), kOk);
    const CursorHandle book = handle;
    ASSERT_EQ(Open(db, "belverinlog.DBF"), kOk);
    EXPECT_NE(handle, book);
    EXPECT_EQ(WorkAreaOf(book)->alias, "belverin");
    EXPECT_EQ(WorkAreaOf(handle)->alias, "belverin_1");
    EXPECT_TRUE(messages.empty());
}

TEST_F(OpenTable, AliasTakenOutsideTheLayerIsSkipped) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/book.dbf", table);
    fake.OpenDirectly("/data/other.dbf", "BOOK");
    ASSERT_EQ(Open(db, "book.dbf"), kOk);
    EXPECT_EQ(fake.uses.back().alias, "book_1");
}

TEST_F(OpenTable, DriverFromTextOrFromTheFile) {
    struct Case {
        const char* label;
        const char* driverText;  // null: none given
        unsigned char firstByte;
        std::vector<std::string> beside;  // files beside the table
        int32_t driver;
    };
    const Case cases[] = {
        {"text NTX", "SXNTX", 0xF5, {}, SX_NTX},
        {"text case-blind", "sxnsx", 0xF5, {}, SX_NSX},
        {"text FOX", "SXFOX", 0x83, {}, SX_FOX},
        {"unknown text", "PARADOX", 0x83, {}, SX_FOX},
        {"0x03 alone", nullptr, 0x03, {}, SX_FOX},
        {"0x03 with nsx", nullptr, 0x03, {"t.NSX"}, SX_NSX},
        {"0x03 with cdx", nullptr, 0x03, {"t.cdx"}, SX_FOX},
        {"0x03 with both", nullptr, 0x03, {"t.nsx", "t.CDX"}, SX_FOX},
        {"0x06 with nsx", nullptr, 0x06, {"t.nsx"}, SX_NSX},
        {"0x83", nullptr, 0x83, {}, SX_NTX},
        {"0x86", nullptr, 0x86, {}, SX_NTX},
        {"0xE5", nullptr, 0xE5, {}, SX_NSX},
        {"0xE6", nullptr, 0xE6, {}, SX_NSX},
        {"0xF5", nullptr, 0xF5, {}, SX_FOX},
        {"0xF6", nullptr, 0xF6, {"t.nsx"}, SX_FOX},
        {"other byte", nullptr, 0x30, {"t.nsx"}, SX_FOX},
        {"empty text", "", 0x83, {}, SX_NTX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(Folder());
        std::filesystem::create_directories(Folder());
        const std::string path = WriteFile("t.dbf", std::string(1, char(c.firstByte)) + "rest");
        for (const std::string& name : c.beside)
            WriteFile(name, "");
        fake.AddTable(path, table);
        ASSERT_EQ(Open(Database(Folder()), "t.dbf", c.driverText), kOk);
        EXPECT_EQ(fake.uses.back().driver, c.driver);
        EXPECT_EQ(WorkAreaOf(handle)->driver, c.driver);
    }
}

TEST_F(OpenTable, MissingFileWithoutDriverTextFailsWithTheFoxDriver) {
    EXPECT_EQ(Open(Database(Folder()), "absent.dbf", nullptr), kTableNotOpened);
    EXPECT_EQ(fake.uses.back().driver, SX_FOX);
}

TEST_F(OpenTable, OpenAndShareModesReachTheEngine) {
    struct Case {
        int32_t openMode;   // 0 read/write, 1 read-only
        int32_t shareMode;  // 0 shared, 1 exclusive
        int32_t engineMode;
    };
    const Case cases[] = {
        {0, 1, SX_EXCLUSIVE}, {0, 0, SX_SHARED}, {1, 0, SX_READONLY}, {1, 1, SX_READONLY}};
    const DbHandle db = Database("/data");
    fake.AddTable("/data/t.dbf", table);
    for (const Case& c : cases) {
        ASSERT_EQ(Open(db, "t.dbf", "SXFOX", c.openMode, c.shareMode), kOk);
        EXPECT_EQ(fake.uses.back().mode, c.engineMode) << c.openMode << "/" << c.shareMode;
        EXPECT_EQ(WorkAreaOf(handle)->openMode, c.openMode);
        EXPECT_EQ(WorkAreaOf(handle)->shareMode, c.shareMode);
    }
}

TEST_F(OpenTable, BareNamesJoinTheDatabaseDirectoryAbsoluteOnesStand) {
    const DbHandle db = Database("/data");
    struct Case {
        std::string name;
        std::string path;
    };
    const Case cases[] = {{"x.dbf", "/data/x.dbf"},
                          {"/other/x.dbf", "/other/x.dbf"},
                          {"sub/x.dbf", "/data/sub/x.dbf"}};
    for (const Case& c : cases) {
        fake.AddTable(c.path, table);
        ASSERT_EQ(Open(db, c.name), kOk);
        EXPECT_EQ(fake.uses.back().path, c.path);
        EXPECT_EQ(WorkAreaOf(handle)->fullPath, c.path);
        EXPECT_EQ(WorkAreaOf(handle)->tableName, c.name);
    }
}

TEST_F(OpenTable, LongPathsAreNotCut) {
    const std::string deep = "/" + std::string(300, 'd') + "/" + std::string(200, 'e');
    const DbHandle db = Database(deep);
    const std::string name = std::string(120, 'n') + ".dbf";
    fake.AddTable(deep + "/" + name, table);
    ASSERT_EQ(Open(db, name), kOk);
    EXPECT_EQ(fake.uses.back().path, deep + "/" + name);
}

TEST_F(OpenTable, RecordHoldsTheStructure) {
    fake.AddTable("/data/t.dbf", table);
    ASSERT_EQ(Open(Database("/data"), "t.dbf"), kOk);
    const TVCLWorkArea* wa = WorkAreaOf(handle);
    ASSERT_NE(wa, nullptr);
    EXPECT_EQ(wa->area, handle);
    EXPECT_EQ(wa->fieldCount, 2);
    EXPECT_EQ(wa->recordSize, 171);
    EXPECT_EQ(wa->recordBuffer.size(), 171u);
    EXPECT_EQ(wa->logical.size(), 2u);
    EXPECT_EQ(wa->translateMode, 2);
    EXPECT_EQ(fake.stringType, 1);
}

TEST_F(OpenTable, RefusalLeavesNoRecordAndTheCurrentAreaAlone) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/t.dbf", table);
    ASSERT_EQ(Open(db, "t.dbf"), kOk);
    const CursorHandle first = handle;
    fake.current = first;
    handle = 0;
    EXPECT_EQ(Open(db, "missing.dbf"), kTableNotOpened);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(WorkAreaOf(2), nullptr);
    EXPECT_EQ(fake.current, first);
}

TEST_F(OpenTable, OpeningGivesTheCurrentAreaBack) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/a.dbf", table);
    fake.AddTable("/data/b.dbf", table);
    ASSERT_EQ(Open(db, "a.dbf"), kOk);
    const CursorHandle a = handle;
    fake.current = a;
    ASSERT_EQ(Open(db, "b.dbf", "SXFOX", 0, 0, "NAAM"), kOk);
    EXPECT_EQ(fake.current, a);
}

TEST_F(OpenTable, UnknownDatabaseShowsTheMessageAndKeepsTheDirectory) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/t.dbf", table);
    ASSERT_EQ(Open(db, "t.dbf"), kOk);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(Open(57, "t.dbf"), kOk);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Could not find directory associated with this database"});
    EXPECT_EQ(fake.uses.back().path, "/data/t.dbf");
}

TEST_F(OpenTable, IndexTagAtOpen) {
    FakeTable tagged = table;
    tagged.tags = {FakeTag{"NUMMER"}, FakeTag{"NAAM"}};
    fake.AddTable(Folder() + "t.dbf", tagged);
    WriteFile("tel0.idx", "");
    const DbHandle db = Database(Folder());

    ASSERT_EQ(Open(db, "t.dbf", "SXFOX", 0, 0, "naam"), kOk);
    EXPECT_EQ(fake.areas[handle].order, 2);
    EXPECT_TRUE(fake.indexOpens.empty());

    ASSERT_EQ(Open(db, "t.dbf", "SXNTX", 0, 0, "tel0.idx"), kOk);
    EXPECT_EQ(fake.indexOpens, std::vector<std::string>{Folder() + "tel0.idx"});

    fake.indexOpens.clear();
    ASSERT_EQ(Open(db, "t.dbf", "SXNTX", 0, 0, "absent.idx"), kOk);
    EXPECT_TRUE(fake.indexOpens.empty());
}

class CloseTable : public OpenTable {};

TEST_F(CloseTable, ClosesTheAreaAndItsRecord) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/a.dbf", table);
    fake.AddTable("/data/b.dbf", table);
    ASSERT_EQ(Open(db, "a.dbf"), kOk);
    const CursorHandle a = handle;
    ASSERT_EQ(Open(db, "b.dbf"), kOk);
    CursorHandle b = handle;
    fake.current = a;
    EXPECT_EQ(DbiCloseTable(&b), kOk);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(WorkAreaOf(handle), nullptr);
    EXPECT_FALSE(fake.areas.count(handle));
    EXPECT_TRUE(fake.areas.count(a));
    EXPECT_EQ(fake.current, a);
}

TEST_F(CloseTable, AreaClosedBehindTheLayerClosesNothingElse) {
    const DbHandle db = Database("/data");
    fake.AddTable("/data/a.dbf", table);
    fake.AddTable("/data/b.dbf", table);
    ASSERT_EQ(Open(db, "a.dbf"), kOk);
    const CursorHandle a = handle;
    ASSERT_EQ(Open(db, "b.dbf"), kOk);
    CursorHandle b = handle;
    fake.areas.erase(b);
    fake.current = a;
    EXPECT_EQ(DbiCloseTable(&b), kOk);
    EXPECT_TRUE(fake.areas.count(a));
    EXPECT_EQ(WorkAreaOf(handle), nullptr);
}

TEST_F(CloseTable, PseudoCursorsAndUnknownHandles) {
    struct Case {
        CursorHandle handle;
        DbiResult result;
    };
    const Case cases[] = {{260, kOk},        {261, kOk},         {300, kOk},
                          {0, kNoSuchTable}, {-1, kNoSuchTable}, {7, kNoSuchTable}};
    for (const Case& c : cases) {
        CursorHandle h = c.handle;
        EXPECT_EQ(DbiCloseTable(&h), c.result) << c.handle;
    }
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace xbase::testing
