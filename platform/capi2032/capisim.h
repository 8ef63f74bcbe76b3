#pragma once

// The simulated line's own controls, exported beside the CAPI operations. A process has one
// line; every function is safe to call from any thread.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Results of the network-side functions when they cannot act.
enum {
    CAPISIM_NO_CALL = -1,         // no call is on the line
    CAPISIM_BAD_CONTROLLER = -2,  // the line has controller 1 only
    CAPISIM_BAD_ARGUMENT = -3,
    CAPISIM_CALL_ANSWERED = -4  // an application already took the call
};

// The CAPI operations, for failure injection and call counts.
enum {
    CAPISIM_OP_INSTALLED = 1,
    CAPISIM_OP_REGISTER,
    CAPISIM_OP_RELEASE,
    CAPISIM_OP_PUT_MESSAGE,
    CAPISIM_OP_GET_MESSAGE,
    CAPISIM_OP_WAIT_FOR_SIGNAL,
    CAPISIM_OP_GET_VERSION,
    CAPISIM_OP_GET_MANUFACTURER,
    CAPISIM_OP_GET_SERIAL_NUMBER,
    CAPISIM_OP_GET_PROFILE
};

typedef struct capisim_call_offer {
    unsigned controller;
    const char* calling;                 // digits; NULL: the network gives no calling number
    unsigned char calling_type;          // type of number and numbering plan octet
    unsigned char calling_presentation;  // presentation and screening octet
    const char* called;                  // digits of the number dialled
    unsigned cip;                        // 0 to 63
} capisim_call_offer;

typedef struct capisim_entry {
    unsigned sequence;   // counts every message the line saw, from 1
    int to_application;  // 1: the line queued it; 0: the application put it
    unsigned appl_id;    // the ApplID the operation named
    unsigned command;    // command * 256 + subcommand (0 when too short to tell)
    unsigned message_number;
    unsigned address;  // controller, PLCI or NCCI (0 when too short to tell)
    unsigned result;   // CAPI_PUT_MESSAGE's answer for a put; 0 otherwise
    unsigned length;   // bytes kept of the message
} capisim_entry;

// Offers a call; returns how many applications got a CONNECT_IND, or a CAPISIM_ value.
int capisim_offer_call(const capisim_call_offer* offer);
// Network events on the latest call; each returns the number of application connections it
// cleared, or CAPISIM_NO_CALL.
int capisim_hangup(void);            // the caller hangs up
int capisim_hangup_earliest(void);   // the caller of the earliest call still on the line hangs up
int capisim_answer_elsewhere(void);  // another terminal on the bus answers
int capisim_taken_by_other_application(void);
int capisim_network_gives_up(void);

// Every message both ways, oldest first; the oldest drop out beyond a limit.
int capisim_transcript_count(void);
int capisim_transcript_entry(int index, capisim_entry* entry);  // 0, or -1 out of range
// Copies up to size bytes of the message; returns its whole length, or 0 out of range.
size_t capisim_transcript_bytes(int index, unsigned char* buffer, size_t size);
// Indications that got no response yet and still can get one: a DISCONNECT_IND takes off what
// its PLCI still awaited (a call offer the caller ended, say), a DISCONNECT_B3_IND what its NCCI
// awaited, a release all of the application's.
int capisim_unanswered_count(void);
int capisim_unanswered_entry(int index, capisim_entry* entry);

// Texts as the capisim command shows them; snprintf-like: the result is the whole length.
size_t capisim_transcript_text(char* buffer, size_t size);
size_t capisim_status_text(char* buffer, size_t size);

// The next call of the operation returns code and does nothing else.
void capisim_fail_next(int operation, unsigned code);
// While on, CAPI_WAIT_FOR_SIGNAL ignores queued messages and releases.
void capisim_set_wait_hang(int on);
void capisim_set_installed(unsigned code);
void capisim_set_version(unsigned capi_major, unsigned capi_minor, unsigned manufacturer_major,
                         unsigned manufacturer_minor);
unsigned capisim_call_count(int operation);
// Back to a quiet line: applications gone (waiters woken), calls, transcript and settings reset.
void capisim_reset(void);

typedef int capisim_offer_call_fn(const capisim_call_offer*);
typedef int capisim_event_fn(void);
typedef int capisim_count_fn(void);
typedef int capisim_entry_fn(int, capisim_entry*);
typedef size_t capisim_bytes_fn(int, unsigned char*, size_t);
typedef size_t capisim_text_fn(char*, size_t);
typedef void capisim_fail_next_fn(int, unsigned);
typedef void capisim_switch_fn(int);
typedef void capisim_set_installed_fn(unsigned);
typedef void capisim_set_version_fn(unsigned, unsigned, unsigned, unsigned);
typedef unsigned capisim_call_count_fn(int);
typedef void capisim_reset_fn(void);

#ifdef __cplusplus
}
#endif
