#include "xbase/xbase_env.h"

#include <cstdint>
#include <string>

#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"
#include "xbase/component_engine.h"

namespace xbase {

namespace {

TXbaseEnv* instance = nullptr;

// Runs before the component joins its owner, so a refused one leaves no trace there.
db::TComponent* RefuseSecond(db::TComponent* owner) {
    if (instance != nullptr) {
        throw rtl::Exception("Removing extra TXbaseEnv component");
    }
    return owner;
}

int32_t EngineBool(bool on) {
    return on ? -1 : 0;
}

struct DateLayout {
    char separator;
    const char* format;
};

DateLayout LayoutOf(TXbaseDateFrmt format) {
    switch (format) {
        case dfAmerican:
            return {'/', "mm/dd/yy"};
        case dfAnsi:
            return {'.', "yy.mm.dd"};
        case dfBritish:
        case dfFrench:
            return {'/', "dd/mm/yy"};
        case dfGerman:
            return {'.', "dd.mm.yy"};
        case dfItalian:
        case dfSpanish:
            return {'-', "dd-mm-yy"};
        case dfWinDefault:
            break;
    }
    static const rtl::TFormatSettings system;
    return {system.DateSeparator, system.ShortDateFormat.c_str()};
}

}  // namespace

TXbaseEnv::TXbaseEnv(db::TComponent* owner) : db::TComponent(RefuseSecond(owner)) {
    instance = this;
}

TXbaseEnv::~TXbaseEnv() {
    if (instance == this) {
        instance = nullptr;
    }
}

TXbaseEnv* TXbaseEnv::Instance() {
    return instance;
}

void TXbaseEnv::SetExact(bool on) {
    exact_ = on;
    ComponentEngine().sx_SetExact(EngineBool(on));
}

void TXbaseEnv::SetCentury(bool on) {
    century_ = on;
    ComponentEngine().sx_SetCentury(EngineBool(on));
    std::string& format = rtl::FormatSettings().ShortDateFormat;
    const bool wide = format.find("yyyy") != std::string::npos;
    if (on && !wide) {
        const auto at = format.find("yy");
        if (at != std::string::npos) {
            format.replace(at, 2, "yyyy");
        }
    } else if (!on && wide) {
        format.replace(format.find("yyyy"), 4, "yy");
    }
}

void TXbaseEnv::SetEpoch(int year) {
    if (year == 0) {
        year = 1900;
    } else if (year < 100) {
        year = 100;
    } else if (year >= 3000) {
        year = 2999;
    }
    epoch_ = year;
    ComponentEngine().sx_SetEpoch(static_cast<int16_t>(year));
}

void TXbaseEnv::SetDateFormat(TXbaseDateFrmt format) {
    date_format_ = format;
    ComponentEngine().sx_SetDateFormat(format == dfWinDefault ? 99 : static_cast<int32_t>(format));
    const DateLayout layout = LayoutOf(format);
    rtl::FormatSettings().DateSeparator = layout.separator;
    rtl::FormatSettings().ShortDateFormat = layout.format;
    if (century_) {
        SetCentury(true);
    }
}

void TXbaseEnv::SetLockTimeout(int seconds) {
    lock_timeout_ = seconds;
    ComponentEngine().sx_SetLockTimeout(seconds);
}

void TXbaseEnv::SetMemoBlockSize(int size) {
    memo_block_size_ = size;
    ComponentEngine().sx_SetMemoBlockSize(size);
}

void TXbaseEnv::SetSoftSeek(bool on) {
    soft_seek_ = on;
    ComponentEngine().sx_SetSoftSeek(EngineBool(on));
}

void TXbaseEnv::SetDeleted(bool hide) {
    deleted_ = hide;
    ComponentEngine().sx_SetDeleted(EngineBool(hide));
}

}  // namespace xbase
