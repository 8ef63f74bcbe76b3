// The call-log window's rules without a table: filter texts, the row test of "Nog niet
// gezochte", what a lookup's outcome writes into a row, and the phone book before the program.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "monitor/book/dial_number.h"
#include "monitor/book/log_filters.h"
#include "monitor/book/log_lookup_rules.h"
#include "monitor/book/table_export.h"
#include "monitor/settings.h"

namespace book {
namespace {

TEST(LogFilterText, QuotesTheTrimmedValue) {
    struct Case {
        const char* field;
        std::string value;
        std::string filter;
    };
    const Case cases[] = {
        {"PLAATS", "Utrecht", "PLAATS = 'Utrecht' "},
        {"NAAM", "  Jansen \t", "NAAM = 'Jansen' "},
        {"NUMMER", "", "NUMMER = '' "},
        {"STRAAT", "     ", "STRAAT = '' "},
        {"PLAATS", "'s-Hertogenbosch", "PLAATS = \"'s-Hertogenbosch\" "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogFilterText(c.field, c.value), c.filter) << c.value;
    }
}

TEST(NogNietGezocht, TakesEveryStatusThatWasNotLookedUp) {
    // What ZOEKSTATUS holds: the text cut to the field's 50 characters.
    auto stored = [](std::string_view text) { return std::string(text.substr(0, 50)); };
    struct Case {
        std::string status;
        bool again;
    };
    const Case cases[] = {
        {"Zoektijd verstreken (niet opgezocht)", true},
        {"Zoektijd verstreken (nog niet opgezocht)", true},
        {stored("Niet opgezocht in de KPN-cdfoongids (automatisch zoeken staat uit)"), true},
        {"Afgewezen op deze MSN (niet opgezocht)", true},
        {"Geen CD gevonden door Foongrep. (niet opgezocht)", true},
        {"Geen CD gevonden", true},
        // Failures of this window that lost "niet opgezocht" to the cut.
        {stored("Fout: Foongrep aanroepen niet gelukt.(niet opgezocht)"), true},
        {stored("Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)"), true},
        {stored("Foongrep maakt \"belvo.log\" niet aan. (niet opgezocht)"), true},
        // ... and of the monitor's lookup.
        {stored("Fout: Kan Foongrep niet controleren (niet opgezocht)"), true},
        {stored("Fout: Foongrep maakt 'belvo2.log' niet (niet opgezocht)"), true},
        {stored("Fout: Foongrep maakt 'belvo2.log' niet (niet opgezocht)") + "   ", true},
        {"Gevonden in de KPN-cdfoongids.", false},
        {"Gevonden in de Klapper", false},
        {"Niet gevonden in de klapper of KPN-cdfoongids", false},
        {"Geen nummer herkend", false},
        {"Fout: Foongrep maakt", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NogNietGezocht(c.status), c.again) << c.status;
    }
}

monitor::DirectoryResult Read(bool found, bool geenCd) {
    monitor::DirectoryResult r;
    r.state = monitor::ResultFileState::Read;
    r.found = found;
    if (found) {
        r.address = {"Jan", "Jansen", "jr", "Dorpsstraat 12", "1234 AB", "Zoetermeer"};
    }
    r.status.geenCd = geenCd;
    return r;
}

TEST(LogLookupAnswer, EveryOutcomeEndsAsAStatusInTheRow) {
    using O = monitor::DirectoryOutcome;
    const std::vector<FieldChange> found = {{"VOORNAAM", "Jan"},     {"NAAM", "Jansen"},
                                            {"AANHANGSEL", "jr"},    {"STRAAT", "Dorpsstraat 12"},
                                            {"POSTCODE", "1234 AB"}, {"PLAATS", "Zoetermeer"}};
    const std::vector<FieldChange> notFound = {{"VOORNAAM", ""},   {"NAAM", "Niet gevonden."},
                                               {"AANHANGSEL", ""}, {"STRAAT", ""},
                                               {"POSTCODE", ""},   {"PLAATS", ""}};
    monitor::DirectoryResult absent;
    monitor::DirectoryResult unreadable;
    unreadable.state = monitor::ResultFileState::ReadError;
    struct Case {
        const char* name;
        O outcome;
        monitor::DirectoryResult result;
        std::string status;
        std::vector<FieldChange> changes;
        bool beep;
        std::string warning;
    };
    const Case cases[] = {
        {"refused",
         O::RefusedNumber,
         {},
         "Ongeldig nummer voor Foongrep (niet opgezocht)",
         {},
         false,
         ""},
        {"not started",
         O::StartFailed,
         {},
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         {},
         false,
         ""},
        {"watch failed",
         O::WatchFailed,
         {},
         "Fout: Foongrep aanroepen niet gelukt.(niet opgezocht)",
         {},
         false,
         ""},
        {"time-out keeps the name",
         O::TimedOut,
         Read(true, false),
         "Zoektijd verstreken (niet opgezocht)",
         {},
         true,
         ""},
        {"no belvo.log",
         O::Ended,
         absent,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         {},
         true,
         ""},
        {"unreadable belvo.log",
         O::Ended,
         unreadable,
         "Foongrep maakt \"belvo.log\" niet aan. (niet opgezocht)",
         {},
         true,
         "Kan bestand \"belvo.log\" niet vinden (niet opgezocht)"},
        {"found", O::Ended, Read(true, false), "Gevonden in de KPN-cdfoongids.", found, true, ""},
        {"not found", O::Ended, Read(false, false), "Niet gevonden in de klapper of KPN-cdfoongids",
         notFound, true, ""},
        {"no CD over found", O::Ended, Read(true, true),
         "Geen CD gevonden door Foongrep. (niet opgezocht)", found, true, ""},
        {"no CD over not found", O::Ended, Read(false, true),
         "Geen CD gevonden door Foongrep. (niet opgezocht)", notFound, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LookupAnswer a = LogLookupAnswer(c.outcome, c.result);
        EXPECT_EQ(a.status, c.status);
        ASSERT_TRUE(a.write.has_value());
        EXPECT_EQ(a.write->status, c.status);
        EXPECT_EQ(a.write->changes, c.changes);
        EXPECT_EQ(a.beep, c.beep);
        EXPECT_EQ(a.warning, c.warning);
    }
}

TEST(LogLookupRules, ThePhoneBookAnswersBeforeTheProgramRuns) {
    monitor::instellingen = monitor::Instellingen{};
    monitor::instellingen.foongrepdir = "/fg";
    monitor::instellingen.zoektijd = "7";
    const std::vector<FieldChange> entry = {{"NAAM", "Buur"}, {"VOORNAAM", "Piet"}};
    std::vector<std::string> scanned;
    LogLookupRules rules([&](const std::string& number) -> std::optional<std::vector<FieldChange>> {
        scanned.push_back(number);
        if (number == "0301" || number == "--") {
            return entry;
        }
        return std::nullopt;
    });

    const auto inBook = rules.Start("0301");
    ASSERT_TRUE(inBook && inBook->answer);
    EXPECT_EQ(inBook->answer->status, "Gevonden in de Klapper");
    EXPECT_EQ(inBook->answer->write->changes, entry);

    const auto run = rules.Start("0309");
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer.has_value());
    EXPECT_EQ(run->status, " Bezig met zoeken naar telefoonnummer: 0309");
    ASSERT_TRUE(run->request.argv.has_value());
    EXPECT_EQ(run->request.argv->at(8), "-t0309");
    EXPECT_EQ(run->request.folder, "/fg/");
    EXPECT_EQ(run->request.waitMilliseconds, 7 * 1000 - 3);

    const auto knownDash = rules.Start("--");
    ASSERT_TRUE(knownDash && knownDash->answer);
    EXPECT_EQ(knownDash->answer->status, "Gevonden in de Klapper");

    const auto empty = rules.Start("");
    ASSERT_TRUE(empty && empty->answer);
    EXPECT_EQ(empty->answer->status, "Geen nummer herkend");
    EXPECT_EQ(empty->answer->write->changes,
              (std::vector<FieldChange>{{"VOORNAAM", ""},
                                        {"NAAM", "Geen nummer herkend"},
                                        {"AANHANGSEL", ""},
                                        {"STRAAT", ""},
                                        {"POSTCODE", ""},
                                        {"PLAATS", ""}}));

    const auto refused = rules.Start("-5");
    ASSERT_TRUE(refused.has_value());
    EXPECT_FALSE(refused->request.argv.has_value());
    EXPECT_EQ(scanned, (std::vector<std::string>{"0301", "0309", "--", "", "-5"}));
    monitor::instellingen = monitor::Instellingen{};
}

TEST(ExportName, ADefaultExtensionOnlyForANameWithoutOne) {
    EXPECT_EQ(WithDefaultExtension("/tmp/x", "txt"), "/tmp/x.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/export 1.txt", "txt"), "/tmp/export 1.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp.d/lijst", "txt"), "/tmp.d/lijst.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/lijst.csv", "txt"), "/tmp/lijst.csv");
    EXPECT_EQ(WithDefaultExtension("/tmp/x", ""), "/tmp/x");
}

TEST(DialCut, NeverInsideACharacter) {
    EXPECT_EQ(CutToChars("0201234567", 255), "0201234567");
    EXPECT_EQ(CutToChars(std::string(300, '9'), 255), std::string(255, '9'));
    // "Zoë" is four bytes and three characters.
    EXPECT_EQ(CutToChars("Zo\xC3\xAB", 3), "Zo\xC3\xAB");
    EXPECT_EQ(CutToChars("Zo\xC3\xAB", 2), "Zo");
}

}  // namespace
}  // namespace book
