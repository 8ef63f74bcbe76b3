#include "monitor/book/klapper_lookup_result.h"

#include <gtest/gtest.h>

namespace book {
namespace {

monitor::DirectoryResult Found() {
    monitor::DirectoryResult r;
    r.state = monitor::ResultFileState::Read;
    r.found = true;
    r.address = {"Jan", "Jansen", "jr", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"};
    return r;
}

TEST(KlapperLookupResult, CheckedFieldsDecideWhatChanges) {
    LookupFieldChecks all;
    LookupFieldChecks noStraat;
    noStraat.straat = false;
    LookupFieldChecks none{false, false, false, false, false, false, false};
    LookupFieldChecks wisNaam{false, true, false, false, false, false, true};
    LookupFieldChecks wisAll = all;
    wisAll.veldWissen = true;
    monitor::DirectoryResult notFound;
    notFound.state = monitor::ResultFileState::Read;
    monitor::DirectoryResult noCd = Found();
    noCd.status.state = monitor::ResultFileState::Read;
    noCd.status.geenCd = true;

    const struct {
        const char* name;
        monitor::DirectoryResult result;
        LookupFieldChecks checks;
        std::vector<FieldChange> changes;
        std::string status;
    } cases[] = {
        {"found, all checked",
         Found(),
         all,
         {{"VOORNAAM", "Jan"},
          {"NAAM", "Jansen"},
          {"AANHANGSEL", "jr"},
          {"STRAAT", "Dorpsstraat 12"},
          {"POSTCODE", "1234 AB"},
          {"PLAATS", "Zo\xC3\xAB"}},
         "Gevonden in de KPN-cdfoongids."},
        {"found, street unchecked",
         Found(),
         noStraat,
         {{"VOORNAAM", "Jan"},
          {"NAAM", "Jansen"},
          {"AANHANGSEL", "jr"},
          {"POSTCODE", "1234 AB"},
          {"PLAATS", "Zo\xC3\xAB"}},
         "Gevonden in de KPN-cdfoongids."},
        {"found, none checked", Found(), none, {}, "Gevonden in de KPN-cdfoongids."},
        {"not found keeps the fields", notFound, all, {}, "Niet gevonden in de KPN-cdfoongids."},
        {"not found, clear only the name",
         notFound,
         wisNaam,
         {{"NAAM", "Niet gevonden"}},
         "Niet gevonden in de KPN-cdfoongids."},
        {"not found, clear all",
         notFound,
         wisAll,
         {{"VOORNAAM", ""},
          {"NAAM", "Niet gevonden"},
          {"AANHANGSEL", ""},
          {"STRAAT", ""},
          {"POSTCODE", ""},
          {"PLAATS", ""}},
         "Niet gevonden in de KPN-cdfoongids."},
        {"no CD over found", noCd, none, {}, "Geen CD gevonden. (niet opgezocht)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const EntryAnswer a = AnswerFromResult(c.result, c.checks);
        EXPECT_EQ(a.changes, c.changes);
        EXPECT_EQ(a.status, c.status);
    }
}

}  // namespace
}  // namespace book
