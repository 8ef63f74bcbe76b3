#pragma once

// A small table layout and record builder shared by the expression tests.

#include <string>
#include <vector>

#include "platform/xbase32/expression.h"

namespace xb::testing {

inline std::vector<FieldDesc> SampleFields() {
    std::vector<FieldDesc> fields = {
        {"NAAM", 'C', 20, 0, 0},  {"VOORNAAM", 'C', 10, 0, 0}, {"BEDRAG", 'N', 8, 2, 0},
        {"AANTAL", 'N', 3, 0, 0}, {"DATUM", 'D', 8, 0, 0},     {"ACTIEF", 'L', 1, 0, 0},
        {"LEEG", 'C', 5, 0, 0},   {"GEEN", 'D', 8, 0, 0},      {"MEMO", 'M', 10, 0, 0},
    };
    int offset = 1;
    for (FieldDesc& f : fields) {
        f.offset = offset;
        offset += f.width;
    }
    return fields;
}

// Values in field order, each padded (text, left) or aligned (numbers, right) to its width.
inline std::string MakeRecord(const std::vector<FieldDesc>& fields,
                              const std::vector<std::string>& values, bool deleted = false) {
    std::string record(1, deleted ? '*' : ' ');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto width = static_cast<std::size_t>(fields[i].width);
        std::string v = i < values.size() ? values[i] : std::string();
        v.resize(std::min(v.size(), width));
        if (fields[i].type == 'N') {
            record += std::string(width - v.size(), ' ') + v;
        } else {
            record += v + std::string(width - v.size(), ' ');
        }
    }
    return record;
}

inline std::string SampleRecord(bool deleted = false) {
    return MakeRecord(SampleFields(),
                      {"Jansen", "Jan", "12.50", "42", "20240229", "T", "", "", "1"}, deleted);
}

}  // namespace xb::testing
