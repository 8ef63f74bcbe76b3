#pragma once

#include <functional>
#include <string>
#include <vector>

#include "xbase/result_codes.h"

namespace xbase {

class TSession;

// A data set that a database closes when it closes itself.
class DatabaseDataSet {
  public:
    virtual ~DatabaseDataSet() = default;
    virtual void CloseDataSet() = 0;
};

enum class TransIsolation { DirtyRead, ReadCommitted, RepeatableRead };

// A directory of tables, reached through a slot of the layer's directory table.
class TDatabase {
  public:
    using LoginEvent = std::function<void(TDatabase&, std::vector<std::string>& params)>;

    explicit TDatabase(std::string componentName = "", const void* owner = nullptr);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    std::string AliasName() const { return isAlias_ ? aliasOrDriver_ : std::string(); }
    void SetAliasName(const std::string& alias);
    std::string DriverName() const { return isAlias_ ? std::string() : aliasOrDriver_; }
    void SetDriverName(const std::string& driver);
    bool Connected() const { return handle_ != 0; }
    void SetConnected(bool connected);
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    bool HandleShared() const { return handleShared_; }
    void SetHandleShared(bool shared) { handleShared_ = shared; }
    bool KeepConnection() const { return keepConnection_; }
    void SetKeepConnection(bool keep) { keepConnection_ = keep; }
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool prompt) { loginPrompt_ = prompt; }
    const std::vector<std::string>& Params() const { return params_; }
    void SetParams(std::vector<std::string> params);
    const std::string& SessionName() const { return sessionName_; }
    void SetSessionName(const std::string& name);
    xbase::TransIsolation TransIsolation() const { return transIsolation_; }
    void SetTransIsolation(xbase::TransIsolation isolation) { transIsolation_ = isolation; }
    LoginEvent OnLogin;

    void Open();
    void Close();

    const std::string& Name() const { return name_; }
    const void* Owner() const { return owner_; }
    DbHandle Handle() const { return handle_; }
    TSession& Session() const { return *session_; }
    bool Temporary() const { return temporary_; }
    int RefCount() const { return refCount_; }
    bool IsSQLBased() const { return sqlBased_; }

    void AddDataSet(DatabaseDataSet* dataSet);
    void RemoveDataSet(DatabaseDataSet* dataSet);
    const std::vector<DatabaseDataSet*>& DataSets() const { return dataSets_; }

  private:
    friend class TSession;
    void CheckInactive() const;
    void MoveToSession(TSession& session);

    std::string name_;
    const void* owner_;
    TSession* session_;
    std::string aliasOrDriver_;
    bool isAlias_ = false;
    std::string databaseName_;
    bool handleShared_ = false;
    bool keepConnection_ = true;
    bool loginPrompt_ = true;
    std::vector<std::string> params_;
    std::string sessionName_;
    xbase::TransIsolation transIsolation_ = xbase::TransIsolation::ReadCommitted;
    DbHandle handle_ = 0;
    int refCount_ = 0;
    bool temporary_ = false;
    bool sqlBased_ = false;
    LocaleHandle locale_ = 0;
    std::vector<DatabaseDataSet*> dataSets_;
};

}  // namespace xbase
