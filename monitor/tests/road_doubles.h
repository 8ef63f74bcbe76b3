#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "monitor/call_road.h"
#include "monitor/caller_record.h"
#include "monitor/tests/recording_road_view.h"
#include "platform/rtl/exception.h"

namespace monitor::testing {

// The port that throws, when one does.
enum class FailingPort {
    None,
    Klapper,
    Log,
    Directory,
    Contacts,
    Sound,
    Character,
    Commands,
    Line,
    Clock,
    View,
    Dde,
    Post,
};

// The retry timer, ticked by hand.
struct ManualRetryTimer : RoadRetryTimer {
    bool running = false;
    int starts = 0;
    void Start() override {
        running = true;
        ++starts;
    }
    void Stop() override { running = false; }
};

// Every port of the road as a recording double; `failing` makes one of them throw.
struct RoadDoubles : RoadPhoneBook,
                     RoadCallLog,
                     RoadDirectory,
                     RoadContacts,
                     RoadSoundPlayer,
                     RoadCharacter,
                     RoadCommands,
                     RoadLine,
                     RoadClock,
                     RoadDde,
                     RoadPost {
    FailingPort failing = FailingPort::None;

    // Phone book: entries by number; the table's current record follows the last hit.
    std::map<std::string, KlapperTreffer> entries;
    int filterCleared = 0;
    int commits = 0;
    std::vector<std::vector<std::string>> autosaves;
    std::vector<std::string> memosShown;
    bool memoViewable = true;

    std::vector<telefoonrecordtype> logRecords;
    std::vector<bool> logCommits;
    // While set, the log refuses every row with this fault.
    std::optional<LogFault> logRefusal;

    // Directory: what the lookup writes into huidigebeller, and the lookups still running.
    std::function<void(telefoonrecordtype&)> directoryResult;
    std::deque<std::function<void()>> directoryPending;
    int directoryRuns = 0;

    std::map<std::string, telefoonrecordtype> contacts;  // by number: what a hit fills in
    std::vector<std::string> contactSearches;
    std::vector<std::vector<std::string>> contactsAdded;

    std::vector<std::vector<std::string>> plays;

    bool characterPresent = true;
    std::vector<std::string> spoken;
    int hides = 0;

    std::vector<std::string> akties;
    std::vector<std::pair<std::string, std::string>> lanHosts;

    int rejects = 0;
    bool resetAnswer = true;
    int resets = 0;
    std::vector<std::pair<int, int>> opens;
    std::string errorString = "OK";

    RoadTime now{"2024-03-05", "14:05:09"};

    std::vector<std::pair<std::string, std::string>> dde;

    std::deque<std::function<void()>> posted;

    RecordingRoadView view;

    RoadPorts Ports() {
        return RoadPorts{*this, *this, *this, *this, *this, *this,
                         *this, *this, *this, view,  *this, *this};
    }

    // Runs the posted second stages and finishes the lookups until nothing is left.
    void Settle() {
        while (!posted.empty() || !directoryPending.empty()) {
            if (!posted.empty()) {
                auto work = std::move(posted.front());
                posted.pop_front();
                work();
            } else {
                FinishLookup();
            }
        }
    }
    void RunPosted() {
        while (!posted.empty()) {
            auto work = std::move(posted.front());
            posted.pop_front();
            work();
        }
    }
    void FinishLookup() {
        auto done = std::move(directoryPending.front());
        directoryPending.pop_front();
        if (directoryResult) {
            directoryResult(huidigebeller);
        }
        done();
    }

    void Geenfilter1Click() override {
        Check(FailingPort::Klapper);
        ++filterCleared;
    }
    void Commit() override {
        Check(FailingPort::Klapper);
        ++commits;
    }
    std::optional<KlapperTreffer> FindNumber(const std::string& nummer) override {
        Check(FailingPort::Klapper);
        auto it = entries.find(nummer);
        if (it == entries.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void nieuwautosave(const std::string& nummer, const std::string& voornaam,
                       const std::string& naam, const std::string& aanhangsel,
                       const std::string& straat, const std::string& postcode,
                       const std::string& plaats, const std::string& zoekstatus) override {
        Check(FailingPort::Klapper);
        autosaves.push_back(
            {nummer, voornaam, naam, aanhangsel, straat, postcode, plaats, zoekstatus});
    }
    bool ShowMemo(const std::string& bookmark) override {
        Check(FailingPort::Klapper);
        if (!memoViewable) {
            return false;
        }
        memosShown.push_back(bookmark);
        return true;
    }

    void Append(const telefoonrecordtype& beller, bool meteenopslaan) override {
        Check(FailingPort::Log);
        if (logRefusal) {
            throw LogRefused(*logRefusal, "IDAPI Error : 10243");
        }
        logRecords.push_back(beller);
        logCommits.push_back(meteenopslaan);
    }

    void maakstartbat(std::function<void()> done) override {
        Check(FailingPort::Directory);
        ++directoryRuns;
        directoryPending.push_back(std::move(done));
    }

    bool vindnummer(const std::string& nummer, bool openen) override {
        Check(FailingPort::Contacts);
        contactSearches.push_back(nummer + (openen ? " open" : ""));
        auto it = contacts.find(nummer);
        if (it == contacts.end()) {
            return false;
        }
        huidigebeller.voornaam = it->second.voornaam;
        huidigebeller.naam = it->second.naam;
        huidigebeller.zoekstatus = it->second.zoekstatus;
        return true;
    }
    void addcontact(const std::string& nummer, const std::string& voornaam,
                    const std::string& achternaam, const std::string& aanhangsel,
                    const std::string& straat, const std::string& postcode,
                    const std::string& plaats, bool openen) override {
        Check(FailingPort::Contacts);
        contactsAdded.push_back({nummer, voornaam, achternaam, aanhangsel, straat, postcode, plaats,
                                 openen ? "openen" : "dicht"});
    }

    void Play(const std::vector<std::string>& names) override {
        Check(FailingPort::Sound);
        plays.push_back(names);
    }

    bool Present() const override {
        Check(FailingPort::Character);
        return characterPresent;
    }
    void SpeakWithAttention(const std::string& text) override {
        Check(FailingPort::Character);
        spoken.push_back(text);
    }
    void HideCharacter() override {
        Check(FailingPort::Character);
        ++hides;
    }

    void aktie(const std::string& commandline) override {
        Check(FailingPort::Commands);
        akties.push_back(commandline);
    }
    void StartLanTelHost(const std::string& dir, const std::string& sjabloon) override {
        Check(FailingPort::Commands);
        lanHosts.emplace_back(dir, sjabloon);
    }

    void RejectCall() override {
        Check(FailingPort::Line);
        ++rejects;
    }
    bool ResetCapi() override {
        Check(FailingPort::Line);
        ++resets;
        return resetAnswer;
    }
    bool Open(int controller, int rejectTimeOut) override {
        Check(FailingPort::Line);
        opens.emplace_back(controller, rejectTimeOut);
        return true;
    }
    std::string ErrorString() const override {
        Check(FailingPort::Line);
        return errorString;
    }

    RoadTime Now() override {
        Check(FailingPort::Clock);
        return now;
    }

    void Publish(const std::string& ddenummer, const std::string& ddenaam) override {
        Check(FailingPort::Dde);
        dde.emplace_back(ddenummer, ddenaam);
    }

    void Post(std::function<void()> work) override {
        Check(FailingPort::Post);
        posted.push_back(std::move(work));
    }

  private:
    void Check(FailingPort port) const {
        if (failing == port) {
            throw rtl::Exception("kapot");
        }
    }
};

}  // namespace monitor::testing
