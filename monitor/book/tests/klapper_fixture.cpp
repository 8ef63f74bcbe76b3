#include "monitor/book/tests/klapper_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <utility>

#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/rtl/text_encoding.h"
#include "xbase/engine_api.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/table.h"
#include "xbase/work_area.h"

namespace book::testing {

namespace fs = std::filesystem;

bool RecordingPort::AskYesCancel(const std::string& text) {
    shown.push_back("ask: " + text);
    if (answers.empty()) {
        return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::vector<std::string> RecordingPort::Boxes() const {
    std::vector<std::string> boxes;
    for (const std::string& s : shown) {
        if (s.rfind("splash: ", 0) != 0) {
            boxes.push_back(s);
        }
    }
    return boxes;
}

void KlapperTest::SetUp() {
#ifndef REAL_ENGINE_PATH
    GTEST_SKIP() << "the build has no engine library";
#else
    std::string error;
    library = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    xbase::ResetLayerState();
    xbase::ClearAllWorkAreas();
    xbase::BindEngine(&library->Api());
    xbase::SetMessageSink([this](const xbase::LayerMessage& m) { port.shown.push_back(m.text); });
    std::string pattern = (fs::temp_directory_path() / "klapper-XXXXXX");
    folder = std::string(mkdtemp(pattern.data())) + "/";
    for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file, folder + file);
    }
    ini = std::make_unique<rtl::TIniFile>(folder + "belvo.ini");
    monitor::instellingen = monitor::Instellingen{};
    xbase::Session().Open();
    // The program hides deleted records (the call-log window's engine settings).
    library->Api().sx_SetDeleted(1);
    library->Api().sx_SetLockTimeout(0);
#endif
}

void KlapperTest::TearDown() {
    if (!library) {
        return;
    }
    core.reset();
    xbase::Session().Close();
    library->Api().sx_SetDeleted(0);
    xbase::BindEngine(nullptr);
    xbase::SetMessageSink({});
    xbase::ResetLayerState();
    monitor::instellingen = monitor::Instellingen{};
    std::error_code ec;
    fs::remove_all(folder, ec);
}

void KlapperTest::AddEntries(const std::vector<Entry>& entries) {
    const xbase::EngineApi& e = library->Api();
    const int32_t previous = e.sx_WorkArea(nullptr);
    ASSERT_NE(e.sx_Use(TablePath().c_str(), nullptr, SX_SHARED, SX_FOX), 0) << e.sx_LastErrorText();
    for (const Entry& entry : entries) {
        ASSERT_EQ(e.sx_AppendEx(), 0);
        // The table holds Windows-1252 text.
        for (const auto& [field, value] :
             {std::pair{"NUMMER", &entry.nummer}, std::pair{"NAAM", &entry.naam},
              std::pair{"PLAATS", &entry.plaats}}) {
            e.sx_Replace(field, SX_R_CHAR, rtl::Utf8ToCp1252(*value).c_str());
        }
        if (entry.deleted) {
            e.sx_Delete();
        }
    }
    e.sx_Commit();
    e.sx_Close();
    e.sx_Select(previous);
}

KlapperCore& KlapperTest::Start() {
    core = std::make_unique<KlapperCore>(port, *ini, folder);
    core->Create();
    return *core;
}

void KlapperTest::Stop() {
    core->Close();
    core->Destroy();
    core.reset();
}

std::vector<std::string> KlapperTest::Column(const char* field) {
    std::vector<std::string> values;
    xbase::TTable& t = core->t2();
    for (t.First(); !t.Eof(); t.Next()) {
        values.push_back(t.FieldByName(field).AsString());
    }
    return values;
}

int KlapperTest::RecordsOnDisk() {
    const xbase::EngineApi& e = library->Api();
    const int32_t previous = e.sx_WorkArea(nullptr);
    const int32_t area = e.sx_Use(TablePath().c_str(), nullptr, SX_SHARED, SX_FOX);
    const int count = area == 0 ? -1 : e.sx_RecCount();
    if (area == 0) {
        ADD_FAILURE() << e.sx_LastErrorText();
    }
    if (area != 0) {
        e.sx_Close();
    }
    e.sx_Select(previous);
    return count;
}

}  // namespace book::testing
