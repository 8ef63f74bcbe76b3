#include "monitor/book/klapper_core.h"

#include <exception>
#include <utility>

#include "monitor/settings.h"
#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "platform/rtl/ini_file.h"
#include "xbase/filter_literal.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book {

namespace {

constexpr const char* kTableFile = "belverintel.DBF";
constexpr const char* kCloseError = "Wissen: Fout bij sluiten klapper: ";
constexpr const char* kOpenError = "Wissen: Fout bij openen klapper: ";
constexpr const char* kReindexError = "Fout bij Reindex klapper :";
constexpr const char* kNotOpen = "De klapper is niet geopend.";

std::string Trimmed(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// The grid's updates held back until the scope ends, on every path.
class ControlsHeld {
  public:
    explicit ControlsHeld(db::TDataSet& data) : data_(data) { data_.DisableControls(); }
    ~ControlsHeld() { data_.EnableControls(); }
    ControlsHeld(const ControlsHeld&) = delete;
    ControlsHeld& operator=(const ControlsHeld&) = delete;

  private:
    db::TDataSet& data_;
};

class BusyCursor {
  public:
    explicit BusyCursor(KlapperPort& port) : port_(port) { port_.Busy(true); }
    ~BusyCursor() { port_.Busy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    KlapperPort& port_;
};

}  // namespace

KlapperCore::KlapperCore(KlapperPort& port, rtl::TIniFile& ini, std::string folder)
    : port_(port), ini_(ini), folder_(std::move(folder)) {
    t2_ = new xbase::TTable(&owner_);
    t2_->SetName("t2");
    dataSource2_ = new db::TDataSource(&owner_);
    dataSource2_->SetName("DataSource2");
    dataSource2_->SetDataSet(t2_);
    a2_ = new xbase::TXbase(&owner_);
    a2_->SetName("a2");
    a2_->SetDataSource(dataSource2_);
    t2_->SetTableType(xbase::ttSXFOX);
    t2_->AfterInsert = [this](db::TDataSet&) { AfterInsert(); };
    t2_->AfterDelete = [this](db::TDataSet&) { AfterDelete(); };
    // The count read while inserting misses the new record; the post brings it in.
    t2_->AfterPost = [this](db::TDataSet&) { SetCount(); };
}

KlapperCore::~KlapperCore() {
    try {
        t2_->Close();
    } catch (...) {
        // A table that cannot close cleanly at the end has nothing left to tell.
    }
}

template <typename Step>
void KlapperCore::Guarded(const char* text, Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        port_.ErrorBox(std::string(text) + error.what() + "  ");
    }
}

bool KlapperCore::RequireOpen() {
    if (t2_->Active()) {
        return true;
    }
    port_.ErrorBox(kNotOpen);
    return false;
}

void KlapperCore::HoldCount(bool on) {
    countHeld_ = on;
    if (!on) {
        SetCount();
    }
}

void KlapperCore::SetCount() {
    if (countHeld_) {
        return;
    }
    countLabel_ = "Aantal records: " + std::to_string(a2_->Count());
    port_.StateChanged();
}

int KlapperCore::OrderNumber(int n) const {
    return n >= 0 && n < kKlapperIndexes ? orders_[static_cast<std::size_t>(n)] : 0;
}

void KlapperCore::Create() {
    port_.SplashStep("Klapper database laden en indexen maken ");
    if (t2_->Active()) {
        t2_->Close();
    }
    a2_->SysProp(1009, 0);
    a2_->SysProp(1007, 0);
    t2_->SetDatabaseName(folder_);
    t2_->SetTableName(folder_ + kTableFile);
    {
        ControlsHeld held(*t2_);
        Guarded(kCloseError, [&] { t2_->Close(); });
        t2_->SetExclusive(true);
        Guarded(kOpenError, [&] { t2_->Open(); });
        Guarded("Fout bij Pack klapper :", [&] { a2_->Pack(); });
        t2_->Close();
        t2_->SetExclusive(false);
        Guarded(kOpenError, [&] { t2_->Open(); });
        indexenmaken();
        Guarded(kReindexError, [&] { a2_->Reindex(); });
    }
    SetCount();
}

void KlapperCore::indexenmaken() {
    orders_.fill(0);
    // A closed table was reported already; thirteen more boxes would tell nothing new.
    if (t2_->Active()) {
        for (int n = 0; n < kKlapperIndexes; ++n) {
            orders_[static_cast<std::size_t>(n)] = static_cast<int8_t>(
                a2_->Index(folder_ + KlapperIndexFile(n),
                           kKlapperIndex[static_cast<std::size_t>(n)].key, 0, false, ""));
        }
        for (int n = 0; n < kKlapperIndexes; ++n) {
            if (orders_[static_cast<std::size_t>(n)] == 0) {
                port_.Message("Index \"" + KlapperIndexFile(n) + "\" niet gemaakt");
            }
        }
    }
    sortChoice_ = ini_.ReadInteger("klapper", "sorterenop", 0);
    const bool listed = sortChoice_ >= 0 && sortChoice_ < kKlapperIndexes;
    checkedSort_ = listed ? sortChoice_ : -1;
    if (listed && OrderNumber(sortChoice_) != 0) {
        a2_->SetOrder(OrderNumber(sortChoice_));
    }
    port_.StateChanged();
}

void KlapperCore::Sorteren(int n) {
    if (n < 0 || n >= kKlapperIndexes || !RequireOpen()) {
        return;
    }
    checkedSort_ = n;
    {
        BusyCursor busy(port_);
        sortChoice_ = n;
        if (OrderNumber(n) != 0) {
            a2_->SetOrder(OrderNumber(n));
        }
    }
    port_.StateChanged();
}

void KlapperCore::FilterOp(int n) {
    if (n < 0 || n >= kKlapperFilters || !RequireOpen()) {
        return;
    }
    const char* field = kKlapperFilter[static_cast<std::size_t>(n)].field;
    const std::string value = Trimmed(t2_->FieldByName(field).AsString());
    // The literal picks its quotes, so a value with a quote in it still filters.
    t2_->SetFilter(xbase::XBaseEquals(field, value) + " ");
    t2_->SetFiltered(true);
    checkedFilter_ = n;
    filtersCaption_ = "Filters (aan)";
    SetCount();
}

void KlapperCore::Geenfilter1Click() {
    checkedFilter_ = -1;
    t2_->SetFiltered(false);
    filtersCaption_ = "Filters (uit)";
    SetCount();
}

void KlapperCore::Wisregel1Click() {
    if (!port_.AskYesCancel("Alles wissen ?")) {
        return;
    }
    {
        BusyCursor busy(port_);
        ControlsHeld held(*t2_);
        Guarded(kCloseError, [&] { t2_->Close(); });
        t2_->SetExclusive(true);
        t2_->SetIndexName("");
        Guarded(kOpenError, [&] { t2_->Open(); });
        Guarded("Fout bij wissen :", [&] { a2_->Zap(); });
        t2_->Close();
        t2_->SetExclusive(false);
        Guarded(kOpenError, [&] { t2_->Open(); });
        a2_->CloseIndexes();
        indexenmaken();
        Guarded(kReindexError, [&] { a2_->Reindex(); });
        if (t2_->Active()) {
            t2_->First();
        }
    }
    SetCount();
}

void KlapperCore::Store(const KlapperBeller& beller) {
    auto put = [this](const char* field, const std::string& value) {
        t2_->FieldByName(field).SetAsString(value);
    };
    put("nummer", beller.nummer);
    put("voornaam", beller.voornaam);
    put("naam", beller.naam);
    put("aanhangsel", beller.aanhangsel);
    put("straat", beller.straat);
    put("postcode", beller.postcode);
    put("plaats", beller.plaats);
    put("afwijzen", "0000000000");
    put("geluid", "Geen");
    put("tijd", "1111111111");
    put("cmdline", "-");
    put("zoekstatus", beller.zoekstatus);
    put("omschr", "");
    put("extra", "");
    t2_->Post();
    if (monitor::instellingen.meteenopslaan) {
        a2_->Commit();
    }
    SetCount();
}

bool KlapperCore::nieuw(const KlapperBeller& beller, const std::string& source) {
    if (!RequireOpen()) {
        return false;
    }
    // An entry the filter hides would be missed and added a second time.
    Geenfilter1Click();
    if (FindNumber(beller.nummer, kCurrentOrder)) {
        if (!port_.AskYesCancel("Telefoon nummer staat al in de klapper \rOverschrijven?")) {
            if (source == "monitor") {
                port_.ShowMonitor();
            }
            port_.HideKlapper();
            return false;
        }
        t2_->Edit();
    } else {
        t2_->Append();
    }
    Store(beller);
    return true;
}

bool KlapperCore::nieuwautosave(const KlapperBeller& beller) {
    if (!RequireOpen()) {
        return false;
    }
    t2_->Append();
    Store(beller);
    return true;
}

bool KlapperCore::FindNumber(std::string_view number, int order) {
    return book::FindNumber(*t2_, *a2_, NumberOrder(), number, order);
}

void KlapperCore::AfterInsert() {
    auto put = [this](const char* field, const char* value) {
        t2_->FieldByName(field).SetAsString(value);
    };
    put("nummer", "?");
    put("naam", "?");
    put("omschr", "?");
    put("afwijzen", "0000000000");
    put("geluid", "");
    put("tijd", "1111111111");
    put("cmdline", "");
    SetCount();
}

void KlapperCore::AfterDelete() {
    if (monitor::instellingen.meteenopslaan) {
        a2_->Commit();
    }
    SetCount();
}

void KlapperCore::Close() {
    // Only a pending edit or insert is stored: an empty table gets no entry from closing.
    if (t2_->Active()) {
        a2_->Commit();
    }
    if (checkedSort_ >= 0) {
        sortChoice_ = checkedSort_;
    }
    ini_.WriteInteger("klapper", "sorterenop", sortChoice_);
}

void KlapperCore::Destroy() {
    if (!t2_->Active()) {
        return;
    }
    if (t2_->State() == db::dsEdit || t2_->State() == db::dsInsert) {
        t2_->Post();
    }
    t2_->Close();
}

}  // namespace book
