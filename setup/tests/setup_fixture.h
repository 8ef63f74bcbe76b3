#pragma once

// A setup folder with its install list and files, an installation folder and a home folder, in a
// scratch folder; the engine library bound for the record carry-over.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/xdg_folders.h"
#include "setup/setup_port.h"
#include "xbase/engine_library.h"

namespace setup::testing {

// Records what the installation shows and answers its questions from a queue (empty: Yes).
class RecordingPort : public SetupPort {
  public:
    void Line(const std::string& text) override { lines.push_back(text); }
    void ProgressMax(int maximum) override {
        progressMax = maximum;
        progress = 0;
    }
    void ProgressStep() override { ++progress; }
    void ErrorBox(const std::string& text) override { boxes.push_back("error: " + text); }
    void Message(const std::string& text) override { boxes.push_back("message: " + text); }
    bool AskYesNo(const std::string& text) override { return Answer("ask: " + text); }
    bool AskErrorYesCancel(const std::string& text) override {
        return Answer("error ask: " + text);
    }
    std::string MemoText() const override;
    void ShowEnding(const std::string& label1, const std::string& label2) override {
        endings.push_back(label1 + " | " + label2);
    }
    void CloseMain() override { closed = true; }

    std::deque<bool> answers;
    std::vector<std::string> lines;
    std::vector<std::string> boxes;
    std::vector<std::string> endings;
    int progressMax = -1;
    int progress = 0;
    bool closed = false;

  private:
    bool Answer(const std::string& shown);
};

class FakeClaim : public InstanceClaim {
  public:
    bool TryClaim(const std::string& folder) override {
        claimed = folder;
        if (heldElsewhere) {
            return false;
        }
        held = true;
        return true;
    }
    void Release() override { held = false; }
    bool heldElsewhere = false;
    bool held = false;
    std::string claimed;
};

using Files = std::map<std::string, std::string>;

struct Listed {
    std::string name;
    int code;
    std::string content;  // empty: a table copied from the build's program folder
};

class SetupTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The distribution: setup.ini naming `files` in slots 1.. and the files themselves.
    void WriteDistribution(const std::vector<Listed>& files, const std::string& versie = "2.0");
    // The standard distribution: program, engine, both tables, a kept file and two sounds.
    static std::vector<Listed> StandardFiles(const std::string& programText);

    // Every file under `folder` with its bytes, paths relative to it; folders whose name starts
    // with "backup" are left out unless asked.
    static Files Tree(const std::string& folder, bool withBackups = false);
    static std::string Read(const std::string& path);
    static void Write(const std::string& path, const std::string& content);

    // A table of `fields` (the table tool's field list) at `path`.
    static void CreateTable(const std::string& path, const std::vector<std::string>& fields);

    os::XdgEnvironment Home() const { return {root + "home", root + "home/.config", ""}; }

    std::unique_ptr<xbase::EngineLibrary> library;
    std::string root;      // with "/"
    std::string setupDir;  // root/dist/
    std::string target;    // root/doel/
    RecordingPort port;
    FakeClaim claim;
};

}  // namespace setup::testing
