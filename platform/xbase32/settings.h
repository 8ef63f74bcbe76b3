#pragma once

#include "platform/xbase32/expression_date.h"

namespace xb {

// The engine's process-wide settings.
struct Settings {
    int stringType = 1;
    int errorLevel = 1;
    DateSettings date;
    bool hideDeleted = false;
    // On from the start: the program's filters FIELD = 'value' keep only equal values.
    bool exact = true;
    bool softSeek = false;
    int lockTimeoutSeconds = 1;
    int memoBlockSize = 64;
    bool turboRead = false;
};

}  // namespace xb
