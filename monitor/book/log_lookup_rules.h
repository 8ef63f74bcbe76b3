#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/book/lookup_walk_ports.h"
#include "monitor/directory_result.h"

namespace book {

class KlapperCore;

// The call-log window's lookup texts that the user and the batch see.
inline constexpr std::string_view kLogBezig = " Bezig met zoeken naar telefoonnummer: ";
inline constexpr std::string_view kLogInKlapper = "Gevonden in de Klapper";
inline constexpr std::string_view kLogGeenNummer = "Geen nummer herkend";
inline constexpr std::string_view kLogStartFout = "Fout bij aanroepen Foongrep (niet opgezocht) ";
inline constexpr std::string_view kLogWachtFout =
    "Fout: Foongrep aanroepen niet gelukt.(niet opgezocht)";
inline constexpr std::string_view kLogZoektijd = "Zoektijd verstreken (niet opgezocht)";
inline constexpr std::string_view kLogGeenBelvoLog =
    "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)";
inline constexpr std::string_view kLogNietVinden =
    "Kan bestand \"belvo.log\" niet vinden (niet opgezocht)";
inline constexpr std::string_view kLogNietAan =
    "Foongrep maakt \"belvo.log\" niet aan. (niet opgezocht)";
inline constexpr std::string_view kLogGevonden = "Gevonden in de KPN-cdfoongids.";
inline constexpr std::string_view kLogNietGevonden =
    "Niet gevonden in de klapper of KPN-cdfoongids";
inline constexpr std::string_view kLogGeenCd = "Geen CD gevonden door Foongrep. (niet opgezocht)";

// The phone book's name and address for a number, as the log row takes them; nullopt when the
// phone book shows no entry with it.
using PhoneBookScan =
    std::function<std::optional<std::vector<FieldChange>>(const std::string& number)>;

// The scan over the running phone book, in its current order and under its filter; the phone
// book stays on the hit, or past its end. A missing or closed phone book finds nothing.
std::optional<std::vector<FieldChange>> ScanKlapper(KlapperCore* klapper,
                                                    const std::string& number);

// What the directory program's run means for a log row. `result` is read only when the
// program ended.
LookupAnswer LogLookupAnswer(monitor::DirectoryOutcome outcome,
                             const monitor::DirectoryResult& result);

// Whether "Nog niet gezochte" looks the row up again: its status says it was not looked up
// ("niet opgezocht" in any case), that no directory CD was found, or it is a failure text of
// this window or of the monitor cut to the 50 characters of ZOEKSTATUS, which lost those words.
bool NogNietGezocht(std::string_view zoekstatus);

// The call-log window's lookup: the phone book first, then the directory program with the
// window's command line. The Foongrep folder and the search time are read from the settings when
// a lookup starts.
class LogLookupRules : public LookupRules {
  public:
    explicit LogLookupRules(PhoneBookScan scan) : scan_(std::move(scan)) {}

    std::optional<LookupStart> Start(const std::string& number) override;
    LookupAnswer Finish(const LookupStart& start, monitor::DirectoryOutcome outcome) override;

  private:
    PhoneBookScan scan_;
};

}  // namespace book
