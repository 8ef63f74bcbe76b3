#pragma once

// Record data sets over real tables: the layer over the engine library that the build makes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/db_data_set.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {

// The smallest data set that opens a table: the name is joined to the database directory.
class TestTable : public TDBDataSet {
  public:
    explicit TestTable(std::string tableName) : tableName_(std::move(tableName)) {}
    ~TestTable() override { Close(); }

    using TBDEDataSet::AllocRecordBuffer;
    using TBDEDataSet::FreeRecordBuffer;
    using TBDEDataSet::GetRecord;
    using TBDEDataSet::InternalFirst;
    using TBDEDataSet::KeyBuffer;
    using TBDEDataSet::KeyRecord;
    using TBDEDataSet::SetKeyBuffer;
    using TBDEDataSet::SwitchToIndex;
    using TDBDataSet::SetDBFlag;
    int opens = 0;

  protected:
    CursorHandle CreateHandle() override {
        CursorHandle handle = 0;
        do {
            ++opens;
        } while (CheckOpen(DbiOpenTableArea(DBHandle(), tableName_.c_str(), "SXFOX", nullptr,
                                            nullptr, 0, 0, 0, 2, false, nullptr, &handle)));
        return handle;
    }

  private:
    std::string tableName_;
};

// A field and its text in a fixture record.
using Row = std::map<std::string, std::string>;

class RealTables : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef REAL_ENGINE_PATH
        GTEST_SKIP() << "the build has no engine library";
#else
        std::string error;
        library_ = EngineLibrary::Open(REAL_ENGINE_PATH, &error);
        ASSERT_NE(library_, nullptr) << error;
        ResetLayerState();
        ClearAllWorkAreas();
        BindEngine(&library_->Api());
        SetMessageSink([this](const LayerMessage& m) { messages.push_back(m.text); });
        std::string pattern = (std::filesystem::temp_directory_path() / "bdeds-XXXXXX");
        folder = std::string(mkdtemp(pattern.data())) + "/";
        Session().Open();
        Engine().sx_SetDeleted(1);
#endif
    }

    void TearDown() override {
        if (!library_) {
            return;
        }
        tables_.clear();
        Session().Close();
        BindEngine(nullptr);
        SetMessageSink({});
        ResetLayerState();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // A table made with the table tool and filled through the engine itself, so that what
    // the data sets read does not depend on how they write.
    void MakeTable(const std::string& name, const std::vector<std::string>& fields,
                   const std::vector<Row>& rows, const std::vector<int>& deleted = {},
                   const std::string& in = "") {
        const std::string path = (in.empty() ? folder : in) + name;
        std::vector<std::string> args = {"create", path};
        args.insert(args.end(), fields.begin(), fields.end());
        std::ostringstream out, err;
        ASSERT_EQ(xb::RunTableTool(args, out, err), 0) << err.str();
        const EngineApi& e = Engine();
        const int32_t area = e.sx_Use(path.c_str(), "FIXTURE", SX_EXCLUSIVE, SX_FOX);
        ASSERT_GT(area, 0);
        for (const Row& row : rows) {
            ASSERT_EQ(e.sx_AppendEx(), 0);
            for (const auto& [field, text] : row) {
                e.sx_Replace(field.c_str(), SX_R_CHAR, rtl::Utf8ToCp1252(text).c_str());
            }
        }
        for (int recno : deleted) {
            e.sx_Go(recno);
            e.sx_Delete();
        }
        e.sx_Commit();
        e.sx_Close();
    }

    // The five-record fixture; the third record is deleted and hidden.
    void MakeFive() {
        MakeTable("VIJF.DBF", {"NAAM:C:20", "NUMMER:C:5"},
                  {{{"NAAM", "Een"}, {"NUMMER", "1"}},
                   {{"NAAM", "Twee"}, {"NUMMER", "2"}},
                   {{"NAAM", "Drie"}, {"NUMMER", "3"}},
                   {{"NAAM", "Vier"}, {"NUMMER", "4"}},
                   {{"NAAM", "Vijf"}, {"NUMMER", "5"}}},
                  {3});
    }

    // A data set on a table of the scratch folder (or `directory`), owned by the test.
    TestTable& Table(const std::string& name, const std::string& directory = "") {
        tables_.push_back(std::make_unique<TestTable>(name));
        TestTable& table = *tables_.back();
        table.SetDatabaseName(directory.empty() ? folder : directory);
        return table;
    }

    // The names of the records from the current one on to the end.
    static std::vector<std::string> WalkForward(db::TDataSet& ds, const char* field = "NAAM") {
        std::vector<std::string> names;
        while (!ds.Eof()) {
            names.push_back(ds.FieldByName(field).AsString());
            ds.Next();
        }
        return names;
    }

    // Overwrites bytes of a table file, for what the table tool refuses to make.
    void Patch(const std::string& name, std::size_t offset, const std::string& bytes) const {
        std::fstream file(folder + name, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(offset));
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // The stored bytes of one field of record `recno`, read from the file itself.
    std::string StoredBytes(const std::string& name, int recno, int offset, int width) const {
        std::ifstream file(folder + name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const auto u16 = [&](std::size_t at) {
            return static_cast<int>(static_cast<unsigned char>(bytes.at(at))) |
                   static_cast<int>(static_cast<unsigned char>(bytes.at(at + 1))) << 8;
        };
        const int headerSize = u16(8);
        const int recordSize = u16(10);
        return bytes.substr(
            static_cast<std::size_t>(headerSize + (recno - 1) * recordSize + offset),
            static_cast<std::size_t>(width));
    }

    std::vector<std::string> messages;
    std::string folder;

  private:
    std::unique_ptr<EngineLibrary> library_;
    std::vector<std::unique_ptr<TestTable>> tables_;
};

template <typename F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const rtl::Exception& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

}  // namespace xbase::testing
