#include "monitor/book/tests/log_table.h"

#include <sstream>
#include <stdexcept>

#include "platform/xbase32/table_tool.h"

namespace book::testing {

namespace {

// Runs `body` on an area of its own over `path` and makes the previous area current again.
template <typename Body>
void OnOwnArea(const xbase::EngineApi& e, const std::string& path, int mode, Body body) {
    const int32_t previous = e.sx_WorkArea(nullptr);
    const int32_t area = e.sx_Use(path.c_str(), "probe", mode, SX_FOX);
    if (area == 0) {
        e.sx_Select(previous);
        throw std::runtime_error("cannot open " + path + ": " + e.sx_LastErrorText());
    }
    body();
    e.sx_Close();
    e.sx_Select(previous);
}

}  // namespace

void MakeLogTable(const xbase::EngineApi& e, const std::string& path,
                  const std::vector<LogRow>& rows) {
    std::vector<std::string> args = {"create", path};
    args.insert(args.end(), kLogFields.begin(), kLogFields.end());
    std::ostringstream out, err;
    if (xb::RunTableTool(args, out, err) != 0) {
        throw std::runtime_error(err.str());
    }
    OnOwnArea(e, path, SX_EXCLUSIVE, [&] {
        // Whole records in one write each, so that large tables are made quickly.
        std::string record(static_cast<std::size_t>(e.sx_RecSize()), ' ');
        auto put = [&](const char* field, const std::string& value) {
            record.replace(static_cast<std::size_t>(e.sx_FieldOffset(field) - 1), value.size(),
                           value);
        };
        for (const LogRow& row : rows) {
            e.sx_AppendEx();
            // The new record as the engine made it, so the memo pointer stays empty.
            e.sx_GetRecord(record.data());
            put("DATUM", row.datum);
            put("TIJD", row.tijd);
            put("NUMMER", row.nummer);
            put("NAAM", row.naam);
            put("STRAAT", row.straat);
            put("POSTCODE", row.postcode);
            put("PLAATS", row.plaats);
            put("MSN", row.msn);
            put("SOORT", row.soort);
            e.sx_PutRecord(record.c_str());
            if (!row.memo.empty()) {
                e.sx_Replace("MEMO", SX_R_MEMO, row.memo.c_str());
            }
            if (row.deleted) {
                e.sx_Delete();
            }
        }
        e.sx_Commit();
    });
}

int RecordsInFile(const xbase::EngineApi& e, const std::string& path) {
    int count = 0;
    OnOwnArea(e, path, SX_SHARED, [&] { count = e.sx_RecCount(); });
    return count;
}

std::vector<std::string> FieldInFile(const xbase::EngineApi& e, const std::string& path,
                                     const std::string& field) {
    std::vector<std::string> values;
    OnOwnArea(e, path, SX_SHARED, [&] {
        const int records = e.sx_RecCount();
        for (int n = 1; n <= records; ++n) {
            e.sx_Go(n);
            values.emplace_back(e.sx_GetTrimString(field.c_str()));
        }
    });
    return values;
}

}  // namespace book::testing
