#include <gtest/gtest.h>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

using Databases = LayerTest;

DbiResult OpenDb(const char* name, DbHandle* db) {
    return DbiOpenDatabase(name, nullptr, 0, 0, nullptr, 0, nullptr, nullptr, db);
}

TEST_F(Databases, DirectoryOfANewDatabase) {
    struct Case {
        const char* label;
        const char* name;
        std::string buffer;
        std::string defaultPath;
        std::string directory;
        std::string defaultAfter;
    };
    const Case cases[] = {
        {"name", "/data", "./", "", "/data/", ""},
        {"name with slash", "/data/", "", "/p/", "/data/", "/p/"},
        {"relative name", "sub", "", "", "sub/", ""},
        {"default path", nullptr, "./x/", "/alias/path", "/alias/path/", "/alias/path"},
        {"buffer kept", "", "/cur", "", "/cur/", "/cur"},
        {"nothing", nullptr, "", "", "./", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetLayerState();
        State().currentDirectory = c.buffer;
        State().defaultPath = c.defaultPath;
        DbHandle db = 0;
        ASSERT_EQ(OpenDb(c.name, &db), kOk);
        EXPECT_EQ(db, 1);
        ASSERT_NE(DirectoryOf(db), nullptr);
        EXPECT_EQ(*DirectoryOf(db), c.directory);
        EXPECT_EQ(State().currentDirectory, c.directory);
        EXPECT_EQ(State().defaultPath, c.defaultAfter);
    }
}

TEST_F(Databases, SlotsAreReusedAndThe200thFails) {
    std::vector<DbHandle> handles;
    for (int i = 1; i <= kDirectorySlots; ++i) {
        DbHandle db = 0;
        ASSERT_EQ(OpenDb("/d", &db), kOk);
        EXPECT_EQ(db, i);
        handles.push_back(db);
    }
    DbHandle extra = 77;
    EXPECT_NE(OpenDb("/d", &extra), kOk);
    EXPECT_EQ(extra, 0);

    DbHandle freed = 42;
    EXPECT_EQ(DbiCloseDatabase(&freed), kOk);
    EXPECT_EQ(freed, 0);
    EXPECT_EQ(DirectoryOf(42), nullptr);
    DbHandle again = 0;
    ASSERT_EQ(OpenDb("/e", &again), kOk);
    EXPECT_EQ(again, 42);
    EXPECT_EQ(*DirectoryOf(42), "/e/");
}

TEST_F(Databases, SetDirectory) {
    DbHandle db = 0;
    ASSERT_EQ(OpenDb("/a", &db), kOk);
    EXPECT_EQ(DbiSetDirectory(db, "/data"), kOk);
    EXPECT_EQ(*DirectoryOf(db), "/data/");
    EXPECT_EQ(DbiSetDirectory(db, "/b/"), kOk);
    EXPECT_EQ(*DirectoryOf(db), "/b/");
    EXPECT_EQ(DbiSetDirectory(db, nullptr), kOk);
    EXPECT_EQ(DbiSetDirectory(db, ""), kOk);
    EXPECT_EQ(*DirectoryOf(db), "/b/");
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(DbiSetDirectory(0, "/c"), kOk);
    EXPECT_EQ(messages, std::vector<std::string>{"DbiSetDirectory : hDb = 0"});
    for (DbHandle stray : {5, 200, -1}) {
        EXPECT_NE(DbiSetDirectory(stray, "/c"), kOk) << stray;
        EXPECT_EQ(DirectoryOf(stray), nullptr);
    }
}

TEST_F(Databases, FormFullName) {
    DbHandle db = 0;
    ASSERT_EQ(OpenDb("/data", &db), kOk);
    std::string full;
    ASSERT_EQ(DbiFormFullName(db, "x.dbf", "SXFOX", &full), kOk);
    EXPECT_EQ(full, "/data/x.dbf");
    ASSERT_EQ(DbiFormFullName(db, "/other/x.dbf", nullptr, &full), kOk);
    EXPECT_EQ(full, "/other/x.dbf");
    EXPECT_NE(DbiFormFullName(9, "x.dbf", nullptr, &full), kOk);
}

TEST_F(Databases, AliasPathKeepsItsCase) {
    struct Case {
        const char* params;
        std::string defaultPath;
    };
    const Case cases[] = {
        {"PATH:\"/home/Ann/Data\"", "/home/Ann/Data"},
        {"path:\"/srv/Mixed\";DEFAULT DRIVER:\"PARADOX\"", "/srv/Mixed"},
        {"DEFAULT DRIVER:\"X\";Path:\"/a b/C\"", "/a b/C"},
        {"PATH:/no/quotes", "/no/quotes"},
        {"DEFAULT DRIVER:\"X\"", "./"},
        {nullptr, "./"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params ? c.params : "(none)");
        ResetLayerState();
        EXPECT_EQ(DbiAddAlias(nullptr, "A", "STANDARD", c.params, false), kOk);
        EXPECT_EQ(State().defaultPath, c.defaultPath);
    }
    // A database opened by alias name takes that path.
    ResetLayerState();
    DbiAddAlias(nullptr, "A", "STANDARD", "PATH:\"/home/Ann\"", false);
    DbHandle db = 0;
    ASSERT_EQ(OpenDb(nullptr, &db), kOk);
    EXPECT_EQ(*DirectoryOf(db), "/home/Ann/");
}

TEST_F(Databases, ErrorStrings) {
    struct Case {
        DbiResult code;
        const char* text;
    };
    const Case cases[] = {{11011, "File Open Error"},
                          {10024, "IDAPI Error : 10024"},
                          {0, "IDAPI Error : 0"},
                          {9990, "IDAPI Error : 9990"},
                          {65535, "IDAPI Error : 65535"}};
    for (const Case& c : cases) {
        std::string text;
        EXPECT_EQ(DbiGetErrorString(c.code, &text), kOk);
        EXPECT_EQ(text, c.text);
    }
}

TEST(ResultCodes, CategoriesAndAppendRefusals) {
    for (DbiResult miss = 8705; miss <= 8712; ++miss)
        EXPECT_EQ(ErrorCategory(miss), 34);
    EXPECT_NE(ErrorCategory(kNoSuchTable), 34);
    struct Case {
        int32_t engine;
        DbiResult result;
    };
    const Case cases[] = {{0, kOk},  {1, 10245}, {2, 10243}, {3, 9218},
                          {4, 8965}, {5, 10763}, {6, 9990},  {7, kOk}};
    for (const Case& c : cases)
        EXPECT_EQ(AppendRefusalResult(c.engine), c.result) << c.engine;
}

}  // namespace
}  // namespace xbase::testing
