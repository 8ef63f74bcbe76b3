#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/layout_store.h"

namespace ui::testing {

// A layout store in memory that also keeps the order of its writes.
class MemoryLayoutStore : public LayoutStore {
  public:
    int ReadInteger(const std::string& section, const std::string& key,
                    int defaultValue) const override {
        const auto it = values.find({section, key});
        if (it == values.end()) {
            return defaultValue;
        }
        try {
            return std::stoi(it->second);
        } catch (const std::exception&) {
            return defaultValue;
        }
    }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        const auto it = values.find({section, key});
        return it == values.end() ? defaultValue : it->second;
    }
    void WriteInteger(const std::string& section, const std::string& key, int value) override {
        WriteString(section, key, std::to_string(value));
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        values[{section, key}] = value;
        writes.push_back(key);
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> writes;
};

}  // namespace ui::testing
