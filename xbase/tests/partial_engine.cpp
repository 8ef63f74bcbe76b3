// Exports only the start calls of the engine library.
#include "platform/xbase32/xbase32.h"

extern "C" {
void NotifyUse(int32_t) {}
const char* sx_Version(void) {
    return "partial 40";
}
}
