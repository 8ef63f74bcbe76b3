#pragma once

// The line's control socket: listens while an application is registered, answers one command
// per connection, and only to processes of the same user.

#include <mutex>
#include <string>
#include <thread>

#include <sys/types.h>

namespace capisim {

class ControlServer {
  public:
    static ControlServer& Instance();
    ~ControlServer();

    // Listens while the line has a registered application, and only then.
    void Sync();

  private:
    ControlServer() = default;
    void Start();
    void Stop();
    void Serve();
    void Answer(int fd);

    std::mutex mutex_;
    std::thread thread_;
    int listen_fd_ = -1;
    int stop_read_ = -1;
    int stop_write_ = -1;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace capisim
