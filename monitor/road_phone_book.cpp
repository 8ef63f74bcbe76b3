#include "monitor/road_phone_book.h"

#include "monitor/book/klapper_core.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace monitor {

RoadKlapper::RoadKlapper(book::KlapperCore& core, std::function<void()>& toonmemo)
    : core_(core), toonmemo_(toonmemo) {}

void RoadKlapper::Geenfilter1Click() {
    core_.Geenfilter1Click();
}

void RoadKlapper::Commit() {
    core_.a2().Commit();
}

std::optional<KlapperTreffer> RoadKlapper::FindNumber(const std::string& nummer) {
    const int order = core_.NumberOrder() != 0 ? core_.NumberOrder() : book::kCurrentOrder;
    if (!core_.FindNumber(nummer, order)) {
        return std::nullopt;
    }
    auto& t2 = core_.t2();
    auto veld = [&](std::string_view naam) { return t2.FieldByName(naam).AsString(); };
    KlapperTreffer t;
    t.voornaam = veld("VOORNAAM");
    t.naam = veld("NAAM");
    t.aanhangsel = veld("AANHANGSEL");
    t.straat = veld("STRAAT");
    t.postcode = veld("POSTCODE");
    t.plaats = veld("PLAATS");
    t.extra = veld("EXTRA");
    t.omschr = veld("OMSCHR");
    t.kleur = veld("KLEUR");
    t.fontkleur = veld("FONTKLEUR");
    t.afwijzen = veld("AFWIJZEN");
    t.tijd = veld("TIJD");
    t.geluid = veld("GELUID");
    t.cmdline = veld("CMDLINE");
    t.memo = !veld("MEMO").empty();
    t.bookmark = t2.GetBookmark();
    return t;
}

void RoadKlapper::nieuwautosave(const std::string& nummer, const std::string& voornaam,
                                const std::string& naam, const std::string& aanhangsel,
                                const std::string& straat, const std::string& postcode,
                                const std::string& plaats, const std::string& zoekstatus) {
    core_.nieuwautosave(book::KlapperBeller{nummer, voornaam, naam, aanhangsel, straat, postcode,
                                            plaats, zoekstatus});
}

bool RoadKlapper::ShowMemo(const std::string& bookmark) {
    auto& t2 = core_.t2();
    // Moving would post or lose an edit the user has open.
    if (!toonmemo_ || t2.State() != db::dsBrowse) {
        return false;
    }
    t2.GotoBookmark(bookmark);
    toonmemo_();
    return true;
}

}  // namespace monitor
