#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/xbase32/table_tool.h"
#include "xbase/engine_api.h"
#include "xbase/tests/area_table.h"
#include "xbase/tests/logged_engine.h"
#include "xbase/tests/phonebook_fields.h"
#include "xbase/xbase_table.h"

namespace xbase::testing {

struct Row {
    std::string nummer;
    std::string naam;
    bool deleted = false;
};

// The engine library under a log, and a scratch folder.
class ComponentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        engine_ = LoggedEngine::Open(&error);
        if (!engine_) {
            GTEST_SKIP() << error;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "xbcomp-XXXXXX");
        folder = std::string(mkdtemp(pattern.data())) + "/";
    }
    void TearDown() override {
        engine_.reset();
        std::error_code ec;
        if (!folder.empty()) {
            std::filesystem::remove_all(folder, ec);
        }
    }

    LoggedEngine& Logged() { return *engine_; }
    const EngineApi& Real() { return engine_->Real(); }

    // A table (the phone book's fields unless told) holding `rows`, the deleted ones marked.
    std::string MakeTable(const std::string& name, const std::vector<Row>& rows,
                          const std::vector<std::string>& fields = kPhoneBookFields) {
        const std::string path = folder + name;
        std::vector<std::string> args = {"create", path};
        args.insert(args.end(), fields.begin(), fields.end());
        std::ostringstream out, err;
        EXPECT_EQ(xb::RunTableTool(args, out, err), 0) << err.str();
        const EngineApi& e = Real();
        const int32_t previous = e.sx_WorkArea(nullptr);
        const int32_t area = e.sx_Use(path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
        EXPECT_NE(area, 0) << e.sx_LastErrorText();
        for (const Row& row : rows) {
            EXPECT_EQ(e.sx_AppendEx(), 0);
            e.sx_Replace("NUMMER", SX_R_CHAR, row.nummer.c_str());
            e.sx_Replace("NAAM", SX_R_CHAR, row.naam.c_str());
            if (row.deleted) {
                e.sx_Delete();
            }
        }
        e.sx_Commit();
        e.sx_Close();
        e.sx_Select(previous);
        return path;
    }

    // Records of the table at `path`, deleted ones included, read apart from any test area.
    int RecordsOnDisk(const std::string& path) {
        const EngineApi& e = Real();
        const int32_t previous = e.sx_WorkArea(nullptr);
        const int32_t area = e.sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX);
        const int count = area == 0 ? -1 : e.sx_RecCount();
        if (area != 0) {
            e.sx_Close();
        }
        e.sx_Select(previous);
        return count;
    }

    int32_t CurrentArea() { return Real().sx_WorkArea(nullptr); }

    std::string folder;

  private:
    std::unique_ptr<LoggedEngine> engine_;
};

}  // namespace xbase::testing
