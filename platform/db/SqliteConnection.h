#pragma once
// The database connection over an SQLite file, with the names of the ADO
// connection the program was written against. The connection string is read
// for its "Data Source" only; the file must exist (it is never created).
// Transactions nest: the outermost BeginTrans is BEGIN, inner ones SAVEPOINTs,
// so an inner commit becomes final only with the outermost one. Every
// connection compares names with the code page's fold (SqliteCollation.h).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

struct sqlite3;
struct sqlite3_stmt;
class TCustomADODataSet;

enum TConnectMode {
    cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite, cmShareExclusive, cmShareDenyNone
};

// "Key=Value;..." with optional double quotes around a value; "" when absent.
AnsiString ConnectionStringValue(const AnsiString& connectionString, const AnsiString& key);

// After a transaction level ended; Level is the level that ended (1 the
// outermost).
using TTransactionEvent = Delegate<void(TObject* Sender, int Level)>;

class TADOConnection : public TComponent {
public:
    explicit TADOConnection(TComponent* AOwner);
    ~TADOConnection() override;
    const char* ClassName() const override { return "TADOConnection"; }
    void BeforeDestruction() override;

    const AnsiString& ConnectionString() const { return connectionString_; }
    void SetConnectionString(const AnsiString& Value);
    bool Connected() const { return db_ != nullptr; }
    void SetConnected(bool Value);
    // cmRead opens the file read-only; every other mode reads and writes.
    TConnectMode Mode() const { return mode_; }
    void SetMode(TConnectMode Value) { mode_ = Value; }
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool Value) { loginPrompt_ = Value; }
    int BusyTimeout() const { return busyTimeout_; }
    void SetBusyTimeout(int Milliseconds);

    void Open();
    // Closes every data set of the connection first. AfterDisconnect fires only
    // when the connection was open.
    void Close();

    // Returns the new nesting level (1 for the outermost).
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return level_ > 0; }
    int TransactionLevel() const { return level_; }

    // Runs one or more statements; returns the rows they changed.
    int Execute(const AnsiString& CommandText);
    void Execute(const AnsiString& CommandText, int& RecordsAffected) { RecordsAffected = Execute(CommandText); }

    int DataSetCount() const { return static_cast<int>(dataSets_.size()); }
    TCustomADODataSet* DataSets(int Index) const { return dataSets_.at(static_cast<size_t>(Index)); }

    // A consistent copy of the open database in FileName, made with the
    // engine's backup interface into a temporary file beside it and renamed
    // over it at the end. Raises EDatabaseError with the reason; the target
    // is then as it was.
    void BackupTo(const AnsiString& FileName);

    // The open handle; raises EDatabaseError when not connected.
    sqlite3* Handle() const;
    // True when the last failed call found the open file damaged (the engine's
    // "malformed" answer), as opposed to no database at all.
    bool LastErrorIsDamage() const;
    // Raises EDatabaseError with the engine's message for the last failed call.
    [[noreturn]] void RaiseError(const AnsiString& context = AnsiString()) const;

    TNotifyEvent BeforeConnect;
    TNotifyEvent AfterConnect;
    TNotifyEvent BeforeDisconnect;
    TNotifyEvent AfterDisconnect;
    // A commit of a level, and a level undone (rolled back, or lost when the
    // engine gave the whole transaction up or the file was closed with it open).
    TTransactionEvent AfterCommit;
    TTransactionEvent AfterRollback;

private:
    friend class TSqliteStatement;
    // Idle prepared statements of single-statement texts, kept for their next
    // use (the finders run the same few statements over and over); most
    // recent last. A statement is taken out while in use.
    struct CachedStatement {
        std::string Sql;
        sqlite3_stmt* Stmt;
    };
    sqlite3_stmt* TakeCached(const char* Sql) const;
    void KeepCached(std::string Sql, sqlite3_stmt* Stmt) const;
    void FinalizeCached() const;
    mutable std::vector<CachedStatement> cached_;
    // Counts the files opened, so a statement of an earlier one is never kept.
    unsigned opened_ = 0;

    void EndedByRollback(int Level) {
        if (AfterRollback) AfterRollback(this, Level);
    }
    friend class TCustomADODataSet;
    void RegisterDataSet(TCustomADODataSet* DataSet);
    void UnregisterDataSet(TCustomADODataSet* DataSet);
    void Disconnect(bool fireEvents);

    AnsiString connectionString_;
    TConnectMode mode_ = cmUnknown;
    bool loginPrompt_ = false;
    int busyTimeout_ = 5000;
    sqlite3* db_ = nullptr;
    int level_ = 0;
    std::vector<TCustomADODataSet*> dataSets_;
};

// One transaction level of a routine: begun at construction, rolled back
// (with any level opened inside it and left open) when the scope ends
// without Commit, so an error on its way out never leaves the level open
// for later writes to join. A commit that fails rolls the level back too.
class TTransactionScope {
public:
    explicit TTransactionScope(TADOConnection* Connection);
    ~TTransactionScope();
    TTransactionScope(const TTransactionScope&) = delete;
    TTransactionScope& operator=(const TTransactionScope&) = delete;
    void Commit();
    // Rolls back at once, before the scope ends.
    void Rollback();

private:
    TADOConnection* connection_;
    int level_;
    bool open_ = true;
};

// A prepared statement that is finalised when it goes out of scope.
class TSqliteStatement {
public:
    // Prepares the first statement of the UTF-8 text; *tail receives the rest.
    TSqliteStatement(const TADOConnection& connection, const char* utf8Sql, const char** tail = nullptr);
    TSqliteStatement(const TADOConnection& connection, const std::string& utf8Sql)
        : TSqliteStatement(connection, utf8Sql.c_str()) {}
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    sqlite3_stmt* Handle() const { return stmt_; }
    bool Empty() const { return stmt_ == nullptr; }  // only blanks or comments
    // Binds the 1-based parameter Index.
    void BindInt64(int Index, long long Value);
    // True while a row is ready; raises on errors.
    bool Step();

private:
    const TADOConnection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    // The text when it is one statement, so the statement can be kept.
    std::string sql_;
    unsigned opened_ = 0;
};
