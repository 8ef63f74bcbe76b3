#include "monitor/directory_lookup.h"

#include <string_view>
#include <utility>

#include "monitor/caller_record.h"
#include "monitor/directory_command.h"
#include "monitor/directory_result.h"
#include "monitor/settings.h"
#include "monitor/wait_times.h"

namespace monitor {

namespace {

constexpr std::string_view kStartFout = "Fout bij aanroepen Foongrep (niet opgezocht) ";
constexpr std::string_view kControleFout = "Fout: Kan Foongrep niet controleren (niet opgezocht)";
constexpr std::string_view kZoektijdVerstreken = "Zoektijd verstreken (nog niet opgezocht)";
constexpr std::string_view kGeenBelvoLog = "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)";
constexpr std::string_view kGeenBelvo2Log =
    "Fout: Foongrep maakt 'belvo2.log' niet (niet opgezocht)";
constexpr std::string_view kLeesFout = "Fout: \"belvo.log\" niet gevonden. (niet opgezocht)";
constexpr std::string_view kLeesFoutTest = "Fout: \"belvo.log\" niet gevonden (niet opgezocht)";
constexpr std::string_view kLeesFout2 = "Fout: \"belvo2.log\" niet gevonden. (niet opgezocht)";
constexpr std::string_view kGevonden = "Gevonden in de KPN-cdfoongids";
constexpr std::string_view kNietGevondenOutlook =
    "Niet gevonden in Klapper, Outlook of KPN-cdfoongids";
constexpr std::string_view kNietGevonden = "Niet gevonden in Klapper of KPN-cdfoongids";
constexpr std::string_view kGeenCd = "Geen CD gevonden door Foongrep (niet opgezocht)";
constexpr std::string_view kNaamNietGevonden = "Niet gevonden";

}  // namespace

namespace {

DirectoryLookup*& MonitorLookupSlot() {
    static DirectoryLookup* lookup = nullptr;
    return lookup;
}

}  // namespace

DirectoryLookup* MonitorLookup() {
    return MonitorLookupSlot();
}

void SetMonitorLookup(DirectoryLookup* lookup) {
    MonitorLookupSlot() = lookup;
}

std::vector<std::string_view> LookupFailureTexts() {
    return {kStartFout,     kControleFout, kZoektijdVerstreken, kGeenBelvoLog,
            kGeenBelvo2Log, kLeesFout,     kLeesFout2,          kGeenCd};
}

namespace {

std::string CurrentFolder() {
    return FoongrepFolder(instellingen.foongrepdir, programmadir());
}

void Fail(LookupView& view, std::string_view status) {
    huidigebeller.zoekstatus = std::string(status);
    view.ShowImage(LookupImage::Zoekfout);
}

// While the status test runs (`testbezig`), a belvo.log that cannot be read is said in a box
// and leaves huidigebeller as it was.
void ReadInto(const std::string& folder, LookupView& view, bool testbezig) {
    const DirectoryResult result = ReadDirectoryResult(folder);
    if (result.state == ResultFileState::Absent) {
        Fail(view, kGeenBelvoLog);
        return;
    }
    if (result.state == ResultFileState::ReadError) {
        if (testbezig) {
            view.Waarschuwing(std::string(kLeesFoutTest));
        } else {
            Fail(view, kLeesFout);
        }
        return;
    }
    telefoonrecordtype& r = huidigebeller;
    if (result.found) {
        view.ShowImage(LookupImage::Gevonden);
        r.voornaam = result.address.voornaam;
        r.naam = result.address.naam;
        r.aanhangsel = result.address.aanhangsel;
        r.straat = result.address.straat;
        r.postcode = result.address.postcode;
        r.plaats = result.address.plaats;
        r.zoekstatus = std::string(kGevonden);
    } else {
        view.ShowImage(LookupImage::NietGevonden);
        r.zoekstatus = std::string(instellingen.koppeling ? kNietGevondenOutlook : kNietGevonden);
        r.naam = std::string(kNaamNietGevonden);
        r.voornaam.clear();
        r.aanhangsel.clear();
        r.straat.clear();
        r.postcode.clear();
        r.plaats.clear();
    }
    if (result.status.state == ResultFileState::Read) {
        view.SetStatusMemo(result.status.lines);
        if (result.status.geenCd) {
            r.naam.clear();
            r.zoekstatus = std::string(kGeenCd);
        }
    }
}

// A run's outcome into huidigebeller and the view, the same for a lookup and the status test.
void TakeOutcome(DirectoryOutcome outcome, const std::string& folder, LookupView& view,
                 bool testbezig) {
    switch (outcome) {
        case DirectoryOutcome::RefusedNumber:
            Fail(view, kOngeldigNummer);
            break;
        case DirectoryOutcome::StartFailed:
            Fail(view, kStartFout);
            break;
        case DirectoryOutcome::WatchFailed:
            Fail(view, kControleFout);
            break;
        case DirectoryOutcome::TimedOut:
            Fail(view, kZoektijdVerstreken);
            huidigebeller.naam = std::string(kNaamNietGevonden);
            break;
        case DirectoryOutcome::Ended:
            ReadInto(folder, view, testbezig);
            break;
    }
}

std::vector<std::string> StatusMemo(DirectoryOutcome outcome, const std::string& folder) {
    switch (outcome) {
        case DirectoryOutcome::Ended:
            break;
        case DirectoryOutcome::TimedOut:
            return {std::string(kZoektijdVerstreken)};
        case DirectoryOutcome::WatchFailed:
            return {std::string(kControleFout)};
        case DirectoryOutcome::RefusedNumber:
        case DirectoryOutcome::StartFailed:
            return {std::string(kStartFout)};
    }
    StatusFile status = ReadStatusFile(folder);
    switch (status.state) {
        case ResultFileState::Read:
            return std::move(status.lines);
        case ResultFileState::Absent:
            return {std::string(kGeenBelvo2Log)};
        case ResultFileState::ReadError:
            break;
    }
    return {std::string(kLeesFout2)};
}

}  // namespace

DirectoryLookup::DirectoryLookup(DirectoryRunner& runner, LookupView& view)
    : runner_(runner), view_(view) {}

void DirectoryLookup::maakstartbat(std::function<void()> done) {
    const std::string folder = CurrentFolder();
    DirectoryRequest request;
    request.argv = MonitorLookupArguments(folder, instellingen.zoektijd, huidigebeller.nummer);
    request.folder = folder;
    request.staleFiles = {BelvoLogPath(folder), Belvo2LogPath(folder)};
    request.waitMilliseconds = SearchWaitMilliseconds(instellingen.zoektijd);
    request.owner = alive_;
    request.done = [this, folder, done = std::move(done)](DirectoryOutcome outcome) {
        TakeOutcome(outcome, folder, view_, false);
        if (done) {
            done();
        }
    };
    runner_.Submit(std::move(request));
}

void DirectoryLookup::Testfoongrepstatus(std::function<void(std::vector<std::string>)> done) {
    const std::string folder = CurrentFolder();
    DirectoryRequest request;
    request.argv = StatusTestArguments(folder);
    request.folder = folder;
    request.staleFiles = {Belvo2LogPath(folder)};
    request.waitMilliseconds = SearchWaitMilliseconds(instellingen.zoektijd);
    request.owner = alive_;
    request.done = [this, folder, done = std::move(done)](DirectoryOutcome outcome) {
        // The status command writes no belvo.log: what an earlier lookup left is read again.
        TakeOutcome(outcome, folder, view_, true);
        std::vector<std::string> memo = StatusMemo(outcome, folder);
        if (done) {
            done(std::move(memo));
        }
    };
    runner_.Submit(std::move(request));
}

}  // namespace monitor
