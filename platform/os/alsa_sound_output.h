#pragma once

#include <string>

#include "platform/os/sound_output.h"

namespace os {

// Sends sounds to an ALSA device ("default" for the program). The device is opened without
// blocking at each sound, so a device that failed is tried again at the next one; ALSA's own
// messages are kept off stderr.
class AlsaSoundOutput : public SoundOutput {
  public:
    explicit AlsaSoundOutput(std::string device = "default");
    std::unique_ptr<SoundStream> Open(const SoundInfo& info, std::string& error) override;

  private:
    std::string device_;
};

}  // namespace os
