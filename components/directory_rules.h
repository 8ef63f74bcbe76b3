#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/string_list.h"

// The directory chooser's rules, apart from its window: the options, the path check, the
// history and the message texts.

enum TDirButtonStyle { dbsButton, dbsBitBtn };
enum TDirDialogStyle { ddsBtnBottom, ddsBtnRight };
enum TDirEditStyle { desLabel, desEdit, desCombo };
enum TDirLabelStyle { dlsFolder, dlsDirectory };

enum TDirectoryOption : std::uint16_t {
    doCreate,
    doCreatePrompt,
    doExistPrompt,
    doNoChangeDrive,
    doHideDrive,
    doHideNetConnect,
    doNoValidate,
    doPathMustExist,
    doPathNotExist,
    doShowHelp,
    doUpdateHistory,
};

// A set of options, bit n for option n, as it is stored.
class TDirectoryOptions {
  public:
    constexpr TDirectoryOptions() = default;
    constexpr TDirectoryOptions(std::initializer_list<TDirectoryOption> options) {
        for (TDirectoryOption o : options) {
            bits_ = static_cast<std::uint16_t>(bits_ | Bit(o));
        }
    }
    static constexpr TDirectoryOptions FromBits(std::uint16_t bits) {
        TDirectoryOptions o;
        o.bits_ = static_cast<std::uint16_t>(bits & 0x07FF);
        return o;
    }

    constexpr bool Has(TDirectoryOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr void Include(TDirectoryOption o) {
        bits_ = static_cast<std::uint16_t>(bits_ | Bit(o));
    }
    constexpr void Exclude(TDirectoryOption o) {
        bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(o));
    }
    constexpr std::uint16_t Bits() const { return bits_; }
    constexpr bool operator==(const TDirectoryOptions&) const = default;

  private:
    static constexpr std::uint16_t Bit(TDirectoryOption o) {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(o));
    }
    std::uint16_t bits_ = 0;
};

// The options as their writer keeps them consistent: `next` replacing `old`, with the edit
// style that an option asking for a typed path may change.
TDirectoryOptions ConsistentOptions(TDirectoryOptions next, TDirectoryOptions old,
                                    TDirEditStyle& editStyle);

// Every occurrence of `find` replaced, left to right; inserted text is never searched again.
std::string ReplaceText(std::string_view find, std::string_view replace, std::string_view text,
                        bool caseSensitive);

// The chooser's messages, by their number.
inline constexpr int kMsgPathMissing = 16049;
inline constexpr int kMsgPathExists = 16050;
inline constexpr int kMsgCreatePath = 16051;
inline constexpr int kMsgUsePath = 16052;
inline constexpr int kMsgNoDrive = 16053;
inline constexpr int kMsgInvalidName = 16054;
std::string DirectoryMessage(int id, std::string_view path);

struct PathCheck {
    bool ok = false;
    std::string path;  // the absolute path when ok
    int message = 0;   // the message to show when not ok
};

// Checks a typed path against `currentDir` (absolute): "./" and leading "../" steps and any
// other path not starting with "/" are taken from the current folder; a step up that would
// leave only "/" is refused. Every part between "/" must be 1 to 255 bytes; one trailing "/"
// is allowed.
PathCheck CheckDirectoryPath(std::string_view path, std::string_view currentDir);

// Puts `path` first in the history, exactly once.
void PutFirstInHistory(rtl::TStringList& history, const std::string& path);
