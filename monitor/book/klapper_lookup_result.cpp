#include "monitor/book/klapper_lookup_result.h"

namespace book {

EntryAnswer AnswerFromResult(const monitor::DirectoryResult& result,
                             const LookupFieldChecks& checks) {
    EntryAnswer answer;
    const monitor::DirectoryAddress& a = result.address;
    const struct {
        bool checked;
        const char* field;
        const std::string& value;
    } fields[] = {
        {checks.voornaam, "VOORNAAM", a.voornaam},       {checks.naam, "NAAM", a.naam},
        {checks.aanhangsel, "AANHANGSEL", a.aanhangsel}, {checks.straat, "STRAAT", a.straat},
        {checks.postcode, "POSTCODE", a.postcode},       {checks.plaats, "PLAATS", a.plaats},
    };
    if (result.found) {
        for (const auto& f : fields) {
            if (f.checked) {
                answer.changes.push_back({f.field, f.value});
            }
        }
        answer.status = "Gevonden in de KPN-cdfoongids.";
    } else {
        if (checks.veldWissen) {
            for (const auto& f : fields) {
                if (f.checked) {
                    answer.changes.push_back(
                        {f.field, std::string(f.field) == "NAAM" ? "Niet gevonden" : ""});
                }
            }
        }
        answer.status = "Niet gevonden in de KPN-cdfoongids.";
    }
    if (result.status.state == monitor::ResultFileState::Read && result.status.geenCd) {
        answer.status = "Geen CD gevonden. (niet opgezocht)";
    }
    return answer;
}

}  // namespace book
