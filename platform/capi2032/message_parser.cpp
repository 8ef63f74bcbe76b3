#include "platform/capi2032/message_parser.h"

#include <array>
#include <cstdio>

namespace capisim {
namespace {

enum class Param { Dword, Word, Struct, BProtocol };

struct Layout {
    uint16_t command;
    std::vector<Param> params;  // after the leading address dword
    bool optional_qword;        // a 64-bit data pointer may follow (DATA_B3_REQ)
};

using P = Param;

const std::vector<Layout>& Layouts() {
    static const std::vector<Layout> layouts = {
        {kListenReq, {P::Dword, P::Dword, P::Dword, P::Struct, P::Struct}, false},
        {kAlertReq, {P::Struct}, false},
        {kConnectResp, {P::Word, P::BProtocol, P::Struct, P::Struct, P::Struct, P::Struct}, false},
        {kConnectActiveResp, {}, false},
        {kDisconnectReq, {P::Struct}, false},
        {kDisconnectResp, {}, false},
        {kInfoResp, {}, false},
        {kFacilityResp, {P::Word, P::Struct}, false},
        {kConnectB3Req, {P::Struct}, false},
        {kConnectB3Resp, {P::Word, P::Struct}, false},
        {kConnectB3ActiveResp, {}, false},
        {kDisconnectB3Req, {P::Struct}, false},
        {kDisconnectB3Resp, {}, false},
        {kDataB3Req, {P::Dword, P::Word, P::Word, P::Word}, true},
        {kDataB3Resp, {P::Word}, false},
        {kResetB3Resp, {}, false},
        {kConnectB3T90ActiveResp, {}, false},
    };
    return layouts;
}

const Layout* FindLayout(uint16_t command) {
    for (const Layout& layout : Layouts()) {
        if (layout.command == command) {
            return &layout;
        }
    }
    return nullptr;
}

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Dword(const uint8_t* p) {
    return static_cast<uint32_t>(Word(p)) | (static_cast<uint32_t>(Word(p + 2)) << 16);
}

// Reads one struct at pos within [0, end). A prefix that does not fit is a length fault;
// content running past the end is a coding fault.
uint32_t ReadStruct(const uint8_t* bytes, size_t& pos, size_t end, StructView& out) {
    if (pos + 1 > end) {
        return kIllegalCommandOrLength;
    }
    size_t size = bytes[pos];
    size_t prefix = 1;
    if (size == 0xFF) {
        if (pos + 3 > end) {
            return kIllegalCommandOrLength;
        }
        size = Word(bytes + pos + 1);
        prefix = 3;
    }
    if (pos + prefix + size > end) {
        return kIllegalParameterCoding;
    }
    out.data = bytes + pos + prefix;
    out.size = size;
    pos += prefix + size;
    return 0;
}

// B protocol: three protocol words, then B1, B2, B3 and optionally global configuration
// structs, all inside the outer struct.
uint32_t CheckBProtocol(const StructView& b) {
    if (b.size == 0) {
        return 0;
    }
    if (b.size < 6) {
        return kIllegalParameterCoding;
    }
    size_t pos = 6;
    int count = 0;
    while (pos < b.size && count < 4) {
        StructView inner;
        if (ReadStruct(b.data, pos, b.size, inner) != 0) {
            return kIllegalParameterCoding;
        }
        ++count;
    }
    if (pos != b.size || count < 3) {
        return kIllegalParameterCoding;
    }
    return 0;
}

}  // namespace

uint16_t TotalLengthOf(const uint8_t* bytes) {
    return bytes == nullptr ? 0 : Word(bytes);
}

ParseResult ParseMessage(const uint8_t* bytes, uint32_t appl_id) {
    ParseResult result;
    if (bytes == nullptr) {
        result.info = kIllegalCommandOrLength;
        return result;
    }
    ParsedMessage& m = result.message;
    m.total_length = Word(bytes);
    const size_t end = m.total_length;
    if (end < 12) {
        result.info = kIllegalCommandOrLength;
        return result;
    }
    m.appl_id = Word(bytes + 2);
    m.command = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    m.message_number = Word(bytes + 6);
    m.address = Dword(bytes + 8);
    if (m.appl_id != appl_id) {
        result.info = kIllegalApplication;
        return result;
    }
    const Layout* layout = FindLayout(m.command);
    if (layout == nullptr) {
        result.info = kIllegalCommandOrLength;
        return result;
    }
    size_t pos = 12;
    for (Param param : layout->params) {
        switch (param) {
            case Param::Dword:
                if (pos + 4 > end) {
                    result.info = kIllegalCommandOrLength;
                    return result;
                }
                m.numbers.push_back(Dword(bytes + pos));
                pos += 4;
                break;
            case Param::Word:
                if (pos + 2 > end) {
                    result.info = kIllegalCommandOrLength;
                    return result;
                }
                m.numbers.push_back(Word(bytes + pos));
                pos += 2;
                break;
            case Param::Struct:
            case Param::BProtocol: {
                StructView view;
                if (uint32_t info = ReadStruct(bytes, pos, end, view); info != 0) {
                    result.info = info;
                    return result;
                }
                if (param == Param::BProtocol) {
                    if (uint32_t info = CheckBProtocol(view); info != 0) {
                        result.info = info;
                        return result;
                    }
                }
                m.structs.push_back(view);
                break;
            }
        }
    }
    if (layout->optional_qword && pos + 8 == end) {
        m.numbers.push_back(static_cast<uint64_t>(Dword(bytes + pos)) |
                            (static_cast<uint64_t>(Dword(bytes + pos + 4)) << 32));
        pos += 8;
    }
    if (pos != end) {
        result.info = kIllegalCommandOrLength;
    }
    return result;
}

std::string CommandName(uint16_t command) {
    static const std::array<std::pair<uint8_t, const char*>, 14> names = {{
        {0x01, "ALERT"},
        {0x02, "CONNECT"},
        {0x03, "CONNECT_ACTIVE"},
        {0x04, "DISCONNECT"},
        {0x05, "LISTEN"},
        {0x08, "INFO"},
        {0x41, "SELECT_B_PROTOCOL"},
        {0x80, "FACILITY"},
        {0x82, "CONNECT_B3"},
        {0x83, "CONNECT_B3_ACTIVE"},
        {0x84, "DISCONNECT_B3"},
        {0x86, "DATA_B3"},
        {0x87, "RESET_B3"},
        {0x88, "CONNECT_B3_T90_ACTIVE"},
    }};
    static const std::array<const char*, 4> subs = {"_REQ", "_CONF", "_IND", "_RESP"};
    const uint8_t cmd = static_cast<uint8_t>(command >> 8);
    const uint8_t sub = static_cast<uint8_t>(command & 0xFF);
    for (const auto& [code, name] : names) {
        if (code == cmd && sub >= kReq && sub <= kResp) {
            return std::string(name) + subs[sub - kReq];
        }
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", command);
    return hex;
}

}  // namespace capisim
