#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/table_tool.h"
#include "platform/xbase32/xbase32.h"

namespace xbtest {

// Record numbers in the order navigation visits them.
inline std::vector<int> Walk() {
    std::vector<int> seen;
    for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
        seen.push_back(sx_RecNo());
    }
    return seen;
}

// A fresh directory per test and an engine with every area closed and settings back at
// their defaults.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/xbase32-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ResetEngine();
    }

    void TearDown() override {
        ResetEngine();
        std::filesystem::remove_all(dir_);
    }

    static void ResetEngine() {
        sx_CloseAll();
        sx_Select(1);
        sx_SetDeleted(0);
        sx_SetExact(1);
        sx_SetSoftSeek(0);
        sx_SetCentury(0);
        sx_SetEpoch(1900);
        sx_SetDateFormat(0);
        sx_SetLockTimeout(1);
        sx_SetMemoBlockSize(64);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Creates a table from a field list such as "NAME:C:10,NOTE:M".
    std::string Create(const std::string& name, const std::string& fields) {
        const std::string path = Path(name);
        xb::DbfTable::Create(path, xb::ParseFieldSpecs({fields}), 64);
        return path;
    }

    // Opens a table and fails the test when the engine refuses.
    int Open(const std::string& path, int mode = SX_EXCLUSIVE, const char* alias = nullptr) {
        const int area = sx_Use(path.c_str(), alias, mode, SX_FOX);
        EXPECT_NE(area, 0) << sx_LastErrorText();
        return area;
    }

    // Appends one record holding the given texts in the first fields.
    void AppendTexts(const std::vector<std::string>& values) {
        ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
        for (size_t i = 0; i < values.size(); ++i) {
            const char* field = sx_FieldName(static_cast<int32_t>(i + 1));
            ASSERT_TRUE(sx_Replace(field, SX_R_CHAR, values[i].c_str())) << sx_LastErrorText();
        }
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir_;
};

}  // namespace xbtest
