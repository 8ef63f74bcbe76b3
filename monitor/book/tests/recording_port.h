#pragma once

#include <string>
#include <vector>

#include "monitor/book/telefoon_log_port.h"

namespace book::testing {

// Writes down what the core asks of its window, in order, as "kind:text"; holds the
// "Sorteren" check mark.
class RecordingPort : public TelefoonLogPort {
  public:
    void SplashStep(const std::string& text) override { events.push_back("splash:" + text); }
    void ErrorBox(const std::string& text) override { events.push_back("error:" + text); }
    void MessageBox(const std::string& text) override { events.push_back("message:" + text); }
    void ShowException(const std::string& message) override {
        events.push_back("exception:" + message);
    }
    void RestoreWindowLayout() override { events.push_back("restore window"); }
    void StoreWindowLayout() override { events.push_back("store window"); }
    void LoadGridLayout(const std::string& name) override { events.push_back("load grid:" + name); }
    void SaveGridLayout(const std::string& name) override { events.push_back("save grid:" + name); }
    void ShowCounter(const std::string& text) override {
        counter = text;
        events.push_back("counter:" + text);
    }
    void CheckSortItem(int index) override { checked = index; }
    int CheckedSortItem() const override { return checked; }

    // The events of one kind, without their kind.
    std::vector<std::string> Of(const std::string& kind) const {
        std::vector<std::string> found;
        for (const std::string& e : events) {
            if (e.rfind(kind + ":", 0) == 0) {
                found.push_back(e.substr(kind.size() + 1));
            }
        }
        return found;
    }

    std::vector<std::string> events;
    std::string counter;
    int checked = -2;  // never set
};

}  // namespace book::testing
