#include "platform/rtl/string_list.h"

namespace rtl {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

void TStringList::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
}

bool TStringList::Same(std::string_view a, std::string_view b) const {
    return case_sensitive_ ? a == b : SameTextAscii(a, b);
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, std::string value) {
    CheckIndex(index, Count());
    items_[static_cast<std::size_t>(index)] = std::move(value);
}

int TStringList::Add(std::string value) {
    items_.push_back(std::move(value));
    return Count() - 1;
}

void TStringList::Insert(int index, std::string value) {
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, std::move(value));
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(std::string_view value) const {
    for (int i = 0; i < Count(); ++i) {
        if (Same(items_[static_cast<std::size_t>(i)], value)) {
            return i;
        }
    }
    return -1;
}

std::string TStringList::Names(int index) const {
    const std::string& line = Strings(index);
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = items_[static_cast<std::size_t>(i)];
        const auto eq = line.find('=');
        if (eq != std::string::npos && Same(std::string_view(line).substr(0, eq), name)) {
            return i;
        }
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) {
        return std::string();
    }
    const std::string& line = items_[static_cast<std::size_t>(i)];
    return line.substr(line.find('=') + 1);
}

std::string TStringList::Text(std::string_view line_end) const {
    std::string out;
    for (const auto& item : items_) {
        out += item;
        out += line_end;
    }
    return out;
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            items_.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        items_.emplace_back(text.substr(start));
    }
}

}  // namespace rtl
