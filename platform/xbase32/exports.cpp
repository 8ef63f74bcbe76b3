// The C interface: each export finds its work area and delegates; failures become the
// failure result of the call and the text of sx_LastErrorText.

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/engine.h"
#include "platform/xbase32/error.h"
#include "platform/xbase32/field_value.h"
#include "platform/xbase32/page_array.h"
#include "platform/xbase32/text_export.h"
#include "platform/xbase32/xbase32.h"

namespace {

using xb::Engine;
using xb::WorkArea;

thread_local std::string g_lastError;
thread_local int g_lastSystemError = 0;
int32_t g_notifyCode = 0;

template <typename R, typename F>
R Guard(R failure, F&& body) {
    const xb::CallScope call;
    xb::ReleaseKeptPages();  // a run of index builds has ended
    g_lastError.clear();
    g_lastSystemError = 0;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        g_lastError = "out of memory";
    } catch (const xb::Error& e) {
        g_lastError = e.what();
        g_lastSystemError = e.SystemError();
    } catch (const std::exception& e) {
        g_lastError = e.what();
    }
    return failure;
}

template <typename F>
void GuardVoid(F&& body) {
    Guard(0, [&] {
        body();
        return 0;
    });
}

Engine& E() {
    return Engine::Instance();
}
WorkArea& Cur() {
    return E().RequireCurrent();
}

const char* Text(std::string s) {
    return E().KeepText(E().CurrentNumber(), std::move(s));
}

std::string Arg(const char* s) {
    return s == nullptr ? std::string() : std::string(s);
}

xb::AreaView& View() {
    return E().RequireCurrentView();
}

xb::RecordRef CurrentRecord() {
    WorkArea& a = Cur();
    return xb::RecordRef{
        std::string_view(a.RecordBuffer(), static_cast<std::size_t>(a.RecordSize())), a.RecNo()};
}

// A text of order n (0: the current one); "" when there is no such order.
template <typename F>
const char* OrderText(int32_t order, F&& get) {
    return Guard<const char*>("", [&] {
        const xb::IndexOrder* o = View().Order(order);
        return Text(o == nullptr ? std::string() : std::string(get(*o)));
    });
}

template <typename R, typename F>
R WithField(R failure, const char* name, F&& get) {
    return Guard<R>(failure, [&] {
        const xb::FieldDesc* f = Cur().FindField(Arg(name));
        if (f == nullptr) {
            throw xb::Error("unknown field " + Arg(name));
        }
        return get(*f);
    });
}
}  // namespace

extern "C" {

// Start and settings

void NotifyUse(int32_t code) {
    g_notifyCode = code;
}

void sx_SetStringType(int32_t type) {
    E().Config().stringType = type;
}

int32_t sx_ErrorLevel(int32_t level) {
    return std::exchange(E().Config().errorLevel, level);
}

const char* sx_Version(void) {
    return "xb v2.41.00 Belverin";
}

const char* sx_LastErrorText(void) {
    return g_lastError.c_str();
}

sx_bool sx_SetCentury(sx_bool on) {
    return std::exchange(E().Config().date.century, on != 0) ? 1 : 0;
}

int32_t sx_SetEpoch(int32_t epoch) {
    return std::exchange(E().Config().date.epoch, epoch);
}

void sx_SetDateFormat(int32_t format) {
    E().Config().date.format = format;
}

void sx_SetDeleted(sx_bool hide) {
    E().Config().hideDeleted = hide != 0;
}

sx_bool sx_SetExact(sx_bool on) {
    return E().SetExact(on != 0) ? 1 : 0;
}

sx_bool sx_SetSoftSeek(sx_bool on) {
    return E().SetSoftSeek(on != 0) ? 1 : 0;
}

void sx_SetLockTimeout(int32_t seconds) {
    E().Config().lockTimeoutSeconds = seconds;
}

void sx_SetMemoBlockSize(int32_t size) {
    g_lastError.clear();
    if (size < 1 || size > 0xFFFF) {
        g_lastError = "memo block size must lie between 1 and 65535";
        return;
    }
    E().Config().memoBlockSize = size;
}

void sx_SetTurboRead(sx_bool on) {
    E().Config().turboRead = on != 0;
}

intptr_t sx_SysProp(int32_t code, intptr_t value) {
    if (code == xb::kPropLastSystemError) {
        return g_lastSystemError;  // kept per thread beside the text
    }
    return E().SysProp(code, value);
}

// Areas

int32_t sx_Use(const char* path, const char* alias, int32_t mode, int32_t driver) {
    return Guard<int32_t>(0, [&] { return E().Use(Arg(path), Arg(alias), mode, driver); });
}

int32_t sx_Select(int32_t area) {
    return E().Select(area);
}

int32_t sx_WorkArea(const char* alias) {
    if (alias == nullptr || *alias == '\0') {
        return E().CurrentNumber();
    }
    return E().FindAlias(alias);
}

const char* sx_Alias(int32_t area) {
    const int n = area == 0 ? E().CurrentNumber() : area;
    WorkArea* a = E().Area(n);
    return E().KeepText(a == nullptr ? 0 : n, a == nullptr ? std::string() : a->Alias());
}

void sx_Close(void) {
    E().Close(E().CurrentNumber());
}

void sx_CloseAll(void) {
    E().CloseAll();
}

// Structure

int32_t sx_FieldCount(void) {
    return Guard<int32_t>(0, [] { return static_cast<int32_t>(Cur().Fields().size()); });
}

const char* sx_FieldName(int32_t n) {
    return Guard<const char*>("", [&] {
        const auto& fields = Cur().Fields();
        if (n < 1 || n > static_cast<int32_t>(fields.size())) {
            throw xb::Error("no field " + std::to_string(n));
        }
        return Text(fields[static_cast<size_t>(n - 1)].name);
    });
}

int32_t sx_FieldNum(const char* name) {
    return Guard<int32_t>(0, [&] { return Cur().FieldNumber(Arg(name)); });
}

const char* sx_FieldType(const char* name) {
    return WithField<const char*>(
        "", name, [](const xb::FieldDesc& f) { return Text(std::string(1, f.type)); });
}

int32_t sx_FieldWidth(const char* name) {
    return WithField<int32_t>(0, name, [](const xb::FieldDesc& f) { return f.width; });
}

int32_t sx_FieldDecimals(const char* name) {
    return WithField<int32_t>(0, name, [](const xb::FieldDesc& f) { return f.decimals; });
}

int32_t sx_FieldOffset(const char* name) {
    return WithField<int32_t>(0, name, [](const xb::FieldDesc& f) { return f.offset + 1; });
}

int32_t sx_RecSize(void) {
    return Guard<int32_t>(0, [] { return Cur().RecordSize(); });
}

const char* sx_BaseName(void) {
    return Guard<const char*>("", [] { return Text(Cur().BaseName()); });
}

// Position

void sx_GoTop(void) {
    GuardVoid([] { Cur().GoTop(); });
}

void sx_GoBottom(void) {
    GuardVoid([] { Cur().GoBottom(); });
}

void sx_Skip(int32_t n) {
    GuardVoid([&] { Cur().Skip(n); });
}

void sx_Go(int32_t recno) {
    GuardVoid([&] { Cur().Go(recno); });
}

int32_t sx_RecNo(void) {
    return Guard<int32_t>(0, [] { return static_cast<int32_t>(Cur().RecNo()); });
}

int32_t sx_RecCount(void) {
    return Guard<int32_t>(0, [] { return static_cast<int32_t>(Cur().RecCount()); });
}

int32_t sx_Count(void) {
    return Guard<int32_t>(0, [] { return static_cast<int32_t>(View().Count()); });
}

int32_t sx_OrderRecNo(void) {
    return Guard<int32_t>(0, [] { return static_cast<int32_t>(View().OrderRecNo()); });
}

int32_t sx_RecNoAtPosition(int32_t position) {
    return Guard<int32_t>(0, [&] {
        return position < 1 ? 0
                            : static_cast<int32_t>(View().RecNoAt(static_cast<uint32_t>(position)));
    });
}

int32_t sx_PositionOfRecNo(int32_t recno) {
    return Guard<int32_t>(0, [&] {
        return recno < 1 ? 0
                         : static_cast<int32_t>(View().PositionOf(static_cast<uint32_t>(recno)));
    });
}

sx_bool sx_Bof(void) {
    return Guard<sx_bool>(1, [] { return Cur().Bof() ? 1 : 0; });
}

sx_bool sx_Eof(void) {
    return Guard<sx_bool>(1, [] { return Cur().Eof() ? 1 : 0; });
}

sx_bool sx_Deleted(void) {
    return Guard<sx_bool>(0, [] { return Cur().Deleted() ? 1 : 0; });
}

// Records

int32_t sx_AppendEx(void) {
    return Guard<int32_t>(2, [] {
        WorkArea* a = E().Current();
        if (a == nullptr) {
            g_lastError = "no table is open in this work area";
            return 6;
        }
        const int r = a->Append();
        if (r == 1) {
            g_lastError = "the table's header lock timed out";
        } else if (r == 5) {
            g_lastError = "table is open read-only";
        }
        return r;
    });
}

void sx_GetRecord(char* buffer) {
    GuardVoid([&] {
        if (buffer != nullptr) {
            Cur().GetRecord(buffer);
        }
    });
}

sx_bool sx_PutRecord(const char* buffer) {
    return Guard<sx_bool>(0, [&] {
        if (buffer == nullptr) {
            throw xb::Error("no record given");
        }
        Cur().PutRecord(buffer);
        return 1;
    });
}

sx_bool sx_Rlock(int32_t recno) {
    return Guard<sx_bool>(0, [&] {
        if (!Cur().Lock(recno)) {
            throw xb::Error("record " + std::to_string(recno) + " could not be locked");
        }
        return 1;
    });
}

void sx_Unlock(int32_t recno) {
    GuardVoid([&] { Cur().Unlock(recno < 0 ? 0 : static_cast<uint32_t>(recno)); });
}

sx_bool sx_Delete(void) {
    return Guard<sx_bool>(0, [] {
        Cur().Delete();
        return 1;
    });
}

sx_bool sx_Commit(void) {
    return Guard<sx_bool>(0, [] {
        Cur().Commit();
        return 1;
    });
}

sx_bool sx_Zap(void) {
    return Guard<sx_bool>(0, [] {
        Cur().Zap();
        return 1;
    });
}

sx_bool sx_Pack(void) {
    return Guard<sx_bool>(0, [] {
        Cur().Pack();
        return 1;
    });
}

// Values

const char* sx_GetString(const char* field) {
    return Guard<const char*>("", [&] { return Text(Cur().GetString(Arg(field))); });
}

const char* sx_GetTrimString(const char* field) {
    return Guard<const char*>("", [&] { return Text(Cur().GetTrimString(Arg(field))); });
}

const char* sx_GetDateString(const char* field) {
    return Guard<const char*>("", [&] { return Text(Cur().GetDateString(Arg(field))); });
}

sx_bool sx_GetLogical(const char* field) {
    return Guard<sx_bool>(0, [&] { return Cur().GetLogical(Arg(field)) ? 1 : 0; });
}

sx_bool sx_Empty(const char* field) {
    return Guard<sx_bool>(0, [&] { return Cur().Empty(Arg(field)) ? 1 : 0; });
}

sx_bool sx_Replace(const char* field, int32_t kind, const void* value) {
    return Guard<sx_bool>(0, [&] {
        Cur().Replace(Arg(field), kind, value);
        return 1;
    });
}

char* sx_GetMemo(const char* field, int32_t lineWidth) {
    return Guard<char*>(nullptr, [&]() -> char* {
        std::string memo = xb::WrapLines(Cur().GetMemo(Arg(field)), lineWidth);
        if (memo.empty()) {
            return nullptr;
        }
        char* out = static_cast<char*>(std::malloc(memo.size() + 1));
        if (out == nullptr) {
            throw std::bad_alloc();
        }
        std::memcpy(out, memo.c_str(), memo.size() + 1);
        return out;
    });
}

void sx_MemDealloc(void* memo) {
    std::free(memo);
}

int32_t sx_GetBlobLength(const char* field) {
    return Guard<int32_t>(-1, [&] {
        const uint32_t n = Cur().BlobLength(Arg(field));
        if (n > INT32_MAX) {
            throw xb::Error("memo too long");
        }
        return static_cast<int32_t>(n);
    });
}

int32_t sx_GetBlob(const char* field, void* buffer) {
    return Guard<int32_t>(-1, [&] {
        const std::string data = Cur().GetMemo(Arg(field));
        if (data.size() > INT32_MAX) {
            throw xb::Error("memo too long");
        }
        if (buffer != nullptr && !data.empty()) {
            std::memcpy(buffer, data.data(), data.size());
        }
        return static_cast<int32_t>(data.size());
    });
}

sx_bool sx_PutBlob(const char* field, const void* buffer, int32_t length) {
    return Guard<sx_bool>(0, [&] {
        if (length < 0 || (length > 0 && buffer == nullptr)) {
            throw xb::Error("invalid blob");
        }
        Cur().PutBlob(Arg(field), buffer, static_cast<uint32_t>(length));
        return 1;
    });
}

sx_bool sx_IsEncrypted(int32_t) {
    return 0;
}

// Indexes

int32_t sx_Index(const char* file, const char* key, int32_t option, sx_bool descending,
                 const char* condition) {
    const xb::KeepBuildPages keep;  // for the build that may well follow
    return Guard<int32_t>(0, [&] {
        return View().Index(Arg(file), Arg(key), option, descending != 0, Arg(condition));
    });
}

int32_t sx_IndexOpen(const char* file) {
    return Guard<int32_t>(0, [&] { return View().IndexOpen(Arg(file)); });
}

int32_t sx_SetOrder(int32_t order) {
    return Guard<int32_t>(0, [&] { return View().SetOrder(order); });
}

int32_t sx_IndexOrd(void) {
    return Guard<int32_t>(0, [] { return View().CurrentOrder(); });
}

int32_t sx_TagArea(const char* tag) {
    return Guard<int32_t>(0, [&] { return View().TagArea(Arg(tag)); });
}

const char* sx_TagName(int32_t order) {
    return OrderText(order, [](const xb::IndexOrder& o) { return o.TagName(); });
}

const char* sx_IndexName(int32_t order) {
    return OrderText(order, [](const xb::IndexOrder& o) { return o.Path(); });
}

const char* sx_IndexKey(void) {
    return OrderText(0, [](const xb::IndexOrder& o) { return o.KeyExpressionText(); });
}

const char* sx_IndexKeyField(void) {
    return OrderText(0, [](const xb::IndexOrder& o) {
        const xb::FieldDesc* f = o.Key().Expr().BareField();
        return f == nullptr ? std::string() : f->name;
    });
}

int32_t sx_IndexType(void) {
    return Guard<int32_t>(0, [] {
        const xb::IndexOrder* o = View().Order(0);
        if (o == nullptr) {
            return 0;
        }
        return o->ConditionText().empty() ? 1 : 3;  // no unique indexes: 1 plain, 3 subset
    });
}

const char* sx_IndexCondition(void) {
    return OrderText(0, [](const xb::IndexOrder& o) { return o.ConditionText(); });
}

const char* sx_KeyData(void) {
    return Guard<const char*>("", [] { return Text(View().KeyData()); });
}

sx_bool sx_Seek(const char* key) {
    return Guard<sx_bool>(0, [&] { return View().Seek(Arg(key)) ? 1 : 0; });
}

void sx_SetScope(const char* top, const char* bottom) {
    GuardVoid([&] {
        auto end = [](const char* s) {
            return s == nullptr ? std::nullopt : std::optional<std::string_view>(s);
        };
        View().SetScope(end(top), end(bottom));
    });
}

sx_bool sx_Reindex(void) {
    return Guard<sx_bool>(0, [] {
        View().Reindex();
        return 1;
    });
}

void sx_CloseIndexes(void) {
    GuardVoid([] { View().CloseIndexes(); });
}

// Expressions and filters, evaluated on the current record as the buffer holds it

int32_t sx_EvalTest(const char* expression) {
    return Guard<int32_t>(0, [&] {
        switch (View().Compile(Arg(expression)).Type()) {
            case xb::ValueType::Numeric:
                return 2;
            case xb::ValueType::Logical:
                return 3;
            default:
                return 1;  // dates read as their text
        }
    });
}

const char* sx_EvalString(const char* expression) {
    return Guard<const char*>("", [&] {
        xb::AreaView& v = View();
        return Text(v.Compile(Arg(expression)).EvaluateText(CurrentRecord(), v.Eval()));
    });
}

sx_bool sx_EvalLogical(const char* expression) {
    return Guard<sx_bool>(0, [&] {
        xb::AreaView& v = View();
        return v.Compile(Arg(expression)).EvaluateLogical(CurrentRecord(), v.Eval()) ? 1 : 0;
    });
}

sx_bool sx_Query(const char* expression) {
    return Guard<sx_bool>(0, [&] {
        View().Query(Arg(expression));
        return 1;
    });
}

const char* sx_DBFilter(void) {
    return Guard<const char*>("", [] { return Text(View().FilterText()); });
}

sx_bool sx_SetFilter(const char* expression) {
    return sx_Query(expression);
}

// No window: the expression comes back as it was given.
const char* sx_FilterDlg(intptr_t, const char* expression, const char*, int32_t) {
    g_lastError.clear();
    return Text(Arg(expression));
}

sx_bool sx_CopyFileText(const char* file, int32_t kind) {
    return Guard<sx_bool>(0, [&] {
        if (file == nullptr || *file == '\0') {
            throw xb::Error("no file given");
        }
        xb::ExportText(Cur(), View(), file, kind);
        return 1;
    });
}

}  // extern "C"
