#include "setup/carry_over.h"

#include <exception>

#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_env.h"

namespace setup {

namespace {

// The progress bar is painted now and then, not at every record.
constexpr int kPumpEvery = 500;

bool CopyField(xbase::TTable& from, xbase::TTable& to, const std::string& fromName,
               const std::string& toName) {
    try {
        db::TField* source = from.FindField(fromName);
        db::TField* target = to.FindField(toName);
        if (source == nullptr || target == nullptr) {
            return false;
        }
        target->SetAsString(source->AsString());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Deleted records are hidden while the copy runs, and shown again after.
class HiddenDeleted {
  public:
    HiddenDeleted() {
        if (xbase::TXbaseEnv::Instance() == nullptr) {
            own_ = std::make_unique<xbase::TXbaseEnv>();
        }
        env_ = xbase::TXbaseEnv::Instance();
        previous_ = env_->Deleted();
        env_->SetDeleted(true);
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
        error = e.what();
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
        HiddenDeleted hidden;
        int count = 0;
        for (oldtable.First(); !oldtable.Eof(); oldtable.Next()) {
            ++count;
        }
        port.ProgressMax(count);
        int done = 0;
        for (oldtable.First(); !oldtable.Eof(); oldtable.Next()) {
            newtable.Append();
            for (const std::string& field : table.fields) {
                const bool copied = CopyField(oldtable, newtable, field, field);
                if (!copied && table.naamFromGegevens && field == "naam") {
                    CopyField(oldtable, newtable, "Gegevens", "naam");
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
    } catch (const std::exception& e) {
        error = e.what();
        // The staged table is dropped whole, so nothing half-copied stays.
        return false;
    }
}

}  // namespace setup
