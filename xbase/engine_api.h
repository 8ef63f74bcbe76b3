#pragma once

#include "platform/xbase32/xbase32.h"

namespace xbase {

// Every call of the engine library, in the order of its C interface. One list serves the
// table below, the library loader and the test engines, so none of them can miss a call.
#define XBASE_ENGINE_CALLS(X) \
    X(sx_SetStringType)       \
    X(sx_ErrorLevel)          \
    X(sx_Version)             \
    X(sx_LastErrorText)       \
    X(sx_SetCentury)          \
    X(sx_SetEpoch)            \
    X(sx_SetDateFormat)       \
    X(sx_SetDeleted)          \
    X(sx_SetExact)            \
    X(sx_SetSoftSeek)         \
    X(sx_SetLockTimeout)      \
    X(sx_SetMemoBlockSize)    \
    X(sx_SetTurboRead)        \
    X(sx_SysProp)             \
    X(sx_Use)                 \
    X(sx_Select)              \
    X(sx_WorkArea)            \
    X(sx_Alias)               \
    X(sx_Close)               \
    X(sx_CloseAll)            \
    X(sx_FieldCount)          \
    X(sx_FieldName)           \
    X(sx_FieldNum)            \
    X(sx_FieldType)           \
    X(sx_FieldWidth)          \
    X(sx_FieldDecimals)       \
    X(sx_FieldOffset)         \
    X(sx_RecSize)             \
    X(sx_BaseName)            \
    X(sx_GoTop)               \
    X(sx_GoBottom)            \
    X(sx_Skip)                \
    X(sx_Go)                  \
    X(sx_RecNo)               \
    X(sx_RecCount)            \
    X(sx_Count)               \
    X(sx_OrderRecNo)          \
    X(sx_RecNoAtPosition)     \
    X(sx_PositionOfRecNo)     \
    X(sx_Bof)                 \
    X(sx_Eof)                 \
    X(sx_Deleted)             \
    X(sx_AppendEx)            \
    X(sx_GetRecord)           \
    X(sx_PutRecord)           \
    X(sx_Rlock)               \
    X(sx_Unlock)              \
    X(sx_Delete)              \
    X(sx_Commit)              \
    X(sx_Zap)                 \
    X(sx_Pack)                \
    X(sx_GetString)           \
    X(sx_GetTrimString)       \
    X(sx_GetDateString)       \
    X(sx_GetLogical)          \
    X(sx_Empty)               \
    X(sx_Replace)             \
    X(sx_GetMemo)             \
    X(sx_MemDealloc)          \
    X(sx_GetBlobLength)       \
    X(sx_GetBlob)             \
    X(sx_PutBlob)             \
    X(sx_IsEncrypted)         \
    X(sx_Index)               \
    X(sx_IndexOpen)           \
    X(sx_SetOrder)            \
    X(sx_IndexOrd)            \
    X(sx_TagArea)             \
    X(sx_TagName)             \
    X(sx_IndexName)           \
    X(sx_IndexKey)            \
    X(sx_IndexKeyField)       \
    X(sx_IndexType)           \
    X(sx_IndexCondition)      \
    X(sx_KeyData)             \
    X(sx_Seek)                \
    X(sx_SetScope)            \
    X(sx_Reindex)             \
    X(sx_CloseIndexes)        \
    X(sx_EvalTest)            \
    X(sx_EvalString)          \
    X(sx_EvalLogical)         \
    X(sx_Query)               \
    X(sx_DBFilter)            \
    X(sx_SetFilter)           \
    X(sx_FilterDlg)           \
    X(sx_CopyFileText)

// The engine as the layer calls it: one pointer per call. NotifyUse is optional (a library
// may not export it); every other pointer is set in a bound table.
struct EngineApi {
    decltype(&::NotifyUse) NotifyUse = nullptr;
#define XBASE_ENGINE_MEMBER(name) decltype(&::name) name = nullptr;
    XBASE_ENGINE_CALLS(XBASE_ENGINE_MEMBER)
#undef XBASE_ENGINE_MEMBER
};

// True when every call but NotifyUse has a pointer.
bool IsComplete(const EngineApi& api);

// Makes `api` the engine of the layer from now on (null unbinds). The table must outlive
// the binding. Engine start binds the shared library when nothing is bound.
void BindEngine(const EngineApi* api);
const EngineApi* BoundEngine();

// The bound engine; only valid while one is bound.
const EngineApi& Engine();

}  // namespace xbase
