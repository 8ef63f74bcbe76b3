#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/xbase32/area_view.h"
#include "platform/xbase32/settings.h"
#include "platform/xbase32/work_area.h"

namespace xb {

// The engine's process-wide state: settings, work areas 1 to 255 and the current one.
// Used from one thread.
class Engine {
  public:
    static constexpr int kAreas = 255;

    static Engine& Instance();

    Settings& Config() { return settings_; }
    int CurrentNumber() const { return current_; }
    WorkArea* Area(int n) const;  // nullptr when closed or out of range
    WorkArea* Current() const { return Area(current_); }
    WorkArea& RequireCurrent() const;  // throws when no table is open in the current area
    // The orders, filter and count of the current area; throws as RequireCurrent.
    AreaView& RequireCurrentView() const;

    int Select(int n);  // returns the previous area
    // Opens in the lowest free area, which becomes current. Throws on refusal.
    int Use(const std::string& path, std::string alias, int mode, int driver);
    void Close(int n);
    void CloseAll();
    int FindAlias(std::string_view alias) const;  // 0 unknown

    // Properties: setting one returns the old value; codes without meaning here are kept.
    intptr_t SysProp(int32_t code, intptr_t value);

    bool Exact() const { return settings_.exact; }
    bool SetExact(bool on) { return std::exchange(settings_.exact, on); }
    bool SoftSeek() const { return settings_.softSeek; }
    bool SetSoftSeek(bool on) { return std::exchange(settings_.softSeek, on); }

    // A text that stays valid until the next call on the area it belongs to (0: none).
    const char* KeepText(int area, std::string text);

  private:
    AreaView* CurrentView() const;

    Settings settings_;
    std::array<std::unique_ptr<WorkArea>, kAreas + 1> areas_;
    std::array<std::unique_ptr<AreaView>, kAreas + 1> views_;  // dropped before their area
    std::array<std::string, kAreas + 1> texts_;
    int current_ = 1;
    std::map<int32_t, intptr_t> props_;
    intptr_t refuseAfter_ = 0;  // for the next kPropRefuseWrites
};

enum SysPropCode : int32_t {
    kPropGetSoftSeek = 1000,
    kPropSetSoftSeek = 1001,
    kPropGetExact = 1002,
    kPropSetExact = 1003,
    kPropMayLeaveFilter = 1006,
    kPropOrderCount = 3000,
    kPropDescending = 3002,
    kPropRecordBuffer = 65000,
    kPropAreaInUse = 65002,
    kPropOneTagPerFile = 65006,
    kPropFieldTextForm = 65012,
    kPropRecordsRead = 65100,      // records read from table files so far (read only)
    kPropLastSystemError = 65101,  // errno of this thread's last failed call, 0 none (read only)
    // For tests of failing writes: the bytes the files may still grow by (-1 the real disk),
    // and how many writes to refuse as a read-only disk does, once the number of writes last
    // set under 65112 have gone through. Each answers the old value.
    kPropSimulateFreeSpace = 65110,
    kPropRefuseWrites = 65111,
    kPropRefuseAfter = 65112
};

}  // namespace xb
