#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "monitor/book/log_filters.h"
#include "monitor/book/log_indexes.h"
#include "monitor/book/telefoon_log_port.h"
#include "platform/db/data_source.h"
#include "platform/rtl/ini_file.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"
#include "xbase/xbase_env.h"

namespace book {

inline constexpr const char* kLogTableName = "belverinlog.DBF";
inline constexpr const char* kLogGridName = "log";

// The call-log window without its controls: the call-log table with its data source, its
// engine component and the process's engine settings, the nine index orders and the sort
// choice. The table stays open shared from start-up to program end.
class TelefoonLog {
  public:
    // `programDir` ends in "/"; `belvo` is the settings file. Makes the process's one
    // engine-settings component, hiding deleted records, before any table opens.
    TelefoonLog(std::string programDir, rtl::TIniFile& belvo, TelefoonLogPort& port);
    ~TelefoonLog();
    TelefoonLog(const TelefoonLog&) = delete;
    TelefoonLog& operator=(const TelefoonLog&) = delete;

    xbase::TTable& t1() { return t1_; }
    db::TDataSource& DataSource1() { return dataSource1_; }
    xbase::TXbase& a1() { return a1_; }
    xbase::TXbaseEnv& XbaseEnv1() { return xbaseEnv1_; }

    // Packs the table while exclusive, opens it shared, builds the indexes and restores the
    // layouts. Reports every failure itself; never raises.
    void FormCreate();
    // Builds the nine index files and selects the stored sort order.
    void indexmaken();
    // Stores the settings when the window closes; never raises.
    void FormClose();
    // At program end: stores a pending edit and closes the table; never raises.
    void FormDestroy();

    // msorteren<n>Click: item n checked, the sort choice n, and its order when its index was
    // made. Stored only when the window closes.
    void Sorteren(int n);
    // Filter item n (kLogFilters) on the current row's value; only the last filter is in force.
    void FilterOp(int n);
    // "Filters uit": filtering off, the filter text kept.
    void FiltersUit();
    // "Wis alles" after the question: empties the table while exclusive, opens it shared and
    // makes the indexes again in the sort order stored at the last close. The guarded steps'
    // failures ("prefix", message, two blanks) are added to `errors` rather than shown, since a
    // box would let calls in while the table is closed; the caller shows them afterwards.
    // Raises when the shared reopen fails.
    void WisAlles(std::vector<std::string>& errors);

    void t1AfterInsert();
    void t1AfterDelete();
    // Shows "Aantal records: " with the engine's count.
    void ShowCount();

    // The order number of sort index `index` (0..8); 0 when its index was not made.
    int Order(int index) const { return orders_.at(static_cast<std::size_t>(index)); }
    // The sort choice shared with the settings state.
    static int SortChoice();

  private:
    // Runs `step`; a failure shows `prefix`, the message and two blanks in an error box.
    void Guarded(const char* prefix, const std::function<void()>& step);
    void Report(const std::exception& e);

    std::string programDir_;
    rtl::TIniFile& belvo_;
    TelefoonLogPort& port_;
    xbase::TXbaseEnv xbaseEnv1_;
    xbase::TTable t1_;
    db::TDataSource dataSource1_;
    xbase::TXbase a1_;
    std::array<std::int8_t, kLogIndexCount> orders_{};
    bool posting_insert_ = false;
};

}  // namespace book
