#include "xbase/work_area.h"

#include "xbase/engine_api.h"

namespace xbase {

namespace {
constexpr intptr_t kPropAreaInUse = 65002;

using Table = std::array<std::unique_ptr<TVCLWorkArea>, kNullCursor>;
thread_local Table workAreas;

bool Addressable(CursorHandle handle) {
    return (handle >= 1 && handle <= kMaxArea) || handle == kFieldListCursor;
}
}  // namespace

TWA::TWA(int32_t area) : invalid_(area <= 0 || area > kMaxArea) {
    const EngineApi& e = Engine();
    if (!invalid_ && e.sx_SysProp(kPropAreaInUse, area) != 0) {
        previous_ = e.sx_Select(area);
        selected_ = true;
    } else {
        previous_ = e.sx_WorkArea(nullptr);
        if (previous_ > kMaxArea) {
            previous_ = 0;
        }
    }
}

TWA::~TWA() {
    const EngineApi& e = Engine();
    if (previous_ > 0) {
        const char* alias = e.sx_Alias(previous_);
        if (alias != nullptr && *alias != '\0') {
            e.sx_Select(previous_);
        }
    }
}

void TVCLWorkArea::LoadStructure() {
    fieldCount = 0;
    recordSize = 0;
    logical.clear();
    physical.clear();
    recordBuffer.clear();
    descriptorsBuilt = false;
    fieldLayouts.clear();
    keyPlan = KeyPlan{};
    if (SelectArea()) {
        const EngineApi& e = Engine();
        fieldCount = e.sx_FieldCount();
        recordSize = e.sx_RecSize();
        if (fieldCount < 0)
            fieldCount = 0;
        if (recordSize < 0)
            recordSize = 0;
        logical.assign(fieldCount, FieldDescriptor{});
        physical.assign(fieldCount, FieldDescriptor{});
        recordBuffer.assign(recordSize, '\0');
    }
    ReleaseArea();
}

bool TVCLWorkArea::SelectArea() {
    guard = std::make_unique<TWA>(area);
    // An area the engine does not have open would leave another table current.
    return !guard->Invalid() && guard->Selected();
}

void TVCLWorkArea::ReleaseArea() {
    guard.reset();
}

TVCLWorkArea* WorkAreaOf(CursorHandle handle) {
    return Addressable(handle) ? workAreas[handle].get() : nullptr;
}

void SetWorkArea(CursorHandle handle, std::unique_ptr<TVCLWorkArea> record) {
    if (Addressable(handle)) {
        workAreas[handle] = std::move(record);
    }
}

void ClearWorkArea(CursorHandle handle) {
    SetWorkArea(handle, nullptr);
}

void ClearAllWorkAreas() {
    for (auto& record : workAreas) {
        record.reset();
    }
}

TVCLWorkArea* SelectTable(CursorHandle handle) {
    if (handle < 1 || handle > kMaxArea) {
        return nullptr;
    }
    TVCLWorkArea* wa = workAreas[handle].get();
    if (wa != nullptr) {
        Engine().sx_Select(wa->area);
    }
    return wa;
}

}  // namespace xbase
