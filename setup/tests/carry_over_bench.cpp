// The update's record carry-over over a phone book of 10,000 and a call log of 100,000 records
// (every seventh deleted, memos on every third, a few of 100,000 bytes), from the old tables
// into the empty ones the build lays out. Run it from the release build.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/xbase32/table_tool.h"
#include "setup/carry_over.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/sessions.h"
#include "xbase/work_area.h"

namespace {

namespace fs = std::filesystem;

class CountingPort : public setup::SetupPort {
  public:
    void Line(const std::string&) override {}
    void ProgressMax(int maximum) override { max = maximum; }
    void ProgressStep() override { ++steps; }
    void ErrorBox(const std::string& text) override { boxes += text + "\n"; }
    void Message(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
    bool AskErrorYesCancel(const std::string&) override { return true; }
    std::string MemoText() const override { return {}; }
    void ShowEnding(const std::string&, const std::string&) override {}
    void CloseMain() override {}
    int max = -1;
    int steps = 0;
    std::string boxes;
};

struct Tables {
    std::string root;  // old/ holds the filled tables, new/ the empty ones
    std::unique_ptr<xbase::EngineLibrary> library;
    int livePhone = 0;
    int liveLog = 0;
};

bool CreateTable(const std::string& path, const std::vector<std::string>& fields) {
    std::vector<std::string> args = {"create", path};
    args.insert(args.end(), fields.begin(), fields.end());
    std::ostringstream out;
    std::ostringstream err;
    return xb::RunTableTool(args, out, err) == 0;
}

int Fill(const xbase::EngineApi& e, const std::string& table, int count, bool phoneBook) {
    if (e.sx_Use(table.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX) == 0) {
        return -1;
    }
    int live = 0;
    for (int i = 0; i < count; ++i) {
        e.sx_AppendEx();
        const std::string n = std::to_string(i);
        e.sx_Replace("NUMMER", SX_R_CHAR, ("06" + n).c_str());
        e.sx_Replace("NAAM", SX_R_CHAR, ("  Jans\xebn \x80" + n).c_str());
        e.sx_Replace(phoneBook ? "PLAATS" : "MSN", SX_R_CHAR, phoneBook ? "Zwolle" : "5551234");
        if (!phoneBook) {
            e.sx_Replace("ZOEKSTATUS", SX_R_CHAR, "Niet opgezocht in de KPN-cdfoongids");
        }
        if (i % 5000 == 1) {
            e.sx_Replace("MEMO", SX_R_MEMO, std::string(100000, '\x80').c_str());
        } else if (i % 3 == 0) {
            e.sx_Replace("MEMO", SX_R_MEMO, ("memo \xeb " + n + "\r\nregel 2").c_str());
        }
        if (i % 7 == 3) {
            e.sx_Delete();
        } else {
            ++live;
        }
    }
    e.sx_Commit();
    e.sx_Close();
    return live;
}

Tables& Shared() {
    static Tables t = [] {
        Tables made;
        std::string pattern = (fs::temp_directory_path() / "carry-over-bench-XXXXXX").string();
        made.root = std::string(::mkdtemp(pattern.data())) + "/";
        fs::create_directories(made.root + "old");
        fs::create_directories(made.root + "new");
        std::string error;
        made.library = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
        if (!made.library) {
            std::fprintf(stderr, "engine: %s\n", error.c_str());
            std::abort();
        }
        xbase::ResetLayerState();
        xbase::ClearAllWorkAreas();
        xbase::BindEngine(&made.library->Api());
        xbase::Session().Open();
        const std::string tel = made.root + "old/belverintel.DBF";
        const std::string log = made.root + "old/belverinlog.DBF";
        if (!CreateTable(
                tel, {"NUMMER:C:20", "VOORNAAM:C:20", "NAAM:C:150", "AANHANGSEL:C:15",
                      "STRAAT:C:50", "POSTCODE:C:7", "PLAATS:C:50", "ZOEKSTATUS:C:50", "EXTRA:C:50",
                      "AFWIJZEN:C:10", "GELUID:C:20", "TIJD:C:10", "CMDLINE:C:100", "KLEUR:C:20",
                      "FONTKLEUR:C:20", "OMSCHR:C:50", "MEMO:M"}) ||
            !CreateTable(
                log, {"DATUM:C:10", "TIJD:C:10", "NUMMER:C:20", "VOORNAAM:C:20", "NAAM:C:150",
                      "AANHANGSEL:C:15", "STRAAT:C:50", "POSTCODE:C:7", "PLAATS:C:50", "MSN:C:15",
                      "SOORT:C:25", "ZOEKSTATUS:C:50", "CAPISTATUS:C:50", "MEMO:M"})) {
            std::abort();
        }
        made.livePhone = Fill(made.library->Api(), tel, 10000, true);
        made.liveLog = Fill(made.library->Api(), log, 100000, false);
        return made;
    }();
    return t;
}

// A fresh empty table in new/, as the build lays it out.
void FreshTarget(const Tables& t, const std::string& table) {
    for (const char* ext : {".DBF", ".FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + table + ext,
                      t.root + "new/" + table + ext, fs::copy_options::overwrite_existing);
    }
}

void Carry(benchmark::State& state, const char* table, bool phoneBook) {
    Tables& t = Shared();
    const setup::CarriedTable carried = phoneBook
                                            ? setup::PhoneBookTable(std::string(table) + ".DBF")
                                            : setup::CallLogTable(std::string(table) + ".DBF");
    const int live = phoneBook ? t.livePhone : t.liveLog;
    for (auto _ : state) {
        state.PauseTiming();
        FreshTarget(t, table);
        CountingPort port;
        std::string error;
        state.ResumeTiming();
        const bool ok = setup::CarryOver(carried, t.root + "old/", t.root + "new/", port, error);
        state.PauseTiming();
        if (!ok || port.steps != live || port.max != live) {
            state.SkipWithError(("carry-over failed: " + error + port.boxes).c_str());
        }
        state.ResumeTiming();
    }
    state.counters["records"] = live;
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(live) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_CarryOverPhoneBook10k(benchmark::State& state) {
    Carry(state, "belverintel", true);
}
void BM_CarryOverCallLog100k(benchmark::State& state) {
    Carry(state, "belverinlog", false);
}

BENCHMARK(BM_CarryOverPhoneBook10k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CarryOverCallLog100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ec;
    fs::remove_all(Shared().root, ec);
    xbase::Session().Close();
    xbase::BindEngine(nullptr);
    return 0;
}
