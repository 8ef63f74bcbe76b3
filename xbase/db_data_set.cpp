#include "xbase/db_data_set.h"

#include "platform/db/exception_handler.h"
#include "xbase/db_errors.h"
#include "xbase/sessions.h"

namespace xbase {

namespace {

constexpr DbiResult kPasswordRequired = 10498;

TDBDataSet::ProviderFactory& Factory() {
    static TDBDataSet::ProviderFactory factory;
    return factory;
}

}  // namespace

TDBDataSet::TDBDataSet(db::TComponent* owner) : TBDEDataSet(owner) {}

TDBDataSet::~TDBDataSet() {
    try {
        Close();
    } catch (...) {
        db::HandleException();
    }
    if (database_ != nullptr) {
        database_->RemoveDataSet(this);
        database_ = nullptr;
    }
}

void TDBDataSet::SetDatabaseName(const std::string& name) {
    if (name == databaseName_) {
        return;
    }
    CheckInactive();
    if (database_ != nullptr) {
        db::DatabaseError("Cannot perform this operation on an open database", this);
    }
    databaseName_ = name;
    DataEvent(db::dePropertyChange);
}

void TDBDataSet::SetSessionName(const std::string& name) {
    CheckInactive();
    sessionName_ = name;
    DataEvent(db::dePropertyChange);
}

TSession& TDBDataSet::DBSession() const {
    if (database_ != nullptr) {
        return database_->Session();
    }
    return Sessions().Session(sessionName_);
}

void TDBDataSet::SetDBFlag(TDBFlag flag, bool value) {
    const auto bit = static_cast<uint16_t>(1u << flag);
    if (value) {
        if (dbFlags_ == 0) {
            TSession& session = Sessions().Session(sessionName_);
            database_ = session.OpenDatabase(databaseName_);
            database_->AddDataSet(this);
            SetLocale(DBLocale());
        }
        dbFlags_ |= bit;
        return;
    }
    if ((dbFlags_ & bit) == 0) {
        return;
    }
    dbFlags_ &= static_cast<uint16_t>(~bit);
    if (dbFlags_ == 0 && database_ != nullptr) {
        SetLocale(DBLocale());
        TDatabase* database = database_;
        database_ = nullptr;
        database->RemoveDataSet(this);
        database->Session().CloseDatabase(database);
    }
}

void TDBDataSet::CloseDataSet() {
    // The database is closing itself: let go of it before the close reaches the session.
    if (database_ != nullptr) {
        database_->RemoveDataSet(this);
        database_ = nullptr;
    }
    dbFlags_ = 0;
    Close();
}

void TDBDataSet::OpenCursor(bool infoQuery) {
    SetDBFlag(dbfOpened, true);
    try {
        TBDEDataSet::OpenCursor(infoQuery);
    } catch (...) {
        SetDBFlag(dbfOpened, false);
        throw;
    }
}

void TDBDataSet::CloseCursor() {
    TBDEDataSet::CloseCursor();
    SetDBFlag(dbfOpened, false);
}

bool TDBDataSet::CheckOpen(DbiResult result) {
    if (result == kOk) {
        return false;
    }
    if (result == kPasswordRequired && DBSession().GetPassword()) {
        return true;
    }
    Check(result);
    return false;
}

TDataSetProvider& TDBDataSet::Provider() {
    if (!provider_) {
        if (!Factory()) {
            db::DatabaseError("No provider available", this);
        }
        provider_ = Factory()(*this);
        if (!provider_) {
            db::DatabaseError("No provider available", this);
        }
    }
    return *provider_;
}

void TDBDataSet::SetProviderFactory(ProviderFactory factory) {
    Factory() = std::move(factory);
}

}  // namespace xbase
