#pragma once

#include <string>

#include "platform/os/sound_output.h"

namespace os {

// Writes one line per sound to a file in place of playing it, and takes the samples at the
// real pace, so that end-to-end runs see what sounded and in which order. The line is
// tab-separated: channel, name, flags, frames, voice, text (tabs and line ends in a text
// become blanks).
class SoundLogOutput : public SoundOutput {
  public:
    explicit SoundLogOutput(std::string path);
    std::unique_ptr<SoundStream> Open(const SoundInfo& info, std::string& error) override;

    static std::string Line(const SoundInfo& info);

  private:
    std::string path_;
};

}  // namespace os
