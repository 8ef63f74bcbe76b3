#include "platform/capi2032/capi20/tests/remote_capi_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <stdexcept>

#include "platform/capi2032/tests/capi_bytes.h"

namespace remote_capi {
namespace {

using capisim_test::MessageBuilder;

constexpr uint8_t kFrameType = 0x80;
constexpr size_t kFrameHeader = 3;
constexpr uint8_t kControl = 0x20;
constexpr uint8_t kReq = 0x80;
constexpr uint8_t kConf = 0x81;
// The control request's parameter length, at byte 10, tells which one it is.
constexpr size_t kControlKind = 10;
constexpr uint8_t kRegister = 0x09;
constexpr uint8_t kRelease = 0x03;
constexpr uint8_t kProfile = 0x05;
constexpr size_t kControlAnswer = 18;  // through the Info at bytes 16-17
constexpr size_t kProfileSize = 64;
// libcapi20 keeps each ApplID's socket in memory shared by every process of the machine.
constexpr unsigned kApplIds = 1023;

void SendAll(int fd, const Bytes& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

Bytes Framed(const Bytes& message) {
    Bytes frame = {kFrameType, static_cast<uint8_t>(message.size() & 0xFF),
                   static_cast<uint8_t>(message.size() >> 8)};
    frame.insert(frame.end(), message.begin(), message.end());
    return frame;
}

// An abstract socket name is free again the moment its holder ends, however it ends.
int ClaimApplId(uint16_t& id) {
    std::random_device seed;
    const unsigned start = seed() % kApplIds;
    for (unsigned i = 0; i < kApplIds; ++i) {
        const auto candidate = static_cast<uint16_t>((start + i) % kApplIds + 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const std::string name = "belverin-remote-capi-appl-" + std::to_string(candidate);
        std::memcpy(a.sun_path + 1, name.data(), name.size());
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), size) == 0) {
            id = candidate;
            return fd;
        }
        close(fd);
    }
    throw std::runtime_error("no free ApplID");
}

}  // namespace

uint16_t Word(const Bytes& m, size_t at) {
    return at + 1 < m.size() ? static_cast<uint16_t>(m[at] | m[at + 1] << 8) : 0;
}

uint32_t Dword(const Bytes& m, size_t at) {
    return static_cast<uint32_t>(Word(m, at)) | static_cast<uint32_t>(Word(m, at + 2)) << 16;
}

uint16_t CommandWord(const Bytes& m) {
    return m.size() >= 6 ? static_cast<uint16_t>(m[4] << 8 | m[5]) : 0;
}

Server::Server() {
    appl_claim_ = ClaimApplId(appl_id_);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0 || !Listen()) {
        throw std::runtime_error("the remote CAPI cannot listen");
    }
    thread_ = std::thread(&Server::Run, this);
}

Server::~Server() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] auto n = write(wake_[1], &byte, 1);
    thread_.join();
    CloseAll();
    close(wake_[0]);
    close(wake_[1]);
    close(appl_claim_);
}

bool Server::Listen() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port_));
    socklen_t size = sizeof a;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&a), size) != 0 || listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
        close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = ntohs(a.sin_port);
    return true;
}

void Server::CloseAll() {
    for (Client& c : clients_) {
        close(c.fd);
    }
    clients_.clear();
    if (listener_ >= 0) {
        close(listener_);
        listener_ = -1;
    }
}

void Server::Run() {
    for (;;) {
        std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}};
        if (listener_ >= 0) {
            fds.push_back({listener_, POLLIN, 0});
        }
        const size_t first_client = fds.size();
        for (const Client& c : clients_) {
            fds.push_back({c.fd, POLLIN, 0});
        }
        poll(fds.data(), fds.size(), -1);
        if (fds[0].revents != 0) {
            char buffer[16];
            while (read(wake_[0], buffer, sizeof buffer) > 0) {
            }
            std::vector<std::function<void()>> work;
            {
                std::lock_guard lock(mutex_);
                if (stop_) {
                    return;
                }
                work.swap(work_);
            }
            for (auto& w : work) {
                w();
            }
            continue;  // the sockets may have changed
        }
        if (first_client == 2 && fds[1].revents != 0) {
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                clients_.push_back({fd, {}, false});
            }
        }
        for (size_t i = first_client; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                Read(clients_[i - first_client]);
            }
        }
        std::erase_if(clients_, [](const Client& c) { return c.fd < 0; });
    }
}

void Server::Read(Client& c) {
    uint8_t buffer[4096];
    const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
        close(c.fd);
        c.fd = -1;
        return;
    }
    c.in.insert(c.in.end(), buffer, buffer + n);
    while (c.in.size() >= kFrameHeader) {
        const size_t length = c.in[1] | c.in[2] << 8;
        if (c.in.size() < kFrameHeader + length) {
            return;
        }
        const Bytes message(c.in.begin() + kFrameHeader, c.in.begin() + kFrameHeader + length);
        c.in.erase(c.in.begin(), c.in.begin() + kFrameHeader + length);
        Handle(c, message);
    }
}

void Server::Handle(Client& c, const Bytes& message) {
    if (message.size() < 8) {
        return;
    }
    if (message[4] == kControl && message[5] == kReq) {
        Control(c, message);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
    }
    changed_.notify_all();
    if (message[5] == kReq && message.size() >= 12) {
        // Every request is confirmed with its address and Info 0.
        const auto word = static_cast<uint16_t>(message[4] << 8 | kConf);
        SendAll(c.fd, Framed(MessageBuilder(appl_id_, word, Word(message, 6))
                                 .D(Dword(message, 8))
                                 .W(0)
                                 .Build()));
    }
}

void Server::Control(Client& c, const Bytes& message) {
    const uint8_t kind = message.size() > kControlKind ? message[kControlKind] : 0;
    if (kind == kRelease) {
        c.application = false;
        return;
    }
    if (kind != kRegister && kind != kProfile) {
        return;
    }
    MessageBuilder builder(appl_id_, kControl << 8 | kConf, Word(message, 6));
    for (size_t at = 8; at < kControlAnswer; ++at) {
        builder.B(0);  // Info 0 at bytes 16-17
    }
    if (kind == kProfile) {
        builder.B(1);  // one controller
        for (size_t at = 1; at < kProfileSize; ++at) {
            builder.B(0);
        }
    }
    const Bytes answer = builder.Build();
    Bytes reply = {kFrameType, static_cast<uint8_t>(answer.size())};
    reply.insert(reply.end(), answer.begin(), answer.end());
    SendAll(c.fd, reply);
    if (kind == kRegister) {
        c.application = true;
        {
            std::lock_guard lock(mutex_);
            ++registrations_;
        }
        changed_.notify_all();
    }
}

void Server::RunInThread(std::function<void()> work) {
    std::mutex done_mutex;
    std::condition_variable done_changed;
    bool done = false;
    {
        std::lock_guard lock(mutex_);
        work_.push_back([&] {
            work();
            std::lock_guard d(done_mutex);
            done = true;
            done_changed.notify_all();
        });
    }
    const char byte = 1;
    [[maybe_unused]] auto n = write(wake_[1], &byte, 1);
    std::unique_lock d(done_mutex);
    done_changed.wait(d, [&] { return done; });
}

void Server::SendToApplication(const Bytes& message) {
    RunInThread([this, message] {
        for (const Client& c : clients_) {
            if (c.application) {
                SendAll(c.fd, Framed(message));
            }
        }
    });
}

void Server::OfferCall(uint32_t plci, const std::string& calling, const std::string& called,
                       uint16_t cip) {
    Bytes called_number = {0x80};
    called_number.insert(called_number.end(), called.begin(), called.end());
    Bytes calling_number = {0x21, 0x80};
    calling_number.insert(calling_number.end(), calling.begin(), calling.end());
    // Subaddresses, BC, LLC, HLC and additional info empty.
    SendToApplication(MessageBuilder(appl_id_, 0x0282, next_number_++)
                          .D(plci)
                          .W(cip)
                          .S(called_number)
                          .S(calling_number)
                          .S()
                          .S()
                          .S()
                          .S()
                          .S()
                          .S()
                          .Build());
}

void Server::HangUp(uint32_t plci, uint16_t reason) {
    SendToApplication(MessageBuilder(appl_id_, 0x0482, next_number_++).D(plci).W(reason).Build());
}

void Server::ConnectActive(uint32_t plci) {
    SendToApplication(MessageBuilder(appl_id_, 0x0382, next_number_++).D(plci).S().S().S().Build());
}

void Server::ConnectB3(uint32_t ncci) {
    SendToApplication(MessageBuilder(appl_id_, 0x8282, next_number_++).D(ncci).S().Build());
}

void Server::GoAway() {
    RunInThread([this] { CloseAll(); });
}

bool Server::ComeBack() {
    bool ok = false;
    RunInThread([this, &ok] { ok = Listen(); });
    return ok;
}

std::optional<Bytes> Server::WaitForMessage(uint16_t command_word, int n,
                                            std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    std::optional<Bytes> found;
    changed_.wait_for(lock, limit, [&] {
        int seen = 0;
        for (const Bytes& m : messages_) {
            if (CommandWord(m) == command_word && seen++ == n) {
                found = m;
                return true;
            }
        }
        return false;
    });
    return found;
}

int Server::Count(uint16_t command_word) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Bytes& m : messages_) {
        n += CommandWord(m) == command_word ? 1 : 0;
    }
    return n;
}

int Server::Registrations() const {
    std::lock_guard lock(mutex_);
    return registrations_;
}

bool Server::WaitForRegistrations(int n, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return registrations_ >= n; });
}

}  // namespace remote_capi
