#include "platform/ui/beep.h"

#include <QApplication>

namespace ui {

namespace {

class ApplicationBeep : public BeepPort {
  public:
    void Beep() override { QApplication::beep(); }
};

BeepPort* installed = nullptr;

}  // namespace

BeepPort& beeper() {
    static ApplicationBeep application;
    return installed != nullptr ? *installed : application;
}

void SetBeeper(BeepPort* port) {
    installed = port;
}

}  // namespace ui
