// Answers whose outcome is fixed, the property answers, and the calls not supported.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

DbiResult CopyUnchanged(std::string* out, const char* text, int32_t length, bool* dataLoss) {
    if (out != nullptr) {
        const std::string whole = text != nullptr ? text : "";
        *out = length <= 0 ? whole : whole.substr(0, static_cast<size_t>(length));
    }
    if (dataLoss != nullptr) {
        *dataLoss = false;
    }
    return kOk;
}

DbiResult NotSupported(const char* name) {
    ShowNotSupported(name);
    return kOk;
}

TVCLWorkArea* TableOf(intptr_t object) {
    return object >= 1 && object <= kMaxArea ? WorkAreaOf(static_cast<CursorHandle>(object))
                                             : nullptr;
}

}  // namespace

DbiResult DbiRegisterCallBack(CursorHandle, int32_t, intptr_t, uint16_t, void*, EngineCallback) {
    return kOk;
}

DbiResult DbiGetCallBack(CursorHandle, int32_t, intptr_t*, uint16_t*, void**, EngineCallback*) {
    return kOk;
}

DbiResult DbiNativeToAnsi(LocaleHandle, std::string* out, const char* text, int32_t length,
                          bool* dataLoss) {
    return CopyUnchanged(out, text, length, dataLoss);
}

DbiResult DbiAnsiToNative(LocaleHandle, std::string* out, const char* text, int32_t length,
                          bool* dataLoss) {
    return CopyUnchanged(out, text, length, dataLoss);
}

DbiResult DbiGetDatabaseDesc(const char*, void*) {
    return kNotFound;
}

DbiResult DbiOpenIndexList(DbHandle, const char*, const char*, CursorHandle* cursor) {
    if (cursor != nullptr)
        *cursor = kNullCursor;
    return kOk;
}

DbiResult DbiCloneCursor(CursorHandle, bool, bool, CursorHandle* cursor) {
    if (cursor != nullptr)
        *cursor = kNullCursor;
    return kOk;
}

DbiResult DbiGetLdObj(CursorHandle, LocaleHandle* locale) {
    if (locale != nullptr)
        *locale = 1;
    return kOk;
}

DbiResult DbiGetTableTypeDesc(const char*, const char*, void*) {
    return kUnknownDriver;
}

DbiResult DbiLoadLocale(const char*, LocaleHandle*) {
    return kOk;
}

DbiResult DbiUnloadLocale(LocaleHandle) {
    return kOk;
}

DbiResult DbiOpenCfgInfoList(const void*, int32_t, int32_t, const char*, CursorHandle*) {
    return kOk;
}

DbiResult DbiGetErrorEntry(uint16_t entry, int32_t* nativeError, std::string* text) {
    // One further entry: why the engine refused the write whose code is being explained.
    const LayerState::Refusal& refusal = State().refusal;
    const bool explained =
        entry == 1 && refusal.code == State().explaining && !refusal.reason.empty();
    if (text != nullptr) {
        *text = explained ? refusal.reason : std::string();
    }
    if (nativeError != nullptr) {
        *nativeError = explained ? refusal.systemError : 0;
    }
    return kOk;
}

DbiResult DbiStartSession(const char*, SessionHandle*, const char*) {
    return kOk;
}

DbiResult DbiGetCurrSession(SessionHandle* session) {
    if (session != nullptr)
        *session = 1;
    return kOk;
}

DbiResult DbiSetCurrSession(SessionHandle) {
    return kOk;
}

DbiResult DbiCloseSession(SessionHandle) {
    return kOk;
}

DbiResult DbiGetSesInfo(void*) {
    return kOk;
}

DbiResult DbiGetObjFromName(int32_t, const char*, intptr_t*) {
    return kOk;
}

DbiResult DbiGetObjFromObj(intptr_t, int32_t, intptr_t* result) {
    if (result != nullptr)
        *result = 0;
    return kOk;
}

DbiResult DbiOpenIndex(CursorHandle, const char*, uint16_t) {
    return kOk;
}

DbiResult DbiCfgPosition(const void*, const char*) {
    return kOk;
}

DbiResult DbiCfgDropRecord(const void*, const char*) {
    return kOk;
}

DbiResult DbiDLLExit() {
    return kOk;
}

DbiResult DbiSetCursorCallback(int32_t, CursorHandle* table, CursorCallback callback,
                               void* dataSet) {
    TVCLWorkArea* wa = table != nullptr ? TableOf(*table) : nullptr;
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    wa->cursorCallback = callback;
    wa->cursorCallbackDataSet = dataSet;
    return kOk;
}

DbiResult DbiClearCursorCallback(CursorHandle* table) {
    TVCLWorkArea* wa = table != nullptr ? TableOf(*table) : nullptr;
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    wa->cursorCallback = nullptr;
    wa->cursorCallbackDataSet = nullptr;
    return kOk;
}

DbiResult DbiGetProp(intptr_t object, uint32_t property, void* value, uint16_t size,
                     uint16_t* length) {
    switch (property) {
        case kPropTranslateMode: {
            TVCLWorkArea* wa = TableOf(object);
            if (wa == nullptr) {
                return kNoSuchTable;
            }
            if (value != nullptr && size >= sizeof(int32_t)) {
                std::memcpy(value, &wa->translateMode, sizeof(int32_t));
            }
            if (length != nullptr)
                *length = sizeof(int32_t);
            return kOk;
        }
        case kPropDatabaseType: {
            static constexpr char kType[] = "STANDARD";
            if (value != nullptr && size > 0) {
                const size_t n = std::min<size_t>(size - 1, sizeof kType - 1);
                std::memcpy(value, kType, n);
                static_cast<char*>(value)[n] = '\0';
            }
            if (length != nullptr)
                *length = sizeof kType - 1;
            return kOk;
        }
        case 0x20002:
        case 0x20003:
        case 0x2000C:
        case 0x04040009:
        case 0xFF030001:
            return kOk;
        default: {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08X", property);
            ShowMessage(std::string("DbiGetProp: iProp = ") + hex);
            return kOk;
        }
    }
}

DbiResult DbiSetProp(intptr_t object, uint32_t property, intptr_t value) {
    if (property == kPropTranslateMode) {
        TVCLWorkArea* wa = TableOf(object);
        if (wa == nullptr) {
            return kNoSuchTable;
        }
        wa->translateMode = static_cast<int32_t>(value);
    }
    return kOk;
}

DbiResult DbiGetVchkDesc(CursorHandle, uint16_t, void*) {
    return NotSupported("DbiGetVchkDesc");
}
DbiResult DbiQPrepare(intptr_t, const char*) {
    return NotSupported("DbiQPrepare");
}
DbiResult DbiQExec(intptr_t, CursorHandle*) {
    return NotSupported("DbiQExec");
}
DbiResult DbiQFree(intptr_t*) {
    return NotSupported("DbiQFree");
}
DbiResult DbiQSetParams(intptr_t, uint16_t, const FieldDescriptor*, const char*) {
    return NotSupported("DbiQSetParams");
}
DbiResult GetDbiLdNameFromDb(DbHandle, const char*, std::string*) {
    return NotSupported("GetDbiLdNameFromDb");
}
DbiResult DbiSetPrivateDir(const char*) {
    return NotSupported("DbiSetPrivateDir");
}
DbiResult DbiCloseIndex(CursorHandle, const char*, uint16_t) {
    return NotSupported("DbiCloseIndex");
}
DbiResult DbiVerifyField(CursorHandle, uint16_t, const void*, bool*) {
    return NotSupported("DbiVerifyField");
}
DbiResult DbiAddPassword(const char*) {
    return NotSupported("DbiAddPassword");
}
DbiResult DbiDropPassword(const char*) {
    return NotSupported("DbiDropPassword");
}
DbiResult DbiQAlloc(DbHandle, int32_t, intptr_t*) {
    return NotSupported("DbiQAlloc");
}
DbiResult DbiBeginDelayedUpdates(CursorHandle*) {
    return NotSupported("DbiBeginDelayedUpdates");
}
DbiResult DbiEndDelayedUpdates(CursorHandle*) {
    return NotSupported("DbiEndDelayedUpdates");
}

}  // namespace xbase
