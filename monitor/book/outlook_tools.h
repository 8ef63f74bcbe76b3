#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/outlook/contact_item.h"

namespace monitor {

// One run of a maintenance tool over the contacts, a slice at a time, so that the caller can
// keep its event loop turning. Steps raise outlook::EAutomationError on a failure.
class OutlookTool {
  public:
    enum class Soort {
        LogWissen,       // removes the category "Belverin log"
        StreepjeWissen,  // removes the first dash of every phone number
    };
    // Each line for the top of the tool's list, in the order it is to be inserted.
    using Regel = std::function<void(const std::string& tekst)>;

    // Takes the contacts of the linked store as they are now; raises when not linked.
    explicit OutlookTool(Soort soort);

    int Count() const { return items_.Count(); }
    // Contacts done so far.
    int Position() const { return position_; }
    bool Done() const { return position_ >= Count(); }
    // Works through at most `aantal` contacts.
    void Step(int aantal, const Regel& regel);

  private:
    void LogWissen(outlook::Item& item, const Regel& regel);
    void StreepjeWissen(outlook::Item& item, const Regel& regel);

    Soort soort_;
    outlook::ContactItems items_;
    int position_ = 0;
};

// The whole tool at once; false on a failure. For callers without an event loop.
bool outlooklogwissen(const OutlookTool::Regel& regel);
bool streepjewissen(const OutlookTool::Regel& regel);

}  // namespace monitor
