#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/capi2032/capisim.h"

namespace capi::test {

// One message of the line's transcript.
struct LineEntry {
    bool toApplication = false;
    std::uint32_t applId = 0;
    std::uint16_t command = 0;
    std::uint16_t messageNumber = 0;
    std::uint32_t address = 0;
    std::uint32_t result = 0;
    std::vector<std::uint8_t> bytes;
};

// The simulated line that the binding loaded from beside the test program, driven through the
// library's own capisim_ functions so that the process has one line only.
class SimLine {
  public:
    SimLine();  // loads the binding and resets the line

    void Reset();
    int Offer(const char* calling, const char* called = "5551234", unsigned cip = 1);
    int Hangup();
    int HangupEarliest();
    int AnswerElsewhere();

    std::vector<LineEntry> Transcript() const;
    // What the application put from transcript position `from` on.
    std::vector<LineEntry> PutsFrom(std::size_t from) const;
    std::size_t Mark() const { return Transcript().size(); }
    int Unanswered() const;

    void FailNext(int operation, unsigned code);
    void SetWaitHang(bool on);
    unsigned CallCount(int operation) const;

  private:
    template <typename Fn>
    Fn* Bind(const char* name);

    capisim_reset_fn* reset_ = nullptr;
    capisim_offer_call_fn* offer_ = nullptr;
    capisim_event_fn* hangup_ = nullptr;
    capisim_event_fn* hangupEarliest_ = nullptr;
    capisim_event_fn* answerElsewhere_ = nullptr;
    capisim_count_fn* count_ = nullptr;
    capisim_entry_fn* entry_ = nullptr;
    capisim_bytes_fn* bytes_ = nullptr;
    capisim_count_fn* unanswered_ = nullptr;
    capisim_fail_next_fn* failNext_ = nullptr;
    capisim_switch_fn* hang_ = nullptr;
    capisim_call_count_fn* calls_ = nullptr;
};

// Runs the event loop until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The bytes of a message as put: header, then the address, then the rest as hex pairs.
std::vector<std::uint8_t> MessageBytes(std::uint16_t command, std::uint32_t applId,
                                       std::uint16_t messageNumber, std::uint32_t address,
                                       const std::string& restHex);

}  // namespace capi::test
