#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace os::testing {

// A throw-away program folder into which the argument probe can be placed under any name; the
// probe writes what it received into the folder it runs in.
class ProbeFolder {
  public:
    ProbeFolder();
    ~ProbeFolder();
    ProbeFolder(const ProbeFolder&) = delete;
    ProbeFolder& operator=(const ProbeFolder&) = delete;

    // The folder with a trailing "/".
    const std::string& Dir() const { return dir_; }

    // Links the probe as `name` (a path below the folder; missing folders are made).
    void InstallProbe(const std::string& name) const;

    // The arguments after the program name of the probe's run, once it has written them.
    std::optional<std::vector<std::string>> WaitForArgs(
        std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    std::optional<std::map<std::string, std::string>> WaitForInfo(
        std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // True when no probe has written anything within `settle`.
    bool NothingRan(std::chrono::milliseconds settle = std::chrono::milliseconds(300)) const;

  private:
    std::string dir_;
};

}  // namespace os::testing
