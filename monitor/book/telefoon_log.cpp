#include "monitor/book/telefoon_log.h"

#include <limits>
#include <utility>

#include "monitor/settings.h"
#include "platform/db/field.h"

namespace book {

namespace {

constexpr const char* kCounterPrefix = "Aantal records: ";

std::string MessageOf(const std::exception& e) {
    return e.what();
}

}  // namespace

TelefoonLog::TelefoonLog(std::string programDir, rtl::TIniFile& belvo, TelefoonLogPort& port)
    : programDir_(std::move(programDir)), belvo_(belvo), port_(port) {
    t1_.SetName("t1");
    t1_.SetTableType(xbase::ttSXFOX);
    dataSource1_.SetName("DataSource1");
    dataSource1_.SetDataSet(&t1_);
    a1_.SetName("a1");
    a1_.SetDataSource(&dataSource1_);
    xbaseEnv1_.SetName("XbaseEnv1");
    t1_.AfterInsert = [this](db::TDataSet&) { t1AfterInsert(); };
    t1_.AfterDelete = [this](db::TDataSet&) { t1AfterDelete(); };
    // The counter counts at AfterInsert, before the new record is stored; it is set again
    // once the post has stored it.
    t1_.BeforePost = [this](db::TDataSet& d) { posting_insert_ = d.State() == db::dsInsert; };
    t1_.AfterPost = [this](db::TDataSet&) {
        if (std::exchange(posting_insert_, false)) {
            ShowCount();
        }
    };
    try {
        xbaseEnv1_.SetDeleted(true);
    } catch (const std::exception& e) {
        Report(e);
    }
}

TelefoonLog::~TelefoonLog() {
    t1_.AfterInsert = nullptr;
    t1_.AfterDelete = nullptr;
    t1_.BeforePost = nullptr;
    t1_.AfterPost = nullptr;
}

int TelefoonLog::SortChoice() {
    return monitor::instellingen.logsortering;
}

void TelefoonLog::Report(const std::exception& e) {
    port_.ShowException(MessageOf(e));
}

void TelefoonLog::Guarded(const char* prefix, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        port_.ErrorBox(std::string(prefix) + MessageOf(e) + "  ");
    }
}

void TelefoonLog::FormCreate() {
    port_.SplashStep("Log database laden en indexen maken ");
    bool controlsDisabled = false;
    try {
        port_.RestoreWindowLayout();
        if (t1_.Active()) {
            t1_.Close();
        }
        a1_.SysProp(1009, 0);
        a1_.SysProp(1007, 0);
        t1_.SetDatabaseName(programDir_);
        t1_.SetTableName(programDir_ + kLogTableName);
        t1_.DisableControls();
        controlsDisabled = true;

        Guarded("Wissen: Fout bij sluiten log:", [this] { t1_.Close(); });
        Guarded("Wissen: Fout bij openen:", [this] {
            t1_.SetExclusive(true);
            t1_.Open();
        });
        Guarded("Fout bij Pack Table :", [this] { a1_.Pack(); });

        t1_.Close();
        t1_.SetExclusive(false);
        t1_.Open();
        indexmaken();
        Guarded("Fout bij Reindex log :", [this] { a1_.Reindex(); });
        controlsDisabled = false;
        t1_.EnableControls();

        port_.LoadGridLayout(kLogGridName);
        ShowCount();
        return;
    } catch (const std::exception& e) {
        if (controlsDisabled) {
            t1_.EnableControls();
        }
        Report(e);
    }
    // Without the stored grid layout the next close would write the design layout over it.
    try {
        port_.LoadGridLayout(kLogGridName);
    } catch (const std::exception& e) {
        Report(e);
    }
}

void TelefoonLog::indexmaken() {
    for (std::size_t n = 0; n < kLogIndexes.size(); ++n) {
        const LogIndex& index = kLogIndexes[n];
        const int order = a1_.Index(programDir_ + std::string(index.file), std::string(index.key),
                                    0, index.descending, "");
        orders_[n] = static_cast<std::int8_t>(order);
    }
    for (std::size_t n = 0; n < kLogIndexes.size(); ++n) {
        if (orders_[n] == 0) {
            port_.MessageBox("index \"" + std::string(kLogIndexes[n].file) + "\" niet gemaakt");
        }
    }

    int stored = belvo_.ReadInteger("telefoonlog", "sorterenop", 0);
    if (stored < std::numeric_limits<std::int16_t>::min() ||
        stored > std::numeric_limits<std::int16_t>::max()) {
        stored = 0;
    }
    monitor::instellingen.logsortering = static_cast<std::int16_t>(stored);
    // A choice outside the menu checks nothing and keeps the order the last index left.
    if (stored < 0 || stored >= kLogIndexCount) {
        port_.CheckSortItem(-1);
        return;
    }
    port_.CheckSortItem(stored);
    if (orders_[static_cast<std::size_t>(stored)] != 0) {
        a1_.SetOrder(orders_[static_cast<std::size_t>(stored)]);
    }
}

void TelefoonLog::FormClose() {
    try {
        port_.StoreWindowLayout();
    } catch (const std::exception& e) {
        Report(e);
    }
    // Only a pending edit or insert is stored: an empty log stays empty and an untouched
    // record is not rewritten.
    try {
        if (t1_.Active()) {
            a1_.Commit();
        }
    } catch (const std::exception& e) {
        Report(e);
    }
    try {
        port_.SaveGridLayout(kLogGridName);
    } catch (const std::exception& e) {
        Report(e);
    }
    try {
        const int checked = port_.CheckedSortItem();
        if (checked >= 0 && checked < kLogIndexCount) {
            monitor::instellingen.logsortering = static_cast<std::int16_t>(checked);
        }
        belvo_.WriteInteger("telefoonlog", "sorterenop", monitor::instellingen.logsortering);
    } catch (const std::exception& e) {
        Report(e);
    }
}

void TelefoonLog::FormDestroy() {
    if (!t1_.Active()) {
        return;
    }
    // Closing the table would drop a row still in edit state.
    try {
        a1_.Commit();
    } catch (const std::exception& e) {
        Report(e);
    }
    try {
        if (t1_.State() == db::dsEdit || t1_.State() == db::dsInsert) {
            t1_.Cancel();
        }
        t1_.Close();
    } catch (const std::exception& e) {
        Report(e);
    }
}

void TelefoonLog::Sorteren(int n) {
    if (n < 0 || n >= kLogIndexCount) {
        return;
    }
    port_.CheckSortItem(n);
    monitor::instellingen.logsortering = static_cast<std::int16_t>(n);
    if (t1_.Active() && Order(n) != 0) {
        a1_.SetOrder(Order(n));
    }
}

void TelefoonLog::FilterOp(int n) {
    if (n < 0 || n >= kLogFilterCount || !t1_.Active()) {
        return;
    }
    const std::string_view field = kLogFilters[static_cast<std::size_t>(n)].field;
    const std::string value = t1_.FieldByName(std::string(field)).AsString();
    t1_.SetFilter(LogFilterText(field, value));
    t1_.SetFiltered(true);
    ShowCount();
}

void TelefoonLog::FiltersUit() {
    t1_.SetFiltered(false);
    if (t1_.Active()) {
        ShowCount();
    }
}

void TelefoonLog::WisAlles(std::vector<std::string>& errors) {
    const auto guarded = [&](const char* prefix, const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception& e) {
            errors.push_back(std::string(prefix) + MessageOf(e) + "  ");
        }
    };
    t1_.DisableControls();
    try {
        guarded("Fout bij sluiten log:", [this] { t1_.Close(); });
        t1_.SetExclusive(true);
        // The natural order, as the order number 0 selects it.
        t1_.SetIndexName("");
        guarded("Fout bij openen:", [this] { t1_.Open(); });
        guarded("Fout bij alles wissen :", [this] { a1_.Zap(); });

        t1_.Close();
        t1_.SetExclusive(false);
        t1_.Open();
        a1_.CloseIndexes();
        indexmaken();
        guarded("Fout bij Reindex log :", [this] { a1_.Reindex(); });
        t1_.First();
    } catch (...) {
        t1_.EnableControls();
        throw;
    }
    t1_.EnableControls();
}

void TelefoonLog::ShowCount() {
    port_.ShowCounter(kCounterPrefix + std::to_string(a1_.Count()));
}

void TelefoonLog::t1AfterInsert() {
    ShowCount();
}

void TelefoonLog::t1AfterDelete() {
    ShowCount();
    if (monitor::instellingen.meteenopslaan) {
        a1_.Commit();
    }
}

}  // namespace book
