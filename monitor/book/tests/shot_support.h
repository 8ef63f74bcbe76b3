#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "xbase/engine_api.h"

namespace xbase {
class EngineLibrary;
}

namespace book::shot {

// A scratch program folder for a screenshot program: a copy of the installed phone book in
// /tmp/<name>-XXXXXX/ and the engine bound. Unbound and removed again at the end.
class ShotFolder {
  public:
    explicit ShotFolder(const std::string& name);
    // Null, with the reason on standard error, when the engine did not load.
    static std::unique_ptr<ShotFolder> Open(const std::string& name);
    ~ShotFolder();
    ShotFolder(const ShotFolder&) = delete;
    ShotFolder& operator=(const ShotFolder&) = delete;

    // False with the reason in Error() when the engine did not load.
    bool Ready() const { return engine_ != nullptr; }
    const std::string& Error() const { return error_; }
    const xbase::EngineApi& Api() const;
    // Ends in '/'.
    const std::string& Folder() const { return folder_; }
    std::string Table() const { return folder_ + "belverintel.DBF"; }

    // Opens the session, once the table holds what the picture shows; closed at the end.
    void OpenSession();

  private:
    std::string folder_;
    std::string error_;
    std::unique_ptr<xbase::EngineLibrary> engine_;
    bool session_ = false;
};

// One phone-book entry as field names and UTF-8 values.
using EntryFields = std::vector<std::pair<const char*, std::string>>;

// Appends `entries` to the table at `path`, the values in the table's code page.
void WriteEntries(const xbase::EngineApi& e, const std::string& path,
                  const std::vector<EntryFields>& entries);

// Eight Dutch entries, one without a number, with the values a new entry gets.
std::vector<EntryFields> SampleEntries();

// Saves a picture of the whole screen; false when it was not written.
bool SaveScreen(const std::string& file);

}  // namespace book::shot
