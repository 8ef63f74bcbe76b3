#include "xbase/database.h"

#include <algorithm>
#include <cstring>

#include "xbase/db_errors.h"
#include "xbase/names.h"
#include "xbase/sessions.h"
#include "xbase/xbcalls.h"

namespace xbase {

TDatabase::TDatabase(std::string componentName, const void* owner)
    : name_(std::move(componentName)), owner_(owner), session_(&Sessions().Default()) {
    session_->AddDatabase(this);
}

TDatabase::~TDatabase() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the slot is dropped with the database.
    }
    session_->RemoveDatabase(this);
}

void TDatabase::CheckInactive() const {
    if (Connected()) {
        throw EDatabaseError("Cannot perform this operation on an open database");
    }
}

void TDatabase::SetAliasName(const std::string& alias) {
    CheckInactive();
    aliasOrDriver_ = alias;
    isAlias_ = true;
}

void TDatabase::SetDriverName(const std::string& driver) {
    CheckInactive();
    aliasOrDriver_ = driver;
    isAlias_ = false;
}

void TDatabase::SetParams(std::vector<std::string> params) {
    CheckInactive();
    params_ = std::move(params);
}

void TDatabase::SetSessionName(const std::string& name) {
    CheckInactive();
    sessionName_ = name;
}

void TDatabase::SetDatabaseName(const std::string& name) {
    CheckInactive();
    if (TDatabase* other = session_->FindDatabase(name);
        other != nullptr && other != this && !(other->handleShared_ && handleShared_)) {
        if (!other->temporary_ || other->refCount_ != 0) {
            throw EDatabaseError("Duplicate database name '" + name + "'");
        }
        delete other;
    }
    databaseName_ = name;
}

void TDatabase::SetConnected(bool connected) {
    if (connected) {
        Open();
    } else {
        Close();
    }
}

void TDatabase::MoveToSession(TSession& session) {
    if (&session == session_)
        return;
    session_->RemoveDatabase(this);
    session_ = &session;
    session_->AddDatabase(this);
}

void TDatabase::Open() {
    if (Connected())
        return;
    if (databaseName_.empty()) {
        throw EDatabaseError("Database name missing");
    }
    TSession& session = Sessions().Session(sessionName_);
    MoveToSession(session);
    session.Open();

    if (handleShared_) {
        for (const TDatabase* other : session.databases_) {
            if (other != this && other->Connected() &&
                EqualsNoCase(other->databaseName_, databaseName_)) {
                handle_ = other->handle_;
                sqlBased_ = other->sqlBased_;
                session.Notify(DatabaseEvent::Opened, this);
                return;
            }
        }
    }

    session.LockSession();
    DbHandle handle = 0;
    try {
        // No alias is ever found, so no alias parameters and no login apply.
        DbiGetDatabaseDesc(databaseName_.c_str(), nullptr);
        const bool isDirectory = databaseName_.find('/') != std::string::npos;
        Check(DbiOpenDatabase(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &handle));
        if (isDirectory) {
            Check(DbiSetDirectory(handle, databaseName_.c_str()));
        }
        char type[32] = {};
        uint16_t length = 0;
        Check(DbiGetProp(handle, kPropDatabaseType, type, sizeof type, &length));
        sqlBased_ = std::strcmp(type, "STANDARD") != 0;
    } catch (...) {
        if (handle != 0)
            DbiCloseDatabase(&handle);
        session.UnlockSession();
        throw;
    }
    session.UnlockSession();
    handle_ = handle;
    session.Notify(DatabaseEvent::Opened, this);
}

void TDatabase::Close() {
    if (!Connected())
        return;
    session_->Notify(DatabaseEvent::Closing, this);
    const std::vector<DatabaseDataSet*> open = dataSets_;
    for (DatabaseDataSet* dataSet : open) {
        dataSet->CloseDataSet();
    }
    locale_ = 0;
    const bool stillUsed = std::any_of(session_->databases_.begin(), session_->databases_.end(),
                                       [this](const TDatabase* other) {
                                           return other != this && other->handle_ == handle_ &&
                                                  EqualsNoCase(other->databaseName_, databaseName_);
                                       });
    if (!stillUsed) {
        DbiCloseDatabase(&handle_);
    }
    handle_ = 0;
    refCount_ = 0;
}

void TDatabase::AddDataSet(DatabaseDataSet* dataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) {
        dataSets_.push_back(dataSet);
    }
}

void TDatabase::RemoveDataSet(DatabaseDataSet* dataSet) {
    std::erase(dataSets_, dataSet);
}

}  // namespace xbase
