#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/outlook/application.h"
#include "platform/outlook/item.h"

namespace monitor {

// The process-wide link to the contacts and journal store. The link is on exactly while
// `application` is held. Main thread only.
struct OutlookKoppeling {
    std::shared_ptr<outlook::Application> application;
    std::shared_ptr<outlook::NameSpace> naamruimte;
    std::shared_ptr<outlook::Folder> contacten;
    std::shared_ptr<outlook::Folder> logboek;    // held, not otherwise used
    std::shared_ptr<outlook::Item> gevonden;     // the contact of the last search
    std::shared_ptr<outlook::Item> logboekitem;  // the journal entry made last
    // True while a maintenance tool runs: searches answer false meanwhile.
    bool bezig = false;
};
inline OutlookKoppeling outlookkoppeling;

// A phone property searched, with the label of the status text.
struct TelefoonVeld {
    std::string_view eigenschap;
    std::string_view label;
};
// The search order.
extern const std::array<TelefoonVeld, 19> kZoekvelden;

// Where the link shows its error boxes ("Kan Outlook niet openen." ...); the windows connect
// it to their dialog service. Without one the text goes to stderr.
using OutlookFoutmelding = std::function<void(const std::string& text)>;
void SetOutlookFoutmelding(OutlookFoutmelding melding);

bool outlookisgekoppeld();

// Links the store when not linked and sets `koppeling` on. On failure shows "Kan Outlook niet
// openen." / "Outlook koppeling is uitgezet.", drops every reference and sets `koppeling` off.
void outlookaankoppelen();

// Drops the link when linked; the caller sets `koppeling` off.
void outlookafkoppelen();

// Looks the number of the call being handled (huidigebeller) up in the contacts, in the order
// of kZoekvelden; a hit fills huidigebeller's name, address and status and logs the call as
// the settings `loggen`, `opnemeninlogboek` and `loggeninlogboek` ask; `openen` displays the
// contact (and `logboekopenen` the journal entry). False when not linked, while a tool runs,
// on a miss, or when reading or saving the contact fails (fields already filled stay).
bool vindnummer(const std::string& nummer, bool openen);

// Finds the first contact whose property equals the number exactly; it becomes the found
// contact. True when its full name can be read.
bool vindnummer2(std::string_view eigenschap, const std::string& nummer);

// Adds the caller as a new contact (the suffix is not stored) with the category "Nieuw
// nummer (Belverin)", logging the call as the settings ask. Adds nothing when not linked or
// when a contact already holds the number in any phone property. Failures are not reported.
void addcontact(const std::string& nummer, const std::string& voornaam,
                const std::string& achternaam, const std::string& aanhangsel,
                const std::string& straat, const std::string& postcode, const std::string& plaats,
                bool openen);

}  // namespace monitor
