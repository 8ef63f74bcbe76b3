#pragma once

#include <string>
#include <vector>

#include "xbase/engine_api.h"

namespace book::testing {

// The call log's fields, as the installation creates the table.
inline const std::vector<std::string> kLogFields = {
    "DATUM:C:10",      "TIJD:C:10",       "NUMMER:C:20",     "VOORNAAM:C:20", "NAAM:C:150",
    "AANHANGSEL:C:15", "STRAAT:C:50",     "POSTCODE:C:7",    "PLAATS:C:50",   "MSN:C:15",
    "SOORT:C:25",      "ZOEKSTATUS:C:50", "CAPISTATUS:C:50", "MEMO:M"};

struct LogRow {
    std::string datum, tijd, nummer, naam, straat, postcode, plaats, msn, soort;
    bool deleted = false;
    std::string memo;
};

// Creates the call log at `path` holding `rows`, the deleted ones marked, through the engine
// itself; the engine's current area is kept.
void MakeLogTable(const xbase::EngineApi& engine, const std::string& path,
                  const std::vector<LogRow>& rows);

// Records in the file at `path`, deleted ones included, read through an open of its own.
int RecordsInFile(const xbase::EngineApi& engine, const std::string& path);

// The trimmed values of `field` of the records in the file, in record order, deleted ones
// included.
std::vector<std::string> FieldInFile(const xbase::EngineApi& engine, const std::string& path,
                                     const std::string& field);

}  // namespace book::testing
