#pragma once

#include "platform/rtl/ini_file.h"
#include "platform/ui/layout_store.h"

namespace ui {

// A window layout kept in the program's settings file.
class IniLayoutStore : public LayoutStore {
  public:
    explicit IniLayoutStore(rtl::TIniFile& ini) : ini_(ini) {}

    int ReadInteger(const std::string& section, const std::string& key,
                    int defaultValue) const override {
        return ini_.ReadInteger(section, key, defaultValue);
    }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        return ini_.ReadString(section, key, defaultValue);
    }
    void WriteInteger(const std::string& section, const std::string& key, int value) override {
        ini_.WriteInteger(section, key, value);
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        ini_.WriteString(section, key, value);
    }

  private:
    rtl::TIniFile& ini_;
};

}  // namespace ui
