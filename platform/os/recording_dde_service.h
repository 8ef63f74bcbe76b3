#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/os/dde_service.h"

namespace os {

// Records what the program asks of the service; refuses the offer when `refusal` is set.
class RecordingDdeService : public DdeService {
  public:
    bool Offer(const std::string& busName, std::string& reason) override {
        offers.push_back(busName);
        if (!refusal.empty()) {
            reason = refusal;
            return false;
        }
        return true;
    }
    void SetItems(const std::string& nummer, const std::string& naam) override {
        items.emplace_back(nummer, naam);
        nummer_ = nummer;
        naam_ = naam;
    }
    std::string ddenummer() const override { return nummer_; }
    std::string ddenaam() const override { return naam_; }

    std::string refusal;
    std::vector<std::string> offers;
    std::vector<std::pair<std::string, std::string>> items;

  private:
    std::string nummer_;
    std::string naam_;
};

}  // namespace os
