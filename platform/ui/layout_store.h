#pragma once

#include <string>

namespace ui {

// The part of an ini file that windows use to keep their layout; the program's ini file is
// adapted to it.
class LayoutStore {
  public:
    virtual ~LayoutStore() = default;
    virtual int ReadInteger(const std::string& section, const std::string& key,
                            int defaultValue) const = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual void WriteInteger(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

}  // namespace ui
