#include "monitor/book/log_lookup_rules.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "monitor/book/klapper_core.h"
#include "monitor/directory_command.h"
#include "monitor/directory_lookup.h"
#include "monitor/settings.h"
#include "monitor/wait_times.h"
#include "platform/db/field.h"
#include "xbase/table.h"

namespace book {

namespace {

constexpr std::size_t kStatusWidth = 50;
constexpr const char* kAddressFields[] = {"NAAM",   "VOORNAAM", "AANHANGSEL",
                                          "STRAAT", "POSTCODE", "PLAATS"};

std::string_view TrimmedRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

LookupAnswer Status(std::string_view text, std::vector<FieldChange> changes = {}) {
    LookupAnswer answer;
    answer.status = std::string(text);
    answer.write = EntryAnswer{std::move(changes), answer.status};
    return answer;
}

LookupAnswer InKlapper(std::vector<FieldChange> fields) {
    return Status(kLogInKlapper, std::move(fields));
}

}  // namespace

std::optional<std::vector<FieldChange>> ScanKlapper(KlapperCore* klapper,
                                                    const std::string& number) {
    if (klapper == nullptr || !klapper->t2().Active()) {
        return std::nullopt;
    }
    if (!klapper->FindNumber(number, kCurrentOrder)) {
        return std::nullopt;
    }
    std::vector<FieldChange> fields;
    for (const char* field : kAddressFields) {
        fields.push_back({field, klapper->t2().FieldByName(field).AsString()});
    }
    return fields;
}

LookupAnswer LogLookupAnswer(monitor::DirectoryOutcome outcome,
                             const monitor::DirectoryResult& result) {
    switch (outcome) {
        case monitor::DirectoryOutcome::RefusedNumber:
            return Status(monitor::kOngeldigNummer);
        case monitor::DirectoryOutcome::StartFailed:
            return Status(kLogStartFout);
        case monitor::DirectoryOutcome::WatchFailed:
            return Status(kLogWachtFout);
        case monitor::DirectoryOutcome::TimedOut: {
            // Name and address stay as they were.
            LookupAnswer answer = Status(kLogZoektijd);
            answer.beep = true;
            return answer;
        }
        case monitor::DirectoryOutcome::Ended:
            break;
    }
    LookupAnswer answer;
    switch (result.state) {
        case monitor::ResultFileState::Absent:
            answer = Status(kLogGeenBelvoLog);
            break;
        case monitor::ResultFileState::ReadError:
            answer = Status(kLogNietAan);
            answer.warning = std::string(kLogNietVinden);
            break;
        case monitor::ResultFileState::Read: {
            const monitor::DirectoryAddress& a = result.address;
            if (result.found) {
                answer = Status(kLogGevonden, {{"VOORNAAM", a.voornaam},
                                               {"NAAM", a.naam},
                                               {"AANHANGSEL", a.aanhangsel},
                                               {"STRAAT", a.straat},
                                               {"POSTCODE", a.postcode},
                                               {"PLAATS", a.plaats}});
            } else {
                answer = Status(kLogNietGevonden, {{"VOORNAAM", ""},
                                                   {"NAAM", "Niet gevonden."},
                                                   {"AANHANGSEL", ""},
                                                   {"STRAAT", ""},
                                                   {"POSTCODE", ""},
                                                   {"PLAATS", ""}});
            }
            if (result.status.geenCd) {
                // The fields keep what belvo.log gave them.
                answer.status = std::string(kLogGeenCd);
                answer.write->status = answer.status;
            }
            break;
        }
    }
    answer.beep = true;
    return answer;
}

bool NogNietGezocht(std::string_view zoekstatus) {
    const std::string_view status = TrimmedRight(zoekstatus);
    if (Lower(status).find("niet opgezocht") != std::string::npos ||
        status.find("Geen CD gevonden") != std::string_view::npos) {
        return true;
    }
    std::vector<std::string_view> failures = {kLogStartFout,           kLogWachtFout, kLogZoektijd,
                                              kLogGeenBelvoLog,        kLogNietAan,   kLogGeenCd,
                                              monitor::kOngeldigNummer};
    for (std::string_view text : monitor::LookupFailureTexts()) {
        failures.push_back(text);
    }
    return std::any_of(failures.begin(), failures.end(), [&](std::string_view text) {
        return !status.empty() && TrimmedRight(text.substr(0, kStatusWidth)) == status;
    });
}

std::optional<LookupStart> LogLookupRules::Start(const std::string& number) {
    LookupStart start;
    if (number == "--" || number.empty()) {
        // No number to run the directory program for; the phone book may still know the text.
        if (auto fields = scan_(number)) {
            start.answer = InKlapper(std::move(*fields));
        } else {
            start.answer = Status(kLogGeenNummer, {{"VOORNAAM", ""},
                                                   {"NAAM", std::string(kLogGeenNummer)},
                                                   {"AANHANGSEL", ""},
                                                   {"STRAAT", ""},
                                                   {"POSTCODE", ""},
                                                   {"PLAATS", ""}});
        }
        return start;
    }
    start.status = std::string(kLogBezig) + number;
    if (auto fields = scan_(number)) {
        start.answer = InKlapper(std::move(*fields));
        return start;
    }
    const std::string folder =
        monitor::FoongrepFolder(monitor::instellingen.foongrepdir, monitor::programmadir());
    start.request.argv =
        monitor::WindowLookupArguments(folder, monitor::instellingen.zoektijd, number);
    start.request.folder = folder;
    // A result left from an earlier run must never pass for this number's.
    start.request.staleFiles = {monitor::BelvoLogPath(folder), monitor::Belvo2LogPath(folder)};
    start.request.waitMilliseconds =
        monitor::SearchWaitMilliseconds(monitor::instellingen.zoektijd);
    return start;
}

LookupAnswer LogLookupRules::Finish(const LookupStart& start, monitor::DirectoryOutcome outcome) {
    monitor::DirectoryResult result;
    if (outcome == monitor::DirectoryOutcome::Ended) {
        result = monitor::ReadDirectoryResult(start.request.folder);
    }
    return LogLookupAnswer(outcome, result);
}

}  // namespace book
