#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "monitor/book/import_mapping.h"

namespace book {

class KlapperCore;

// What the import needs of its window: boxes, the line counter and the cursor.
class ImportPort {
  public:
    virtual ~ImportPort() = default;
    virtual void Message(const std::string& text) = 0;
    virtual void ErrorBox(const std::string& text) = 0;
    // The counter shows the 0-based number of the line being imported, painted at once.
    virtual void Progress(int line) = 0;
    virtual void Busy(bool on) = 0;
};

struct ImportOutcome {
    // Records appended and posted.
    int stored = 0;
    // The 1-based list line that could not be stored; 0 when none failed.
    int failedLine = 0;
    bool started = false;
};

// Appends one phone-book record per line of the list. The index files are closed meanwhile
// and made once at the end; the grid's updates and the count label wait until then. The run
// never hands control to the event loop, so nothing else meets the table half-indexed.
class KlapperImport {
  public:
    KlapperImport(KlapperCore& klapper, ImportPort& port) : klapper_(klapper), port_(port) {}

    // `lines` are rewritten lines (CsvLine::Rewrite) with `separator`.
    ImportOutcome Run(const std::vector<std::string>& lines, char separator,
                      const ImportMapping& mapping);

    // The shortest time between two counter updates.
    std::chrono::milliseconds progressInterval{100};

  private:
    KlapperCore& klapper_;
    ImportPort& port_;
};

}  // namespace book
