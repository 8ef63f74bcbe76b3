#include "platform/outlook/contact_card.h"

#include "platform/outlook/automation_error.h"
#include "platform/rtl/text_encoding.h"

namespace outlook {

const std::array<std::string_view, kPhoneCount> kPhoneProperties = {"hometelephonenumber",
                                                                    "companymaintelephonenumber",
                                                                    "primarytelephonenumber",
                                                                    "home2telephonenumber",
                                                                    "businesstelephonenumber",
                                                                    "business2telephonenumber",
                                                                    "homefaxnumber",
                                                                    "businessfaxnumber",
                                                                    "othertelephonenumber",
                                                                    "mobiletelephonenumber",
                                                                    "cartelephonenumber",
                                                                    "isdnnumber",
                                                                    "pagernumber",
                                                                    "otherfaxnumber",
                                                                    "radiotelephonenumber",
                                                                    "assistanttelephonenumber",
                                                                    "telexnumber",
                                                                    "ttytddtelephonenumber",
                                                                    "callbacktelephonenumber"};

namespace {

constexpr std::string_view kFieldParam = "X-BELVERIN-FIELD";
constexpr std::size_t kOther = 8;  // othertelephonenumber

// How a TEL written elsewhere finds its property: the first rule whose types it all carries
// names the properties it may take, the first free one wins; else "other".
struct TelRule {
    std::vector<std::string_view> types;
    std::vector<std::size_t> properties;
};
const std::vector<TelRule>& TelRules() {
    static const std::vector<TelRule> rules = {
        {{"fax", "home"}, {6}}, {{"fax", "work"}, {7}}, {{"fax"}, {13, 6, 7}},
        {{"cell"}, {9}},        {{"pager"}, {12}},      {{"car"}, {10}},
        {{"isdn"}, {11}},       {{"textphone"}, {17}},  {{"tty"}, {17}},
        {{"home"}, {0, 3}},     {{"work"}, {4, 5}},     {{"pref"}, {2}},
    };
    return rules;
}

// The TYPE a new TEL line gets, so that other programs see what it is.
constexpr std::array<std::string_view, kPhoneCount> kNewTelTypes = {
    "HOME,VOICE", "WORK,VOICE", "PREF,VOICE", "HOME,VOICE", "WORK,VOICE", "WORK,VOICE", "HOME,FAX",
    "WORK,FAX",   "VOICE",      "CELL",       "CAR",        "ISDN",       "PAGER",      "FAX",
    "VOICE",      "VOICE",      "VOICE",      "TEXTPHONE",  "VOICE"};

enum class Prop {
    FirstName,
    LastName,
    FullName,
    Company,
    HomeStreet,
    HomePostal,
    HomeCity,
    WorkStreet,
    WorkPostal,
    WorkCity,
    Body,
    Categories,
    Unknown
};

Prop PropOf(std::string_view name) {
    static const std::array<std::pair<std::string_view, Prop>, 12> names = {{
        {"firstname", Prop::FirstName},
        {"lastname", Prop::LastName},
        {"fullname", Prop::FullName},
        {"companyname", Prop::Company},
        {"homeaddressstreet", Prop::HomeStreet},
        {"homeaddresspostalcode", Prop::HomePostal},
        {"homeaddresscity", Prop::HomeCity},
        {"businessaddressstreet", Prop::WorkStreet},
        {"businessaddresspostalcode", Prop::WorkPostal},
        {"businessaddresscity", Prop::WorkCity},
        {"body", Prop::Body},
        {"categories", Prop::Categories},
    }};
    for (const auto& [n, p] : names) {
        if (EqualsNoCase(n, name)) {
            return p;
        }
    }
    return Prop::Unknown;
}

bool IsTelUri(const ContentLine& line) {
    return line.value.size() >= 4 &&
           EqualsNoCase(std::string_view(line.value).substr(0, 4), "tel:");
}

std::string PhoneValue(const ContentLine& line) {
    return IsTelUri(line) ? line.value.substr(4) : UnescapeText(line.value);
}

// Categories are one text of items joined by ";", empty items included.
std::vector<std::string> SplitCategories(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = text.find(';', start);
        items.emplace_back(
            text.substr(start, semi == std::string_view::npos ? text.npos : semi - start));
        if (semi == std::string_view::npos) {
            return items;
        }
        start = semi + 1;
    }
}

}  // namespace

std::size_t PhoneIndex(std::string_view property) {
    for (std::size_t i = 0; i < kPhoneCount; ++i) {
        if (EqualsNoCase(kPhoneProperties[i], property)) {
            return i;
        }
    }
    return kPhoneCount;
}

ContactCard ContactCard::New(std::string_view uid) {
    ContactCard card;
    for (const std::string& text :
         {std::string("BEGIN:VCARD"), std::string("VERSION:3.0"),
          std::string("PRODID:-//Belverin//Belverin//NL"), "UID:" + std::string(uid),
          std::string("N:;;;;"), std::string("FN:"), std::string("END:VCARD")}) {
        card.lines_.push_back(*ParseContentLine(text));
    }
    card.AssignPhones();
    return card;
}

std::pair<CardKind, ContactCard> ContactCard::Parse(std::string_view bytes) {
    ContactCard card;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    // Folding is at the octet level and may split a character, so unfold before judging the
    // encoding.
    std::vector<std::string> logicals = UnfoldLines(bytes);
    bool utf8 = true;
    for (const std::string& logical : logicals) {
        utf8 = utf8 && rtl::IsValidUtf8(logical);
    }
    for (std::string& logical : logicals) {
        if (!utf8) {
            logical = rtl::Cp1252ToUtf8(logical);
        }
        auto line = ParseContentLine(logical);
        if (!line) {
            return {CardKind::Broken, card};
        }
        card.lines_.push_back(std::move(*line));
    }
    const auto& lines = card.lines_;
    if (lines.size() < 3 || !lines.front().NameIs("BEGIN") ||
        !EqualsNoCase(lines.front().value, "VCARD") || !lines.back().NameIs("END") ||
        !EqualsNoCase(lines.back().value, "VCARD")) {
        return {CardKind::Broken, card};
    }
    int versions = 0;
    bool group = false;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const ContentLine& l = lines[i];
        if (l.NameIs("BEGIN") || l.NameIs("END")) {
            return {CardKind::Broken, card};
        }
        if (l.NameIs("VERSION")) {
            if (l.value != "3.0" && l.value != "4.0") {
                return {CardKind::Broken, card};
            }
            ++versions;
        }
        if ((l.NameIs("KIND") || l.NameIs("X-ADDRESSBOOKSERVER-KIND")) &&
            EqualsNoCase(l.value, "group")) {
            group = true;
        }
    }
    if (versions != 1) {
        return {CardKind::Broken, card};
    }
    card.AssignPhones();
    return {group ? CardKind::Group : CardKind::Contact, card};
}

void ContactCard::AssignPhones() {
    tel_.fill(-1);
    std::vector<int> foreign;
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        if (!lines_[i].NameIs("TEL")) {
            continue;
        }
        const auto field = lines_[i].ParamValues(kFieldParam);
        const std::size_t index = field.empty() ? kPhoneCount : PhoneIndex(field.front());
        if (index < kPhoneCount && tel_[index] < 0) {
            tel_[index] = i;
        } else {
            foreign.push_back(i);
        }
    }
    for (int i : foreign) {
        const ContentLine& line = lines_[i];
        std::vector<std::size_t> candidates;
        for (const TelRule& rule : TelRules()) {
            bool all = true;
            for (std::string_view type : rule.types) {
                all = all && line.HasParamValue("TYPE", type);
            }
            if (all) {
                candidates = rule.properties;
                break;
            }
        }
        candidates.push_back(kOther);
        for (std::size_t c : candidates) {
            if (tel_[c] < 0) {
                tel_[c] = i;
                break;
            }
        }
        // A TEL with no free property stays in the file and is not searched.
    }
    for (std::size_t p = 0; p < kPhoneCount; ++p) {
        phone_[p] = tel_[p] < 0 ? std::string() : PhoneValue(lines_[tel_[p]]);
    }
}

std::string ContactCard::Compose() const {
    std::string out;
    for (const ContentLine& line : lines_) {
        out += FoldLine(ComposeContentLine(line));
    }
    return out;
}

std::string ContactCard::Version() const {
    const int v = Find("VERSION");
    return v < 0 ? std::string() : lines_[v].value;
}

bool ContactCard::IsTextProperty(std::string_view property) {
    return PhoneIndex(property) < kPhoneCount || PropOf(property) != Prop::Unknown;
}

int ContactCard::Find(std::string_view name) const {
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        if (lines_[i].NameIs(name)) {
            return i;
        }
    }
    return -1;
}

int ContactCard::FindAddress(std::string_view type) const {
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        if (lines_[i].NameIs("ADR") && lines_[i].HasParamValue("TYPE", type)) {
            return i;
        }
    }
    return -1;
}

int ContactCard::AddLine(std::string text) {
    ContentLine line = *ParseContentLine(text);
    line.changed = true;
    const int at = static_cast<int>(lines_.size()) - 1;  // before END:VCARD
    lines_.insert(lines_.begin() + at, std::move(line));
    for (int& t : tel_) {
        if (t >= at) {
            ++t;
        }
    }
    return at;
}

void ContactCard::RemoveLine(int index) {
    // Pin every other phone line first, so that a reload gives each the same property.
    for (std::size_t p = 0; p < kPhoneCount; ++p) {
        if (tel_[p] >= 0 && tel_[p] != index && lines_[tel_[p]].ParamValues(kFieldParam).empty()) {
            lines_[tel_[p]].SetParam(kFieldParam, kPhoneProperties[p]);
        }
    }
    lines_.erase(lines_.begin() + index);
    for (int& t : tel_) {
        if (t == index) {
            t = -1;
        } else if (t > index) {
            --t;
        }
    }
}

std::string ContactCard::Component(int line, std::size_t index) const {
    if (line < 0) {
        return {};
    }
    const auto parts = SplitValue(lines_[line].value, ';');
    return index < parts.size() ? parts[index] : std::string();
}

bool ContactCard::SetComponent(int& line, std::string_view name, std::string_view type,
                               std::size_t count, std::size_t index, std::string_view value) {
    if (line < 0) {
        if (value.empty()) {
            return false;
        }
        std::string text(name);
        if (!type.empty()) {
            text += ";TYPE=" + std::string(type);
        }
        line = AddLine(text + ":" + std::string(count - 1, ';'));
    }
    auto parts = SplitValue(lines_[line].value, ';');
    if (parts.size() < count) {
        parts.resize(count);
    }
    if (parts[index] == value) {
        return false;
    }
    parts[index] = std::string(value);
    lines_[line].value = JoinValue(parts, ';');
    lines_[line].changed = true;
    return true;
}

bool ContactCard::SetSingle(std::string_view name, const std::string& raw) {
    const int at = Find(name);
    if (at < 0) {
        if (raw.empty()) {
            return false;
        }
        AddLine(std::string(name) + ":" + raw);
        return true;
    }
    if (lines_[at].value == raw) {
        return false;
    }
    if (raw.empty() && !lines_[at].NameIs("FN")) {
        RemoveLine(at);
        return true;
    }
    lines_[at].value = raw;
    lines_[at].changed = true;
    return true;
}

bool ContactCard::SetPhone(std::size_t index, std::string_view value) {
    if (phone_[index] == value) {
        return false;
    }
    const int at = tel_[index];
    if (at < 0) {
        tel_[index] = AddLine("TEL;TYPE=" + std::string(kNewTelTypes[index]) + ";" +
                              std::string(kFieldParam) + "=" +
                              std::string(kPhoneProperties[index]) + ":" + EscapeText(value));
    } else if (value.empty()) {
        RemoveLine(at);
    } else {
        ContentLine& line = lines_[at];
        line.value =
            IsTelUri(line) ? line.value.substr(0, 4) + std::string(value) : EscapeText(value);
        line.SetParam(kFieldParam, kPhoneProperties[index]);
        line.changed = true;
    }
    phone_[index] = std::string(value);
    return true;
}

bool ContactCard::SetName(std::size_t component, std::string_view value) {
    int n = Find("N");
    bool changed = SetComponent(n, "N", "", 5, component, value);
    if (changed) {
        const std::string first = Component(n, 1);
        const std::string last = Component(n, 0);
        const std::string full = first.empty() ? last : (last.empty() ? first : first + " " + last);
        SetSingle("FN", EscapeText(full));
    }
    return changed;
}

std::string ContactCard::Get(std::string_view property) const {
    const std::size_t phone = PhoneIndex(property);
    if (phone < kPhoneCount) {
        return phone_[phone];
    }
    switch (PropOf(property)) {
        case Prop::FirstName:
            return Component(Find("N"), 1);
        case Prop::LastName:
            return Component(Find("N"), 0);
        case Prop::FullName: {
            const int fn = Find("FN");
            return fn < 0 ? std::string() : UnescapeText(lines_[fn].value);
        }
        case Prop::Company:
            return Component(Find("ORG"), 0);
        case Prop::HomeStreet:
            return Component(FindAddress("home"), 2);
        case Prop::HomePostal:
            return Component(FindAddress("home"), 5);
        case Prop::HomeCity:
            return Component(FindAddress("home"), 3);
        case Prop::WorkStreet:
            return Component(FindAddress("work"), 2);
        case Prop::WorkPostal:
            return Component(FindAddress("work"), 5);
        case Prop::WorkCity:
            return Component(FindAddress("work"), 3);
        case Prop::Body: {
            const int note = Find("NOTE");
            return note < 0 ? std::string() : UnescapeText(lines_[note].value);
        }
        case Prop::Categories: {
            const int cat = Find("CATEGORIES");
            if (cat < 0) {
                return {};
            }
            std::string joined;
            const auto items = SplitValue(lines_[cat].value, ',');
            for (std::size_t i = 0; i < items.size(); ++i) {
                joined += (i ? ";" : "") + items[i];
            }
            return joined;
        }
        case Prop::Unknown:
            break;
    }
    throw EAutomationError("Unknown name: " + std::string(property));
}

bool ContactCard::Set(std::string_view property, std::string_view value) {
    const std::size_t phone = PhoneIndex(property);
    if (phone < kPhoneCount) {
        return SetPhone(phone, value);
    }
    int line = -1;
    switch (PropOf(property)) {
        case Prop::FirstName:
            return SetName(1, value);
        case Prop::LastName:
            return SetName(0, value);
        case Prop::FullName:
            return SetSingle("FN", EscapeText(value));
        case Prop::Company:
            line = Find("ORG");
            return SetComponent(line, "ORG", "", 1, 0, value);
        case Prop::HomeStreet:
        case Prop::HomePostal:
        case Prop::HomeCity:
            line = FindAddress("home");
            return SetComponent(line, "ADR", "HOME", 7,
                                PropOf(property) == Prop::HomeStreet   ? 2
                                : PropOf(property) == Prop::HomePostal ? 5
                                                                       : 3,
                                value);
        case Prop::WorkStreet:
        case Prop::WorkPostal:
        case Prop::WorkCity:
            line = FindAddress("work");
            return SetComponent(line, "ADR", "WORK", 7,
                                PropOf(property) == Prop::WorkStreet   ? 2
                                : PropOf(property) == Prop::WorkPostal ? 5
                                                                       : 3,
                                value);
        case Prop::Body:
            return SetSingle("NOTE", EscapeText(value));
        case Prop::Categories:
            return SetSingle("CATEGORIES", value.empty() ? std::string()
                                                         : JoinValue(SplitCategories(value), ','));
        case Prop::Unknown:
            break;
    }
    throw EAutomationError("Unknown name: " + std::string(property));
}

bool ContactCard::Journal() const {
    const int at = Find("X-BELVERIN-JOURNAL");
    return at >= 0 && EqualsNoCase(lines_[at].value, "TRUE");
}

bool ContactCard::SetJournal(bool on) {
    if (Journal() == on) {
        return false;
    }
    return SetSingle("X-BELVERIN-JOURNAL", on ? "TRUE" : "FALSE");
}

}  // namespace outlook
