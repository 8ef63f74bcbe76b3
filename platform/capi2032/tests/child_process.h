#pragma once

// Child processes for tests: started without a shell, with exactly the environment given.

#include <sys/types.h>

#include <string>
#include <vector>

namespace capisim_test {

struct ChildResult {
    int exit_code = -1;  // -1 when it did not end in time or died of a signal
    std::string out;
    std::string err;
};

// The variables a child needs to run under the sanitizers like its parent.
std::vector<std::string> BaseEnvironment();

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& env, int timeout_ms = 30000);

// A child that keeps running, with a pipe to its standard input and one from its output.
class Child {
  public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::string>& env);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next output line without its newline; "" when none came in time.
    std::string ReadLine(int timeout_ms = 10000);
    void CloseInput();
    // The exit code, or -1 when it did not end in time (it is killed then).
    int Wait(int timeout_ms = 10000);

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string pending_;
};

// A fresh folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace capisim_test
