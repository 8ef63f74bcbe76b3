#pragma once

#include <cstdint>
#include <string>

#include "platform/os/dialer.h"

namespace os {

// The "tel:" link for a destination, percent-encoded where a link cannot hold a character;
// empty when no link can be made of it.
std::string TelLink(const std::string& destination);

// Dials by opening the destination's "tel:" link with the desktop's handler for such links.
// A link has no room for the called party or the comment; they are dropped. Answers 1 when
// no handler took the link.
class DesktopDialer : public Dialer {
  public:
    int32_t RequestMakeCall(const std::string& destination, const std::string& applicationName,
                            const std::string& calledParty, const std::string& comment) override;
};

// The program's dialler: the one installed last, else the desktop's.
Dialer& dialer();
// Installs `replacement` (nullptr: back to the desktop's) and returns the one it replaces.
Dialer* SetDialer(Dialer* replacement);

}  // namespace os
