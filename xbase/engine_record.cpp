#include "xbase/engine_record.h"

#include <algorithm>
#include <cstring>

#include "xbase/engine_api.h"
#include "xbase/layer_state.h"

namespace xbase {

namespace {
constexpr int32_t kPropRecordBuffer = 65000;
constexpr int32_t kPropLastSystemError = 65101;
}  // namespace

DbiResult NoteRefusal(DbiResult code) {
    const EngineApi& e = Engine();
    const char* reason = e.sx_LastErrorText();
    State().refusal = LayerState::Refusal{
        code, static_cast<int>(e.sx_SysProp(kPropLastSystemError, 0)), reason ? reason : ""};
    return code;
}

TVCLWorkArea* TableRecord(CursorHandle handle) {
    return handle >= 1 && handle <= kMaxArea ? WorkAreaOf(handle) : nullptr;
}

DbiResult WriteRefusal(const TVCLWorkArea& wa) {
    return wa.openMode == SX_READONLY ? kReadOnly : kLockRefused;
}

char* EngineRecordBuffer() {
    return reinterpret_cast<char*>(Engine().sx_SysProp(kPropRecordBuffer, 0));
}

ParkedRecord::ParkedRecord(const TVCLWorkArea& wa, const char* record)
    : engine_(EngineRecordBuffer()) {
    if (engine_ == nullptr || wa.recordSize <= 0) {
        engine_ = nullptr;
        return;
    }
    parked_.assign(engine_, engine_ + wa.recordSize);
    if (record != nullptr) {
        std::memmove(engine_, record, parked_.size());
    }
}

ParkedRecord::~ParkedRecord() {
    if (engine_ != nullptr) {
        std::copy(parked_.begin(), parked_.end(), engine_);
    }
}

void ParkedRecord::CopyBack(char* out) const {
    if (engine_ != nullptr && out != nullptr) {
        std::memmove(out, engine_, parked_.size());
    }
}

}  // namespace xbase
