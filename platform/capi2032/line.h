#pragma once

// The simulated ISDN line: one controller, the registered applications with their message
// queues, the calls the network offers and each application's connection state.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/capi2032/message_parser.h"

namespace capisim {

struct CallOffer {
    uint32_t controller = 1;
    std::optional<std::string> calling;  // none: the network gives no calling number
    uint8_t calling_type = 0x01;
    uint8_t calling_presentation = 0x80;
    std::string called;
    uint32_t cip = 16;
};

enum class NetworkEvent { kCallerHangsUp, kAnsweredElsewhere, kTakenByOtherApplication, kGivesUp };

struct TranscriptEntry {
    unsigned sequence = 0;
    bool to_application = false;
    unsigned appl_id = 0;
    unsigned command = 0;
    unsigned message_number = 0;
    unsigned address = 0;
    unsigned result = 0;
    std::vector<uint8_t> bytes;
};

// The operations that failure injection and the call counts know, numbered as in capisim.h.
enum class Operation {
    kInstalled = 1,
    kRegister,
    kRelease,
    kPutMessage,
    kGetMessage,
    kWaitForSignal,
    kGetVersion,
    kGetManufacturer,
    kGetSerialNumber,
    kGetProfile,
    kCount
};

// What CAPI_INSTALLED answers until told otherwise; each build of the library sets its own.
extern const uint32_t kInstalledAnswer;

class Line {
  public:
    static Line& Instance();

    uint32_t Installed();
    uint32_t Register(uint32_t buffer_size, uint32_t max_connections, uint32_t max_blocks,
                      uint32_t max_block_length, uint32_t* appl_id);
    uint32_t Release(uint32_t appl_id);
    uint32_t Put(uint32_t appl_id, const void* message);
    uint32_t Get(uint32_t appl_id, void** message);
    uint32_t Wait(uint32_t appl_id);
    // As Wait, but gives up after the time-out with 0x1104 (queue empty); the hang switch
    // holds it for the whole time-out.
    uint32_t WaitFor(uint32_t appl_id, std::chrono::microseconds timeout);
    uint32_t GetVersion(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                        uint32_t* manufacturer_minor);
    uint32_t GetManufacturer(char* buffer);
    uint32_t GetSerialNumber(char* buffer);
    uint32_t GetProfile(void* buffer, uint32_t controller);

    // Network side; results as the capisim_ functions give them.
    int Offer(const CallOffer& offer);
    // On the latest call still on the line, or on the earliest.
    int Network(NetworkEvent event, bool earliest = false);

    std::vector<TranscriptEntry> Transcript() const;
    std::vector<TranscriptEntry> Unanswered() const;
    std::string TranscriptText() const;
    std::string StatusText() const;
    size_t ApplicationCount() const;

    void FailNext(Operation operation, uint32_t code);
    void SetWaitHang(bool on);
    void SetInstalled(uint32_t code);
    void SetVersion(uint32_t capi_major, uint32_t capi_minor, uint32_t manufacturer_major,
                    uint32_t manufacturer_minor);
    unsigned CallCount(Operation operation) const;
    void Reset();

  private:
    enum class PlciState { kOffered, kConnecting, kActive, kClearing };
    enum class B3State { kNone, kIncoming, kConnecting, kActive, kClearing };

    struct Application {
        uint16_t id = 0;
        bool listening = false;
        uint32_t cip_mask = 0;
        uint32_t cip_mask2 = 0;
        std::deque<std::vector<uint8_t>> queue;
        std::vector<uint8_t> fetched;  // stays valid until the next fetch
    };
    struct Connection {
        uint16_t appl_id = 0;
        uint32_t plci = 0;
        uint32_t ncci = 0;
        int call_id = 0;
        PlciState state = PlciState::kOffered;
        B3State b3 = B3State::kNone;
        bool alerted = false;
        bool clear_after_b3 = false;
        uint16_t clear_reason = 0;
    };
    struct Call {
        int id = 0;
        CallOffer offer;
        bool answered = false;
        bool ended = false;
    };

    Line();
    void ResetSettings();
    bool TakeFailure(Operation operation, uint32_t& code);
    void Count(Operation operation);
    void Record(TranscriptEntry entry);
    void Send(uint16_t appl_id, std::vector<uint8_t> message);
    void Supersede(const TranscriptEntry& ending);
    void Confirm(const ParsedMessage& request, uint32_t address, uint16_t info);
    void Dispatch(const ParsedMessage& m);
    void Respond(const ParsedMessage& m);
    bool Clear(Connection& c, uint16_t reason);
    Connection* ByPlci(uint16_t appl_id, uint32_t plci);
    Connection* ByNcci(uint16_t appl_id, uint32_t ncci);
    Call* FindCall(int id);
    uint32_t NewPlci() const;
    uint32_t NewNcci(uint32_t plci) const;
    void Tidy();
    uint16_t NextMessageNumber();
    uint32_t WaitUntil(uint32_t appl_id,
                       std::optional<std::chrono::steady_clock::time_point> deadline);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint16_t, Application> applications_;
    std::vector<Connection> connections_;
    std::vector<Call> calls_;
    std::deque<TranscriptEntry> transcript_;
    std::vector<TranscriptEntry> unanswered_;
    std::map<Operation, uint32_t> failures_;
    unsigned counts_[static_cast<int>(Operation::kCount)] = {};
    uint32_t next_appl_id_ = 1;
    int next_call_id_ = 1;
    unsigned sequence_ = 0;
    uint16_t message_number_ = 0;
    bool wait_hang_ = false;
    uint32_t installed_ = 0;
    uint32_t version_[4] = {};
};

}  // namespace capisim
