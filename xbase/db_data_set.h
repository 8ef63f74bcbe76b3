#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "xbase/bde_data_set.h"
#include "xbase/database.h"

namespace xbase {

// Why a data set holds its database: open, or for a short piece of work while closed.
enum TDBFlag { dbfOpened = 0, dbfTable = 3, dbfFieldList = 4, dbfIndexList = 5 };

enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };

class TDBDataSet;

// Made for a data set on first use by the registered factory.
class TDataSetProvider {
  public:
    virtual ~TDataSetProvider() = default;
};

// A record data set bound to a database of a session by name. The database is opened
// through the session when the first flag is set and closed when the last one clears.
class TDBDataSet : public TBDEDataSet, public DatabaseDataSet {
  public:
    using ProviderFactory = std::function<std::unique_ptr<TDataSetProvider>(TDBDataSet&)>;

    explicit TDBDataSet(db::TComponent* owner = nullptr);
    ~TDBDataSet() override;

    const std::string& DatabaseName() const { return databaseName_; }
    // Needs a closed data set and no bound database.
    void SetDatabaseName(const std::string& name);
    const std::string& SessionName() const { return sessionName_; }
    void SetSessionName(const std::string& name);
    TUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TUpdateMode mode) { updateMode_ = mode; }

    // The bound database; null while none is.
    TDatabase* Database() const { return database_; }
    DbHandle DBHandle() const { return database_ != nullptr ? database_->Handle() : 0; }
    // No locale reaches a database with this layer.
    LocaleHandle DBLocale() const { return 0; }
    TSession& DBSession() const override;
    uint16_t DBFlags() const { return dbFlags_; }

    // After a layer open: false when done, true when the open is to be tried again (a
    // password was given); raises for every other result.
    bool CheckOpen(DbiResult result);

    // "No provider available" without a factory.
    TDataSetProvider& Provider();
    static void SetProviderFactory(ProviderFactory factory);

    // Its database closes: the data set closes first.
    void CloseDataSet() override;

  protected:
    void SetDBFlag(TDBFlag flag, bool value);
    void OpenCursor(bool infoQuery) override;
    void CloseCursor() override;

  private:
    std::string databaseName_;
    std::string sessionName_;
    TUpdateMode updateMode_ = upWhereAll;
    TDatabase* database_ = nullptr;
    uint16_t dbFlags_ = 0;
    std::unique_ptr<TDataSetProvider> provider_;
};

}  // namespace xbase
