#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/exception.h"

namespace rtl {

// Raised for an index outside the list.
class EStringListError : public Exception {
  public:
    using Exception::Exception;
};

// An ordered list of strings. IndexOf ignores ASCII case unless CaseSensitive is set, as the
// class library's list does by default.
class TStringList {
  public:
    TStringList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int index) const;
    void SetStrings(int index, std::string value);
    const std::string& operator[](int index) const { return Strings(index); }

    int Add(std::string value);
    void Insert(int index, std::string value);
    void Delete(int index);
    void Clear() { items_.clear(); }
    int IndexOf(std::string_view value) const;

    // Lines of "name=value": the part before the first "=", and the value of the first line
    // whose name matches (ASCII case ignored, as IndexOf does).
    std::string Names(int index) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;

    // Each string followed by the line end; reading splits on CR LF, LF or CR, and a final
    // line end does not make an empty last line.
    std::string Text(std::string_view line_end = "\r\n") const;
    void SetText(std::string_view text);

    bool CaseSensitive() const { return case_sensitive_; }
    void SetCaseSensitive(bool on) { case_sensitive_ = on; }

    const std::vector<std::string>& Items() const { return items_; }
    bool operator==(const TStringList& other) const { return items_ == other.items_; }

  private:
    void CheckIndex(int index, int limit) const;
    bool Same(std::string_view a, std::string_view b) const;

    std::vector<std::string> items_;
    bool case_sensitive_ = false;
};

// ASCII-only comparison without regard to case, as the names of settings and files need.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace rtl
