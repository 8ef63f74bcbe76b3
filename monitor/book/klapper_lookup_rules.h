#pragma once

#include "monitor/book/klapper_lookup_result.h"
#include "monitor/book/lookup_walk_ports.h"

namespace book {

// The phone-book window's lookup: its command line and texts. The Foongrep folder and the
// search time are read from the settings when a lookup starts, the checks when its result is
// read.
class KlapperLookupRules : public LookupRules {
  public:
    explicit KlapperLookupRules(const LookupFieldChecks& checks) : checks_(checks) {}

    // "--" is no number; the status shows the first 20 characters of the number.
    std::optional<LookupStart> Start(const std::string& number) override;
    LookupAnswer Finish(const LookupStart& start, monitor::DirectoryOutcome outcome) override;

  private:
    const LookupFieldChecks& checks_;
};

}  // namespace book
