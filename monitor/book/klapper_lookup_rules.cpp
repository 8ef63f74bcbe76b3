#include "monitor/book/klapper_lookup_rules.h"

#include <string_view>

#include "monitor/directory_command.h"
#include "monitor/directory_result.h"
#include "monitor/settings.h"
#include "monitor/wait_times.h"

namespace book {

namespace {

constexpr std::string_view kBezig = " Bezig met zoeken naar telefoonnummer: ";
constexpr std::size_t kBezigLength = 59;
constexpr std::size_t kNumberLength = 20;
constexpr std::string_view kStartFout = "Fout bij aanroepen Foongrep (niet opgezocht) ";
constexpr std::string_view kWachtFout = "Fout: Aanroep Foongrep niet gelukt.(niet opgezocht)";
constexpr std::string_view kZoektijdVerstreken = "Zoektijd verstreken (niet opgezocht)";
constexpr std::string_view kGeenBelvoLog = "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)";
constexpr std::string_view kNietOpenen = "Kan \"belvo.log\" niet openen.(niet opgezocht)";

// A failure: its text in the label and in the entry's status, no field changed.
LookupAnswer Failure(std::string_view text, bool beep) {
    LookupAnswer answer;
    answer.status = std::string(text);
    answer.write = EntryAnswer{{}, answer.status};
    answer.beep = beep;
    return answer;
}

}  // namespace

std::optional<LookupStart> KlapperLookupRules::Start(const std::string& number) {
    const std::string nummer = number.substr(0, kNumberLength);
    if (nummer == "--") {
        return std::nullopt;
    }
    LookupStart start;
    start.status = (std::string(kBezig) + nummer).substr(0, kBezigLength);
    const std::string folder =
        monitor::FoongrepFolder(monitor::instellingen.foongrepdir, monitor::programmadir());
    start.request.argv =
        monitor::WindowLookupArguments(folder, monitor::instellingen.zoektijd, nummer);
    start.request.folder = folder;
    // A result left from an earlier run must never pass for this number's.
    start.request.staleFiles = {monitor::BelvoLogPath(folder), monitor::Belvo2LogPath(folder)};
    start.request.waitMilliseconds =
        monitor::SearchWaitMilliseconds(monitor::instellingen.zoektijd);
    return start;
}

LookupAnswer KlapperLookupRules::Finish(const LookupStart& start,
                                        monitor::DirectoryOutcome outcome) {
    switch (outcome) {
        case monitor::DirectoryOutcome::RefusedNumber:
            return Failure(monitor::kOngeldigNummer, false);
        case monitor::DirectoryOutcome::StartFailed:
            return Failure(kStartFout, false);
        case monitor::DirectoryOutcome::WatchFailed:
            return Failure(kWachtFout, false);
        case monitor::DirectoryOutcome::TimedOut:
            return Failure(kZoektijdVerstreken, true);
        case monitor::DirectoryOutcome::Ended:
            break;
    }
    const monitor::DirectoryResult result = monitor::ReadDirectoryResult(start.request.folder);
    switch (result.state) {
        case monitor::ResultFileState::Absent:
            return Failure(kGeenBelvoLog, true);
        case monitor::ResultFileState::ReadError: {
            // The label keeps its text and the entry stays as it was.
            LookupAnswer answer;
            answer.beep = true;
            answer.warning = std::string(kNietOpenen);
            return answer;
        }
        case monitor::ResultFileState::Read:
            break;
    }
    LookupAnswer answer;
    answer.beep = true;
    answer.write = AnswerFromResult(result, checks_);
    answer.status = answer.write->status;
    return answer;
}

}  // namespace book
