#pragma once

// Where the line's control socket lies: $CAPISIM_SOCKET when set, else capisim.sock in
// $XDG_RUNTIME_DIR, else capisim.sock in the user's own folder /tmp/capisim-<uid> (mode 0700).

#include <string>

namespace capisim {

struct ControlPath {
    std::string path;   // empty when there is no usable place
    std::string error;  // why not
};

// With create set, the /tmp folder is made when missing. A folder that is not the user's own
// with mode 0700, or a path too long for a socket address, gives an error.
ControlPath ControlSocketPath(bool create);

}  // namespace capisim
