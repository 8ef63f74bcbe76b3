#include "xbase/tests/table_fixture.h"

#include "xbase/xbcalls.h"

namespace xbase::testing {

namespace {

const EngineApi* g_real = nullptr;
EngineApi g_recording{};

template <typename T>
struct Wrap;

template <typename R, typename... A>
struct Wrap<R (*)(A...)> {
    template <R (*EngineApi::*Member)(A...)>
    static R Call(A... args) {
        ++Recorded().calls;
        return (g_real->*Member)(args...);
    }
};

int32_t RecordUse(const char* path, const char* alias, int32_t mode, int32_t driver) {
    ++Recorded().calls;
    Recorded().useModes.push_back(mode);
    return g_real->sx_Use(path, alias, mode, driver);
}

sx_bool RecordQuery(const char* expression) {
    ++Recorded().calls;
    Recorded().queries.push_back(expression != nullptr ? expression : "");
    return g_real->sx_Query(expression);
}

int32_t RecordIndexOpen(const char* file) {
    ++Recorded().calls;
    Recorded().indexOpens.push_back(file != nullptr ? file : "");
    return g_real->sx_IndexOpen(file);
}

}  // namespace

EngineRecord& Recorded() {
    static EngineRecord record;
    return record;
}

const EngineApi& RecordingApi(const EngineApi& real) {
    g_real = &real;
#define XBASE_WRAP(name) \
    g_recording.name =   \
        real.name != nullptr ? &Wrap<decltype(EngineApi::name)>::Call<&EngineApi::name> : nullptr;
    XBASE_ENGINE_CALLS(XBASE_WRAP)
#undef XBASE_WRAP
    g_recording.NotifyUse = real.NotifyUse;
    g_recording.sx_Use = &RecordUse;
    g_recording.sx_Query = &RecordQuery;
    g_recording.sx_IndexOpen = &RecordIndexOpen;
    return g_recording;
}

void TableTest::SetUp() {
#ifndef REAL_ENGINE_PATH
    GTEST_SKIP() << "the build has no engine library";
#else
    std::string error;
    library_ = EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    ASSERT_NE(library_, nullptr) << error;
    ResetLayerState();
    ClearAllWorkAreas();
    BindEngine(&RecordingApi(library_->Api()));
    SetMessageSink([this](const LayerMessage& m) { messages.push_back(m.text); });
    std::string pattern = (std::filesystem::temp_directory_path() / "ttable-XXXXXX");
    folder = std::string(mkdtemp(pattern.data())) + "/";
    Session().Open();
    Recorded() = {};
#endif
}

void TableTest::TearDown() {
    if (!library_) {
        return;
    }
    tables_.clear();
    Session().Close();
    BindEngine(nullptr);
    SetMessageSink({});
    ResetLayerState();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

void TableTest::MakeTable(const std::string& name, const std::vector<std::string>& fields,
                          const std::vector<Row>& rows) {
    const std::string path = folder + name;
    std::vector<std::string> args = {"create", path};
    args.insert(args.end(), fields.begin(), fields.end());
    std::ostringstream out, err;
    ASSERT_EQ(xb::RunTableTool(args, out, err), 0) << err.str();
    const EngineApi& e = Engine();
    const int32_t area = e.sx_Use(path.c_str(), "FIXTURE", SX_EXCLUSIVE, SX_FOX);
    ASSERT_GT(area, 0);
    for (const Row& row : rows) {
        ASSERT_EQ(e.sx_AppendEx(), 0);
        for (const auto& [field, text] : row) {
            const bool memo = std::string(e.sx_FieldType(field.c_str())) == "M";
            e.sx_Replace(field.c_str(), memo ? SX_R_MEMO : SX_R_CHAR, text.c_str());
        }
    }
    e.sx_Commit();
    e.sx_Close();
    Recorded() = {};
}

void TableTest::MakeIndex(const std::string& table, const std::string& file,
                          const std::string& key) {
    const EngineApi& e = Engine();
    ASSERT_GT(e.sx_Use((folder + table).c_str(), "FIXTURE", SX_EXCLUSIVE, SX_FOX), 0);
    ASSERT_GT(e.sx_Index((folder + file).c_str(), key.c_str(), 0, 0, nullptr), 0);
    e.sx_Close();
    Recorded() = {};
}

void TableTest::MakeBook(const std::vector<Row>& rows) {
    MakeTable("BOEK.DBF", {"NAAM:C:20", "VOORNAAM:C:20", "PLAATS:C:50", "MEMO:M"}, rows);
}

TTable& TableTest::Table(const std::string& name, TTableType type) {
    tables_.push_back(std::make_unique<TTable>());
    TTable& table = *tables_.back();
    table.SetDatabaseName(folder);
    table.SetTableName(name);
    table.SetTableType(type);
    return table;
}

std::vector<std::string> TableTest::Walk(db::TDataSet& ds, const char* field) {
    std::vector<std::string> names;
    ds.First();
    while (!ds.Eof()) {
        names.push_back(ds.FieldByName(field).AsString());
        ds.Next();
    }
    return names;
}

}  // namespace xbase::testing
