#include "platform/rtl/ini_file.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/rtl/exception.h"
#include "platform/rtl/text_encoding.h"
#include "platform/rtl/whole_file.h"

namespace rtl {

namespace {

enum class Kind { kOther, kSection, kKey };

struct Line {
    std::string text;
    Kind kind = Kind::kOther;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed, quotes still on
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

Line Classify(std::string text) {
    Line line;
    const std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::kSection;
            line.name = std::string(Trim(t.substr(1, close - 1)));
        }
    } else if (!t.empty() && t.front() != ';') {
        const auto eq = t.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view key = Trim(t.substr(0, eq));
            if (!key.empty()) {
                line.kind = Kind::kKey;
                line.name = std::string(key);
                line.value = std::string(Trim(t.substr(eq + 1)));
            }
        }
    }
    line.text = std::move(text);
    return line;
}

enum class Purpose { kRead, kWrite };

class Document {
  public:
    // A file that is there but cannot be read reads as empty, yet is never written over.
    Document(const std::string& path, Purpose purpose) {
        std::optional<std::string> bytes;
        try {
            bytes = ReadWholeFile(path);
        } catch (const EInOutError&) {
            if (purpose == Purpose::kWrite) {
                throw;
            }
        }
        if (!bytes) {
            return;
        }
        std::string_view content = *bytes;
        if (content.substr(0, 3) == "\xEF\xBB\xBF") {
            content.remove_prefix(3);
        }
        // Hand edits and files carried over from the old program mix both encodings, so each
        // line is decoded on its own; line ends are the same bytes in both.
        TStringList split;
        split.SetText(content);
        for (const auto& text : split.Items()) {
            lines_.push_back(Classify(IsValidUtf8(text) ? text : Cp1252ToUtf8(text)));
        }
    }

    // Index of the first header of the section, or -1.
    int FindSection(std::string_view section) const {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind == Kind::kSection && SameTextAscii(lines_[i].name, section)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // One past the last line of the section whose header is at `header`.
    std::size_t SectionEnd(int header) const {
        std::size_t i = static_cast<std::size_t>(header) + 1;
        while (i < lines_.size() && lines_[i].kind != Kind::kSection) {
            ++i;
        }
        return i;
    }

    int FindKey(std::string_view section, std::string_view key) const {
        const int header = FindSection(section);
        if (header < 0) {
            return -1;
        }
        const std::size_t end = SectionEnd(header);
        for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
            if (lines_[i].kind == Kind::kKey && SameTextAscii(lines_[i].name, key)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    void Set(std::string_view section, std::string_view key, std::string_view value) {
        const int at = FindKey(section, key);
        if (at >= 0) {
            Line& line = lines_[static_cast<std::size_t>(at)];
            line = Classify(line.name + "=" + std::string(value));
            return;
        }
        const std::string text = std::string(key) + "=" + std::string(value);
        const int header = FindSection(section);
        if (header < 0) {
            if (!lines_.empty() && !Trim(lines_.back().text).empty()) {
                lines_.push_back(Classify(""));
            }
            lines_.push_back(Classify("[" + std::string(section) + "]"));
            lines_.push_back(Classify(text));
            return;
        }
        // After the section's last key, so trailing comments and blank lines stay below it.
        std::size_t insert_at = static_cast<std::size_t>(header) + 1;
        const std::size_t end = SectionEnd(header);
        for (std::size_t i = insert_at; i < end; ++i) {
            if (lines_[i].kind == Kind::kKey) {
                insert_at = i + 1;
            }
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert_at), Classify(text));
    }

    bool Remove(std::string_view section, std::string_view key) {
        const int at = FindKey(section, key);
        if (at < 0) {
            return false;
        }
        lines_.erase(lines_.begin() + at);
        return true;
    }

    bool RemoveSection(std::string_view section) {
        bool removed = false;
        for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
            lines_.erase(lines_.begin() + header,
                         lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
            removed = true;
        }
        return removed;
    }

    std::string Serialize() const {
        std::string out;
        for (const auto& line : lines_) {
            out += line.text;
            out += "\r\n";
        }
        return out;
    }

    const std::vector<Line>& Lines() const { return lines_; }

  private:
    std::vector<Line> lines_;
};

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names or values that would change the shape of the file are refused rather than written.
void CheckWritable(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::string_view k = Trim(key);
    const std::string_view s = Trim(section);
    if (s.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
        k.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        k.front() == ';' || k.front() == '[' || HasLineBreak(value)) {
        throw Exception("Unable to write to " + file + ": invalid section, key or value");
    }
}

void Save(const std::string& file, const Document& doc) {
    WriteWholeFileAtomically(file, doc.Serialize());
}

}  // namespace

bool TryParseIniInteger(std::string_view text, int& value) {
    auto hex_digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string_view digits;
    if (text.substr(0, 1) == "$") {
        digits = text.substr(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits = text.substr(2);
    }
    if (digits.data() != nullptr) {
        if (digits.empty()) {
            return false;
        }
        std::uint64_t v = 0;
        for (const char c : digits) {
            const int d = hex_digit(c);
            if (d < 0) {
                return false;
            }
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFu) {
                return false;
            }
        }
        // Eight hex digits are the 32-bit pattern, as colours like $8000000F are written.
        value = static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
        return true;
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    std::int64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) {
            return false;
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > 2147483647LL) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view default_value) const {
    const Document doc(file_name_, Purpose::kRead);
    const int at = doc.FindKey(section, key);
    if (at < 0) {
        return std::string(default_value);
    }
    return Unquote(doc.Lines()[static_cast<std::size_t>(at)].value);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
    const Document doc(file_name_, Purpose::kRead);
    const int at = doc.FindKey(section, key);
    int value = 0;
    if (at >= 0 &&
        TryParseIniInteger(Unquote(doc.Lines()[static_cast<std::size_t>(at)].value), value)) {
        return value;
    }
    return default_value;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
    return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    CheckWritable(file_name_, section, key, value);
    Document doc(file_name_, Purpose::kWrite);
    doc.Set(Trim(section), Trim(key), value);
    Save(file_name_, doc);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const {
    return Document(file_name_, Purpose::kRead).FindSection(section) >= 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return Document(file_name_, Purpose::kRead).FindKey(section, key) >= 0;
}

void TIniFile::ReadSection(std::string_view section, TStringList& keys) const {
    keys.Clear();
    const Document doc(file_name_, Purpose::kRead);
    const int header = doc.FindSection(section);
    if (header < 0) {
        return;
    }
    const std::size_t end = doc.SectionEnd(header);
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        const Line& line = doc.Lines()[i];
        if (line.kind == Kind::kKey && keys.IndexOf(line.name) < 0) {
            keys.Add(line.name);
        }
    }
}

void TIniFile::ReadSections(TStringList& sections) const {
    sections.Clear();
    const Document doc(file_name_, Purpose::kRead);
    for (const auto& line : doc.Lines()) {
        if (line.kind == Kind::kSection && sections.IndexOf(line.name) < 0) {
            sections.Add(line.name);
        }
    }
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    Document doc(file_name_, Purpose::kWrite);
    if (doc.Remove(section, key)) {
        Save(file_name_, doc);
    }
}

void TIniFile::EraseSection(std::string_view section) {
    Document doc(file_name_, Purpose::kWrite);
    if (doc.RemoveSection(section)) {
        Save(file_name_, doc);
    }
}

}  // namespace rtl
