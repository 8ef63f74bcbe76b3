#pragma once

#include "platform/db/component.h"

namespace xbase {

enum TXbaseDateFrmt {
    dfAmerican,
    dfAnsi,
    dfBritish,
    dfFrench,
    dfGerman,
    dfItalian,
    dfSpanish,
    dfWinDefault
};

// The engine's process-wide settings. One lives per process: creating a second raises
// rtl::Exception "Removing extra TXbaseEnv component" and leaves the first in force.
// Construction sends nothing to the engine; each writer sends its value.
class TXbaseEnv : public db::TComponent {
  public:
    explicit TXbaseEnv(db::TComponent* owner = nullptr);
    ~TXbaseEnv() override;

    // The living one, null when there is none.
    static TXbaseEnv* Instance();

    bool Exact() const { return exact_; }
    void SetExact(bool on);
    // Also widens or narrows the year of the process-wide short date format.
    bool Century() const { return century_; }
    void SetCentury(bool on);
    // 0 gives 1900; the rest is held to 100..2999.
    int Epoch() const { return epoch_; }
    void SetEpoch(int year);
    // Also sets the process-wide short date format and date separator.
    TXbaseDateFrmt DateFormat() const { return date_format_; }
    void SetDateFormat(TXbaseDateFrmt format);
    int LockTimeout() const { return lock_timeout_; }
    void SetLockTimeout(int seconds);
    int MemoBlockSize() const { return memo_block_size_; }
    void SetMemoBlockSize(int size);
    bool SoftSeek() const { return soft_seek_; }
    void SetSoftSeek(bool on);
    // True hides deleted records.
    bool Deleted() const { return deleted_; }
    void SetDeleted(bool hide);

  private:
    bool exact_ = false;
    bool century_ = false;
    int epoch_ = 1900;
    TXbaseDateFrmt date_format_ = dfWinDefault;
    int lock_timeout_ = 1;
    int memo_block_size_ = 64;
    bool soft_seek_ = false;
    bool deleted_ = false;
};

}  // namespace xbase
