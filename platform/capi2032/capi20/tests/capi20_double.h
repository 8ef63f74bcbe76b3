#pragma once

// A stand-in for libcapi20 (libcapi20.so.3) that the tests build: libcapi20's functions over
// the simulated line, the line's capisim_ controls, and a record of every call into it.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Texts as libcapi20 fills them: the whole fixed size, no terminator.
#define CAPI20_DOUBLE_MANUFACTURER \
    "Belverin libcapi20 double: a manufacturer of sixty-four chars..."
#define CAPI20_DOUBLE_SERIAL_NUMBER "20370937"

typedef struct capi20_double_call {
    char name[32];         // the function, as "capi20_register"
    unsigned appl_id;      // the ApplID named or, for a register, handed out
    unsigned args[3];      // register: connections, blocks, length; wait: time-out in
                           // microseconds (~0u: none); texts and profile: the controller
    unsigned result;       // the answer; for texts 1 when a buffer came back, 0 for null
    long long entered_ns;  // CLOCK_MONOTONIC
    long long left_ns;     // 0 while the call is still inside
} capi20_double_call;

int capi20_double_call_count(void);
// 0, or -1 out of range.
int capi20_double_call_entry(int index, capi20_double_call* call);
// While on, the manufacturer, version and serial number answer null, as without a driver.
void capi20_double_set_null_texts(int on);

typedef int capi20_double_call_count_fn(void);
typedef int capi20_double_call_entry_fn(int, capi20_double_call*);
typedef void capi20_double_set_null_texts_fn(int);

#ifdef __cplusplus
}
#endif
