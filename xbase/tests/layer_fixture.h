#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/tests/fake_engine.h"
#include "xbase/work_area.h"

namespace xbase::testing {

// A fresh layer over a fake engine, recording every message box.
class LayerTest : public ::testing::Test {
  protected:
    LayerTest() {
        ResetLayerState();
        ClearAllWorkAreas();
        SetMessageSink([this](const LayerMessage& m) { messages.push_back(m.text); });
    }
    ~LayerTest() override {
        ClearAllWorkAreas();
        SetMessageSink({});
        ResetLayerState();
        std::error_code ec;
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ec);
    }

    // A scratch folder, with a "/" at its end.
    const std::string& Folder() {
        if (folder_.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "xbcalls-XXXXXX");
            folder_ = mkdtemp(pattern.data());
            folder_ += '/';
        }
        return folder_;
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = Folder() + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    FakeEngine fake;
    std::vector<std::string> messages;

  private:
    std::string folder_;
};

}  // namespace xbase::testing
