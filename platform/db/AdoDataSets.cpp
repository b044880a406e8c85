#include "platform/db/AdoDataSets.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/DateTime.h"

namespace {

bool IsNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u >= 0x80;
}

bool IsRawType(TFieldType t) {
    switch (t) {
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
    case ftTypedBinary:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftOraBlob: return true;
    default: return false;
    }
}

// The field type for a declared column type ("INTEGER", "TEXT(50)", "DATETIME" ...).
TFieldType MapDeclType(const char* decl, int& size) {
    size = 0;
    if (!decl || !*decl) return ftUnknown;
    AnsiString d = UpperCase(decl);
    size_t open = d.find('(');
    if (open != AnsiString::npos) size = std::atoi(d.c_str() + open + 1);
    auto has = [&](const char* s) { return d.find(s) != AnsiString::npos; };
    if (has("COUNTER") || has("AUTOINC")) return ftAutoInc;
    if (has("BOOL") || has("BIT") || has("YESNO") || has("LOGICAL")) return ftBoolean;
    if (has("TINYINT") || has("BYTE")) return ftWord;
    if (has("SMALLINT")) return ftSmallint;
    if (has("BIGINT")) return ftLargeint;
    if (has("INT")) return ftInteger;
    if (has("DATE") || has("TIMESTAMP")) return ftDateTime;
    if (has("TIME")) return ftTime;
    if (has("CHAR") || has("STRING") || ((has("TEXT") || has("CLOB")) && size > 0)) {
        if (size <= 0) size = 255;
        return ftWideString;
    }
    if (has("MEMO") || has("TEXT") || has("CLOB")) return ftMemo;
    if (has("BLOB") || has("BINARY") || has("IMAGE") || has("OLE")) return ftBlob;
    if (has("CURRENCY") || has("MONEY")) return ftCurrency;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL")) return ftFloat;
    return ftUnknown;
}

// The spelling of a table name as the statement writes it (Jet names the
// duplicate columns of a join after it).
AnsiString TableSpelling(const AnsiString& sql, const AnsiString& table) {
    AnsiString upSql = AnsiUpperCase(sql), upTable = AnsiUpperCase(table);
    size_t pos = 0;
    while ((pos = upSql.find(upTable, pos)) != AnsiString::npos) {
        bool before = pos == 0 || !IsNameChar(sql[pos - 1]);
        size_t end = pos + upTable.size();
        bool after = end >= sql.size() || !IsNameChar(sql[end]);
        if (before && after) return sql.substr(pos, table.size());
        pos = end;
    }
    return table;
}

void BindText(sqlite3_stmt* stmt, int index, const AnsiString& text) {
    std::string utf8 = AnsiToUtf8(text);
    sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void BindVariant(sqlite3_stmt* stmt, int index, const Variant& v, TFieldType hint) {
    if (v.IsNull() || v.IsEmpty()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    TVarType t = VarType(v) & varTypeMask;
    bool dateHint = hint == ftDateTime || hint == ftDate || hint == ftTime || hint == ftTimeStamp;
    if (t == varDate || (dateHint && VarIsNumeric(v))) {
        BindText(stmt, index, DateTimeToSqlText(v.AsDateTime()));
    } else if (t == varBoolean) {
        sqlite3_bind_int64(stmt, index, v.AsBoolean() ? 1 : 0);
    } else if (VarIsOrdinal(v)) {
        sqlite3_bind_int64(stmt, index, v.AsInt64());
    } else if (VarIsFloat(v)) {
        sqlite3_bind_double(stmt, index, v.AsDouble());
    } else {
        BindText(stmt, index, v.AsString());
    }
}

bool IsAscii(const unsigned char* t, int n) {
    for (int i = 0; i < n; ++i)
        if (t[i] >= 0x80) return false;
    return true;
}

}  // namespace

AnsiString QuoteSqlName(const AnsiString& Name) {
    AnsiString out = "\"";
    for (char c : Name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// ---------------------------------------------------------------------------
// Parameters

TParameter* TParameters::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return items_[static_cast<size_t>(Index)].get();
}

TParameter* TParameters::FindParam(const AnsiString& Name) const {
    for (const auto& p : items_)
        if (AnsiSameText(p->Name(), Name)) return p.get();
    return nullptr;
}

TParameter* TParameters::ParamByName(const AnsiString& Name) const {
    TParameter* p = FindParam(Name);
    if (!p) DatabaseError("Parameter '" + Name + "' not found");
    return p;
}

TParameter* TParameters::AddParameter() {
    items_.push_back(std::make_unique<TParameter>());
    return items_.back().get();
}

void TParameters::ParseSQL(const AnsiString& SQL) {
    items_.clear();
    const AnsiString& s = SQL;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\'' || c == '"' || c == '[' || c == '`') {
            char close = c == '[' ? ']' : c;
            size_t end = s.find(close, i + 1);
            i = end == AnsiString::npos ? s.size() : end + 1;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            size_t end = s.find('\n', i);
            i = end == AnsiString::npos ? s.size() : end + 1;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            size_t end = s.find("*/", i + 2);
            i = end == AnsiString::npos ? s.size() : end + 2;
        } else if (c == ':' && i + 1 < s.size() && IsNameChar(s[i + 1]) && (i == 0 || (s[i - 1] != ':' && !IsNameChar(s[i - 1])))) {
            size_t end = i + 1;
            while (end < s.size() && IsNameChar(s[end])) ++end;
            AnsiString name = s.substr(i + 1, end - i - 1);
            if (!FindParam(name)) AddParameter()->SetName(name);
            i = end;
        } else {
            ++i;
        }
    }
}

void TParameters::Bind(sqlite3_stmt* Statement) const {
    int n = sqlite3_bind_parameter_count(Statement);
    for (int i = 1; i <= n; ++i) {
        const char* name = sqlite3_bind_parameter_name(Statement, i);
        TParameter* p = nullptr;
        if (name && (name[0] == ':' || name[0] == '@' || name[0] == '$'))
            p = FindParam(Utf8ToAnsi(name + 1));
        else if (i - 1 < Count())
            p = Items(i - 1);
        if (p)
            BindVariant(Statement, i, p->Value(), p->DataType());
        else
            sqlite3_bind_null(Statement, i);
    }
}

// ---------------------------------------------------------------------------
// TCustomADODataSet

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TCustomADODataSet::~TCustomADODataSet() {
    if (connection_) connection_->UnregisterDataSet(this);
}

void TCustomADODataSet::SetConnection(TADOConnection* Value) {
    if (Value == connection_) return;
    Close();
    if (connection_) {
        connection_->UnregisterDataSet(this);
        connection_->RemoveFreeNotification(this);
    }
    connection_ = Value;
    if (Value) {
        Value->RegisterDataSet(this);
        Value->FreeNotification(this);
    }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == connection_) connection_ = nullptr;
}

void TCustomADODataSet::SetLockType(TLockType Value) {
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
    lockType_ = Value;
}

TParameters* TCustomADODataSet::Parameters() const {
    SyncParameters();
    return &parameters_;
}

TADOConnection* TCustomADODataSet::CheckConnection() const {
    if (!connection_) DatabaseError("Missing Connection or ConnectionString");
    if (!connection_->Connected()) connection_->Open();
    return connection_;
}

TField* TCustomADODataSet::KeyField() const {
    if (keyColumn_ < 0) return nullptr;
    for (size_t c = 0; c < storeSource_.size(); ++c)
        if (storeSource_[c] == keyColumn_) return StoreField(static_cast<int>(c));
    return nullptr;
}

bool TCustomADODataSet::SourceReadOnly() const {
    if (lockType_ == ltReadOnly) return true;
    if (lockType_ == ltBatchOptimistic) return false;
    return KeyField() == nullptr;
}

bool TCustomADODataSet::CanModify() const { return Active() && !SourceReadOnly(); }

void TCustomADODataSet::InternalOpen() { Fetch(true); }

void TCustomADODataSet::InternalClose() {
    resultColumns_.clear();
    storeSource_.clear();
    updateTable_.clear();
    keyColumn_ = -1;
}

void TCustomADODataSet::InternalRefresh() {
    ClearRows();
    Fetch(false);
}

void TCustomADODataSet::Fetch(bool describe) {
    TADOConnection* conn = CheckConnection();
    std::string utf8 = AnsiToUtf8(SelectSQL());
    TSqliteStatement stmt(*conn, utf8.c_str());
    if (stmt.Empty()) DatabaseError("CommandText does not return a result set");
    sqlite3_stmt* h = stmt.Handle();
    SyncParameters();
    parameters_.Bind(h);
    if (sqlite3_column_count(h) == 0) DatabaseError("CommandText does not return a result set");
    bool haveRow = stmt.Step();
    if (describe) {
        DescribeColumns(h, haveRow);
        FieldDefs()->Clear();
        for (const ColumnInfo& c : resultColumns_) FieldDefs()->Add(c.name, c.type, c.size);
        storeSource_ = BindFields();
        if (DefaultFields()) {
            TField* key = KeyField();
            if (key) key->SetReadOnly(true);
        }
    }
    struct Target {
        TDbColumn* col;
        int src;
        bool raw;
    };
    std::vector<Target> targets;
    for (int c = 0; c < StoreColumnCount(); ++c)
        targets.push_back({&StoreColumn(c), storeSource_[static_cast<size_t>(c)],
                           StoreField(c) && IsRawType(StoreField(c)->DataType())});
    uint32_t rows = 0;
    while (haveRow) {
        for (const Target& t : targets) {
            TDbColumn& col = *t.col;
            const int src = t.src;
            int type = sqlite3_column_type(h, src);
            bool null = type == SQLITE_NULL;
            switch (col.kind) {
            case TDbKind::Integer:
            case TDbKind::Boolean: {
                int64_t v = 0;
                if (type == SQLITE_INTEGER) {
                    v = sqlite3_column_int64(h, src);
                } else if (type == SQLITE_FLOAT) {
                    v = static_cast<int64_t>(std::llround(sqlite3_column_double(h, src)));
                } else if (!null) {
                    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(h, src));
                    null = !TryStrToInt64(text ? AnsiString(text) : AnsiString(), v);
                }
                if (col.kind == TDbKind::Boolean) v = v != 0;
                col.ints.push_back(null ? TDbColumn::kNullInt : v);
                break;
            }
            case TDbKind::Float:
                col.reals.push_back(null ? TDbColumn::NullReal() : sqlite3_column_double(h, src));
                break;
            case TDbKind::DateTime: {
                double d = 0;
                if (type == SQLITE_TEXT) {
                    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(h, src));
                    null = !TrySqlTextToDateTime(std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(h, src))), d);
                } else if (!null) {
                    d = sqlite3_column_double(h, src);
                }
                col.reals.push_back(null ? TDbColumn::NullReal() : d);
                break;
            }
            case TDbKind::Text:
                col.textNulls.push_back(null ? 1 : 0);
                if (null) {
                    col.texts.emplace_back();
                } else if (t.raw) {
                    const char* b = static_cast<const char*>(sqlite3_column_blob(h, src));
                    col.texts.emplace_back(b ? b : "", static_cast<size_t>(sqlite3_column_bytes(h, src)));
                } else {
                    const unsigned char* text = sqlite3_column_text(h, src);
                    int n = sqlite3_column_bytes(h, src);
                    if (IsAscii(text, n))
                        col.texts.emplace_back(reinterpret_cast<const char*>(text), static_cast<size_t>(n));
                    else
                        col.texts.push_back(
                            Utf8ToAnsi(std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(n))));
                }
                break;
            }
        }
        ++rows;
        haveRow = stmt.Step();
    }
    RowsAppended(rows);
}

void TCustomADODataSet::DescribeColumns(sqlite3_stmt* h, bool haveRow) {
    sqlite3* db = CheckConnection()->Handle();
    resultColumns_.clear();
    updateTable_.clear();
    keyColumn_ = -1;
    const int n = sqlite3_column_count(h);
    bool allFromTables = true;
    for (int i = 0; i < n; ++i) {
        ColumnInfo c;
        const char* name = sqlite3_column_name(h, i);
        const char* table = sqlite3_column_table_name(h, i);
        const char* origin = sqlite3_column_origin_name(h, i);
        const char* dbName = sqlite3_column_database_name(h, i);
        const char* decl = sqlite3_column_decltype(h, i);
        c.name = Utf8ToAnsi(name ? name : "");
        c.table = table ? Utf8ToAnsi(table) : AnsiString();
        c.origin = origin ? Utf8ToAnsi(origin) : c.name;
        c.type = MapDeclType(decl, c.size);
        if (table && origin) {
            const char* dataType = nullptr;
            const char* collation = nullptr;
            int notNull = 0, primaryKey = 0, autoInc = 0;
            if (sqlite3_table_column_metadata(db, dbName, table, origin, &dataType, &collation, &notNull, &primaryKey,
                                              &autoInc) == SQLITE_OK &&
                primaryKey && dataType && SameText(dataType, "INTEGER"))
                c.type = ftAutoInc;  // the rowid
        } else {
            allFromTables = false;
        }
        if (c.type == ftUnknown) {
            switch (haveRow ? sqlite3_column_type(h, i) : SQLITE_NULL) {
            case SQLITE_INTEGER: c.type = ftInteger; break;
            case SQLITE_FLOAT: c.type = ftFloat; break;
            case SQLITE_BLOB: c.type = ftBlob; break;
            default:
                c.type = ftWideString;
                c.size = 255;
                break;
            }
        }
        resultColumns_.push_back(c);
    }
    // Jet names a column that several tables of a join share "table.column".
    AnsiString sql = SelectSQL();
    std::map<AnsiString, int> counts;
    for (const ColumnInfo& c : resultColumns_) ++counts[AnsiUpperCase(c.name)];
    for (ColumnInfo& c : resultColumns_)
        if (counts[AnsiUpperCase(c.name)] > 1 && !c.table.empty()) c.name = TableSpelling(sql, c.table) + "." + c.name;
    // Writable when every column comes from one table and its rowid is among them.
    if (allFromTables && !resultColumns_.empty()) {
        const AnsiString& first = resultColumns_[0].table;
        bool single = std::all_of(resultColumns_.begin(), resultColumns_.end(),
                                  [&](const ColumnInfo& c) { return AnsiSameText(c.table, first); });
        if (single) {
            for (size_t i = 0; i < resultColumns_.size(); ++i)
                if (resultColumns_[i].type == ftAutoInc) {
                    keyColumn_ = static_cast<int>(i);
                    break;
                }
            if (keyColumn_ >= 0) updateTable_ = first;
        }
    }
}

void TCustomADODataSet::BindValue(sqlite3_stmt* stmt, int index, TField* field) const {
    TDbCell cell;
    std::string scratch;
    if (!field->GetCell(cell, scratch)) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (field->Kind()) {
    case TDbKind::Integer:
    case TDbKind::Boolean: sqlite3_bind_int64(stmt, index, cell.i); break;
    case TDbKind::Float: sqlite3_bind_double(stmt, index, cell.d); break;
    case TDbKind::DateTime: BindText(stmt, index, DateTimeToSqlText(cell.d)); break;
    case TDbKind::Text:
        if (IsRawType(field->DataType()))
            sqlite3_bind_blob(stmt, index, cell.s.data(), static_cast<int>(cell.s.size()), SQLITE_TRANSIENT);
        else
            BindText(stmt, index, AnsiString(cell.s));
        break;
    }
}

void TCustomADODataSet::InternalPost(bool Inserting) {
    if (lockType_ == ltBatchOptimistic) return;
    TField* key = KeyField();
    if (!key) DatabaseError("Cannot modify a read-only dataset");
    TADOConnection* conn = CheckConnection();
    sqlite3* db = conn->Handle();
    std::vector<int> written;
    if (Inserting) {
        TDbCell cell;
        std::string scratch;
        for (int c = 0; c < StoreColumnCount(); ++c)
            if (StoreField(c) && StoreField(c)->GetCell(cell, scratch)) written.push_back(c);
    } else {
        for (int c = 0; c < StoreColumnCount(); ++c)
            if (StoreField(c) && FieldModified(StoreField(c))) written.push_back(c);
        if (written.empty()) return;
    }
    auto columnName = [&](int c) {
        return QuoteSqlName(resultColumns_[static_cast<size_t>(storeSource_[static_cast<size_t>(c)])].origin);
    };
    AnsiString sql;
    if (Inserting) {
        sql = "INSERT INTO " + QuoteSqlName(updateTable_);
        if (written.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            AnsiString names, marks;
            for (size_t i = 0; i < written.size(); ++i) {
                names += (i ? ", " : "") + columnName(written[i]);
                marks += i ? ", ?" : "?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
    } else {
        sql = "UPDATE " + QuoteSqlName(updateTable_) + " SET ";
        for (size_t i = 0; i < written.size(); ++i) sql += (i ? ", " : "") + columnName(written[i]) + " = ?";
        sql += " WHERE " + QuoteSqlName(resultColumns_[static_cast<size_t>(keyColumn_)].origin) + " = ?";
    }
    TSqliteStatement stmt(*conn, AnsiToUtf8(sql));
    int index = 1;
    for (int c : written) BindValue(stmt.Handle(), index++, StoreField(c));
    if (!Inserting) {
        TDbCell keyCell;
        int64_t row = CurrentRow();
        if (row >= 0) ReadStoreCell(key, static_cast<uint32_t>(row), keyCell);
        if (keyCell.null) DatabaseError("Row cannot be located for updating");
        sqlite3_bind_int64(stmt.Handle(), index, keyCell.i);
    }
    stmt.Step();
    rowsAffected_ = sqlite3_changes(db);
    if (!Inserting && rowsAffected_ == 0) DatabaseError("Row cannot be located for updating");
    if (Inserting && key->IsNull()) SetGeneratedValue(key, sqlite3_last_insert_rowid(db));
}

void TCustomADODataSet::InternalDelete() {
    if (lockType_ == ltBatchOptimistic) return;
    TField* key = KeyField();
    if (!key) DatabaseError("Cannot modify a read-only dataset");
    TADOConnection* conn = CheckConnection();
    TDbCell keyCell;
    int64_t row = CurrentRow();
    if (row >= 0) ReadStoreCell(key, static_cast<uint32_t>(row), keyCell);
    if (keyCell.null) DatabaseError("Row cannot be located for deleting");
    AnsiString origin = resultColumns_[static_cast<size_t>(keyColumn_)].origin;
    TSqliteStatement stmt(*conn, AnsiToUtf8("DELETE FROM " + QuoteSqlName(updateTable_) + " WHERE " +
                                             QuoteSqlName(origin) + " = ?"));
    sqlite3_bind_int64(stmt.Handle(), 1, keyCell.i);
    stmt.Step();
    rowsAffected_ = sqlite3_changes(conn->Handle());
    if (rowsAffected_ == 0) DatabaseError("Row cannot be located for deleting");
}

// ---------------------------------------------------------------------------
// TADOQuery

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner), sql_(std::make_unique<TStringList>()) {
    sql_->OnChange = MakeEvent(this, &TADOQuery::SQLChanged);
}

TADOQuery::~TADOQuery() { sql_->OnChange.Clear(); }

void TADOQuery::SetSQL(TStrings* Value) { sql_->Assign(Value); }

void TADOQuery::SQLChanged(TObject*) {
    if (Active()) Close();
    parsedText_ = sql_->Text();
    parameters_.ParseSQL(parsedText_);
}

void TADOQuery::SyncParameters() const {
    AnsiString text = sql_->Text();
    if (text == parsedText_) return;
    parsedText_ = text;
    parameters_.ParseSQL(text);
}

int TADOQuery::ExecSQL() {
    TADOConnection* conn = CheckConnection();
    SyncParameters();
    sqlite3* db = conn->Handle();
    std::string utf8 = AnsiToUtf8(sql_->Text());
    const int before = sqlite3_total_changes(db);
    const char* p = utf8.c_str();
    while (p && *p) {
        const char* tail = nullptr;
        TSqliteStatement stmt(*conn, p, &tail);
        if (!stmt.Empty()) {
            parameters_.Bind(stmt.Handle());
            while (stmt.Step()) {
            }
        }
        p = tail;
    }
    rowsAffected_ = sqlite3_total_changes(db) - before;
    return rowsAffected_;
}

// ---------------------------------------------------------------------------
// TADOTable

TADOTable::TADOTable(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

void TADOTable::SetTableName(const AnsiString& Value) {
    if (Active()) Close();
    tableName_ = Value;
}

void TADOTable::SetIndexName(const AnsiString& Value) {
    if (indexName_ == Value) return;
    indexName_ = Value;
    if (Active()) {
        Close();
        Open();
    }
}

AnsiString TADOTable::SelectSQL() const {
    AnsiString sql = "SELECT * FROM " + QuoteSqlName(tableName_);
    if (Trim(indexName_).empty()) return sql;
    std::vector<AnsiString> columns;
    TADOConnection* conn = CheckConnection();
    {
        TSqliteStatement list(*conn, AnsiToUtf8("PRAGMA index_list(" + QuoteSqlName(tableName_) + ")"));
        AnsiString index;
        while (list.Step()) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 1));
            if (name && AnsiSameText(Utf8ToAnsi(name), indexName_)) index = Utf8ToAnsi(name);
        }
        if (!index.empty()) {
            TSqliteStatement info(*conn, AnsiToUtf8("PRAGMA index_info(" + QuoteSqlName(index) + ")"));
            while (info.Step()) {
                const char* col = reinterpret_cast<const char*>(sqlite3_column_text(info.Handle(), 2));
                if (col) columns.push_back(Utf8ToAnsi(col));
            }
        }
    }
    if (columns.empty()) {
        size_t start = 0;
        while (start <= indexName_.size()) {
            size_t semi = indexName_.find(';', start);
            if (semi == AnsiString::npos) semi = indexName_.size();
            AnsiString col = Trim(indexName_.substr(start, semi - start));
            if (!col.empty()) columns.push_back(col);
            start = semi + 1;
        }
    }
    for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : " ORDER BY ") + QuoteSqlName(columns[i]);
    return sql;
}
