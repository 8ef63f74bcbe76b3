#include "setup/carry_over.h"

#include <cstdint>
#include <exception>
#include <fstream>

#include "platform/db/field.h"
#include "xbase/engine_api.h"
#include "xbase/table.h"
#include "xbase/xbase_env.h"

namespace setup {

namespace {

// The progress bar is painted now and then, not at every record.
constexpr int kPumpEvery = 500;

// The engine's own words for what it refused, beside the layer's code.
std::string EngineReason(const std::exception& e) {
    std::string reason = e.what();
    if (const xbase::EngineApi* engine = xbase::BoundEngine(); engine != nullptr) {
        const char* text = engine->sx_LastErrorText();
        if (text != nullptr && *text != '\0') {
            reason += std::string(": ") + text;
        }
    }
    return reason;
}

bool IsBlob(const db::TField& field) {
    return field.DataType() == db::ftMemo || field.DataType() == db::ftBlob;
}

// The old record's field `fromName` into the new record's `toName`, as text. False when either
// table lacks the field. A field that is there but cannot be read (a damaged memo) throws, for
// then a record would arrive short of what it held; so does a memo that cannot be written. A
// value the new layout does not take is skipped.
bool CopyField(xbase::TTable& from, xbase::TTable& to, const std::string& fromName,
               const std::string& toName, const std::string& tableName) {
    db::TField* source = from.FindField(fromName);
    db::TField* target = to.FindField(toName);
    if (source == nullptr || target == nullptr) {
        return false;
    }
    std::string value;
    try {
        value = source->AsString();
    } catch (const std::exception& e) {
        throw DamagedTable(
            tableName,
            (IsBlob(*source) ? "het memo van record " : "veld " + fromName + " van record ") +
                std::to_string(from.RecNo()) + " is niet (helemaal) te lezen (" + e.what() + ")");
    }
    try {
        target->SetAsString(value);
    } catch (const std::exception&) {
        if (IsBlob(*target)) {
            throw;
        }
    }
    return true;
}

// Counts the records of `table` from the first to the end.
int Walk(xbase::TTable& table) {
    int count = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        ++count;
    }
    return count;
}

// Deleted records are hidden (or shown) while the copy runs, and as they were after.
class HiddenDeleted {
  public:
    explicit HiddenDeleted(bool hide = true) {
        if (xbase::TXbaseEnv::Instance() == nullptr) {
            own_ = std::make_unique<xbase::TXbaseEnv>();
        }
        env_ = xbase::TXbaseEnv::Instance();
        previous_ = env_->Deleted();
        env_->SetDeleted(hide);
    }
    ~HiddenDeleted() {
        try {
            env_->SetDeleted(previous_);
        } catch (const std::exception&) {
        }
    }
    HiddenDeleted(const HiddenDeleted&) = delete;
    HiddenDeleted& operator=(const HiddenDeleted&) = delete;

  private:
    std::unique_ptr<xbase::TXbaseEnv> own_;
    xbase::TXbaseEnv* env_ = nullptr;
    bool previous_ = false;
};

}  // namespace

CarriedTable CallLogTable(const std::string& tableName) {
    return {tableName,
            "belverinlog.dbf",
            {"Datum", "Tijd", "Nummer", "voornaam", "naam", "aanhangsel", "straat", "postcode",
             "plaats", "Msn", "soort", "zoekstatus", "capistatus", "Memo"},
            true};
}

CarriedTable PhoneBookTable(const std::string& tableName) {
    return {
        tableName,
        "belverintel.dbf",
        {"Nummer", "voornaam", "naam", "aanhangsel", "straat", "postcode", "plaats", "zoekstatus",
         "extra", "afwijzen", "Geluid", "tijd", "cmdline", "kleur", "fontkleur", "omschr", "memo"},
        false};
}

TableCounts ReadTableCounts(const std::string& path) {
    TableCounts counts;
    std::ifstream in(path, std::ios::binary);
    unsigned char prefix[12] = {};
    if (!in.read(reinterpret_cast<char*>(prefix), sizeof prefix)) {
        return counts;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    counts.counted =
        static_cast<std::uint32_t>(prefix[4]) | static_cast<std::uint32_t>(prefix[5]) << 8 |
        static_cast<std::uint32_t>(prefix[6]) << 16 | static_cast<std::uint32_t>(prefix[7]) << 24;
    const unsigned headerLength = prefix[8] | prefix[9] << 8;
    const unsigned recordLength = prefix[10] | prefix[11] << 8;
    if (recordLength == 0) {
        return counts;
    }
    counts.held = size > headerLength ? (size - headerLength) / recordLength : 0;
    counts.read = true;
    return counts;
}

DamagedTable::DamagedTable(const std::string& table, const std::string& what)
    : std::runtime_error("De oude " + table + " is beschadigd: " + what) {}

bool CarryOver(const CarriedTable& table, const std::string& oldDir, const std::string& newDir,
               SetupPort& port, std::string& error) {
    xbase::TTable oldtable;
    xbase::TTable newtable;
    try {
        oldtable.SetDatabaseName(oldDir);
        oldtable.SetTableName(table.tableName);
        oldtable.SetReadonly(true);
        oldtable.Open();
    } catch (const std::exception& e) {
        port.ErrorBox("Fout: bij openen backup " + table.messageName + " :  ");
        error =
            DamagedTable(table.messageName, "de tabel is niet te openen (" + EngineReason(e) + ")")
                .what();
        return false;
    }
    // What the old table says it holds, against what its file holds: a cut file is not carried
    // as if it were whole.
    const TableCounts counts = ReadTableCounts(oldDir + table.tableName);
    if (counts.read && counts.counted > counts.held) {
        error =
            DamagedTable(table.messageName,
                         "het bestand is afgekapt: de kop telt " + std::to_string(counts.counted) +
                             " records, het bestand bevat er " + std::to_string(counts.held))
                .what();
        port.ErrorBox(error);
        oldtable.Close();
        return false;
    }
    try {
        newtable.SetDatabaseName(newDir);
        newtable.SetTableName(table.tableName);
        newtable.SetExclusive(true);
        newtable.Open();
    } catch (const std::exception& e) {
        port.ErrorBox("Fout bij openen nieuwe " + table.messageName + ":  " + e.what() + " ");
        error = e.what();
        oldtable.Close();
        return false;
    }
    try {
        {
            HiddenDeleted shown(false);
            const int walked = Walk(oldtable);
            if (counts.read && static_cast<std::uint64_t>(walked) != counts.counted) {
                throw DamagedTable(table.messageName, "de kop telt " +
                                                          std::to_string(counts.counted) +
                                                          " records, er zijn er " +
                                                          std::to_string(walked) + " gelezen");
            }
        }
        HiddenDeleted hidden;
        port.ProgressMax(Walk(oldtable));
        int done = 0;
        for (oldtable.First(); !oldtable.Eof(); oldtable.Next()) {
            newtable.Append();
            for (const std::string& field : table.fields) {
                const bool copied = CopyField(oldtable, newtable, field, field, table.messageName);
                if (!copied && table.naamFromGegevens && field == "naam") {
                    CopyField(oldtable, newtable, "Gegevens", "naam", table.messageName);
                }
            }
            newtable.Post();
            port.ProgressStep();
            if (++done % kPumpEvery == 0) {
                SetupStep("record");
                port.Pump();
            }
        }
        oldtable.Close();
        newtable.Close();
        return true;
    } catch (const DamagedTable& e) {
        error = e.what();
        port.ErrorBox(error);
        return false;
    } catch (const std::exception& e) {
        error = e.what();
        // The staged table is dropped whole, so nothing half-copied stays.
        return false;
    }
}

}  // namespace setup
