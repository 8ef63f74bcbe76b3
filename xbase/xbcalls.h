#pragma once

// The engine-call layer: the database-engine answers that the data sets call, each over the
// xBase engine's work areas. Texts are Windows-1252 bytes; a null text is "none".

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/descriptors.h"
#include "xbase/result_codes.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls_keys.h"
#include "xbase/xbcalls_records.h"
#include "xbase/xbcalls_values.h"

namespace xbase {

// Engine start and stop.
DbiResult DbiInitEngine(const void* environment);
DbiResult DbiExitEngine();

// Tables.
DbiResult DbiOpenTableArea(DbHandle db, const char* tableName, const char* driver,
                           const char* indexName, const char* indexTagName, uint16_t indexId,
                           int32_t openMode, int32_t shareMode, int32_t translateMode,
                           bool unidirectional, const void* optionalParams, CursorHandle* table);
DbiResult DbiCloseTable(CursorHandle* table);
DbiResult DbiGetFieldDescs(CursorHandle table, std::vector<FieldDescriptor>* descriptors);
DbiResult DbiGetTableProps(CursorHandle table, CursorProperties* properties);
DbiResult DbiGetIndexDesc(CursorHandle table, uint16_t order, IndexDescriptor* descriptor);
DbiResult DbiGetIndexDescs(CursorHandle table, std::vector<IndexDescriptor>* descriptors);
DbiResult DbiSwitchToIndex(CursorHandle* table, const char* indexName, const char* tagName,
                           uint16_t indexId, bool currentRecord);
// Cursor 260: one row per field of the table; `physicalTypes` is not read.
DbiResult DbiOpenFieldList(DbHandle db, const char* tableName, const char* driver,
                           bool physicalTypes, CursorHandle* cursor);
// The next row of a pseudo-cursor (a handle above 255): 8706 after the last and on 261.
DbiResult PseudoCursorNextRow(CursorHandle cursor, FieldDescriptor* row);

// Databases and error texts.
DbiResult DbiOpenDatabase(const char* name, const char* type, int32_t openMode, int32_t shareMode,
                          const char* password, uint16_t optionCount, const void* optionDescriptors,
                          const void* optionValues, DbHandle* db);
DbiResult DbiCloseDatabase(DbHandle* db);
DbiResult DbiSetDirectory(DbHandle db, const char* directory);
DbiResult DbiFormFullName(DbHandle db, const char* tableName, const char* driver,
                          std::string* fullName);
DbiResult DbiAddAlias(const void* configuration, const char* alias, const char* driver,
                      const char* params, bool persistent);
DbiResult DbiGetErrorString(DbiResult code, std::string* text);

// Callbacks: accepted and never called.
using EngineCallback = int32_t (*)(int32_t kind, intptr_t clientData, void* info);
DbiResult DbiRegisterCallBack(CursorHandle object, int32_t kind, intptr_t clientData,
                              uint16_t bufferLength, void* buffer, EngineCallback callback);
DbiResult DbiGetCallBack(CursorHandle object, int32_t kind, intptr_t* clientData,
                         uint16_t* bufferLength, void** buffer, EngineCallback* callback);

// Answers with a fixed outcome.
DbiResult DbiNativeToAnsi(LocaleHandle locale, std::string* out, const char* text, int32_t length,
                          bool* dataLoss);
DbiResult DbiAnsiToNative(LocaleHandle locale, std::string* out, const char* text, int32_t length,
                          bool* dataLoss);
DbiResult DbiGetDatabaseDesc(const char* name, void* description);
DbiResult DbiOpenIndexList(DbHandle db, const char* tableName, const char* driver,
                           CursorHandle* cursor);
DbiResult DbiCloneCursor(CursorHandle table, bool readOnly, bool unidirectional,
                         CursorHandle* cursor);
DbiResult DbiGetLdObj(CursorHandle object, LocaleHandle* locale);
DbiResult DbiGetTableTypeDesc(const char* driver, const char* tableType, void* description);
DbiResult DbiLoadLocale(const char* localeName, LocaleHandle* locale);
DbiResult DbiUnloadLocale(LocaleHandle locale);
DbiResult DbiOpenCfgInfoList(const void* configuration, int32_t openMode, int32_t configMode,
                             const char* path, CursorHandle* cursor);
// Never has an entry: the text comes back empty.
DbiResult DbiGetErrorEntry(uint16_t entry, int32_t* nativeError, std::string* text);
DbiResult DbiForceReread(CursorHandle table);
DbiResult DbiStartSession(const char* name, SessionHandle* session, const char* netDir);
DbiResult DbiGetCurrSession(SessionHandle* session);
DbiResult DbiSetCurrSession(SessionHandle session);
DbiResult DbiCloseSession(SessionHandle session);
DbiResult DbiGetSesInfo(void* information);
DbiResult DbiGetObjFromName(int32_t objectKind, const char* name, intptr_t* object);
DbiResult DbiGetObjFromObj(intptr_t object, int32_t objectKind, intptr_t* result);
DbiResult DbiOpenIndex(CursorHandle table, const char* indexName, uint16_t indexId);
DbiResult DbiCfgPosition(const void* configuration, const char* path);
DbiResult DbiCfgDropRecord(const void* configuration, const char* path);
DbiResult DbiDLLExit();
DbiResult DbiSetCursorCallback(int32_t unused, CursorHandle* table, CursorCallback callback,
                               void* dataSet);
DbiResult DbiClearCursorCallback(CursorHandle* table);

// Properties.
inline constexpr uint32_t kPropTranslateMode = 0x50005;
inline constexpr uint32_t kPropDatabaseType = 0x40002;
// `value` holds `size` bytes: the translate mode as int32_t, the database type as a
// zero-terminated text.
DbiResult DbiGetProp(intptr_t object, uint32_t property, void* value, uint16_t size,
                     uint16_t* length);
DbiResult DbiSetProp(intptr_t object, uint32_t property, intptr_t value);

// Not supported: each shows its message and reports success.
DbiResult DbiGetVchkDesc(CursorHandle table, uint16_t field, void* description);
DbiResult DbiQPrepare(intptr_t statement, const char* query);
DbiResult DbiQExec(intptr_t statement, CursorHandle* cursor);
DbiResult DbiQFree(intptr_t* statement);
DbiResult DbiQSetParams(intptr_t statement, uint16_t fieldCount, const FieldDescriptor* descriptors,
                        const char* record);
DbiResult GetDbiLdNameFromDb(DbHandle db, const char* tableName, std::string* localeName);
DbiResult DbiSetPrivateDir(const char* directory);
DbiResult DbiCloseIndex(CursorHandle table, const char* indexName, uint16_t indexId);
DbiResult DbiVerifyField(CursorHandle table, uint16_t field, const void* value, bool* blank);
DbiResult DbiAddPassword(const char* password);
DbiResult DbiDropPassword(const char* password);
DbiResult DbiQAlloc(DbHandle db, int32_t language, intptr_t* statement);
DbiResult DbiBeginDelayedUpdates(CursorHandle* table);
DbiResult DbiEndDelayedUpdates(CursorHandle* table);

}  // namespace xbase
