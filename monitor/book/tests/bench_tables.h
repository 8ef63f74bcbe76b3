#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "platform/rtl/ini_file.h"
#include "xbase/engine_api.h"

namespace xbase {
class EngineLibrary;
}

namespace book::bench {

// A phone-book port that answers no and counts the boxes it was asked to show.
class QuietPort : public KlapperPort {
  public:
    bool AskYesCancel(const std::string&) override { return false; }
    void ErrorBox(const std::string&) override { ++boxes; }
    void Message(const std::string&) override { ++boxes; }
    void SplashStep(const std::string&) override {}
    void ShowMonitor() override {}
    void HideKlapper() override {}
    void Busy(bool) override {}
    void StateChanged() override {}
    int boxes = 0;
};

// What the benchmarks differ by in the engine they start.
struct BenchEngineOptions {
    // The scratch folder is made as /tmp/<name>-XXXXXX.
    std::string name;
    // Deleted records hidden from the start, before any table is made.
    bool hideDeleted = true;
    // The layer's state and work areas cleared and its message boxes silenced.
    bool quietLayer = true;
};

// The engine library loaded and bound, and a scratch folder; without the library (a build
// without the engine) nothing is made and Ready() is false.
class BenchEngine {
  public:
    explicit BenchEngine(const BenchEngineOptions& options);
    ~BenchEngine();
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    bool Ready() const { return engine_ != nullptr; }
    const xbase::EngineApi& Api() const;
    // Ends in '/'.
    const std::string& Folder() const { return folder_; }

    // An emptied "work/" folder in the scratch folder holding copies of `files` from `from`.
    std::string FreshCopy(const std::string& from, std::initializer_list<const char*> files) const;

  private:
    std::unique_ptr<xbase::EngineLibrary> engine_;
    std::string folder_;
};

// `files` copied from the folder `from` into the folder `to`; both end in '/'.
void CopyFiles(const std::string& from, const std::string& to,
               std::initializer_list<const char*> files);

// The 100,000-entry phone book made once in the scratch folder's "pristine/", and the
// session open; every run starts from a fresh copy of it.
class BenchPhoneBook {
  public:
    explicit BenchPhoneBook(const std::string& name);
    ~BenchPhoneBook();

    bool Ready() const { return engine_.Ready(); }
    const std::string& Folder() const { return engine_.Folder(); }
    // A program folder with a fresh copy of the table and no index files.
    std::string FreshCopy() const;

  private:
    BenchEngine engine_;
};

// The program's one bench phone book, made on first use under `name`. Ended by
// EndSharedPhoneBook before main returns: the engine's and the layer's own statics outlive it.
BenchPhoneBook& SharedPhoneBook(const std::string& name);
void EndSharedPhoneBook();

// The phone book's core over the table in `folder`, with its own settings file there.
struct BenchBook {
    explicit BenchBook(const std::string& folder);
    QuietPort port;
    rtl::TIniFile ini;
    KlapperCore core;
};

}  // namespace book::bench
