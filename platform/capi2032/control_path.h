#pragma once

// Where the line's control socket lies: $CAPISIM_SOCKET when set, else capisim.sock in
// $XDG_RUNTIME_DIR, else capisim.sock in the user's own folder capisim-<uid> (mode 0700) in
// $TMPDIR, or in /tmp when that is not set.

#include <string>

namespace capisim {

struct ControlPath {
    std::string path;   // empty when there is no usable place
    std::string error;  // why not
};

// With create set, the capisim-<uid> folder is made when missing. A folder that is not the user's
// own with mode 0700, or a path too long for a socket address, gives an error.
ControlPath ControlSocketPath(bool create);

}  // namespace capisim
