#pragma once

// Table data sets over real tables: the layer over the engine library the build makes, with
// every engine call counted and the texts of the calls that take one kept.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/field.h"
#include "platform/rtl/exception.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/table.h"
#include "xbase/work_area.h"

namespace xbase::testing {

// What the recording engine saw.
struct EngineRecord {
    int calls = 0;
    std::vector<int32_t> useModes;
    std::vector<std::string> queries;
    std::vector<std::string> indexOpens;
};

EngineRecord& Recorded();
// The library's calls, each counted on its way through.
const EngineApi& RecordingApi(const EngineApi& real);

using Row = std::map<std::string, std::string>;

class TableTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A table made with the table tool and filled through the engine itself.
    void MakeTable(const std::string& name, const std::vector<std::string>& fields,
                   const std::vector<Row>& rows);
    // An index file of the engine's own on `key`.
    void MakeIndex(const std::string& table, const std::string& file, const std::string& key);
    // The phone-book fields that the tests use, with these names.
    void MakeBook(const std::vector<Row>& rows);

    // A table of the scratch folder, owned by the test.
    TTable& Table(const std::string& name, TTableType type = ttSXFOX);

    static std::vector<std::string> Walk(db::TDataSet& ds, const char* field = "NAAM");

    std::vector<std::string> messages;
    std::string folder;

  private:
    std::unique_ptr<EngineLibrary> library_;
    std::vector<std::unique_ptr<TTable>> tables_;
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
