#pragma once

#include <string>

#include "platform/ui/form.h"

class QLabel;

namespace monitor {

// The start-up window "Opstartscherm": the program's name and the step being run. Stays on
// top, centred, without a task-bar entry; it shows the hourglass while it lives.
class Tflogo : public ui::Form {
    Q_OBJECT
  public:
    explicit Tflogo(QWidget* parent = nullptr);
    ~Tflogo() override;

    // Label2 shows `text` at once, painted before the step runs.
    void SetStep(const std::string& text);

    QLabel* Label1;
    QLabel* Label2;

  private:
    bool cursorSet_ = false;
};

// "Startvertraging (" + seconds + " seconden)".
std::string StartDelayText(int seconds);

// Waits `seconds` with the event loop running, so windows stay painted and sockets answer;
// none for 0 or less.
void WaitWithEvents(int seconds);

}  // namespace monitor
