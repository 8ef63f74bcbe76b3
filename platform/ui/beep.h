#pragma once

#include "platform/ui/beep_port.h"

namespace ui {

// The program's beep: QApplication::beep unless a test installed another.
BeepPort& beeper();
// Installs `port` (not owned); nullptr brings back the application's beep.
void SetBeeper(BeepPort* port);

}  // namespace ui
