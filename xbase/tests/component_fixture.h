#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/memory_data_set.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/engine_api.h"
#include "xbase/tests/logged_engine.h"
#include "xbase/tests/phonebook_fields.h"
#include "xbase/xbase_table.h"

namespace xbase::testing {

struct Row {
    std::string nummer;
    std::string naam;
    bool deleted = false;
};

// A data set that opens one engine table in an area of its own; its rows live in memory
// and stand for the table's records only where the data set's state matters.
class AreaTable : public db::TMemoryDataSet, public XbaseTable {
  public:
    AreaTable(std::string path, XbaseDriver driver = XbaseDriver::Fox)
        : path_(std::move(path)), driver_(driver) {
        FieldDefs().Add("NAAM", db::ftString, 20);
    }
    ~AreaTable() override { Close(); }

    bool exclusive = true;
    std::vector<std::string> indexNames;  // every SetIndexName, in order
    int indexDefReads = 0;

    int32_t WorkArea() const override { return area_; }
    XbaseDriver Driver() const override { return driver_; }
    void SetIndexName(const std::string& tag) override { indexNames.push_back(tag); }
    void ReadIndexDefs() override { ++indexDefReads; }

  protected:
    void InternalOpen() override {
        area_ =
            Engine().sx_Use(path_.c_str(), nullptr, exclusive ? SX_EXCLUSIVE : SX_SHARED, SX_FOX);
        if (area_ == 0) {
            db::DatabaseError("cannot open " + path_);
        }
        db::TMemoryDataSet::InternalOpen();
    }
    void InternalClose() override {
        db::TMemoryDataSet::InternalClose();
        if (area_ != 0) {
            const int32_t previous = Engine().sx_Select(area_);
            Engine().sx_Close();
            if (previous != area_) {
                Engine().sx_Select(previous);
            }
            area_ = 0;
        }
    }

  private:
    std::string path_;
    XbaseDriver driver_;
    int32_t area_ = 0;
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
