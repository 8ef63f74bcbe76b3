#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "platform/xbase32/table_tool.h"
#include "xbase/engine_api.h"
#include "xbase/tests/phonebook_fields.h"

namespace xbase::testing {

inline constexpr int kRecords = 100000;
inline constexpr int kDeletedEvery = 20;  // one record in twenty waits for the pack

// Spread over the number order, not in insertion order.
inline std::string NumberOf(int i) {
    return "0" + std::to_string(100000000 + (static_cast<long>(i) * 7919) % 900000000);
}

// A phone book of kRecords records at `path`, written through the engine itself.
inline void MakeBenchPhoneBook(const EngineApi& e, const std::string& path) {
    std::vector<std::string> args = {"create", path};
    args.insert(args.end(), kPhoneBookFields.begin(), kPhoneBookFields.end());
    std::ostringstream out, err;
    xb::RunTableTool(args, out, err);
    e.sx_Use(path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
    std::string record(static_cast<std::size_t>(e.sx_RecSize()), ' ');
    auto put = [&](const char* field, const std::string& value) {
        record.replace(static_cast<std::size_t>(e.sx_FieldOffset(field) - 1), value.size(), value);
    };
    for (int i = 0; i < kRecords; ++i) {
        e.sx_AppendEx();
        record.assign(record.size(), ' ');
        put("NUMMER", NumberOf(i));
        put("VOORNAAM", "Jan" + std::to_string(i % 97));
        put("NAAM", "Janssen " + std::to_string(i));
        put("STRAAT", "Dorpsstraat " + std::to_string(i % 500));
        put("POSTCODE", std::to_string(1000 + i % 9000) + "AB");
        put("PLAATS", "Plaats" + std::to_string(i % 300));
        put("AFWIJZEN", "0000000000");
        put("GELUID", "Geen");
        put("TIJD", "1111111111");
        put("CMDLINE", "-");
        put("OMSCHR", "omschrijving " + std::to_string(i % 1000));
        put("ZOEKSTATUS", "In de Klapper gevonden");
        e.sx_PutRecord(record.c_str());
        if (i % kDeletedEvery == 0) {
            e.sx_Delete();
        }
    }
    e.sx_Commit();
    e.sx_Close();
}

}  // namespace xbase::testing
