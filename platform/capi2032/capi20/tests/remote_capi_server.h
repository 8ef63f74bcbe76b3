#pragma once

// A remote CAPI on 127.0.0.1, speaking to libcapi20's "fritzbox" driver as that driver speaks:
// every frame is a type byte 0x80 and a 16-bit length, then a CAPI message. Registration,
// release and profile travel as command 0x20; the driver reads their answer as the type byte,
// one length byte n and n bytes, with the ApplID at bytes 2-3 and the Info at bytes 16-17.
// The server answers registration, release and every request (LISTEN_REQ with LISTEN_CONF),
// offers calls and hang-ups, and can go away and come back on the same port.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace remote_capi {

using Bytes = std::vector<uint8_t>;

class Server {
  public:
    Server();  // listening on a free port, with an ApplID no other server of this machine holds
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int Port() const { return port_; }
    uint16_t ApplId() const { return appl_id_; }

    // The n-th (from 0) message the driver put with this command word (command * 256 +
    // subcommand), once it has come, within `limit`.
    std::optional<Bytes> WaitForMessage(uint16_t command_word, int n = 0,
                                        std::chrono::milliseconds limit = std::chrono::seconds(20));
    int Count(uint16_t command_word) const;
    int Registrations() const;
    // Until at least `n` registrations have been answered, within `limit`.
    bool WaitForRegistrations(int n, std::chrono::milliseconds limit = std::chrono::seconds(20));

    void OfferCall(uint32_t plci, const std::string& calling, const std::string& called,
                   uint16_t cip);
    void HangUp(uint32_t plci, uint16_t reason);
    void ConnectActive(uint32_t plci);
    void ConnectB3(uint32_t ncci);

    // The far end goes away: every connection and the listening socket are closed.
    void GoAway();
    // It comes back on the same port.
    bool ComeBack();

  private:
    struct Client {
        int fd = -1;
        Bytes in;
        bool application = false;  // registered through this socket
    };

    void Run();
    void RunInThread(std::function<void()> work);
    void Read(Client& c);
    void Handle(Client& c, const Bytes& message);
    void Control(Client& c, const Bytes& message);
    void SendToApplication(const Bytes& message);
    bool Listen();
    void CloseAll();

    int port_ = 0;
    uint16_t appl_id_ = 0;
    int appl_claim_ = -1;  // holds the ApplID for this server's life
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    uint16_t next_number_ = 1;
    std::vector<Client> clients_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Bytes> messages_;  // what the driver put, in order
    int registrations_ = 0;
    std::vector<std::function<void()>> work_;
    bool stop_ = false;
    std::thread thread_;
};

// A message's command word and its little-endian fields; 0 beyond its end.
uint16_t CommandWord(const Bytes& m);
uint16_t Word(const Bytes& m, size_t at);
uint32_t Dword(const Bytes& m, size_t at);

}  // namespace remote_capi
