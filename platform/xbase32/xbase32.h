#pragma once

// The xBase engine library's C interface (libxbase32.so). Every call acts on the current
// work area unless it takes an area. Texts are zero-terminated Windows-1252 bytes; a
// returned text stays valid until the next call on that area. True is non-zero.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t sx_bool;

// Drivers and open modes of sx_Use.
enum { SX_NTX = 1, SX_FOX = 2, SX_NSX = 3 };
enum { SX_SHARED = 0, SX_READONLY = 1, SX_EXCLUSIVE = 2 };

// Kinds of sx_Replace.
enum {
    SX_R_DOUBLE = 8,      // value: const double*
    SX_R_LOGICAL = 128,   // value: const int32_t*, non-zero true
    SX_R_CHAR = 1024,     // value: const char* text
    SX_R_DATESTR = 1056,  // value: const char* date text "mm/dd/yy" (or the date format)
    SX_R_MEMO = 3072      // value: const char* memo text; nullptr empties the memo
};

// Kinds of sx_CopyFileText.
enum { SX_COPY_COMMA = 21, SX_COPY_BLANK = 22 };

// Start and settings.
void NotifyUse(int32_t code);
void sx_SetStringType(int32_t type);
int32_t sx_ErrorLevel(int32_t level);
const char* sx_Version(void);
// Text of the last failure on this thread ("" when the last call succeeded).
const char* sx_LastErrorText(void);
sx_bool sx_SetCentury(sx_bool on);
int32_t sx_SetEpoch(int32_t epoch);  // returns the old epoch
void sx_SetDateFormat(int32_t format);
void sx_SetDeleted(sx_bool hide);
sx_bool sx_SetExact(sx_bool on);     // returns the old setting
sx_bool sx_SetSoftSeek(sx_bool on);  // returns the old setting
void sx_SetLockTimeout(int32_t seconds);
void sx_SetMemoBlockSize(int32_t size);
void sx_SetTurboRead(sx_bool on);
// Codes beyond the usual: 65100 records read so far; 65101 errno of this thread's last failed
// call (0 none: a full disk is ENOSPC); for tests, 65110 simulates a disk with that many bytes
// left (-1 off) and 65111 refuses that many writes as a read-only disk does, once as many as
// were set under 65112 just before have gone through.
intptr_t sx_SysProp(int32_t code, intptr_t value);

// Areas 1 to 255.
int32_t sx_Use(const char* path, const char* alias, int32_t mode, int32_t driver);  // 0 failed
int32_t sx_Select(int32_t area);  // returns the previous area
int32_t sx_WorkArea(const char* alias);
const char* sx_Alias(int32_t area);
void sx_Close(void);
void sx_CloseAll(void);

// Structure. Fields are named without regard to case; numbers are 1-based.
int32_t sx_FieldCount(void);
const char* sx_FieldName(int32_t n);
int32_t sx_FieldNum(const char* name);
const char* sx_FieldType(const char* name);  // "C", "N", "D", "L" or "M"
int32_t sx_FieldWidth(const char* name);
int32_t sx_FieldDecimals(const char* name);
int32_t sx_FieldOffset(const char* name);  // 1-based; the deletion flag is at 1
int32_t sx_RecSize(void);                  // deletion flag included
const char* sx_BaseName(void);

// Position.
void sx_GoTop(void);
void sx_GoBottom(void);
void sx_Skip(int32_t n);
void sx_Go(int32_t recno);
int32_t sx_RecNo(void);
int32_t sx_RecCount(void);
int32_t sx_Count(void);
int32_t sx_OrderRecNo(void);
// Neither moves the cursor: the record number at a 1-based position among the records that
// navigation visits in the current order (0 past the end), and a record's position among them
// (0 when navigation would not visit it).
int32_t sx_RecNoAtPosition(int32_t position);
int32_t sx_PositionOfRecNo(int32_t recno);
sx_bool sx_Bof(void);
sx_bool sx_Eof(void);
sx_bool sx_Deleted(void);

// Records.
// 0, or a refusal 1 to 6 (1 header lock timed out, 2 the write failed, 5 read-only). A failed
// append leaves the files as they were.
int32_t sx_AppendEx(void);
void sx_GetRecord(char* buffer);
// A failed write of the record just appended takes the append back while it is the last one.
sx_bool sx_PutRecord(const char* buffer);
sx_bool sx_Rlock(int32_t recno);
void sx_Unlock(int32_t recno);  // 0: every lock
sx_bool sx_Delete(void);
sx_bool sx_Commit(void);
sx_bool sx_Zap(void);
sx_bool sx_Pack(void);

// Values.
const char* sx_GetString(const char* field);
const char* sx_GetTrimString(const char* field);
const char* sx_GetDateString(const char* field);
sx_bool sx_GetLogical(const char* field);
sx_bool sx_Empty(const char* field);
sx_bool sx_Replace(const char* field, int32_t kind, const void* value);
char* sx_GetMemo(const char* field, int32_t lineWidth);  // free with sx_MemDealloc
void sx_MemDealloc(void* memo);
int32_t sx_GetBlobLength(const char* field);
int32_t sx_GetBlob(const char* field, void* buffer);  // bytes copied, -1 on failure
sx_bool sx_PutBlob(const char* field, const void* buffer, int32_t length);
sx_bool sx_IsEncrypted(int32_t kind);

// Indexes. One tag per index file; order numbers are 1-based, 0 is the natural order.
int32_t sx_Index(const char* file, const char* key, int32_t option, sx_bool descending,
                 const char* condition);  // the new order, 0 failed
int32_t sx_IndexOpen(const char* file);   // the new order, 0 failed
int32_t sx_SetOrder(int32_t order);       // returns the previous order
int32_t sx_IndexOrd(void);
int32_t sx_TagArea(const char* tag);  // order of the tag, 0 unknown
const char* sx_TagName(int32_t order);
const char* sx_IndexName(int32_t order);
const char* sx_IndexKey(void);
const char* sx_IndexKeyField(void);
int32_t sx_IndexType(void);
const char* sx_IndexCondition(void);
const char* sx_KeyData(void);
sx_bool sx_Seek(const char* key);
void sx_SetScope(const char* top, const char* bottom);  // nullptr: that end open
sx_bool sx_Reindex(void);
void sx_CloseIndexes(void);

// Expressions and filters.
int32_t sx_EvalTest(const char* expression);  // 1 text, 2 numeric, 3 logical, 0 invalid
const char* sx_EvalString(const char* expression);
sx_bool sx_EvalLogical(const char* expression);
sx_bool sx_Query(const char* expression);  // "" clears
const char* sx_DBFilter(void);
sx_bool sx_SetFilter(const char* expression);
const char* sx_FilterDlg(intptr_t window, const char* expression, const char* caption,
                         int32_t flag);
sx_bool sx_CopyFileText(const char* file, int32_t kind);

#ifdef __cplusplus
}
#endif
