#pragma once

#include <string>
#include <vector>

namespace xbase::testing {

// The phone book's fields, as the installation creates the table.
inline const std::vector<std::string> kPhoneBookFields = {
    "NUMMER:C:20",  "VOORNAAM:C:20",  "NAAM:C:150", "AANHANGSEL:C:15", "STRAAT:C:50",
    "POSTCODE:C:7", "PLAATS:C:50",    "EXTRA:C:50", "AFWIJZEN:C:10",   "GELUID:C:20",
    "TIJD:C:10",    "CMDLINE:C:100",  "KLEUR:C:20", "FONTKLEUR:C:20",  "OMSCHR:C:50",
    "MEMO:M",       "ZOEKSTATUS:C:50"};

// The phone book's thirteen index keys, in the order of their files tel0 .. tel12.
inline const std::vector<std::string> kPhoneBookKeys = {
    "nummer", "voornaam", "naam", "omschr",  "straat",     "postcode", "plaats",
    "extra",  "geluid",   "tijd", "cmdline", "zoekstatus", "afwijzen"};

}  // namespace xbase::testing
