#pragma once

namespace ui {

// The system's default sound, as a port so that cores can ask for it without Qt and tests can
// count it.
class BeepPort {
  public:
    virtual ~BeepPort() = default;
    virtual void Beep() = 0;
};

// Counts the beeps instead of sounding them.
class RecordingBeep : public BeepPort {
  public:
    void Beep() override { ++beeps; }
    int beeps = 0;
};

}  // namespace ui
