#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "xbase/bde_callback.h"
#include "xbase/result_codes.h"

namespace xbase {

class TDatabase;
class TSession;

// What a session tells about its databases.
enum class DatabaseEvent {
    Opened = 0,
    Closing = 1,
    Added = 2,
    Removed = 3,
    AliasAdded = 4,
    AliasDeleted = 5
};

// Every session of the process; the first one is the default session "Default".
class TSessionList {
  public:
    using StartupProc = std::function<void(TSession&)>;

    TSessionList();
    ~TSessionList();
    TSessionList(const TSessionList&) = delete;
    TSessionList& operator=(const TSessionList&) = delete;

    TSession& Default() { return *sessions_.front(); }
    // "" names the default session; null when no session has the name.
    TSession* FindSession(const std::string& name) const;
    // Raises "Invalid session name %s".
    TSession& Session(const std::string& name) const;
    // Finds or makes the session and makes it active.
    TSession& OpenSession(const std::string& name);
    int Count() const { return static_cast<int>(sessions_.size()); }

    // Procedures every session runs when it becomes active; the number removes one again.
    int AddStartupProc(StartupProc proc);
    void RemoveStartupProc(int number);

    // Serialises session locks across threads; a thread may enter it again.
    std::recursive_mutex& CriticalSection() { return criticalSection_; }
    bool Detaching() const { return detaching_; }

  private:
    friend class TSession;
    int TakeSessionNumber();
    void FreeSessionNumber(int number);

    std::vector<TSession*> sessions_;
    std::vector<std::unique_ptr<TSession>> made_;  // the default and those OpenSession made
    std::vector<bool> usedNumbers_;
    std::vector<std::pair<int, StartupProc>> startupProcs_;
    int nextStartupProc_ = 1;
    std::recursive_mutex criticalSection_;
    bool detaching_ = false;
};

TSessionList& Sessions();
TSession& Session();

class TSession {
  public:
    using PasswordEvent = std::function<void(TSession&, bool& tryAgain)>;
    using StartupEvent = std::function<void(TSession&)>;
    using NotifyEvent = std::function<void(DatabaseEvent, TDatabase*)>;

    // A session of `owner` (a form or data module; null for none) in the process's list.
    explicit TSession(std::string componentName = "", const void* owner = nullptr);
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    bool Active() const { return active_; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    bool AutoSessionName() const { return autoSessionName_; }
    void SetAutoSessionName(bool on);
    bool KeepConnections() const { return keepConnections_; }
    void SetKeepConnections(bool keep) { keepConnections_ = keep; }
    std::string NetFileDir() const;
    void SetNetFileDir(const std::string& directory);
    std::string PrivateDir() const;
    void SetPrivateDir(const std::string& directory);
    const std::string& SessionName() const { return sessionName_; }
    void SetSessionName(const std::string& name);
    bool SQLHourGlass() const { return sqlHourGlass_; }
    void SetSQLHourGlass(bool on) { sqlHourGlass_ = on; }
    PasswordEvent OnPassword;
    StartupEvent OnStartup;
    NotifyEvent OnDBNotify;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    const void* Owner() const { return owner_; }
    bool IsDefault() const { return isDefault_; }
    SessionHandle Handle() const { return handle_; }

    // A database by name, made temporary when the session has none, opened and counted.
    TDatabase* OpenDatabase(const std::string& name);
    void CloseDatabase(TDatabase* database);
    TDatabase* FindDatabase(const std::string& name) const;
    const std::vector<TDatabase*>& Databases() const { return databases_; }

    void LockSession();
    void UnlockSession();

    void AddPassword(const std::string& password);
    void RemovePassword(const std::string& password);
    void RemoveAllPasswords();
    // Asks for a password; true when the open should be tried again.
    bool GetPassword();

    // Defines an alias from name=value lines; its PATH becomes the default path.
    void AddAlias(const std::string& name, const std::string& driver,
                  const std::vector<std::string>& params);
    std::string GetAliasDriverName(const std::string& alias) const;
    std::vector<std::string> GetAliasParams(const std::string& alias) const;
    std::vector<std::string> GetDriverParams(const std::string& driver) const;

    const std::vector<std::unique_ptr<TBDECallback>>& Callbacks() const { return callbacks_; }

  private:
    friend class TSessionList;
    friend class TDatabase;
    TSession(TSessionList& list, std::string componentName, const void* owner, bool isDefault);
    void Start();
    void Stop();
    void UpdateAutoName();
    void Notify(DatabaseEvent event, TDatabase* database);
    void CheckInactive() const;
    void AddDatabase(TDatabase* database);
    void RemoveDatabase(TDatabase* database);

    TSessionList& list_;
    std::string name_;
    const void* owner_;
    bool isDefault_;
    bool active_ = false;
    bool autoSessionName_ = false;
    bool keepConnections_ = true;
    bool sqlHourGlass_ = true;
    std::string netFileDir_;
    std::string privateDir_;
    std::string sessionName_;
    SessionHandle handle_ = 0;
    int sessionNumber_ = -1;
    int lockCount_ = 0;
    LocaleHandle locale_ = 0;
    std::vector<TDatabase*> databases_;
    std::vector<std::unique_ptr<TBDECallback>> callbacks_;
};

}  // namespace xbase
