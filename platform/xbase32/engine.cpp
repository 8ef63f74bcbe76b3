#include "platform/xbase32/engine.h"

#include <strings.h>

#include "platform/xbase32/error.h"
#include "platform/xbase32/file_io.h"
#include "platform/xbase32/key_index_file.h"
#include "platform/xbase32/pack.h"

namespace xb {

Engine& Engine::Instance() {
    static Engine engine;
    return engine;
}

WorkArea* Engine::Area(int n) const {
    if (n < 1 || n > kAreas) {
        return nullptr;
    }
    return areas_[static_cast<size_t>(n)].get();
}

WorkArea& Engine::RequireCurrent() const {
    WorkArea* a = Current();
    if (a == nullptr) {
        throw Error("no table is open in work area " + std::to_string(current_));
    }
    return *a;
}

AreaView* Engine::CurrentView() const {
    return Current() != nullptr ? views_[static_cast<size_t>(current_)].get() : nullptr;
}

AreaView& Engine::RequireCurrentView() const {
    RequireCurrent();
    return *CurrentView();
}

int Engine::Select(int n) {
    const int previous = current_;
    if (n >= 1 && n <= kAreas) {
        current_ = n;
    }
    return previous;
}

int Engine::Use(const std::string& path, std::string alias, int mode, int driver) {
    if (driver == 1 || driver == 3) {
        throw Error(std::string("driver ") + (driver == 1 ? "NTX" : "NSX") +
                    " is not supported; tables open with driver 2 (FOX)");
    }
    if (driver != 2) {
        throw Error("unknown driver " + std::to_string(driver));
    }
    if (mode < 0 || mode > 2) {
        throw Error("unknown open mode " + std::to_string(mode));
    }
    int free = 0;
    for (int n = 1; n <= kAreas && free == 0; ++n) {
        if (!areas_[static_cast<size_t>(n)]) {
            free = n;
        }
    }
    if (free == 0) {
        throw Error("all work areas are in use");
    }
    const std::string found = FindFileIgnoringCase(path);
    if (found.empty()) {
        throw Error("table " + path + " does not exist");
    }
    RecoverInterruptedPack(found);
    RemoveStoppedSaves(DirectoryOf(found));
    auto table = DbfTable::Open(found, static_cast<OpenMode>(mode));
    if (alias.empty()) {
        std::string name = FileNameOf(found);
        const auto dot = name.rfind('.');
        alias = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    }
    if (FindAlias(alias) != 0) {
        throw Error("alias " + alias + " is in use");
    }
    areas_[static_cast<size_t>(free)] =
        std::make_unique<WorkArea>(std::move(alias), std::move(table), settings_);
    views_[static_cast<size_t>(free)] =
        std::make_unique<AreaView>(*areas_[static_cast<size_t>(free)], settings_);
    current_ = free;
    return free;
}

void Engine::Close(int n) {
    if (n >= 1 && n <= kAreas) {
        auto& area = areas_[static_cast<size_t>(n)];
        views_[static_cast<size_t>(n)].reset();
        if (area && area->Table().Written()) {
            try {
                area->Commit();
            } catch (const std::exception&) {
                // Closing goes on; the writes have reached the system already.
            }
        }
        area.reset();
        texts_[static_cast<size_t>(n)].clear();
    }
}

void Engine::CloseAll() {
    for (int n = 1; n <= kAreas; ++n) {
        Close(n);
    }
}

int Engine::FindAlias(std::string_view alias) const {
    for (int n = 1; n <= kAreas; ++n) {
        const auto& a = areas_[static_cast<size_t>(n)];
        if (a && a->Alias().size() == alias.size() &&
            ::strncasecmp(a->Alias().data(), alias.data(), alias.size()) == 0) {
            return n;
        }
    }
    return 0;
}

intptr_t Engine::SysProp(int32_t code, intptr_t value) {
    switch (code) {
        case kPropRecordBuffer: {
            WorkArea* a = Current();
            return a == nullptr ? 0 : reinterpret_cast<intptr_t>(a->RecordBuffer());
        }
        case kPropAreaInUse:
            return Area(static_cast<int>(value)) != nullptr ? 1 : 0;
        case kPropFieldTextForm:
            return 0;  // every field is read from its raw bytes
        case kPropOneTagPerFile:
            return 1;
        case kPropRecordsRead:
            return static_cast<intptr_t>(DbfTable::RecordsRead());
        case kPropSimulateFreeSpace:
            return static_cast<intptr_t>(SimulateFreeSpace(value));
        case kPropRefuseWrites:
            return static_cast<intptr_t>(RefuseWrites(value, std::exchange(refuseAfter_, 0)));
        case kPropRefuseAfter:
            return std::exchange(refuseAfter_, value);
        case kPropGetSoftSeek:
            return settings_.softSeek ? 1 : 0;
        case kPropSetSoftSeek:
            return SetSoftSeek(value != 0) ? 1 : 0;
        case kPropGetExact:
            return settings_.exact ? 1 : 0;
        case kPropSetExact:
            return SetExact(value != 0) ? 1 : 0;
        case kPropMayLeaveFilter: {
            const AreaView* v = CurrentView();
            return settings_.hideDeleted || (v != nullptr && v->MayLeave()) ? 1 : 0;
        }
        case kPropOrderCount: {
            const AreaView* v = CurrentView();
            return v == nullptr ? 0 : v->OrderCount();
        }
        case kPropDescending: {
            const AreaView* v = CurrentView();
            const IndexOrder* o = v == nullptr ? nullptr : v->Order(0);
            return o != nullptr && o->Descending() ? 1 : 0;
        }
        default: {
            intptr_t& slot = props_[code];
            return std::exchange(slot, value);
        }
    }
}

const char* Engine::KeepText(int area, std::string text) {
    std::string& slot = texts_[static_cast<size_t>(area >= 1 && area <= kAreas ? area : 0)];
    slot = std::move(text);
    return slot.c_str();
}

}  // namespace xb
