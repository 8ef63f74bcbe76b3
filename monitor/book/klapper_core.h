#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "monitor/book/klapper_port.h"
#include "monitor/book/klapper_tables.h"
#include "monitor/book/number_lookup.h"
#include "platform/db/component.h"

namespace db {
class TDataSource;
}
namespace rtl {
class TIniFile;
}
namespace xbase {
class TTable;
class TXbase;
}  // namespace xbase

namespace book {

// A caller as `nieuw` and `nieuwautosave` store it.
struct KlapperBeller {
    std::string nummer;
    std::string voornaam;
    std::string naam;
    std::string aanhangsel;
    std::string straat;
    std::string postcode;
    std::string plaats;
    std::string zoekstatus;
};

// The phone book of the running program: the table belverintel.DBF with its thirteen index
// files, its engine component and data source, the sort choice and the filter. Every
// window that reads or writes the phone book does it through this one object. Plain C++:
// the phone-book window shows its state and passes its commands on.
class KlapperCore {
  public:
    // `folder` is the program folder with its trailing "/"; `ini` is belvo.ini.
    KlapperCore(KlapperPort& port, rtl::TIniFile& ini, std::string folder);
    ~KlapperCore();
    KlapperCore(const KlapperCore&) = delete;
    KlapperCore& operator=(const KlapperCore&) = delete;

    xbase::TTable& t2() { return *t2_; }
    xbase::TXbase& a2() { return *a2_; }
    db::TDataSource& DataSource2() { return *dataSource2_; }

    // Start-up: packs the table while it is the only user, opens it shared and makes the
    // index files. A step that fails is reported and start-up goes on; a table that does
    // not open stays closed.
    void Create();
    // Makes the thirteen index files and selects the stored sort order.
    void indexenmaken();

    // The engine order of index n (tel<n>.idx); 0 when it was not made.
    int OrderNumber(int n) const;
    // The order of tel0.idx, for lookups by number.
    int NumberOrder() const { return OrderNumber(0); }
    // The sort choice as stored and written back; may lie outside 0..12.
    int SortChoice() const { return sortChoice_; }
    // The checked sort item, -1 for none.
    int CheckedSort() const { return checkedSort_; }
    // msorteren<n>Click.
    void Sorteren(int n);

    // The filter item n (kKlapperFilter) on the current record's value.
    void FilterOp(int n);
    void Geenfilter1Click();
    // The checked filter item, -1 for none.
    int CheckedFilter() const { return checkedFilter_; }
    const std::string& FiltersCaption() const { return filtersCaption_; }

    // "Alles wissen": after the question, empties the table and makes its indexes again.
    void Wisregel1Click();

    // Adds the caller, or overwrites the entry with the same number after asking; `source`
    // is "monitor" or "log". False when nothing was written.
    bool nieuw(const KlapperBeller& beller, const std::string& source);
    // Appends the caller without asking.
    bool nieuwautosave(const KlapperBeller& beller);

    // The phone book's lookup by number: see FindNumber in number_lookup.h. The table's
    // filter applies while it is on. The callers:
    //   monitor:  Geenfilter1Click(); a2().Commit();
    //             FindNumber(n, NumberOrder() != 0 ? NumberOrder() : kCurrentOrder);
    //   call log: FindNumber(n, kCurrentOrder), under the window's filter;
    //   nieuw:    removes the filter, then FindNumber(n, kCurrentOrder).
    bool FindNumber(std::string_view number, int order);

    // "Aantal records: " and the engine's count.
    const std::string& CountLabel() const { return countLabel_; }
    // While held, inserts and posts leave the count label alone (a count per record makes a
    // long run of appends quadratic); letting go sets it once.
    void HoldCount(bool on);

    // The window closes: stores a pending edit, and the sort choice in [klapper].
    void Close();
    // The program ends: stores a pending edit and closes the table.
    void Destroy();

  private:
    template <typename Step>
    void Guarded(const char* text, Step step);
    bool RequireOpen();
    void SetCount();
    void Store(const KlapperBeller& beller);
    void AfterInsert();
    void AfterDelete();

    KlapperPort& port_;
    rtl::TIniFile& ini_;
    std::string folder_;
    db::TComponent owner_;
    xbase::TTable* t2_;
    db::TDataSource* dataSource2_;
    xbase::TXbase* a2_;
    std::array<int8_t, kKlapperIndexes> orders_{};
    int sortChoice_ = 0;
    int checkedSort_ = -1;
    int checkedFilter_ = -1;
    std::string filtersCaption_ = "Filters";
    std::string countLabel_;
    bool countHeld_ = false;
};

}  // namespace book
