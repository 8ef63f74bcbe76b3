#pragma once

// A phone book of 100,000 records with the 17 fields of the program's table and realistic values
// (10% deleted), shared by the benchmarks.

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase32/field_desc.h"

namespace xb {

inline constexpr uint32_t kRecords = 100000;

struct PhoneBook {
    std::vector<FieldDesc> fields;
    std::size_t recordSize = 1;
    std::string data;  // kRecords records, one after the other

    std::string_view Record(uint32_t recno) const {
        return std::string_view(data).substr((recno - 1) * recordSize, recordSize);
    }
};

inline const PhoneBook& Book() {
    static const PhoneBook book = [] {
        PhoneBook b;
        const std::pair<const char*, int> layout[] = {
            {"NUMMER", 20},  {"VOORNAAM", 20},  {"NAAM", 150}, {"AANHANGSEL", 15}, {"STRAAT", 50},
            {"POSTCODE", 7}, {"PLAATS", 50},    {"EXTRA", 50}, {"AFWIJZEN", 10},   {"GELUID", 20},
            {"TIJD", 10},    {"CMDLINE", 100},  {"KLEUR", 20}, {"FONTKLEUR", 20},  {"OMSCHR", 50},
            {"MEMO", 10},    {"ZOEKSTATUS", 50}};
        for (const auto& [name, width] : layout) {
            b.fields.push_back(FieldDesc{name, std::string_view(name) == "MEMO" ? 'M' : 'C', width,
                                         0, static_cast<int>(b.recordSize)});
            b.recordSize += static_cast<std::size_t>(width);
        }
        const char* first[] = {"Jan",   "Piet", "Klaas", "Marie", "Anna",  "Sanne", "Joost",
                               "Femke", "Daan", "Zoë",   "Bram",  "Lotte", "",      "Willem"};
        const char* last[] = {"Jansen", "de Vries", "van den Berg", "Bakker",   "Visser", "Smit",
                              "Meijer", "de Boer",  "Mulder",       "de Groot", "Bos",    "Vos",
                              "Peters", "Hendriks", "van Dijk",     "Dekker"};
        const char* streets[] = {"Dorpsstraat", "Kerkweg",      "Molenlaan", "Stationsplein",
                                 "Beukenlaan",  "Schoolstraat", "Julianaweg"};
        const char* towns[] = {"Amsterdam", "Rotterdam",  "Utrecht",    "Groningen", "Zwolle",
                               "Eindhoven", "Leeuwarden", "Maastricht", "Delft"};
        const char* status[] = {"", "Gekopieerd vanuit de Monitor", "Gevonden via de CD",
                                "Geimporteerd", "Gekopieerd vanuit het Log-bestand"};
        std::mt19937 rng(42);
        auto pick = [&](const auto& list) {
            return std::string(list[rng() % (sizeof list / sizeof list[0])]);
        };
        b.data.reserve(b.recordSize * kRecords);
        for (uint32_t r = 1; r <= kRecords; ++r) {
            std::vector<std::string> v(b.fields.size());
            v[0] = "0" + std::to_string(100000000 + rng() % 900000000);
            v[1] = pick(first);
            v[2] = pick(last) + (rng() % 4 == 0 ? " " + std::to_string(rng() % 1000) : "");
            v[3] = rng() % 10 == 0 ? "jr." : "";
            v[4] = pick(streets) + " " + std::to_string(1 + rng() % 200);
            v[5] = std::to_string(1000 + rng() % 9000) + "AB";
            v[6] = pick(towns);
            v[7] = rng() % 5 == 0 ? "werk" : "";
            v[8] = rng() % 20 == 0 ? "1000000000" : "0000000000";
            v[9] = rng() % 10 == 0 ? "bel.wav" : "Geen";
            v[10] = rng() % 10 == 0 ? "2111111111" : "1111111111";
            v[11] = rng() % 50 == 0 ? "notepad %t" : "-";
            v[14] = rng() % 3 == 0 ? "?" : "klant " + std::to_string(rng() % 5000);
            v[16] = pick(status);
            std::string record(1, rng() % 10 == 0 ? '*' : ' ');
            for (std::size_t f = 0; f < b.fields.size(); ++f) {
                std::string s = v[f];
                s.resize(static_cast<std::size_t>(b.fields[f].width), ' ');
                record += s;
            }
            b.data += record;
        }
        return b;
    }();
    return book;
}

// The numbers the lookup benchmarks ask for, in the order they ask, made before timing so that
// the loops measure the lookup and not the reading of the generated rows.
inline const std::vector<std::string>& LookupNumbers() {
    static const std::vector<std::string> numbers = [] {
        std::vector<std::string> n;
        n.reserve(kRecords);
        uint32_t r = 1;
        for (uint32_t i = 0; i < kRecords; ++i) {
            std::string_view number = Book().Record(r).substr(1, 20);
            number.remove_suffix(number.size() - number.find_last_not_of(' ') - 1);
            n.emplace_back(number);
            r = (r + 997) % kRecords + 1;
        }
        return n;
    }();
    return numbers;
}

inline const char* const kKeys[] = {"nummer",   "voornaam",   "naam",    "omschr", "straat",
                                    "postcode", "plaats",     "extra",   "geluid", "tijd",
                                    "cmdline",  "zoekstatus", "afwijzen"};

}  // namespace xb
