#pragma once
// Data sets over an SQLite connection, with the names of the ADO data sets the
// program was written against: a query (SQL text with ":NAME" parameters) and
// a table (TableName, IndexName). Both fetch every row when they open (a static
// cursor). A data set whose columns all come from one table that has an
// INTEGER PRIMARY KEY column among them writes its changes back: UPDATE of the
// changed fields, INSERT (the new rowid goes into the key field) and DELETE by
// the key. In batch mode (ltBatchOptimistic) Post and Delete change only the
// rows held; the program's own events write the file.
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/db/DB.h"
#include "platform/db/SqliteConnection.h"

struct sqlite3_stmt;

enum TLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };

class TParameter : public TObject {
public:
    const char* ClassName() const override { return "TParameter"; }
    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value) { name_ = Value; }
    const Variant& Value() const { return value_; }
    void SetValue(const Variant& Value) { value_ = Value; }
    // A hint only: values are bound by their own type (dates as date text).
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType Value) { dataType_ = Value; }

private:
    AnsiString name_;
    Variant value_;
    TFieldType dataType_ = ftUnknown;
};

// The parameters of a statement, in the order of their first appearance; names
// are matched without regard to case.
class TParameters : public TObject {
public:
    const char* ClassName() const override { return "TParameters"; }
    int Count() const { return static_cast<int>(items_.size()); }
    TParameter* Items(int Index) const;
    TParameter* operator[](int Index) const { return Items(Index); }
    TParameter* FindParam(const AnsiString& Name) const;
    // Raises EDatabaseError "Parameter 'x' not found".
    TParameter* ParamByName(const AnsiString& Name) const;
    TParameter* AddParameter();
    void Clear() { items_.clear(); }
    // Replaces the list by the ":NAME" parameters of the text (outside quotes and comments).
    void ParseSQL(const AnsiString& SQL);

    // Binds the values to a prepared statement: by name, else by position.
    void Bind(sqlite3_stmt* Statement) const;

private:
    std::vector<std::unique_ptr<TParameter>> items_;
};

class TCustomADODataSet : public TDataSet {
public:
    explicit TCustomADODataSet(TComponent* AOwner);
    ~TCustomADODataSet() override;
    const char* ClassName() const override { return "TCustomADODataSet"; }

    TADOConnection* Connection() const { return connection_; }
    void SetConnection(TADOConnection* Value);
    TLockType LockType() const { return lockType_; }
    void SetLockType(TLockType Value);
    TParameters* Parameters() const;
    bool Prepared() const { return prepared_; }
    void SetPrepared(bool Value) { prepared_ = Value; }
    // Rows changed by the last ExecSQL or write-back.
    int RowsAffected() const { return rowsAffected_; }

    bool CanModify() const override;

    // The table written back to and its key field; empty/nullptr when read-only.
    const AnsiString& UpdateTable() const { return updateTable_; }
    TField* KeyField() const;

protected:
    // The statement that reads the rows.
    virtual AnsiString SelectSQL() const = 0;
    virtual void SyncParameters() const {}

    void InternalOpen() override;
    void InternalClose() override;
    void InternalPost(bool Inserting) override;
    void InternalDelete() override;
    void InternalRefresh() override;
    bool SourceReadOnly() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TADOConnection* CheckConnection() const;
    mutable TParameters parameters_;
    int rowsAffected_ = 0;

private:
    friend class TADOConnection;
    struct ColumnInfo {
        AnsiString name;    // as the field is named (duplicates of a join qualified)
        AnsiString table;   // the column's table, empty for an expression
        AnsiString origin;  // the column's own name in its table
        TFieldType type = ftUnknown;
        int size = 0;
    };
    void ConnectionDestroyed() { connection_ = nullptr; }
    void Fetch(bool describe);
    void DescribeColumns(sqlite3_stmt* stmt, bool haveRow);
    void BindValue(sqlite3_stmt* stmt, int index, TField* field) const;

    TADOConnection* connection_ = nullptr;
    TLockType lockType_ = ltOptimistic;
    bool prepared_ = false;
    std::vector<ColumnInfo> resultColumns_;
    std::vector<int> storeSource_;  // result column of each store column
    AnsiString updateTable_;
    int keyColumn_ = -1;  // result column of the key
};

class TADOQuery : public TCustomADODataSet {
public:
    explicit TADOQuery(TComponent* AOwner);
    ~TADOQuery() override;
    const char* ClassName() const override { return "TADOQuery"; }

    // Changing the text closes the query and makes its parameters anew.
    TStrings* SQL() const { return sql_.get(); }
    void SetSQL(TStrings* Value);
    // Runs the statements of SQL; answers the rows changed.
    int ExecSQL();

protected:
    AnsiString SelectSQL() const override { return sql_->Text(); }
    void SyncParameters() const override;

private:
    void SQLChanged(TObject* Sender);
    std::unique_ptr<TStringList> sql_;
    mutable AnsiString parsedText_;
};

class TADOTable : public TCustomADODataSet {
public:
    explicit TADOTable(TComponent* AOwner);
    const char* ClassName() const override { return "TADOTable"; }

    const AnsiString& TableName() const { return tableName_; }
    void SetTableName(const AnsiString& Value);
    // The rows come in the order of this index of the table (or of these
    // columns, "A;B", when there is no index of that name).
    const AnsiString& IndexName() const { return indexName_; }
    void SetIndexName(const AnsiString& Value);

protected:
    AnsiString SelectSQL() const override;

private:
    AnsiString tableName_;
    AnsiString indexName_;
};

// An identifier in double quotes for our statements.
AnsiString QuoteSqlName(const AnsiString& Name);
