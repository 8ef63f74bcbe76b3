#include "setup/tests/setup_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/xbase32/table_tool.h"
#include "xbase/engine_api.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/work_area.h"

namespace setup::testing {

namespace fs = std::filesystem;

bool RecordingPort::Answer(const std::string& shown) {
    boxes.push_back(shown);
    if (answers.empty()) {
        return true;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::string RecordingPort::MemoText() const {
    std::string text = "Setup/Update info.....";
    for (const std::string& line : lines) {
        text += "\n" + line;
    }
    return text;
}

void SetupTest::SetUp() {
    std::string pattern = fs::temp_directory_path() / "setup-XXXXXX";
    root = std::string(mkdtemp(pattern.data())) + "/";
    setupDir = root + "dist/";
    target = root + "doel/";
    fs::create_directories(setupDir);
    fs::create_directories(target);
    fs::create_directories(root + "home");
#ifdef REAL_ENGINE_PATH
    std::string error;
    library = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    xbase::ResetLayerState();
    xbase::ClearAllWorkAreas();
    xbase::BindEngine(&library->Api());
    xbase::SetMessageSink([this](const xbase::LayerMessage& m) { port.boxes.push_back(m.text); });
    xbase::Session().Open();
#endif
}

void SetupTest::TearDown() {
    if (library) {
        xbase::Session().Close();
        xbase::BindEngine(nullptr);
        xbase::SetMessageSink({});
        xbase::ResetLayerState();
    }
    std::error_code ec;
    fs::remove_all(root, ec);
}

std::vector<Listed> SetupTest::StandardFiles(const std::string& programText) {
    return {{"belverin", 0, programText},   {"libxbase32.so", 0, "engine"},
            {"belverintel.FPT", 0, ""},     {"belverintel.DBF", 0, ""},
            {"belverinlog.FPT", 0, ""},     {"belverinlog.DBF", 0, ""},
            {"leesmij.txt", 2, "lees mij"}, {"bel.wav", 1, "RIFF bel"},
            {"tuut.wav", 1, "RIFF tuut"}};
}

void SetupTest::WriteDistribution(const std::vector<Listed>& files, const std::string& versie) {
    std::ostringstream ini;
    ini << "[algemeen]\nversie=" << versie << "\n[bestanden]\n";
    int slot = 1;
    for (const Listed& file : files) {
        ini << "f" << slot << "=" << file.name << "\nfcode" << slot << "=" << file.code << "\n";
        ++slot;
        if (file.content.empty()) {
            fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file.name, setupDir + file.name,
                          fs::copy_options::overwrite_existing);
        } else {
            Write(setupDir + file.name, file.content);
        }
    }
    Write(setupDir + "setup.ini", ini.str());
    if (fs::exists(setupDir + "belverin")) {
        fs::permissions(setupDir + "belverin", fs::perms::owner_read | fs::perms::owner_write);
    }
}

Files SetupTest::Tree(const std::string& folder, bool withBackups) {
    Files files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), folder).string();
        if (!withBackups && it.depth() == 0 && relative.rfind("backup", 0) == 0) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) {
            files[relative] = Read(it->path().string());
        }
    }
    return files;
}

std::string SetupTest::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void SetupTest::Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

void SetupTest::CreateTable(const std::string& path, const std::vector<std::string>& fields) {
    std::vector<std::string> args = {"create", path};
    args.insert(args.end(), fields.begin(), fields.end());
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(xb::RunTableTool(args, out, err), 0) << err.str();
}

}  // namespace setup::testing
