#pragma once

namespace xb {

// Date formats by number, as sx_SetDateFormat takes them.
enum DateFormat {
    kDateAmerican = 0,  // mm/dd/yy
    kDateAnsi = 1,      // yy.mm.dd
    kDateBritish = 2,   // dd/mm/yy
    kDateFrench = 3,    // dd/mm/yy
    kDateGerman = 4,    // dd.mm.yy
    kDateItalian = 5,   // dd-mm-yy
    kDateSpanish = 6,   // dd-mm-yy
    kDateDefault = 99   // taken as American
};

struct DateSettings {
    bool century = false;
    int epoch = 1900;
    int format = kDateAmerican;
};

// The engine's process-wide settings.
struct Settings {
    int stringType = 1;
    int errorLevel = 1;
    DateSettings date;
    bool hideDeleted = false;
    int lockTimeoutSeconds = 1;
    int memoBlockSize = 64;
    bool turboRead = false;
};

}  // namespace xb
