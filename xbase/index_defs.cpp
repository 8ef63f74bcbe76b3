#include "xbase/index_defs.h"

#include <algorithm>

#include "platform/db/database_error.h"
#include "platform/rtl/string_list.h"

namespace xbase {

namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        if (end > start) {
            parts.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

}  // namespace

TIndexDef& TIndexDefs::Add(TIndexDef def) {
    items_.push_back(std::move(def));
    return items_.back();
}

const TIndexDef* TIndexDefs::Find(std::string_view name) const {
    for (const TIndexDef& def : items_) {
        if (rtl::SameTextAscii(def.name, name)) {
            return &def;
        }
    }
    return nullptr;
}

const TIndexDef* TIndexDefs::FindForFields(std::string_view fields, bool caseInsensitive) const {
    const std::vector<std::string_view> wanted = SplitFields(fields);
    if (wanted.empty()) {
        return nullptr;
    }
    for (const TIndexDef& def : items_) {
        if ((def.options & ixExpression) != 0 ||
            ((def.options & ixCaseInsensitive) != 0) != caseInsensitive) {
            continue;
        }
        const std::vector<std::string_view> have = SplitFields(def.fields);
        if (have.size() < wanted.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < wanted.size() && same; ++i) {
            same = rtl::SameTextAscii(have[i], wanted[i]);
        }
        if (same) {
            return &def;
        }
    }
    return nullptr;
}

const TIndexDef& TIndexDefs::GetForFields(std::string_view fields, bool caseInsensitive) const {
    const TIndexDef* def = FindForFields(fields, caseInsensitive);
    if (def == nullptr) {
        db::DatabaseError("No index for fields '" + std::string(fields) + "'");
    }
    return *def;
}

}  // namespace xbase
