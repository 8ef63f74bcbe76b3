#include "platform/xbase32/file_map.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>

namespace xb {

namespace {

// A read of a mapped page past the file's end raises SIGBUS. Reads through a view jump back
// to their caller; any other SIGBUS goes to whatever handled it before, every time.
// volatile: the handler is the only reader, so without it the optimiser may drop the store.
thread_local sigjmp_buf* volatile t_reading = nullptr;
struct sigaction g_before {};

void OnBusError(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* reading = t_reading) {
        t_reading = nullptr;
        siglongjmp(*reading, 1);
    }
    if ((g_before.sa_flags & SA_SIGINFO) != 0 && g_before.sa_sigaction != nullptr) {
        g_before.sa_sigaction(signal, info, context);
        return;
    }
    if (g_before.sa_handler != SIG_DFL && g_before.sa_handler != SIG_IGN) {
        g_before.sa_handler(signal);
        return;
    }
    // The default action ends the process: let it take the fault when the instruction runs
    // again. A fault cannot be ignored, so an ignored SIGBUS ends it too.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
}

void CatchBusErrors() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_before);
    });
}

}  // namespace

bool FileMap::Read(uint64_t at, std::size_t n, void* out) const {
    if (!Covers(at, n)) {
        return false;
    }
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0) {
        return false;  // t_reading was cleared by the handler
    }
    t_reading = &jump;
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the copy stays between the two
    std::memcpy(out, base_ + at, n);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_reading = nullptr;
    return true;
}

FileMap::FileMap(FileMap&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)), length_(std::exchange(other.length_, 0)) {}

FileMap& FileMap::operator=(FileMap&& other) noexcept {
    if (this != &other) {
        FileMap gone(std::move(*this));
        base_ = std::exchange(other.base_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

FileMap::~FileMap() {
    if (base_ != nullptr) {
        ::munmap(const_cast<char*>(base_), length_);
    }
}

FileMap FileMap::Of(int fd, std::size_t length) {
    FileMap m;
    if (length == 0) {
        return m;
    }
    void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        return m;
    }
    CatchBusErrors();
    m.base_ = static_cast<const char*>(p);
    m.length_ = length;
    return m;
}

}  // namespace xb
