#pragma once

#include <string>

namespace os {

// The program's last caller offered to other programs: two text items, ddenummer and ddenaam,
// read-only for the others, and a notice to them whenever both are set.
class DdeService {
  public:
    virtual ~DdeService() = default;
    // Takes `busName` and starts serving; false with a reason when that cannot be done (no
    // bus, the name owned elsewhere). Never waits for anyone but the bus itself.
    virtual bool Offer(const std::string& busName, std::string& reason) = 0;
    // Sets both items, then tells the others once.
    virtual void SetItems(const std::string& ddenummer, const std::string& ddenaam) = 0;
    virtual std::string ddenummer() const = 0;
    virtual std::string ddenaam() const = 0;
};

}  // namespace os
