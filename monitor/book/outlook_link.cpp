#include "monitor/book/outlook_link.h"

#include <iostream>

#include "monitor/caller_record.h"
#include "monitor/caller_template.h"
#include "monitor/settings.h"
#include "platform/outlook/automation_error.h"

namespace monitor {

const std::array<TelefoonVeld, 19> kZoekvelden = {{
    {"Hometelephonenumber", "Thuis"},
    {"companymaintelephonenumber", "Bedrijf"},
    {"primarytelephonenumber", "Hoofd"},
    {"Home2telephonenumber", "Thuis 2"},
    {"Businesstelephonenumber", "Werk"},
    {"Business2telephonenumber", "Werk 2"},
    {"Homefaxnumber", "Fax thuis"},
    {"Businessfaxnumber", "Fax werk"},
    {"othertelephonenumber", "Overige"},
    {"mobiletelephonenumber", "Mobilofoon"},
    {"cartelephonenumber", "Auto telefoon"},
    {"ISDNnumber", "ISDN"},
    {"pagernumber", "Pieper"},
    {"otherfaxnumber", "Andere Fax"},
    {"radiotelephonenumber", "Radio"},
    {"assistanttelephonenumber", "Assistent"},
    {"telexnumber", "Telex"},
    {"ttytddtelephonenumber", "Tekstelefoon"},
    {"callbacktelephonenumber", "Terugbellen"},
}};

namespace {

constexpr std::string_view kLogCategorie = "Belverin log";
constexpr std::string_view kNieuwCategorie = "Nieuw nummer (Belverin)";

// A number held in one of these makes the hit a private one.
constexpr std::array<std::string_view, 8> kPriveVelden = {
    "hometelephonenumber",  "home2telephonenumber", "homefaxnumber", "mobiletelephonenumber",
    "othertelephonenumber", "ISDNnumber",           "pagernumber",   "cartelephonenumber"};

OutlookFoutmelding& Foutmelding() {
    static OutlookFoutmelding melding;
    return melding;
}

void Meld(const std::string& tekst) {
    if (Foutmelding()) {
        Foutmelding()(tekst);
    } else {
        std::cerr << tekst << '\n';
    }
}

// Shows the item; a failure to show it changes nothing of what was done.
void ToonStil(const std::shared_ptr<outlook::Item>& item) {
    try {
        if (item) {
            item->Display();
        }
    } catch (const outlook::EAutomationError&) {
    }
}

std::string Bellersstring() {
    return bellersstringmaken(instellingen.bellersstring, "bel");
}

// The journal entry of this call with `contact`, when the settings ask for one, its subject
// the contact's property `onderwerp`; then the contact and the entry shown as the settings
// ask. `categorieen` is given to the entry too when not empty.
void LogboekEnTonen(const std::shared_ptr<outlook::Item>& contact, const char* onderwerp,
                    const std::string& categorieen, bool openen) {
    bool logboekgemaakt = false;
    if (instellingen.loggeninlogboek) {
        auto entry = outlookkoppeling.application->CreateItem(outlook::olJournalItem);
        outlookkoppeling.logboekitem = entry;
        entry->SetText("contactnames", contact->GetText("fullname"));
        entry->SetText("subject", contact->GetText(onderwerp));
        entry->SetText("body", Bellersstring());
        if (!categorieen.empty()) {
            entry->SetText("Categories", categorieen);
        }
        entry->Save();
        logboekgemaakt = true;
    }
    if (openen) {
        ToonStil(contact);
    }
    if (instellingen.logboekopenen && logboekgemaakt) {
        ToonStil(outlookkoppeling.logboekitem);
    }
}

}  // namespace

void SetOutlookFoutmelding(OutlookFoutmelding melding) {
    Foutmelding() = std::move(melding);
}

bool outlookisgekoppeld() {
    return outlookkoppeling.application != nullptr;
}

void outlookaankoppelen() {
    if (outlookisgekoppeld()) {
        return;
    }
    OutlookKoppeling& k = outlookkoppeling;
    try {
        k.application = outlook::Application::Create("Outlook.Application");
        k.naamruimte = k.application->GetNameSpace("MAPI");
        k.contacten = k.naamruimte->GetDefaultFolder(outlook::olFolderContacts);
        k.logboek = k.naamruimte->GetDefaultFolder(outlook::olFolderJournal);
        // The folder is read now, at linking, so neither the first call's search nor a tool's
        // start holds up the event loop reading every file.
        k.contacten->Items();
        instellingen.koppeling = true;
    } catch (const outlook::EAutomationError&) {
        // Half a link would answer searches from a store that is not there.
        k.application.reset();
        k.naamruimte.reset();
        k.contacten.reset();
        k.logboek.reset();
        k.gevonden.reset();
        k.logboekitem.reset();
        instellingen.koppeling = false;
        Meld("Kan Outlook niet openen.\nOutlook koppeling is uitgezet.");
    }
}

void outlookafkoppelen() {
    if (!outlookisgekoppeld()) {
        return;
    }
    outlookkoppeling.application.reset();
    outlookkoppeling.naamruimte.reset();
    outlookkoppeling.contacten.reset();
    outlookkoppeling.logboek.reset();
    outlookkoppeling.gevonden.reset();
    outlookkoppeling.logboekitem.reset();
}

bool vindnummer2(std::string_view eigenschap, const std::string& nummer) {
    try {
        outlookkoppeling.gevonden = outlookkoppeling.contacten->Items().Find(eigenschap, nummer);
        if (!outlookkoppeling.gevonden) {
            return false;
        }
        outlookkoppeling.gevonden->GetText("fullname");
        return true;
    } catch (const outlook::EAutomationError&) {
        return false;
    }
}

bool vindnummer(const std::string& nummer, bool openen) {
    if (outlookkoppeling.bezig || !outlookisgekoppeld()) {
        return false;
    }
    std::string_view label;
    bool hit = false;
    for (const TelefoonVeld& veld : kZoekvelden) {
        if (vindnummer2(veld.eigenschap, nummer)) {
            label = veld.label;
            hit = !outlookkoppeling.gevonden->GetText(veld.eigenschap).empty();
            if (hit) {
                break;
            }
        }
    }
    if (!hit) {
        return false;
    }
    const std::shared_ptr<outlook::Item> contact = outlookkoppeling.gevonden;
    try {
        bool prive = false;
        for (std::string_view veld : kPriveVelden) {
            prive = prive || contact->GetText(veld) == nummer;
        }
        if (prive) {
            huidigebeller.voornaam = contact->GetText("firstname");
            huidigebeller.naam = contact->GetText("lastname");
            huidigebeller.postcode = contact->GetText("homeaddresspostalcode");
            huidigebeller.straat = contact->GetText("homeaddressstreet");
            huidigebeller.plaats = contact->GetText("homeaddresscity");
        } else {
            huidigebeller.voornaam.clear();
            huidigebeller.naam = contact->GetText("companyname");
            huidigebeller.postcode = contact->GetText("businessaddresspostalcode");
            huidigebeller.straat = contact->GetText("businessaddressstreet");
            huidigebeller.plaats = contact->GetText("businessaddresscity");
        }
        huidigebeller.zoekstatus = "In Outlook gevonden (" + std::string(label) + ")";
        if (instellingen.loggen) {
            const std::string categorieen = contact->GetText("categories");
            if (categorieen.find(kLogCategorie) == std::string::npos) {
                contact->SetText("categories", categorieen + ";" + std::string(kLogCategorie));
            }
            // Newest call first; a line break in the body is LF.
            contact->SetText("body", Bellersstring() + "\n" + contact->GetText("body"));
        }
        if (instellingen.opnemeninlogboek) {
            contact->SetBool("journal", true);
        }
        contact->Save();
        LogboekEnTonen(contact, prive ? "fullname" : "companyname", "", openen);
        return true;
    } catch (const outlook::EAutomationError&) {
        return false;
    }
}

void addcontact(const std::string& nummer, const std::string& voornaam,
                const std::string& achternaam, const std::string& /*aanhangsel*/,
                const std::string& straat, const std::string& postcode, const std::string& plaats,
                bool openen) {
    if (!outlookisgekoppeld()) {
        return;
    }
    try {
        // The search before it is skipped or answers false at times; never add a duplicate.
        const outlook::ContactItems items = outlookkoppeling.contacten->Items();
        for (const TelefoonVeld& veld : kZoekvelden) {
            if (items.Find(veld.eigenschap, nummer)) {
                return;
            }
        }
        auto contact = outlookkoppeling.application->CreateItem(outlook::olContactItem);
        contact->SetText("hometelephonenumber", nummer);
        contact->SetText("FirstName", voornaam);
        contact->SetText("lastname", achternaam);
        contact->SetText("homeaddressstreet", straat);
        contact->SetText("homeaddresspostalcode", postcode);
        contact->SetText("homeaddresscity", plaats);
        std::string categorieen(kNieuwCategorie);
        if (instellingen.loggen) {
            contact->SetText("body", Bellersstring() + "\n");
            categorieen += ";" + std::string(kLogCategorie);
        }
        contact->SetText("Categories", categorieen);
        if (instellingen.opnemeninlogboek) {
            contact->SetBool("journal", true);
        }
        contact->Save();
        LogboekEnTonen(contact, "fullname", categorieen, openen);
    } catch (const outlook::EAutomationError&) {
    }
}

}  // namespace monitor
