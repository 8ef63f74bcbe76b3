#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/string_list.h"

namespace rtl {

// A settings file with the rules of Windows private-profile files, because these files are
// hand-edited and shared by several objects of one process:
// - section and key names match without regard to ASCII case; the first occurrence wins;
// - "key=value" splits at the first "="; blanks and tabs around key and value are trimmed;
// - ";" starts a comment only as the first non-blank of a line;
// - reading removes one pair of enclosing quotes (' or "); writing adds none;
// - a missing file, section or key gives the default, never an error;
// - every read looks at the file as it is now, and every write reaches the file at once
//   (whole, through a temporary file renamed over it), keeping the order, comments and
//   unknown lines of the rest; a failing write raises Exception with the file name.
// Files are read as UTF-8 (a byte-order mark is skipped), or as Windows-1252 when the bytes are
// not UTF-8, and written as UTF-8 with CR LF line ends. Not for use from several threads at once.
class TIniFile {
  public:
    explicit TIniFile(std::string file_name) : file_name_(std::move(file_name)) {}

    const std::string& FileName() const { return file_name_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view default_value) const;
    // Decimal with an optional sign, or "0x"/"$" hexadecimal of up to 32 bits; anything else
    // (empty, not a number, out of the 32-bit range) gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int default_value) const;
    bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The key names of a section, in file order, each once.
    void ReadSection(std::string_view section, TStringList& keys) const;
    void ReadSections(TStringList& sections) const;
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);
    // Writes already reach the file at once; kept for callers that flush.
    void UpdateFile() {}

  private:
    std::string file_name_;
};

// The integer rule of ReadInteger, for values that come from elsewhere.
bool TryParseIniInteger(std::string_view text, int& value);

}  // namespace rtl
