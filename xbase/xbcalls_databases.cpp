// Databases are directories: a handle is a slot of the directory table.

#include <string>

#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/names.h"
#include "xbase/xbcalls.h"

namespace xbase {

DbiResult DbiOpenDatabase(const char* name, const char* /*type*/, int32_t /*openMode*/,
                          int32_t /*shareMode*/, const char* /*password*/, uint16_t /*optionCount*/,
                          const void* /*optionDescriptors*/, const void* /*optionValues*/,
                          DbHandle* db) {
    LayerState& state = State();
    std::string& buffer = state.currentDirectory;
    if (name != nullptr && *name != '\0') {
        buffer = name;
    } else if (!state.defaultPath.empty()) {
        buffer = state.defaultPath;
    } else if (!buffer.empty()) {
        state.defaultPath = buffer;
    }
    buffer = buffer.empty() ? "./" : WithTrailingSlash(buffer);

    for (DbHandle slot = 1; slot <= kDirectorySlots; ++slot) {
        if (!state.directories[slot]) {
            state.directories[slot] = buffer;
            if (db != nullptr)
                *db = slot;
            return kOk;
        }
    }
    if (db != nullptr)
        *db = 0;
    return kNoFreeDatabaseSlot;
}

DbiResult DbiCloseDatabase(DbHandle* db) {
    if (db == nullptr) {
        return kOk;
    }
    if (*db >= 1 && *db <= kDirectorySlots) {
        State().directories[*db].reset();
    }
    *db = 0;
    return kOk;
}

DbiResult DbiSetDirectory(DbHandle db, const char* directory) {
    if (db == 0) {
        ShowMessage("DbiSetDirectory : hDb = 0");
        return kOk;
    }
    if (directory == nullptr || *directory == '\0') {
        return kOk;
    }
    // Only a taken slot: a stray handle must not make one.
    if (DirectoryOf(db) == nullptr) {
        return kNoSuchDatabase;
    }
    State().directories[db] = WithTrailingSlash(directory);
    return kOk;
}

DbiResult DbiFormFullName(DbHandle db, const char* tableName, const char* /*driver*/,
                          std::string* fullName) {
    const std::string* directory = DirectoryOf(db);
    if (directory == nullptr) {
        return kNoSuchDatabase;
    }
    if (fullName != nullptr) {
        *fullName = JoinToDirectory(*directory, tableName != nullptr ? tableName : "");
    }
    return kOk;
}

DbiResult DbiAddAlias(const void* /*configuration*/, const char* /*alias*/, const char* /*driver*/,
                      const char* params, bool /*persistent*/) {
    LayerState& state = State();
    if (state.defaultPath.empty()) {
        state.defaultPath = "./";
    }
    const std::string text = params != nullptr ? params : "";
    // Upper case only finds the key: paths here are case-sensitive.
    const auto key = UpperAscii(text).find("PATH:");
    if (key == std::string::npos) {
        return kOk;
    }
    auto start = key + 5;
    if (start < text.size() && text[start] == '"') {
        ++start;
    }
    const auto end = text.find('"', start);
    state.defaultPath = text.substr(start, end == std::string::npos ? end : end - start);
    return kOk;
}

DbiResult DbiGetErrorString(DbiResult code, std::string* text) {
    State().explaining = code;
    if (text != nullptr) {
        *text =
            code == kFileOpenError ? "File Open Error" : "IDAPI Error : " + std::to_string(code);
    }
    return kOk;
}

}  // namespace xbase
