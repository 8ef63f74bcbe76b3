#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/call_road_ports.h"

namespace book {
class KlapperCore;
}

namespace monitor {

// The road's phone book over the program's phone-book core: the lookup by number in the
// number index's order (the table keeps its own order and stays on the hit), the entry's
// fields read while the table stands on it, and the memo viewer on a captured entry.
class RoadKlapper final : public RoadPhoneBook {
  public:
    // `toonmemo` shows the memo window on the table's current record.
    RoadKlapper(book::KlapperCore& core, std::function<void()>& toonmemo);

    void Geenfilter1Click() override;
    void Commit() override;
    std::optional<KlapperTreffer> FindNumber(const std::string& nummer) override;
    void nieuwautosave(const std::string& nummer, const std::string& voornaam,
                       const std::string& naam, const std::string& aanhangsel,
                       const std::string& straat, const std::string& postcode,
                       const std::string& plaats, const std::string& zoekstatus) override;
    // Only while the table is in browse state: moving would post or lose an open edit.
    bool ShowMemo(const std::string& bookmark) override;

  private:
    book::KlapperCore& core_;
    std::function<void()>& toonmemo_;
};

}  // namespace monitor
