#pragma once

namespace ui {

// Shows the hourglass cursor for its lifetime; nested scopes and exceptions restore it in order.
class HourglassCursor {
  public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

  private:
    bool active_;
};

}  // namespace ui
