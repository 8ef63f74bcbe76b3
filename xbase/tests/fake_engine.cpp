#include "xbase/tests/fake_engine.h"

#include <algorithm>
#include <cassert>
#include <type_traits>
#include <utility>

#include "xbase/names.h"

namespace xbase::testing {

namespace {

FakeEngine* instance = nullptr;

// A call the fake does not model: recorded, answering zero.
template <typename F>
struct Recorder;
template <typename R, typename... A>
struct Recorder<R (*)(A...)> {
    template <const char* Name>
    static R Call(A...) {
        Fake().calls.emplace_back(Name);
        if constexpr (!std::is_void_v<R>) {
            return R{};
        }
    }
};

#define XBASE_FAKE_NAME(name) constexpr char kName_##name[] = #name;
XBASE_ENGINE_CALLS(XBASE_FAKE_NAME)
#undef XBASE_FAKE_NAME

FakeEngine& Rec(const char* name) {
    Fake().calls.emplace_back(name);
    return Fake();
}

int32_t LowestFreeArea(const FakeEngine& f) {
    for (int32_t a = 1; a <= 255; ++a) {
        if (!f.areas.count(a))
            return a;
    }
    return 0;
}

}  // namespace

FakeEngine& Fake() {
    assert(instance != nullptr);
    return *instance;
}

FakeEngine::Area* FakeEngine::Current() {
    auto it = areas.find(current);
    return it == areas.end() ? nullptr : &it->second;
}

const FakeField* FakeEngine::Field(const char* name) {
    Area* a = Current();
    if (a == nullptr || name == nullptr)
        return nullptr;
    for (const FakeField& f : a->table.fields) {
        if (EqualsNoCase(f.name, name))
            return &f;
    }
    return nullptr;
}

const FakeTag* FakeEngine::Tag(int32_t order) {
    Area* a = Current();
    if (a == nullptr || order < 1 || order > static_cast<int32_t>(a->table.tags.size())) {
        return nullptr;
    }
    return &a->table.tags[order - 1];
}

const char* FakeEngine::Keep(std::string text) {
    scratch_ = std::move(text);
    return scratch_.c_str();
}

char* FakeEngine::Buffer() {
    const size_t size = static_cast<size_t>(api_.sx_RecSize());
    calls.pop_back();  // the size is no call of the layer's
    if (buffer.size() < size)
        buffer.resize(size, ' ');
    return buffer.data();
}

std::string FakeEngine::FieldBytes(const char* name) {
    const FakeField* f = Field(name);
    const int32_t offset = api_.sx_FieldOffset(name);
    calls.pop_back();
    if (f == nullptr || offset < 2)
        return "";
    return std::string(Buffer() + offset - 1, static_cast<size_t>(f->width));
}

void FakeEngine::SetFieldBytes(const char* name, const std::string& bytes) {
    const FakeField* f = Field(name);
    const int32_t offset = api_.sx_FieldOffset(name);
    calls.pop_back();
    if (f == nullptr || offset < 2)
        return;
    std::string padded = bytes.substr(0, static_cast<size_t>(f->width));
    padded.resize(static_cast<size_t>(f->width), ' ');
    std::copy(padded.begin(), padded.end(), Buffer() + offset - 1);
}

int FakeEngine::CountOf(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

int32_t FakeEngine::OpenDirectly(const std::string& path, const std::string& alias) {
    const int32_t a = LowestFreeArea(*this);
    areas[a] = Area{path, alias, SX_SHARED, SX_FOX, tables[path], 0};
    return a;
}

FakeEngine::FakeEngine() {
    assert(instance == nullptr);
    instance = this;
#define XBASE_FAKE_DEFAULT(name) \
    api_.name = &Recorder<decltype(api_.name)>::template Call<kName_##name>;
    XBASE_ENGINE_CALLS(XBASE_FAKE_DEFAULT)
#undef XBASE_FAKE_DEFAULT

    api_.NotifyUse = [](int32_t code) { Rec("NotifyUse").notified.push_back(code); };
    api_.sx_SetStringType = [](int32_t t) { Rec("sx_SetStringType").stringType = t; };
    api_.sx_ErrorLevel = [](int32_t l) -> int32_t {
        FakeEngine& f = Rec("sx_ErrorLevel");
        const int32_t old = f.errorLevel;
        f.errorLevel = l;
        return old;
    };
    api_.sx_Version = []() { return Rec("sx_Version").version.c_str(); };
    api_.sx_SysProp = [](int32_t code, intptr_t value) -> intptr_t {
        FakeEngine& f = Rec("sx_SysProp");
        f.sysProps.emplace_back(code, value);
        Area* a = f.Current();
        switch (code) {
            case 65000:
                return reinterpret_cast<intptr_t>(f.Buffer());
            case 1000:
                return f.softSeek;
            case 1001:
                return std::exchange(f.softSeek, value);
            case 1002:
                return f.exact;
            case 1003:
                return std::exchange(f.exact, value);
            case 65002:
                return f.areas.count(static_cast<int32_t>(value)) ? 1 : 0;
            case 65006:
                return f.oneTagPerFile;
            case 65012:
                return a != nullptr && value >= 1 &&
                               value <= static_cast<intptr_t>(a->table.fields.size()) &&
                               a->table.fields[value - 1].textForm
                           ? 1
                           : 0;
            case 3000:
                return a != nullptr ? static_cast<intptr_t>(a->table.tags.size()) : 0;
            case 3002: {
                const FakeTag* t = f.Tag(static_cast<int32_t>(value));
                return t != nullptr && t->descending ? 1 : 0;
            }
            default:
                return 0;
        }
    };
    api_.sx_Use = [](const char* path, const char* alias, int32_t mode, int32_t driver) {
        FakeEngine& f = Rec("sx_Use");
        f.uses.push_back(UseCall{path, alias, mode, driver});
        auto table = f.tables.find(path);
        const int32_t a = LowestFreeArea(f);
        if (table == f.tables.end() || a == 0)
            return 0;
        f.areas[a] = Area{path, alias, mode, driver, table->second, 0};
        f.current = a;
        return a;
    };
    api_.sx_Select = [](int32_t area) {
        FakeEngine& f = Rec("sx_Select");
        return std::exchange(f.current, area);
    };
    api_.sx_WorkArea = [](const char* alias) -> int32_t {
        FakeEngine& f = Rec("sx_WorkArea");
        if (alias == nullptr)
            return f.current;
        for (const auto& [n, a] : f.areas) {
            if (EqualsNoCase(a.alias, alias))
                return n;
        }
        return 0;
    };
    api_.sx_Alias = [](int32_t area) {
        FakeEngine& f = Rec("sx_Alias");
        auto it = f.areas.find(area);
        return f.Keep(it == f.areas.end() ? "" : it->second.alias);
    };
    api_.sx_Close = []() {
        FakeEngine& f = Rec("sx_Close");
        f.areas.erase(f.current);
    };
    api_.sx_CloseAll = []() { Rec("sx_CloseAll").areas.clear(); };
    api_.sx_FieldCount = []() {
        FakeEngine::Area* a = Rec("sx_FieldCount").Current();
        return a != nullptr ? static_cast<int32_t>(a->table.fields.size()) : 0;
    };
    api_.sx_FieldName = [](int32_t n) {
        FakeEngine& f = Rec("sx_FieldName");
        Area* a = f.Current();
        if (a == nullptr || n < 1 || n > static_cast<int32_t>(a->table.fields.size())) {
            return f.Keep("");
        }
        return f.Keep(a->table.fields[n - 1].name);
    };
    api_.sx_FieldNum = [](const char* name) {
        FakeEngine& f = Rec("sx_FieldNum");
        Area* a = f.Current();
        if (a == nullptr || name == nullptr)
            return 0;
        for (size_t i = 0; i < a->table.fields.size(); ++i) {
            if (EqualsNoCase(a->table.fields[i].name, name))
                return static_cast<int32_t>(i + 1);
        }
        return 0;
    };
    api_.sx_FieldType = [](const char* name) {
        FakeEngine& f = Rec("sx_FieldType");
        const FakeField* field = f.Field(name);
        return f.Keep(field != nullptr ? std::string(1, field->type) : "");
    };
    api_.sx_FieldWidth = [](const char* name) {
        const FakeField* field = Rec("sx_FieldWidth").Field(name);
        return field != nullptr ? field->width : 0;
    };
    api_.sx_FieldDecimals = [](const char* name) {
        const FakeField* field = Rec("sx_FieldDecimals").Field(name);
        return field != nullptr ? field->decimals : 0;
    };
    api_.sx_FieldOffset = [](const char* name) {
        FakeEngine& f = Rec("sx_FieldOffset");
        Area* a = f.Current();
        if (a == nullptr || name == nullptr)
            return 0;
        int32_t offset = 2;  // the deletion flag is at 1
        for (const FakeField& field : a->table.fields) {
            if (EqualsNoCase(field.name, name))
                return offset;
            offset += field.width;
        }
        return 0;
    };
    api_.sx_RecSize = []() {
        Area* a = Rec("sx_RecSize").Current();
        if (a == nullptr)
            return 0;
        int32_t size = 1;
        for (const FakeField& field : a->table.fields)
            size += field.width;
        return size;
    };
    api_.sx_BaseName = []() {
        FakeEngine& f = Rec("sx_BaseName");
        Area* a = f.Current();
        return f.Keep(a != nullptr ? a->path : "");
    };
    api_.sx_IndexOpen = [](const char* file) {
        FakeEngine& f = Rec("sx_IndexOpen");
        f.indexOpens.emplace_back(file);
        Area* a = f.Current();
        if (a == nullptr)
            return 0;
        const std::string stem = StemOf(FileNameOf(file));
        a->table.tags.push_back(FakeTag{stem, file, stem, stem});
        a->order = static_cast<int32_t>(a->table.tags.size());
        return a->order;
    };
    api_.sx_SetOrder = [](int32_t order) {
        FakeEngine& f = Rec("sx_SetOrder");
        f.orderSets.push_back(order);
        Area* a = f.Current();
        if (a == nullptr)
            return 0;
        const int32_t old = a->order;
        a->order = f.Tag(order) != nullptr ? order : 0;
        return old;
    };
    api_.sx_IndexOrd = []() {
        Area* a = Rec("sx_IndexOrd").Current();
        return a != nullptr ? a->order : 0;
    };
    api_.sx_TagArea = [](const char* tag) {
        FakeEngine& f = Rec("sx_TagArea");
        Area* a = f.Current();
        if (a == nullptr || tag == nullptr)
            return 0;
        for (size_t i = 0; i < a->table.tags.size(); ++i) {
            if (EqualsNoCase(a->table.tags[i].name, tag))
                return static_cast<int32_t>(i + 1);
        }
        return 0;
    };
    api_.sx_TagName = [](int32_t order) {
        FakeEngine& f = Rec("sx_TagName");
        const FakeTag* t = f.Tag(order);
        return f.Keep(t != nullptr ? t->name : "");
    };
    api_.sx_IndexName = [](int32_t order) {
        FakeEngine& f = Rec("sx_IndexName");
        const FakeTag* t = f.Tag(order);
        return f.Keep(t != nullptr ? t->file : "");
    };
    // The rest describe the current order.
    api_.sx_IndexKey = []() {
        FakeEngine& f = Rec("sx_IndexKey");
        const FakeTag* t = f.Current() ? f.Tag(f.Current()->order) : nullptr;
        return f.Keep(t != nullptr ? t->key : "");
    };
    api_.sx_IndexKeyField = []() {
        FakeEngine& f = Rec("sx_IndexKeyField");
        const FakeTag* t = f.Current() ? f.Tag(f.Current()->order) : nullptr;
        return f.Keep(t != nullptr ? t->keyFields : "");
    };
    api_.sx_IndexType = []() {
        FakeEngine& f = Rec("sx_IndexType");
        const FakeTag* t = f.Current() ? f.Tag(f.Current()->order) : nullptr;
        return t != nullptr ? t->kind : 0;
    };
    api_.sx_IndexCondition = []() {
        FakeEngine& f = Rec("sx_IndexCondition");
        const FakeTag* t = f.Current() ? f.Tag(f.Current()->order) : nullptr;
        return f.Keep(t != nullptr ? t->condition : "");
    };
    api_.sx_RecNo = []() { return Rec("sx_RecNo").recno; };
    api_.sx_Go = [](int32_t n) {
        FakeEngine& f = Rec("sx_Go");
        f.gos.push_back(n);
        f.recno = n;
    };
    api_.sx_SetCentury = [](sx_bool on) -> sx_bool {
        Rec("sx_SetCentury").centuries.push_back(on);
        return 0;
    };
    api_.sx_GetString = [](const char* name) {
        FakeEngine& f = Rec("sx_GetString");
        return f.Keep(f.FieldBytes(name));
    };
    api_.sx_GetTrimString = [](const char* name) {
        FakeEngine& f = Rec("sx_GetTrimString");
        std::string text = f.FieldBytes(name);
        text.erase(text.find_last_not_of(' ') + 1);
        return f.Keep(text);
    };
    api_.sx_GetDateString = [](const char* name) {
        FakeEngine& f = Rec("sx_GetDateString");
        const std::string ymd = f.FieldBytes(name);
        return f.Keep(ymd.substr(4, 2) + "/" + ymd.substr(6, 2) + "/" + ymd.substr(0, 4));
    };
    api_.sx_GetLogical = [](const char* name) -> sx_bool {
        FakeEngine& f = Rec("sx_GetLogical");
        return f.FieldBytes(name) == "T" ? 1 : 0;
    };
    api_.sx_Replace = [](const char* name, int32_t kind, const void* value) -> sx_bool {
        FakeEngine& f = Rec("sx_Replace");
        std::string text;
        std::string stored;
        switch (kind) {
            case SX_R_DOUBLE:
                text = std::to_string(*static_cast<const double*>(value));
                stored = text;
                break;
            case SX_R_LOGICAL:
                text = std::to_string(*static_cast<const int32_t*>(value));
                stored = text == "0" ? "F" : "T";
                break;
            case SX_R_DATESTR:
                text = static_cast<const char*>(value);
                stored = text.size() == 10
                             ? text.substr(6, 4) + text.substr(0, 2) + text.substr(3, 2)
                             : text;
                break;
            default:
                text = static_cast<const char*>(value);
                stored = text;
        }
        f.replaces.push_back(FakeEngine::Replace{name, kind, text});
        f.SetFieldBytes(name, stored);
        return 1;
    };
    api_.sx_Query = [](const char* expression) -> sx_bool {
        FakeEngine& f = Rec("sx_Query");
        f.queries.emplace_back(expression);
        if (std::find(f.rejected.begin(), f.rejected.end(), expression) != f.rejected.end()) {
            f.filter.clear();
            return 0;
        }
        f.filter = expression;
        return 1;
    };
    api_.sx_DBFilter = []() {
        FakeEngine& f = Rec("sx_DBFilter");
        return f.Keep(f.filter);
    };
    api_.sx_Seek = [](const char* key) -> sx_bool {
        FakeEngine& f = Rec("sx_Seek");
        f.seeks.emplace_back(key);
        return f.seekFinds ? 1 : 0;
    };
    BindEngine(&api_);
}

FakeEngine::~FakeEngine() {
    BindEngine(nullptr);
    instance = nullptr;
}

}  // namespace xbase::testing
