#include "capi/capi_texts.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>
#include <span>

#include "capi/capi_error.h"

namespace capi {

namespace {

struct ValueText {
    std::uint32_t value;
    std::string_view text;
};

// Sorted by value, for the binary search below.
constexpr ValueText kInfoTexts[] = {
    {0x1001, "too many applications"},
    {0x1002, "logical block size too small, must be at least 128 bytes"},
    {0x1003, "buffer exceeds 64 Kbytes"},
    {0x1004, "message buffer size too small, must be at least 1024 bytes"},
    {0x1005, "max. number of logical connections not supported"},
    {0x1007, "the message could not be accepted because of an internal busy condition"},
    {0x1008, "OS Resource error (e.g. no memory)"},
    {0x1009, "COMMON-ISDN-API not installed"},
    {0x100A, "Controller does not support external equipment"},
    {0x100B, "Controller does only support external equipment"},
    {0x1101, "illegal application number"},
    {0x1102, "illegal command or subcommand or message length less than 12 octets"},
    {0x1103, "the message could not be accepted because of a queue full condition."},
    {0x1104, "queue is empty"},
    {0x1105, "queue overflow, a message was lost."},
    {0x1106, "unknown notification parameter"},
    {0x1107, "the message could not be accepted because of an internal busy condition"},
    {0x1108, "OS Resource error (e.g. no memory)"},
    {0x1109, "COMMON-ISDN-API not installed"},
    {0x110A, "Controller does not support external equipment"},
    {0x110B, "Controller does only support external equipment"},
    {0x2001, "message not supported in current state"},
    {0x2002, "illegal Controller/PLCI/NCCI"},
    {0x2003, "no PLCI available"},
    {0x2004, "no NCCI available"},
    {0x2005, "no LISTEN-Resources available"},
    {0x2006, "no FAX resources available(protocol T.30)"},
    {0x2007, "illegal message parameter coding"},
    {0x3001, "B1 protocol not supported"},
    {0x3002, "B2 protocol not supported"},
    {0x3003, "B3 protocol not supported"},
    {0x3004, "B1 protocol parameter not supported"},
    {0x3005, "B2 protocol parameter not supported"},
    {0x3006, "B3 protocol parameter not supported"},
    {0x3007, "B protocol combination not supported"},
    {0x3008, "NCPI not supported"},
    {0x3009, "CIP Value unknown"},
    {0x300A, "flags not supported (reserved bits)"},
    {0x300B, "facility not supported"},
    {0x300C, "data length not supported by current protocol"},
    {0x300D, "reset procedure not supported by current protocol"},
    {0x300E, "TEI assignment failed"},
    {0x3301, "Protocol error layer 1 (broken line or B-channel removed by signalling protocol)"},
    {0x3302, "Protocol error layer 2"},
    {0x3303, "Protocol error layer 3"},
    {0x3304, "Another application got that call"},
    {0x3311, "Connecting not successful (remote station is no FAX G3 machine)"},
    {0x3312, "Connecting not successful (training error)"},
    {0x3313,
     "Disconnected before transfer (remote station does not support transfer mode, e.g. "
     "resolution)"},
    {0x3314, "Disconnected during transfer (remote abort)"},
    {0x3315,
     "Disconnected during transfer (remote procedure error, e.g. unsuccessful repetition of T.30 "
     "commands)"},
    {0x3316, "Disconnected during transfer (local tx data underrun)"},
    {0x3317, "Disconnected during transfer (local rx data overflow)"},
    {0x3318, "Disconnected during transfer (local abort)"},
    {0x3319, "Illegal parameter coding (e.g. SFF coding error)"},
    {0x3481, "Unallocated (unassigned) number"},
    {0x3482, "No route to specified transit network"},
    {0x3483, "No route to destination"},
    {0x3486, "Channel unacceptable"},
    {0x3487, "Call awarded and being delivered in an established channel"},
    {0x3490, "Normal call clearing"},
    {0x3491, "User busy"},
    {0x3492, "No user responding"},
    {0x3493, "No answer from user (user alerted)"},
    {0x3495, "Call rejected"},
    {0x3496, "Number changed"},
    {0x349A, "Non-selected user clearing"},
    {0x349B, "Destination out of order"},
    {0x349C, "Invalid number format"},
    {0x349D, "Facility rejected"},
    {0x349E, "Response to STATUS ENQUIRY"},
    {0x349F, "Normal, unspecified"},
    {0x34A2, "No circuit / channel available"},
    {0x34A6, "Network out of order"},
    {0x34A9, "Temporary failure"},
    {0x34AA, "Switching equipment congestion"},
    {0x34AB, "Access information discarded"},
    {0x34AC, "Requested circuit / channel not available"},
    {0x34AF, "Resources unavailable, unspecified"},
    {0x34B1, "Quality of service unavailable"},
    {0x34B2, "Requested facility not subscribed"},
    {0x34B9, "Bearer capability not authorized"},
    {0x34BA, "Bearer capability not presently available"},
    {0x34BF, "Service or option not available, unspecified"},
    {0x34C1, "Bearer capability not implemented"},
    {0x34C2, "Channel type not implemented"},
    {0x34C5, "Requested facility not implemented"},
    {0x34C6, "Only restricted digital information bearer capability is available"},
    {0x34CF, "Service or option not implemented, unspecified"},
    {0x34D1, "Invalid call reference value"},
    {0x34D2, "Identified channel does not exist"},
    {0x34D3, "A suspended call exists, but this call identity does not"},
    {0x34D4, "Call identity in use"},
    {0x34D5, "No call suspended"},
    {0x34D6, "Call having the requested call identity has been cleared"},
    {0x34D8, "Incompatible destination"},
    {0x34DB, "Invalid transit network selection"},
    {0x34DF, "Invalid message, unspecified"},
    {0x34E0, "Mandatory information element is missing"},
    {0x34E1, "Message type non-existent or not implemented"},
    {0x34E2,
     "Message not compatible with call state or message type non-existent or not implemented"},
    {0x34E3, "Information element non-existent or not implemented"},
    {0x34E4, "Invalid information element contents"},
    {0x34E5, "Message not compatible with call state"},
    {0x34E6, "Recovery on timer expiry"},
    {0x34EF, "Protocol error, unspecified"},
    {0x34FF, "Interworking, unspecified"},
};

constexpr ValueText kCipTexts[] = {
    {0, "no predefined profile"},
    {1, "speech"},
    {2, "unrestricted digital information"},
    {3, "restricted digital information"},
    {4, "3.1 kHz audio"},
    {5, "7.0 kHz audio"},
    {6, "video"},
    {7, "packet mode"},
    {8, "56 kBit/s rate adaptation"},
    {9, "unrestricted digital information with tones/announcements"},
    {16, "telephony"},
    {17, "fax group 2/3"},
    {18, "fax group 4 class 1"},
    {19, "Teletex service (basic and mixed), fax group 4 class 2"},
    {20, "Teletex service (basic and processable)"},
    {21, "Teletex service (basic)"},
    {22, "Videotex"},
    {23, "Telex"},
    {24, "message handling systems according X.400"},
    {25, "OSI applications according X.200"},
    {26, "7 kHz Telephony"},
    {27, "Video Telephony F.721, first connection"},
    {28, "Video Telephony F.721, second connection"},
};

constexpr bool ByValue(const ValueText& a, const ValueText& b) {
    return a.value < b.value;
}
static_assert(std::is_sorted(std::begin(kInfoTexts), std::end(kInfoTexts), ByValue));
static_assert(std::is_sorted(std::begin(kCipTexts), std::end(kCipTexts), ByValue));

std::string_view Lookup(std::span<const ValueText> table, std::uint32_t value) {
    const auto it =
        std::lower_bound(table.begin(), table.end(), value,
                         [](const ValueText& entry, std::uint32_t v) { return entry.value < v; });
    return it != table.end() && it->value == value ? it->text : std::string_view();
}

}  // namespace

std::string CapiInfoText(std::uint32_t value) {
    if (value == 0) {
        return "OK";
    }
    std::string_view text = Lookup(kInfoTexts, value);
    if (text.empty()) {
        text = "unknown error";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(value));
    return std::string(text) + " ($" + hex + ")";
}

std::string CipValueText(std::uint32_t cip) {
    return std::string(Lookup(kCipTexts, cip));
}

std::string CapiDllStatusText(int status) {
    switch (status) {
        case 0:
            return "CAPI 2.0 (32 Bit) installed";
        case 1:
            return "CAPI2032.DLL not loaded.";
        case 2:
            return "File \"CAPI2032.DLL\" not found.";
        case 3:
            return "CAPI 2.0 (32 Bit) not installed.";
        default:
            return "";
    }
}

std::uint32_t CapiMessageBufferSize(std::uint32_t maxLogicalConnections) {
    const std::uint64_t size = 1024 + 1024 * std::uint64_t{maxLogicalConnections};
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw ECapiError("CAPI message buffer for " + std::to_string(maxLogicalConnections) +
                         " connections exceeds 32 bits");
    }
    return static_cast<std::uint32_t>(size);
}

}  // namespace capi
