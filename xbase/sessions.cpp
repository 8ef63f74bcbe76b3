#include "xbase/sessions.h"

#include <algorithm>
#include <utility>

#include "xbase/database.h"
#include "xbase/db_errors.h"
#include "xbase/names.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {
constexpr DbiResult kEngineAlreadyStarted = 10759;
constexpr uint32_t kPropNetFileDir = 0x50050;
}  // namespace

// ---- TSessionList

TSessionList::TSessionList() {
    made_.push_back(std::unique_ptr<TSession>(new TSession(*this, "", nullptr, true)));
}

TSessionList::~TSessionList() {
    // At process end the engine and the layer may already be gone: nothing is called.
    detaching_ = true;
    made_.clear();
}

TSession* TSessionList::FindSession(const std::string& name) const {
    if (name.empty()) {
        return sessions_.front();
    }
    for (TSession* s : sessions_) {
        if (EqualsNoCase(s->SessionName(), name))
            return s;
    }
    return nullptr;
}

TSession& TSessionList::Session(const std::string& name) const {
    if (TSession* s = FindSession(name)) {
        return *s;
    }
    throw EDatabaseError("Invalid session name " + name);
}

TSession& TSessionList::OpenSession(const std::string& name) {
    TSession* s = FindSession(name);
    if (s == nullptr) {
        made_.push_back(std::unique_ptr<TSession>(new TSession(*this, "", nullptr, false)));
        s = made_.back().get();
        s->SetSessionName(name);
    }
    s->Open();
    return *s;
}

int TSessionList::AddStartupProc(StartupProc proc) {
    startupProcs_.emplace_back(nextStartupProc_, std::move(proc));
    return nextStartupProc_++;
}

void TSessionList::RemoveStartupProc(int number) {
    std::erase_if(startupProcs_, [number](const auto& p) { return p.first == number; });
}

int TSessionList::TakeSessionNumber() {
    const auto free = std::find(usedNumbers_.begin(), usedNumbers_.end(), false);
    const int number = static_cast<int>(free - usedNumbers_.begin());
    if (free == usedNumbers_.end()) {
        usedNumbers_.push_back(true);
    } else {
        *free = true;
    }
    return number;
}

void TSessionList::FreeSessionNumber(int number) {
    if (number >= 0 && number < static_cast<int>(usedNumbers_.size())) {
        usedNumbers_[number] = false;
    }
}

TSessionList& Sessions() {
    // Never destroyed: sessions outlive every static that might still use them at exit.
    static TSessionList* const list = new TSessionList;
    return *list;
}

TSession& Session() {
    return Sessions().Default();
}

// ---- TSession

TSession::TSession(std::string componentName, const void* owner)
    : TSession(Sessions(), std::move(componentName), owner, false) {}

TSession::TSession(TSessionList& list, std::string componentName, const void* owner, bool isDefault)
    : list_(list), name_(std::move(componentName)), owner_(owner), isDefault_(isDefault) {
    if (owner_ != nullptr) {
        for (const TSession* other : list_.sessions_) {
            if (other->owner_ == owner_ && other->autoSessionName_) {
                throw EDatabaseError(
                    "Cannot add a session to the form or data-module while session '" +
                    other->sessionName_ + "' has AutoSessionName enabled");
            }
        }
    }
    if (isDefault_) {
        sessionName_ = "Default";
    }
    list_.sessions_.push_back(this);
}

TSession::~TSession() {
    try {
        Stop();
    } catch (...) {
        // A destructor cannot report; the engine state is dropped with the session.
    }
    const std::vector<TDatabase*> databases = databases_;
    for (TDatabase* db : databases) {
        if (db->temporary_) {
            delete db;
        } else if (!isDefault_) {
            db->MoveToSession(list_.Default());
        }
    }
    if (autoSessionName_) {
        list_.FreeSessionNumber(sessionNumber_);
    }
    std::erase(list_.sessions_, this);
}

void TSession::SetActive(bool active) {
    if (active) {
        Start();
    } else {
        Stop();
    }
}

void TSession::Start() {
    if (active_)
        return;
    if (OnStartup)
        OnStartup(*this);
    if (sessionName_.empty()) {
        throw EDatabaseError("Session name missing");
    }
    if (!isDefault_) {
        list_.Default().Open();
    }
    try {
        if (isDefault_) {
            const DbiResult r = DbiInitEngine(nullptr);
            if (r != kOk && r != kEngineAlreadyStarted) {
                throw EDBEngineError(r);
            }
            DbiGetCurrSession(&handle_);
        } else {
            DbiStartSession(sessionName_.c_str(), &handle_, netFileDir_.c_str());
        }
        active_ = true;
        if (sqlHourGlass_) {
            callbacks_.push_back(std::make_unique<TBDECallback>(this, handle_, kCallbackServerCall,
                                                                nullptr, 0, nullptr));
        }
        callbacks_.push_back(
            std::make_unique<TBDECallback>(this, handle_, kCallbackPassword, nullptr, 0,
                                           [this](void*) { return GetPassword() ? 1 : 0; }));
        if (!netFileDir_.empty()) {
            DbiSetProp(handle_, kPropNetFileDir, reinterpret_cast<intptr_t>(netFileDir_.c_str()));
        }
        if (!privateDir_.empty()) {
            DbiSetPrivateDir(privateDir_.c_str());
        }
        const auto procs = list_.startupProcs_;
        for (const auto& [number, proc] : procs) {
            proc(*this);
        }
    } catch (...) {
        Stop();
        throw;
    }
}

void TSession::Stop() {
    if (!active_)
        return;
    if (!list_.detaching_) {
        const std::vector<TDatabase*> databases = databases_;
        for (TDatabase* db : databases) {
            if (db->temporary_) {
                delete db;
            } else {
                db->Close();
            }
        }
    }
    callbacks_.clear();
    if (isDefault_ && !list_.detaching_) {
        DbiExitEngine();
    }
    handle_ = 0;
    active_ = false;
}

void TSession::CheckInactive() const {
    if (active_) {
        throw EDatabaseError("Cannot perform this operation on an active session");
    }
}

void TSession::SetSessionName(const std::string& name) {
    if (autoSessionName_) {
        throw EDatabaseError("Cannot modify SessionName while AutoSessionName is enabled");
    }
    CheckInactive();
    if (!name.empty()) {
        for (const TSession* other : list_.sessions_) {
            if (other != this && EqualsNoCase(other->sessionName_, name)) {
                throw EDatabaseError("Duplicate session name '" + name + "'");
            }
        }
    }
    sessionName_ = name;
}

void TSession::SetAutoSessionName(bool on) {
    if (on == autoSessionName_)
        return;
    if (on) {
        for (const TSession* other : list_.sessions_) {
            if (other != this && owner_ != nullptr && other->owner_ == owner_) {
                throw EDatabaseError(
                    "Cannot enable AutoSessionName property with more than one session on a "
                    "form or data-module");
            }
        }
        CheckInactive();
        sessionNumber_ = list_.TakeSessionNumber();
        try {
            UpdateAutoName();
        } catch (...) {
            list_.FreeSessionNumber(sessionNumber_);
            sessionNumber_ = -1;
            throw;
        }
        autoSessionName_ = true;
    } else {
        autoSessionName_ = false;
        list_.FreeSessionNumber(sessionNumber_);
        sessionNumber_ = -1;
    }
}

void TSession::SetName(const std::string& name) {
    const std::string old = name_;
    name_ = name;
    if (autoSessionName_) {
        autoSessionName_ = false;
        try {
            UpdateAutoName();
        } catch (...) {
            name_ = old;
            autoSessionName_ = true;
            throw;
        }
        autoSessionName_ = true;
    }
}

void TSession::UpdateAutoName() {
    const std::string name = name_ + "_" + std::to_string(sessionNumber_ + 1);
    const bool wasAuto = std::exchange(autoSessionName_, false);
    try {
        SetSessionName(name);
    } catch (...) {
        autoSessionName_ = wasAuto;
        throw;
    }
    autoSessionName_ = wasAuto;
    if (owner_ == nullptr)
        return;
    for (TSession* s : list_.sessions_) {
        for (TDatabase* db : s->databases_) {
            if (db->owner_ == owner_ && !db->Connected()) {
                db->sessionName_ = name;
            }
        }
    }
}

std::string TSession::NetFileDir() const {
    return active_ ? std::string() : netFileDir_;
}

void TSession::SetNetFileDir(const std::string& directory) {
    netFileDir_ = directory;
    if (active_) {
        DbiSetProp(handle_, kPropNetFileDir, reinterpret_cast<intptr_t>(netFileDir_.c_str()));
    }
}

std::string TSession::PrivateDir() const {
    return active_ ? std::string() : privateDir_;
}

void TSession::SetPrivateDir(const std::string& directory) {
    privateDir_ = directory;
    if (active_) {
        DbiSetPrivateDir(privateDir_.c_str());
    }
}

TDatabase* TSession::FindDatabase(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TDatabase* db : databases_) {
        if (EqualsNoCase(db->DatabaseName(), name))
            return db;
    }
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const std::string& name) {
    TDatabase* db = FindDatabase(name);
    const bool made = db == nullptr;
    if (made) {
        db = new TDatabase();
        db->MoveToSession(*this);
        db->temporary_ = true;
        db->sessionName_ = sessionName_;
        db->keepConnection_ = keepConnections_;
        db->databaseName_ = name;
    }
    try {
        db->Open();
    } catch (...) {
        if (made)
            delete db;
        throw;
    }
    ++db->refCount_;
    return db;
}

void TSession::CloseDatabase(TDatabase* database) {
    if (database == nullptr)
        return;
    if (database->refCount_ > 0)
        --database->refCount_;
    if (database->refCount_ == 0 && !database->keepConnection_) {
        if (database->temporary_) {
            delete database;
        } else {
            database->Close();
        }
    }
}

void TSession::AddDatabase(TDatabase* database) {
    databases_.push_back(database);
    Notify(DatabaseEvent::Added, database);
}

void TSession::RemoveDatabase(TDatabase* database) {
    std::erase(databases_, database);
    Notify(DatabaseEvent::Removed, database);
}

void TSession::Notify(DatabaseEvent event, TDatabase* database) {
    if (OnDBNotify)
        OnDBNotify(event, database);
}

void TSession::LockSession() {
    // Every lock enters the section, so the count is only touched by the thread inside it.
    list_.criticalSection_.lock();
    if (lockCount_ == 0) {
        try {
            DbiSetCurrSession(handle_);
            if (!active_)
                Open();
        } catch (...) {
            list_.criticalSection_.unlock();
            throw;
        }
    }
    ++lockCount_;
}

void TSession::UnlockSession() {
    if (lockCount_ > 0) {
        --lockCount_;
        list_.criticalSection_.unlock();
    }
}

void TSession::AddPassword(const std::string& password) {
    DbiAddPassword(password.c_str());
}

void TSession::RemovePassword(const std::string& password) {
    DbiDropPassword(password.c_str());
}

void TSession::RemoveAllPasswords() {
    DbiDropPassword(nullptr);
}

bool TSession::GetPassword() {
    bool tryAgain = false;
    if (OnPassword) {
        OnPassword(*this, tryAgain);
    }
    return tryAgain;
}

void TSession::AddAlias(const std::string& name, const std::string& driver,
                        const std::vector<std::string>& params) {
    std::string text;
    std::string defaultDriver;
    for (const std::string& line : params) {
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (EqualsNoCase(key, "DEFAULT DRIVER"))
            defaultDriver = value;
        text += key + ":\"" + value + "\";";
    }
    if (!text.empty())
        text.pop_back();
    if (defaultDriver.empty()) {
        defaultDriver = EqualsNoCase(driver, "STANDARD") ? "PARADOX" : driver;
    }
    Check(DbiAddAlias(nullptr, name.c_str(), defaultDriver.c_str(), text.c_str(), false));
}

std::string TSession::GetAliasDriverName(const std::string& alias) const {
    throw EDatabaseError("Invalid alias name " + alias);
}

std::vector<std::string> TSession::GetAliasParams(const std::string&) const {
    throw EDBEngineError(kNotFound);
}

std::vector<std::string> TSession::GetDriverParams(const std::string& driver) const {
    if (EqualsNoCase(driver, "STANDARD")) {
        return {"PATH=", "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    }
    return {};
}

}  // namespace xbase
