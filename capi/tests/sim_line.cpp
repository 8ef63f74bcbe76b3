#include "capi/tests/sim_line.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "capi/capi_dll.h"
#include "capi/tests/test_bytes.h"

namespace capi::test {

template <typename Fn>
Fn* SimLine::Bind(const char* name) {
    auto* fn = reinterpret_cast<Fn*>(dlsym(CapiDllHandle(), name));
    if (fn == nullptr) {
        throw std::runtime_error(std::string("simulated line lacks ") + name);
    }
    return fn;
}

SimLine::SimLine() {
    LoadCapiDll();
    if (CapiDllStatus() != kCapiDllInstalled) {
        throw std::runtime_error("the simulated line is not beside the test program");
    }
    reset_ = Bind<capisim_reset_fn>("capisim_reset");
    offer_ = Bind<capisim_offer_call_fn>("capisim_offer_call");
    hangup_ = Bind<capisim_event_fn>("capisim_hangup");
    hangupEarliest_ = Bind<capisim_event_fn>("capisim_hangup_earliest");
    answerElsewhere_ = Bind<capisim_event_fn>("capisim_answer_elsewhere");
    count_ = Bind<capisim_count_fn>("capisim_transcript_count");
    entry_ = Bind<capisim_entry_fn>("capisim_transcript_entry");
    bytes_ = Bind<capisim_bytes_fn>("capisim_transcript_bytes");
    unanswered_ = Bind<capisim_count_fn>("capisim_unanswered_count");
    failNext_ = Bind<capisim_fail_next_fn>("capisim_fail_next");
    hang_ = Bind<capisim_switch_fn>("capisim_set_wait_hang");
    calls_ = Bind<capisim_call_count_fn>("capisim_call_count");
    reset_();
}

void SimLine::Reset() {
    reset_();
}

int SimLine::Offer(const char* calling, const char* called, unsigned cip) {
    capisim_call_offer offer{1, calling, 0x21, 0x80, called, cip};
    return offer_(&offer);
}

int SimLine::Hangup() {
    return hangup_();
}

int SimLine::HangupEarliest() {
    return hangupEarliest_();
}

int SimLine::AnswerElsewhere() {
    return answerElsewhere_();
}

std::vector<LineEntry> SimLine::Transcript() const {
    std::vector<LineEntry> out;
    const int n = count_();
    for (int i = 0; i < n; ++i) {
        capisim_entry e{};
        if (entry_(i, &e) != 0) {
            break;
        }
        LineEntry line{e.to_application != 0,
                       e.appl_id,
                       static_cast<std::uint16_t>(e.command),
                       static_cast<std::uint16_t>(e.message_number),
                       e.address,
                       e.result,
                       {}};
        line.bytes.resize(e.length);
        bytes_(i, line.bytes.data(), line.bytes.size());
        out.push_back(std::move(line));
    }
    return out;
}

std::vector<LineEntry> SimLine::PutsFrom(std::size_t from) const {
    std::vector<LineEntry> out;
    const std::vector<LineEntry> all = Transcript();
    for (std::size_t i = from; i < all.size(); ++i) {
        if (!all[i].toApplication) {
            out.push_back(all[i]);
        }
    }
    return out;
}

int SimLine::Unanswered() const {
    return unanswered_();
}

void SimLine::FailNext(int operation, unsigned code) {
    failNext_(operation, code);
}

void SimLine::SetWaitHang(bool on) {
    hang_(on ? 1 : 0);
}

unsigned SimLine::CallCount(int operation) const {
    return calls_(operation);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<std::uint8_t> MessageBytes(std::uint16_t command, std::uint32_t applId,
                                       std::uint16_t messageNumber, std::uint32_t address,
                                       const std::string& restHex) {
    const std::vector<std::uint8_t> rest = Hex(restHex);
    const std::size_t total = 12 + rest.size();
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(total),         static_cast<std::uint8_t>(total >> 8),
        static_cast<std::uint8_t>(applId),        static_cast<std::uint8_t>(applId >> 8),
        static_cast<std::uint8_t>(command >> 8),  static_cast<std::uint8_t>(command),
        static_cast<std::uint8_t>(messageNumber), static_cast<std::uint8_t>(messageNumber >> 8),
        static_cast<std::uint8_t>(address),       static_cast<std::uint8_t>(address >> 8),
        static_cast<std::uint8_t>(address >> 16), static_cast<std::uint8_t>(address >> 24)};
    for (const std::uint8_t b : rest) {
        bytes.push_back(b);
    }
    return bytes;
}

}  // namespace capi::test
