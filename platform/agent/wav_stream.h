#pragma once

#include <string>

namespace agent {

// A wave file written to a pipe cannot go back to fill in its lengths, so its RIFF and data
// chunk sizes are placeholders. Sets both to the bytes actually there; false when `wav` is no
// RIFF WAVE with a data chunk.
bool MendStreamedWav(std::string& wav);

}  // namespace agent
