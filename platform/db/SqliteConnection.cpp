#include "platform/db/SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/db/AdoDataSets.h"
#include "platform/db/SqliteCollation.h"

namespace {

AnsiString TrimBlanks(const AnsiString& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

}  // namespace

AnsiString ConnectionStringValue(const AnsiString& connectionString, const AnsiString& key) {
    size_t pos = 0;
    const AnsiString& s = connectionString;
    while (pos < s.size()) {
        size_t eq = s.find('=', pos);
        size_t semi = s.find(';', pos);
        if (eq == AnsiString::npos || (semi != AnsiString::npos && semi < eq)) {
            if (semi == AnsiString::npos) break;
            pos = semi + 1;
            continue;
        }
        AnsiString name = TrimBlanks(s.substr(pos, eq - pos));
        size_t v = eq + 1;
        while (v < s.size() && (s[v] == ' ' || s[v] == '\t')) ++v;
        AnsiString value;
        size_t next;
        if (v < s.size() && s[v] == '"') {
            size_t close = s.find('"', v + 1);
            if (close == AnsiString::npos) close = s.size();
            value = s.substr(v + 1, close - v - 1);
            next = s.find(';', close);
        } else {
            next = s.find(';', v);
            value = TrimBlanks(s.substr(v, (next == AnsiString::npos ? s.size() : next) - v));
        }
        if (SameText(name, key)) return value;
        if (next == AnsiString::npos) break;
        pos = next + 1;
    }
    return AnsiString();
}

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

void TADOConnection::BeforeDestruction() {
    if (!InState(csDestroying) && db_) Disconnect(false);
    TComponent::BeforeDestruction();
}

TADOConnection::~TADOConnection() {
    Disconnect(false);
    for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(dataSets_)) ds->ConnectionDestroyed();
}

void TADOConnection::SetConnectionString(const AnsiString& Value) { connectionString_ = Value; }

void TADOConnection::SetConnected(bool Value) {
    if (Value)
        Open();
    else
        Close();
}

void TADOConnection::SetBusyTimeout(int Milliseconds) {
    busyTimeout_ = Milliseconds;
    if (db_) sqlite3_busy_timeout(db_, busyTimeout_);
}

void TADOConnection::Open() {
    if (db_) return;
    if (BeforeConnect) BeforeConnect(this);
    AnsiString path = ConnectionStringValue(connectionString_, "Data Source");
    if (path.empty()) throw EDatabaseError("The connection string names no Data Source");
    // One thread uses a connection, so the engine's own locking is not needed.
    int flags = (mode_ == cmRead ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);  // a file name is the system's bytes
    if (rc != SQLITE_OK) {
        AnsiString message = db ? Utf8ToAnsi(sqlite3_errmsg(db)) : AnsiString("out of memory");
        sqlite3_close(db);
        throw EDatabaseError("Cannot open the database \"" + FileNameAsText(path) + "\": " + message);
    }
    // Name indexes are built with the code page's fold; the engine's own
    // NOCASE must never touch them.
    if (!InstallCodePageCollation(db)) {
        AnsiString message = Utf8ToAnsi(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw EDatabaseError("Cannot open the database \"" + FileNameAsText(path) + "\": " + message);
    }
    db_ = db;
    level_ = 0;
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeout_);
    // A file that is no database fails at its first real statement, not here.
    sqlite3_exec(db_, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "PRAGMA foreign_keys=OFF", nullptr, nullptr, nullptr);
    if (AfterConnect) AfterConnect(this);
}

void TADOConnection::Close() { Disconnect(true); }

void TADOConnection::Disconnect(bool fireEvents) {
    if (!db_) return;
    if (fireEvents && BeforeDisconnect) BeforeDisconnect(this);
    for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(dataSets_)) ds->Close();
    FinalizeCached();
    ++opened_;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    const int open = level_;
    level_ = 0;
    if (open > 0) EndedByRollback(1);
    if (fireEvents && AfterDisconnect) AfterDisconnect(this);
}

void TADOConnection::BackupTo(const AnsiString& FileName) {
    sqlite3* source = Handle();
    const std::string target = FileName;
    const std::string temporary = target + ".tmp";
    AnsiString failure;
    sqlite3* copy = nullptr;
    if (sqlite3_open_v2(temporary.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK) {
        if (sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main")) {
            sqlite3_backup_step(backup, -1);
            if (sqlite3_backup_finish(backup) != SQLITE_OK) failure = Utf8ToAnsi(sqlite3_errmsg(copy));
        } else {
            failure = Utf8ToAnsi(sqlite3_errmsg(copy));
        }
    } else {
        failure = copy ? Utf8ToAnsi(sqlite3_errmsg(copy)) : AnsiString("out of memory");
    }
    sqlite3_close(copy);
    if (failure.empty() && std::rename(temporary.c_str(), target.c_str()) != 0) failure = std::strerror(errno);
    if (!failure.empty()) {
        std::remove(temporary.c_str());
        throw EDatabaseError("Cannot copy the database to \"" + FileNameAsText(FileName) + "\": " + failure);
    }
}

sqlite3* TADOConnection::Handle() const {
    if (!db_) throw EDatabaseError("Connection is not open");
    return db_;
}

bool TADOConnection::LastErrorIsDamage() const { return db_ && (sqlite3_errcode(db_) & 0xff) == SQLITE_CORRUPT; }

void TADOConnection::RaiseError(const AnsiString& context) const {
    AnsiString message = db_ ? Utf8ToAnsi(sqlite3_errmsg(db_)) : AnsiString("Connection is not open");
    if (!context.empty()) message = context + ": " + message;
    throw EDatabaseError(message);
}

int TADOConnection::BeginTrans() {
    sqlite3* db = Handle();
    AnsiString sql = level_ == 0 ? AnsiString("BEGIN") : "SAVEPOINT t" + std::to_string(level_ + 1);
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseError();
    return ++level_;
}

void TADOConnection::CommitTrans() {
    sqlite3* db = Handle();
    if (level_ == 0) throw EDatabaseError("No transaction is active");
    if (sqlite3_get_autocommit(db)) {
        // The engine rolled the whole transaction back after an earlier error.
        level_ = 0;
        EndedByRollback(1);
        throw EDatabaseError("The transaction was rolled back by the database");
    }
    AnsiString sql = level_ == 1 ? AnsiString("COMMIT") : "RELEASE t" + std::to_string(level_);
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseError();
    --level_;
    if (AfterCommit) AfterCommit(this, level_ + 1);
}

void TADOConnection::RollbackTrans() {
    sqlite3* db = Handle();
    if (level_ == 0) throw EDatabaseError("No transaction is active");
    int level = level_--;
    if (sqlite3_get_autocommit(db)) {  // nothing left to undo
        EndedByRollback(level);
        return;
    }
    AnsiString sql = level == 1 ? AnsiString("ROLLBACK")
                                : "ROLLBACK TO t" + std::to_string(level) + "; RELEASE t" + std::to_string(level);
    const bool undone = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    EndedByRollback(level);
    if (!undone) RaiseError();
}

TTransactionScope::TTransactionScope(TADOConnection* Connection)
    : connection_(Connection), level_(Connection->BeginTrans()) {}

TTransactionScope::~TTransactionScope() {
    if (!open_) return;
    try {
        Rollback();
    } catch (const Exception&) {
        // The error that ended the scope is the one worth reporting.
    }
}

void TTransactionScope::Commit() {
    connection_->CommitTrans();
    open_ = false;
}

void TTransactionScope::Rollback() {
    open_ = false;
    while (connection_->Connected() && connection_->TransactionLevel() >= level_) connection_->RollbackTrans();
}

int TADOConnection::Execute(const AnsiString& CommandText) {
    sqlite3* db = Handle();
    std::string sql = AnsiToUtf8(CommandText);
    const int before = sqlite3_total_changes(db);
    const char* p = sql.c_str();
    while (p && *p) {
        const char* tail = nullptr;
        TSqliteStatement stmt(*this, p, &tail);
        if (!stmt.Empty())
            while (stmt.Step()) {
            }
        p = tail;
    }
    return sqlite3_total_changes(db) - before;
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* DataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), DataSet) == dataSets_.end()) dataSets_.push_back(DataSet);
}

void TADOConnection::UnregisterDataSet(TCustomADODataSet* DataSet) {
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), DataSet), dataSets_.end());
}

sqlite3_stmt* TADOConnection::TakeCached(const char* Sql) const {
    for (size_t i = cached_.size(); i-- > 0;)
        if (cached_[i].Sql == Sql) {
            sqlite3_stmt* stmt = cached_[i].Stmt;
            cached_.erase(cached_.begin() + static_cast<std::ptrdiff_t>(i));
            return stmt;
        }
    return nullptr;
}

void TADOConnection::KeepCached(std::string Sql, sqlite3_stmt* Stmt) const {
    constexpr size_t kKept = 48;
    sqlite3_reset(Stmt);
    sqlite3_clear_bindings(Stmt);
    for (const CachedStatement& c : cached_)
        if (c.Sql == Sql) {
            sqlite3_finalize(Stmt);  // a twin was in use at the same time
            return;
        }
    if (cached_.size() == kKept) {
        sqlite3_finalize(cached_.front().Stmt);
        cached_.erase(cached_.begin());
    }
    cached_.push_back({std::move(Sql), Stmt});
}

void TADOConnection::FinalizeCached() const {
    for (const CachedStatement& c : cached_) sqlite3_finalize(c.Stmt);
    cached_.clear();
}

TSqliteStatement::TSqliteStatement(const TADOConnection& connection, const char* utf8Sql, const char** tail)
    : connection_(connection), opened_(connection.opened_) {
    sqlite3* db = connection.Handle();
    if ((stmt_ = connection.TakeCached(utf8Sql))) {
        if (tail) *tail = utf8Sql + std::strlen(utf8Sql);
        sql_ = utf8Sql;
        return;
    }
    const char* rest = nullptr;
    if (sqlite3_prepare_v2(db, utf8Sql, -1, &stmt_, &rest) != SQLITE_OK) {
        stmt_ = nullptr;
        connection.RaiseError();
    }
    if (tail) *tail = rest;
    // Only a text that is this one statement alone is kept for later.
    if (stmt_ && rest && std::all_of(rest, rest + std::strlen(rest), [](char c) { return std::isspace(static_cast<unsigned char>(c)); }))
        sql_ = utf8Sql;
}

TSqliteStatement::~TSqliteStatement() {
    if (!stmt_) return;
    if (!sql_.empty() && connection_.Connected() && opened_ == connection_.opened_)
        connection_.KeepCached(std::move(sql_), stmt_);
    else
        sqlite3_finalize(stmt_);
}

void TSqliteStatement::BindInt64(int Index, long long Value) {
    sqlite3_bind_int64(stmt_, Index, Value);
}

bool TSqliteStatement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    connection_.RaiseError();
}
