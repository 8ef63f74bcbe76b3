#pragma once

#include <string>

#include "platform/outlook/item.h"

namespace monitor {

// Hands an item's file to the desktop's own handler.
class ShellDocumentOpener : public outlook::DocumentOpener {
  public:
    bool Open(const std::string& path) override;
};

// Connects the Outlook link to the desktop: its error boxes go to the dialog service and
// Display to the desktop. Start-up calls it before it links, as no window exists then.
void ConnectOutlookToDesktop();

}  // namespace monitor
