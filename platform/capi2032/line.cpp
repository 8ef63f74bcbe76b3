#include "platform/capi2032/line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace capisim {
namespace {

constexpr uint32_t kBufferTooSmall = 0x1004;
constexpr uint32_t kBufferTooLarge = 0x1003;
constexpr uint32_t kBlockTooSmall = 0x1002;
constexpr uint32_t kConnectionsNotSupported = 0x1005;
constexpr uint32_t kTooManyApplications = 0x1001;
constexpr uint32_t kOsResource = 0x1008;
constexpr uint32_t kQueueEmpty = 0x1104;
constexpr uint16_t kWrongState = 0x2001;
constexpr uint16_t kIllegalAddress = 0x2002;
constexpr uint16_t kNormalClearing = 0x3490;
constexpr uint16_t kNonSelectedUser = 0x349A;
constexpr uint16_t kAnotherApplication = 0x3304;
constexpr uint16_t kNoUserResponding = 0x3492;
constexpr uint16_t kNoAnswer = 0x3493;
constexpr size_t kMaxApplications = 16;
constexpr size_t kTranscriptLimit = 20000;

class Writer {
  public:
    Writer(uint16_t appl_id, uint16_t command, uint16_t number) {
        W(0).W(appl_id);
        bytes_.push_back(static_cast<uint8_t>(command >> 8));
        bytes_.push_back(static_cast<uint8_t>(command & 0xFF));
        W(number);
    }
    Writer& W(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Writer& D(uint32_t v) {
        return W(static_cast<uint16_t>(v & 0xFFFF)).W(static_cast<uint16_t>(v >> 16));
    }
    Writer& S(const std::vector<uint8_t>& content = {}) {
        // Every struct the line builds is short; the long form is not needed.
        bytes_.push_back(static_cast<uint8_t>(content.size()));
        bytes_.insert(bytes_.end(), content.begin(), content.end());
        return *this;
    }
    std::vector<uint8_t> Done() {
        bytes_[0] = static_cast<uint8_t>(bytes_.size() & 0xFF);
        bytes_[1] = static_cast<uint8_t>(bytes_.size() >> 8);
        return std::move(bytes_);
    }

  private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Digits(std::initializer_list<uint8_t> octets, const std::string& digits) {
    std::vector<uint8_t> content(octets);
    content.insert(content.end(), digits.begin(), digits.end());
    return content;
}

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Takes(uint32_t mask, uint32_t mask2, uint32_t cip) {
    if (mask & 1u) {
        return true;
    }
    return cip < 32 ? (mask >> cip) & 1u : (mask2 >> (cip - 32)) & 1u;
}

void CopyText(char* buffer, size_t size, const char* text) {
    std::snprintf(buffer, size, "%s", text);
}

}  // namespace

Line& Line::Instance() {
    // Never destroyed: a thread may still wait inside the library while the process ends.
    static Line* line = new Line;
    return *line;
}

Line::Line() {
    ResetSettings();
}

void Line::ResetSettings() {
    installed_ = kInstalledAnswer;
    version_[0] = 2;
    version_[1] = 0;
    version_[2] = 1;
    version_[3] = 0;
    wait_hang_ = false;
    failures_.clear();
    std::fill(std::begin(counts_), std::end(counts_), 0u);
}

bool Line::TakeFailure(Operation operation, uint32_t& code) {
    auto it = failures_.find(operation);
    if (it == failures_.end()) {
        return false;
    }
    code = it->second;
    failures_.erase(it);
    return true;
}

void Line::Count(Operation operation) {
    ++counts_[static_cast<int>(operation)];
}

void Line::Record(TranscriptEntry entry) {
    entry.sequence = ++sequence_;
    transcript_.push_back(std::move(entry));
    if (transcript_.size() > kTranscriptLimit) {
        transcript_.pop_front();
    }
}

uint16_t Line::NextMessageNumber() {
    return ++message_number_;
}

void Line::Send(uint16_t appl_id, std::vector<uint8_t> message) {
    auto app = applications_.find(appl_id);
    if (app == applications_.end()) {
        return;
    }
    TranscriptEntry entry;
    entry.to_application = true;
    entry.appl_id = appl_id;
    entry.command = static_cast<unsigned>((message[4] << 8) | message[5]);
    entry.message_number = Word(&message[6]);
    entry.address = Word(&message[8]) | (static_cast<unsigned>(Word(&message[10])) << 16);
    entry.bytes = message;
    Record(entry);
    if ((entry.command & 0xFF) == kInd) {
        Supersede(entry);
        unanswered_.push_back(transcript_.back());
    }
    app->second.queue.push_back(std::move(message));
    changed_.notify_all();
}

// A DISCONNECT_IND ends its PLCI and every NCCI on it, a DISCONNECT_B3_IND its NCCI: the
// application can no longer answer what the line indicated there before.
void Line::Supersede(const TranscriptEntry& ending) {
    const auto ended = [&](const TranscriptEntry& e) {
        if (e.appl_id != ending.appl_id) {
            return false;
        }
        if (ending.command == kDisconnectInd) {
            return (e.address & 0xFFFFu) == (ending.address & 0xFFFFu);
        }
        return ending.command == kDisconnectB3Ind && e.address == ending.address;
    };
    std::erase_if(unanswered_, ended);
}

void Line::Confirm(const ParsedMessage& request, uint32_t address, uint16_t info) {
    const uint16_t conf = static_cast<uint16_t>((request.command & 0xFF00) | kConf);
    Writer w(request.appl_id, conf, request.message_number);
    w.D(address);
    if (request.command == kDataB3Req) {
        w.W(static_cast<uint16_t>(request.numbers[2]));
    }
    w.W(info);
    Send(request.appl_id, w.Done());
}

Line::Connection* Line::ByPlci(uint16_t appl_id, uint32_t plci) {
    for (Connection& c : connections_) {
        if (c.appl_id == appl_id && c.plci == plci) {
            return &c;
        }
    }
    return nullptr;
}

Line::Connection* Line::ByNcci(uint16_t appl_id, uint32_t ncci) {
    for (Connection& c : connections_) {
        if (c.appl_id == appl_id && c.ncci != 0 && c.ncci == ncci) {
            return &c;
        }
    }
    return nullptr;
}

Line::Call* Line::FindCall(int id) {
    for (Call& call : calls_) {
        if (call.id == id) {
            return &call;
        }
    }
    return nullptr;
}

uint32_t Line::NewPlci() const {
    for (uint32_t n = 1; n <= 0xFF; ++n) {
        const uint32_t plci = (n << 8) | 1u;
        if (std::none_of(connections_.begin(), connections_.end(),
                         [&](const Connection& c) { return c.plci == plci; })) {
            return plci;
        }
    }
    return 0;
}

uint32_t Line::NewNcci(uint32_t plci) const {
    for (uint32_t n = 1; n <= 0xFFFF; ++n) {
        const uint32_t ncci = (n << 16) | plci;
        if (std::none_of(connections_.begin(), connections_.end(),
                         [&](const Connection& c) { return c.ncci == ncci; })) {
            return ncci;
        }
    }
    return 0;
}

// Starts clearing one application's connection: the B3 connection first where one exists.
bool Line::Clear(Connection& c, uint16_t reason) {
    if (c.state == PlciState::kClearing || c.clear_after_b3) {
        return false;
    }
    if (c.b3 == B3State::kClearing) {
        c.clear_after_b3 = true;
        c.clear_reason = reason;
        return true;
    }
    if (c.b3 != B3State::kNone) {
        Send(c.appl_id,
             Writer(c.appl_id, kDisconnectB3Ind, NextMessageNumber()).D(c.ncci).W(0).S().Done());
        c.b3 = B3State::kClearing;
        c.clear_after_b3 = true;
        c.clear_reason = reason;
        return true;
    }
    Send(c.appl_id,
         Writer(c.appl_id, kDisconnectInd, NextMessageNumber()).D(c.plci).W(reason).Done());
    c.state = PlciState::kClearing;
    return true;
}

// A call ends once nobody holds it any more: answered and cleared, refused, or ended by the
// network. A call every application ignored keeps ringing at other terminals.
void Line::Tidy() {
    std::erase_if(calls_, [&](const Call& call) {
        const bool held = std::any_of(connections_.begin(), connections_.end(),
                                      [&](const Connection& c) { return c.call_id == call.id; });
        return !held && (call.ended || call.answered);
    });
}

uint32_t Line::Installed() {
    std::lock_guard lock(mutex_);
    Count(Operation::kInstalled);
    return installed_;
}

uint32_t Line::Register(uint32_t buffer_size, uint32_t max_connections, uint32_t /*max_blocks*/,
                        uint32_t max_block_length, uint32_t* appl_id) {
    std::lock_guard lock(mutex_);
    Count(Operation::kRegister);
    uint32_t code = 0;
    if (TakeFailure(Operation::kRegister, code)) {
        return code;
    }
    if (buffer_size < 1024) {
        return kBufferTooSmall;
    }
    if (buffer_size > 64 * 1024) {
        return kBufferTooLarge;
    }
    if (max_block_length < 128) {
        return kBlockTooSmall;
    }
    if (max_connections == 0) {
        return kConnectionsNotSupported;
    }
    if (appl_id == nullptr) {
        return kOsResource;
    }
    if (applications_.size() >= kMaxApplications || next_appl_id_ > 0xFFFF) {
        return kTooManyApplications;
    }
    const auto id = static_cast<uint16_t>(next_appl_id_++);
    applications_[id].id = id;
    *appl_id = id;
    return 0;
}

uint32_t Line::Release(uint32_t appl_id) {
    std::lock_guard lock(mutex_);
    Count(Operation::kRelease);
    uint32_t code = 0;
    if (TakeFailure(Operation::kRelease, code)) {
        return code;
    }
    changed_.notify_all();
    auto app = applications_.find(static_cast<uint16_t>(appl_id));
    if (appl_id > 0xFFFF || app == applications_.end()) {
        return kIllegalApplication;
    }
    applications_.erase(app);
    std::erase_if(connections_, [&](const Connection& c) { return c.appl_id == appl_id; });
    std::erase_if(unanswered_, [&](const TranscriptEntry& e) { return e.appl_id == appl_id; });
    Tidy();
    return 0;
}

uint32_t Line::Put(uint32_t appl_id, const void* message) {
    std::lock_guard lock(mutex_);
    Count(Operation::kPutMessage);
    uint32_t code = 0;
    if (TakeFailure(Operation::kPutMessage, code)) {
        return code;
    }
    const auto* bytes = static_cast<const uint8_t*>(message);
    TranscriptEntry entry;
    entry.appl_id = appl_id;
    if (bytes != nullptr) {
        // The length word is read in any case; beyond it no byte past TotalLength.
        const size_t length = std::max<size_t>(2, TotalLengthOf(bytes));
        entry.bytes.assign(bytes, bytes + length);
        if (length >= 8) {
            entry.command = static_cast<unsigned>((bytes[4] << 8) | bytes[5]);
            entry.message_number = Word(bytes + 6);
        }
        if (length >= 12) {
            entry.address = Word(bytes + 8) | (static_cast<unsigned>(Word(bytes + 10)) << 16);
        }
    }
    ParseResult parsed;
    if (appl_id > 0xFFFF || !applications_.contains(static_cast<uint16_t>(appl_id))) {
        parsed.info = kIllegalApplication;
    } else {
        parsed = ParseMessage(bytes, appl_id);
    }
    entry.result = parsed.info;
    Record(std::move(entry));
    if (parsed.info != 0) {
        return parsed.info;
    }
    if ((parsed.message.command & 0xFF) == kResp) {
        Respond(parsed.message);
    } else {
        Dispatch(parsed.message);
    }
    return 0;
}

void Line::Dispatch(const ParsedMessage& m) {
    Application& app = applications_.at(m.appl_id);
    switch (m.command) {
        case kListenReq: {
            if ((m.address & ~0x80u) != 1) {
                Confirm(m, m.address, kIllegalAddress);
                return;
            }
            app.cip_mask = static_cast<uint32_t>(m.numbers[1]);
            app.cip_mask2 = static_cast<uint32_t>(m.numbers[2]);
            app.listening = app.cip_mask != 0 || app.cip_mask2 != 0;
            Confirm(m, m.address, 0);
            return;
        }
        case kAlertReq: {
            Connection* c = ByPlci(m.appl_id, m.address);
            if (c == nullptr) {
                Confirm(m, m.address, kIllegalAddress);
            } else if (c->state != PlciState::kOffered) {
                Confirm(m, m.address, kWrongState);
            } else {
                c->alerted = true;
                Confirm(m, m.address, 0);
            }
            return;
        }
        case kDisconnectReq: {
            Connection* c = ByPlci(m.appl_id, m.address);
            if (c == nullptr) {
                Confirm(m, m.address, kIllegalAddress);
            } else if (c->state == PlciState::kClearing || c->clear_after_b3) {
                Confirm(m, m.address, kWrongState);
            } else {
                Confirm(m, m.address, 0);
                Clear(*c, 0);
            }
            return;
        }
        case kConnectB3Req: {
            Connection* c = ByPlci(m.appl_id, m.address);
            if (c == nullptr) {
                Confirm(m, m.address, kIllegalAddress);
            } else if (c->state != PlciState::kActive || c->b3 != B3State::kNone ||
                       c->clear_after_b3) {
                Confirm(m, m.address, kWrongState);
            } else {
                c->ncci = NewNcci(c->plci);
                c->b3 = B3State::kConnecting;
                Confirm(m, c->ncci, 0);
                Send(m.appl_id, Writer(m.appl_id, kConnectB3ActiveInd, NextMessageNumber())
                                    .D(c->ncci)
                                    .S()
                                    .Done());
            }
            return;
        }
        case kDisconnectB3Req: {
            Connection* c = ByNcci(m.appl_id, m.address);
            if (c == nullptr) {
                Confirm(m, m.address, kIllegalAddress);
            } else if (c->b3 == B3State::kNone || c->b3 == B3State::kClearing) {
                Confirm(m, m.address, kWrongState);
            } else {
                Confirm(m, m.address, 0);
                c->b3 = B3State::kClearing;
                Send(m.appl_id, Writer(m.appl_id, kDisconnectB3Ind, NextMessageNumber())
                                    .D(c->ncci)
                                    .W(0)
                                    .S()
                                    .Done());
            }
            return;
        }
        case kDataB3Req: {
            Connection* c = ByNcci(m.appl_id, m.address);
            if (c == nullptr) {
                Confirm(m, m.address, kIllegalAddress);
            } else {
                Confirm(m, m.address, c->b3 == B3State::kActive ? 0 : kWrongState);
            }
            return;
        }
        default:
            return;
    }
}

void Line::Respond(const ParsedMessage& m) {
    const unsigned indication = (m.command & 0xFF00u) | kInd;
    auto pending = std::find_if(unanswered_.begin(), unanswered_.end(), [&](const auto& e) {
        return e.appl_id == m.appl_id && e.command == indication && e.address == m.address;
    });
    if (pending != unanswered_.end()) {
        unanswered_.erase(pending);
    }
    switch (m.command) {
        case kConnectResp: {
            Connection* c = ByPlci(m.appl_id, m.address);
            if (c == nullptr || c->state != PlciState::kOffered) {
                return;
            }
            Call* call = FindCall(c->call_id);
            const auto reject = m.numbers[0];
            if (reject != 0 || call == nullptr || call->answered) {
                Clear(*c, 0);
                if (reject >= 2 && call != nullptr) {
                    // A refused call ends once no other application still considers it.
                    const bool offered = std::any_of(
                        connections_.begin(), connections_.end(), [&](const Connection& o) {
                            return o.call_id == call->id && o.state == PlciState::kOffered;
                        });
                    call->ended = call->ended || !offered;
                }
                return;
            }
            call->answered = true;
            c->state = PlciState::kConnecting;
            const uint32_t plci = c->plci;
            const int call_id = c->call_id;
            Send(m.appl_id, Writer(m.appl_id, kConnectActiveInd, NextMessageNumber())
                                .D(plci)
                                .S()
                                .S()
                                .S()
                                .Done());
            for (Connection& other : connections_) {
                if (other.call_id == call_id && other.plci != plci &&
                    other.state == PlciState::kOffered) {
                    Clear(other, kAnotherApplication);
                }
            }
            return;
        }
        case kConnectActiveResp: {
            Connection* c = ByPlci(m.appl_id, m.address);
            if (c == nullptr || c->state != PlciState::kConnecting) {
                return;
            }
            c->state = PlciState::kActive;
            c->ncci = NewNcci(c->plci);
            c->b3 = B3State::kIncoming;
            Send(m.appl_id,
                 Writer(m.appl_id, kConnectB3Ind, NextMessageNumber()).D(c->ncci).S().Done());
            return;
        }
        case kConnectB3Resp: {
            Connection* c = ByNcci(m.appl_id, m.address);
            if (c == nullptr || c->b3 != B3State::kIncoming) {
                return;
            }
            if (m.numbers[0] == 0) {
                c->b3 = B3State::kConnecting;
                Send(m.appl_id, Writer(m.appl_id, kConnectB3ActiveInd, NextMessageNumber())
                                    .D(c->ncci)
                                    .S()
                                    .Done());
            } else {
                c->b3 = B3State::kClearing;
                Send(m.appl_id, Writer(m.appl_id, kDisconnectB3Ind, NextMessageNumber())
                                    .D(c->ncci)
                                    .W(0)
                                    .S()
                                    .Done());
            }
            return;
        }
        case kConnectB3ActiveResp: {
            Connection* c = ByNcci(m.appl_id, m.address);
            if (c != nullptr && c->b3 == B3State::kConnecting) {
                c->b3 = B3State::kActive;
            }
            return;
        }
        case kDisconnectB3Resp: {
            Connection* c = ByNcci(m.appl_id, m.address);
            if (c == nullptr || c->b3 != B3State::kClearing) {
                return;
            }
            c->b3 = B3State::kNone;
            c->ncci = 0;
            if (c->clear_after_b3) {
                c->clear_after_b3 = false;
                Clear(*c, c->clear_reason);
            }
            return;
        }
        case kDisconnectResp: {
            std::erase_if(connections_, [&](const Connection& c) {
                return c.appl_id == m.appl_id && c.plci == m.address &&
                       c.state == PlciState::kClearing;
            });
            Tidy();
            return;
        }
        default:
            return;
    }
}

uint32_t Line::Get(uint32_t appl_id, void** message) {
    std::lock_guard lock(mutex_);
    Count(Operation::kGetMessage);
    uint32_t code = 0;
    if (TakeFailure(Operation::kGetMessage, code)) {
        return code;
    }
    auto app = applications_.find(static_cast<uint16_t>(appl_id));
    if (appl_id > 0xFFFF || app == applications_.end()) {
        return kIllegalApplication;
    }
    if (message == nullptr) {
        return kIllegalCommandOrLength;
    }
    if (app->second.queue.empty()) {
        return kQueueEmpty;
    }
    app->second.fetched = std::move(app->second.queue.front());
    app->second.queue.pop_front();
    *message = app->second.fetched.data();
    return 0;
}

uint32_t Line::Wait(uint32_t appl_id) {
    return WaitUntil(appl_id, std::nullopt);
}

uint32_t Line::WaitFor(uint32_t appl_id, std::chrono::microseconds timeout) {
    return WaitUntil(appl_id, std::chrono::steady_clock::now() + timeout);
}

uint32_t Line::WaitUntil(uint32_t appl_id,
                         std::optional<std::chrono::steady_clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    Count(Operation::kWaitForSignal);
    uint32_t code = 0;
    if (TakeFailure(Operation::kWaitForSignal, code)) {
        return code;
    }
    for (;;) {
        if (!wait_hang_) {
            auto app = applications_.find(static_cast<uint16_t>(appl_id));
            if (appl_id > 0xFFFF || app == applications_.end()) {
                return kIllegalApplication;
            }
            if (!app->second.queue.empty()) {
                return 0;
            }
        }
        if (!deadline) {
            changed_.wait(lock);
        } else if (std::chrono::steady_clock::now() >= *deadline) {
            return kQueueEmpty;
        } else {
            changed_.wait_until(lock, *deadline);
        }
    }
}

uint32_t Line::GetVersion(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                          uint32_t* manufacturer_minor) {
    std::lock_guard lock(mutex_);
    Count(Operation::kGetVersion);
    uint32_t code = 0;
    if (TakeFailure(Operation::kGetVersion, code)) {
        return code;
    }
    uint32_t* out[4] = {capi_major, capi_minor, manufacturer_major, manufacturer_minor};
    for (int i = 0; i < 4; ++i) {
        if (out[i] != nullptr) {
            *out[i] = version_[i];
        }
    }
    return 0;
}

uint32_t Line::GetManufacturer(char* buffer) {
    std::lock_guard lock(mutex_);
    Count(Operation::kGetManufacturer);
    uint32_t code = 0;
    if (TakeFailure(Operation::kGetManufacturer, code)) {
        return code;
    }
    if (buffer != nullptr) {
        CopyText(buffer, 64, "Belverin simulated line");
    }
    return 0;
}

uint32_t Line::GetSerialNumber(char* buffer) {
    std::lock_guard lock(mutex_);
    Count(Operation::kGetSerialNumber);
    uint32_t code = 0;
    if (TakeFailure(Operation::kGetSerialNumber, code)) {
        return code;
    }
    if (buffer != nullptr) {
        CopyText(buffer, 8, "0000001");
    }
    return 0;
}

uint32_t Line::GetProfile(void* buffer, uint32_t controller) {
    std::lock_guard lock(mutex_);
    Count(Operation::kGetProfile);
    uint32_t code = 0;
    if (TakeFailure(Operation::kGetProfile, code)) {
        return code;
    }
    if (controller > 1) {
        return kIllegalAddress;
    }
    if (buffer != nullptr) {
        uint8_t profile[64] = {};
        profile[0] = 1;  // one controller
        if (controller == 1) {
            profile[2] = 2;  // two B channels
        }
        std::memcpy(buffer, profile, sizeof profile);
    }
    return 0;
}

int Line::Offer(const CallOffer& offer) {
    if (offer.cip > 63 || offer.called.size() > 32 ||
        (offer.calling && offer.calling->size() > 32)) {
        return -3;
    }
    std::lock_guard lock(mutex_);
    if ((offer.controller & ~0x80u) != 1) {
        return -2;
    }
    Call call;
    call.id = next_call_id_++;
    call.offer = offer;
    calls_.push_back(call);
    int reached = 0;
    for (auto& [id, app] : applications_) {
        if (!app.listening || !Takes(app.cip_mask, app.cip_mask2, offer.cip)) {
            continue;
        }
        const uint32_t plci = NewPlci();
        if (plci == 0) {
            continue;
        }
        Connection c;
        c.appl_id = id;
        c.plci = plci;
        c.call_id = call.id;
        connections_.push_back(c);
        const std::vector<uint8_t> calling =
            offer.calling ? Digits({offer.calling_type, offer.calling_presentation}, *offer.calling)
                          : std::vector<uint8_t>{};
        Send(id, Writer(id, kConnectInd, NextMessageNumber())
                     .D(plci)
                     .W(static_cast<uint16_t>(offer.cip))
                     .S(Digits({0x81}, offer.called))
                     .S(calling)
                     .S()
                     .S()
                     .S()
                     .S()
                     .S()
                     .S()
                     .Done());
        ++reached;
    }
    Tidy();
    return reached;
}

int Line::Network(NetworkEvent event, bool earliest) {
    std::lock_guard lock(mutex_);
    const auto onLine = [](const Call& c) { return !c.ended; };
    Call* call = nullptr;
    if (earliest) {
        const auto it = std::find_if(calls_.begin(), calls_.end(), onLine);
        call = it == calls_.end() ? nullptr : &*it;
    } else {
        const auto it = std::find_if(calls_.rbegin(), calls_.rend(), onLine);
        call = it == calls_.rend() ? nullptr : &*it;
    }
    if (call == nullptr) {
        return -1;
    }
    if (event != NetworkEvent::kCallerHangsUp && call->answered) {
        return -4;
    }
    call->ended = true;
    int cleared = 0;
    for (Connection& c : connections_) {
        if (c.call_id != call->id) {
            continue;
        }
        uint16_t reason = kNormalClearing;
        switch (event) {
            case NetworkEvent::kCallerHangsUp:
                reason = kNormalClearing;
                break;
            case NetworkEvent::kAnsweredElsewhere:
                reason = kNonSelectedUser;
                break;
            case NetworkEvent::kTakenByOtherApplication:
                reason = kAnotherApplication;
                break;
            case NetworkEvent::kGivesUp:
                reason = c.alerted ? kNoAnswer : kNoUserResponding;
                break;
        }
        if (Clear(c, reason)) {
            ++cleared;
        }
    }
    Tidy();
    return cleared;
}

std::vector<TranscriptEntry> Line::Transcript() const {
    std::lock_guard lock(mutex_);
    return {transcript_.begin(), transcript_.end()};
}

std::vector<TranscriptEntry> Line::Unanswered() const {
    std::lock_guard lock(mutex_);
    return unanswered_;
}

namespace {

std::string EntryLine(const TranscriptEntry& e) {
    char head[160];
    std::snprintf(head, sizeof head, "%u %s appl %u %s #%u addr 0x%08X len %zu", e.sequence,
                  e.to_application ? "line->app" : "app->line", e.appl_id,
                  CommandName(static_cast<uint16_t>(e.command)).c_str(), e.message_number,
                  e.address, e.bytes.size());
    std::string line = head;
    if (e.result != 0) {
        char result[32];
        std::snprintf(result, sizeof result, " refused 0x%04X", e.result);
        line += result;
    }
    line += ":";
    for (uint8_t b : e.bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    return line + "\n";
}

}  // namespace

std::string Line::TranscriptText() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const TranscriptEntry& e : transcript_) {
        text += EntryLine(e);
    }
    return text;
}

std::string Line::StatusText() const {
    std::lock_guard lock(mutex_);
    std::string text = "applications: " + std::to_string(applications_.size()) + "\n";
    char line[200];
    for (const auto& [id, app] : applications_) {
        if (app.listening) {
            std::snprintf(line, sizeof line,
                          "appl %u: listening on controller 1, CIP mask 0x%08X, %zu queued\n", id,
                          app.cip_mask, app.queue.size());
        } else {
            std::snprintf(line, sizeof line, "appl %u: not listening, %zu queued\n", id,
                          app.queue.size());
        }
        text += line;
    }
    for (const Call& call : calls_) {
        if (call.ended && std::none_of(connections_.begin(), connections_.end(),
                                       [&](const Connection& c) { return c.call_id == call.id; })) {
            continue;
        }
        text += "call " + std::to_string(call.id) + ": from " +
                (call.offer.calling ? *call.offer.calling : std::string("(no number)")) + " to " +
                call.offer.called + ", CIP " + std::to_string(call.offer.cip) +
                (call.answered ? ", answered" : "") + (call.ended ? ", ending" : "") + "\n";
        for (const Connection& c : connections_) {
            if (c.call_id != call.id) {
                continue;
            }
            const char* state = "offered";
            if (c.state == PlciState::kOffered && c.alerted) {
                state = "alerted";
            } else if (c.state == PlciState::kConnecting) {
                state = "connecting";
            } else if (c.state == PlciState::kActive) {
                state = c.b3 == B3State::kActive ? "B3 active" : "active";
            } else if (c.state == PlciState::kClearing) {
                state = "clearing";
            }
            std::snprintf(line, sizeof line, "  appl %u PLCI 0x%04X: %s\n", c.appl_id, c.plci,
                          state);
            text += line;
        }
    }
    text += "unanswered indications: " + std::to_string(unanswered_.size()) + "\n";
    if (wait_hang_) {
        text += "wait hang: on\n";
    }
    return text;
}

size_t Line::ApplicationCount() const {
    std::lock_guard lock(mutex_);
    return applications_.size();
}

void Line::FailNext(Operation operation, uint32_t code) {
    std::lock_guard lock(mutex_);
    failures_[operation] = code;
}

void Line::SetWaitHang(bool on) {
    std::lock_guard lock(mutex_);
    wait_hang_ = on;
    changed_.notify_all();
}

void Line::SetInstalled(uint32_t code) {
    std::lock_guard lock(mutex_);
    installed_ = code;
}

void Line::SetVersion(uint32_t capi_major, uint32_t capi_minor, uint32_t manufacturer_major,
                      uint32_t manufacturer_minor) {
    std::lock_guard lock(mutex_);
    version_[0] = capi_major;
    version_[1] = capi_minor;
    version_[2] = manufacturer_major;
    version_[3] = manufacturer_minor;
}

unsigned Line::CallCount(Operation operation) const {
    std::lock_guard lock(mutex_);
    return counts_[static_cast<int>(operation)];
}

void Line::Reset() {
    std::lock_guard lock(mutex_);
    applications_.clear();
    connections_.clear();
    calls_.clear();
    transcript_.clear();
    unanswered_.clear();
    ResetSettings();
    changed_.notify_all();
}

}  // namespace capisim
