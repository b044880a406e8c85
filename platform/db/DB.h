#pragma once
// The data-set model: TDataSet with its fields, TDataSource and TDataLink.
//
// A data set holds its rows in memory (column by column) once it is open; the
// SQLite data sets fetch them at open, the memory data set is filled by the
// program. Controls see the rows through a window of BufferCount consecutive
// records that contains the current one (ActiveRecord is its index in the
// window); a move inside the window only changes ActiveRecord, a move beyond it
// shifts the window by the least distance, which links are told as
// deDataSetScroll. GotoBookmark, Locate and RecNo beyond the window centre the
// target at (BufferCount - 1) div 2.
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/classes/Alignment.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Lists.h"
#include "platform/db/DBValue.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"

class TDataSet;
class TField;
class TFields;
class TDataSource;
class TDataLink;
class TDbFilter;
class TBasicAction;
class TStrings;

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime,
    ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle,
    ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet,
    ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue, dsCurValue,
    dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deParentScroll,
    deConnectChange, deReconcileError, deDisabledStateChange
};

enum TLocateOption { loCaseInsensitive, loPartialKey };

// A set of TLocateOption: Locate("Name", v, {loCaseInsensitive, loPartialKey}).
class TLocateOptions {
public:
    TLocateOptions() = default;
    TLocateOptions(std::initializer_list<TLocateOption> options) {
        for (TLocateOption o : options) bits_ |= 1u << o;
    }
    bool Contains(TLocateOption o) const { return (bits_ & (1u << o)) != 0; }
    void Include(TLocateOption o) { bits_ |= 1u << o; }
    void Exclude(TLocateOption o) { bits_ &= ~(1u << o); }

private:
    unsigned bits_ = 0;
};

// Resync modes, combined with |.
enum : unsigned { rmExact = 1, rmCenter = 2 };
using TResyncMode = unsigned;

// Opaque: only the data set that gave it understands it. Empty means none.
using TBookmarkStr = AnsiString;

using TDataSetNotifyEvent = Delegate<void(TDataSet* DataSet)>;
using TFilterRecordEvent = Delegate<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = Delegate<void(TField* Sender)>;
using TFieldGetTextEvent = Delegate<void(TField* Sender, AnsiString& Text, bool DisplayText)>;
using TFieldSetTextEvent = Delegate<void(TField* Sender, const AnsiString& Text)>;
using TDataChangeEvent = Delegate<void(TObject* Sender, TField* Field)>;

// Raises EDatabaseError with the message.
[[noreturn]] void DatabaseError(const AnsiString& Message);

// A value held in an edit or calculation buffer.
struct TDbValue {
    bool null = true;
    int64_t i = 0;
    double d = 0;
    AnsiString s;
};

// ---------------------------------------------------------------------------
// Fields

class TField : public TComponent {
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;
    const char* ClassName() const override { return "TField"; }

    // Names and place.
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    // The label when set, else the field name.
    AnsiString DisplayLabel() const;
    void SetDisplayLabel(const AnsiString& Value);
    AnsiString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;
    void SetDisplayWidth(int Value);
    // Position in the data set's Fields; setting it moves the field.
    int Index() const;
    void SetIndex(int Value);
    int FieldNo() const { return fieldNo_; }
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);

    // Type and kind.
    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    bool Lookup() const { return fieldKind_ == fkLookup; }
    void SetLookup(bool Value) { SetFieldKind(Value ? fkLookup : fkData); }
    int Size() const { return size_; }
    void SetSize(int Value);
    virtual bool IsBlob() const { return false; }
    TDbKind Kind() const { return kind_; }

    // Lookup fields: the value of LookupResultField in the LookupDataSet record
    // whose LookupKeyFields equal this record's KeyFields ("a;b").
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* Value);
    const AnsiString& KeyFields() const { return keyFields_; }
    void SetKeyFields(const AnsiString& Value) { keyFields_ = Value; }
    const AnsiString& LookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(const AnsiString& Value) { lookupKeyFields_ = Value; }
    const AnsiString& LookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(const AnsiString& Value) { lookupResultField_ = Value; }

    // Display and editing.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool Required() const { return required_; }
    void SetRequired(bool Value) { required_ = Value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    const AnsiString& EditMask() const { return editMask_; }
    void SetEditMask(const AnsiString& Value);
    bool CanModify() const;
    virtual bool IsValidChar(char C) const;
    // Asks the controls to focus the control showing this field.
    void FocusControl();

    // Values of the active record.
    bool IsNull() const;
    void Clear();
    Variant Value() const;
    void SetValue(const Variant& Value);
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& V) { SetValue(V); }
    AnsiString AsString() const;
    void SetAsString(const AnsiString& Value);
    int AsInteger() const;
    void SetAsInteger(int Value);
    int64_t AsLargeInt() const;
    void SetAsLargeInt(int64_t Value);
    double AsFloat() const;
    void SetAsFloat(double Value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime Value);
    bool AsBoolean() const;
    void SetAsBoolean(bool Value);
    // Edit text (through OnGetText/OnSetText when assigned) and display text.
    AnsiString Text() const;
    void SetText(const AnsiString& Value);
    AnsiString DisplayText() const;

    TFieldNotifyEvent OnChange;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;
    TFieldNotifyEvent OnValidate;

    // Direct cell access for the data set's own code and fast readers.
    bool GetCell(TDbCell& Cell, std::string& Scratch) const;

protected:
    void SetDataType(TFieldType Value);
    // The text shown (DisplayText) or edited; subclasses format their values.
    virtual AnsiString GetText(bool DisplayText) const;
    virtual void SetTextValue(const AnsiString& Value);
    virtual int DefaultWidth() const;
    // Calls DataSet's layout or data change notice.
    void PropertyChanged(bool LayoutAffected);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WriteValue(const TDbValue& Value);
    // Lets a subclass change a written value (text length, empty text) first.
    virtual void PrepareWrite(TDbValue& Value) const;

    AnsiString displayFormat_;
    AnsiString editFormat_;

private:
    friend class TDataSet;
    friend class TFields;

    AnsiString fieldName_;
    AnsiString displayLabel_;
    int displayWidth_ = 0;
    TDataSet* dataSet_ = nullptr;
    TFieldType dataType_ = ftUnknown;
    TDbKind kind_ = TDbKind::Text;
    TFieldKind fieldKind_ = fkData;
    int size_ = 0;
    int fieldNo_ = 0;
    TDataSet* lookupDataSet_ = nullptr;
    AnsiString keyFields_, lookupKeyFields_, lookupResultField_;
    bool readOnly_ = false;
    bool required_ = false;
    bool visible_ = true;
    TAlignment alignment_ = taLeftJustify;
    AnsiString editMask_;
    // Binding while the data set is open.
    int store_ = -1;      // data fields: column of the row store
    int calcSlot_ = -1;   // calculated and lookup fields: slot of the calculation buffer
    bool defaultField_ = false;
};

class TStringField : public TField {
public:
    explicit TStringField(TComponent* AOwner);
    const char* ClassName() const override { return "TStringField"; }

protected:
    void PrepareWrite(TDbValue& Value) const override;
    int DefaultWidth() const override;
};

class TWideStringField : public TStringField {
public:
    explicit TWideStringField(TComponent* AOwner);
    const char* ClassName() const override { return "TWideStringField"; }
};

class TNumericField : public TField {
public:
    explicit TNumericField(TComponent* AOwner);
    const char* ClassName() const override { return "TNumericField"; }
    // Masks for FormatFloat, e.g. "# ### ### ### ##0".
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);
    const AnsiString& EditFormat() const { return editFormat_; }
    void SetEditFormat(const AnsiString& Value);

protected:
    AnsiString GetText(bool DisplayText) const override;
    bool IsValidChar(char C) const override;
};

class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* AOwner);
    const char* ClassName() const override { return "TIntegerField"; }

protected:
    int DefaultWidth() const override { return 11; }
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* AOwner);
    const char* ClassName() const override { return "TSmallintField"; }

protected:
    int DefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
public:
    explicit TWordField(TComponent* AOwner);
    const char* ClassName() const override { return "TWordField"; }

protected:
    int DefaultWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
public:
    explicit TAutoIncField(TComponent* AOwner);
    const char* ClassName() const override { return "TAutoIncField"; }
};

class TLargeintField : public TNumericField {
public:
    explicit TLargeintField(TComponent* AOwner);
    const char* ClassName() const override { return "TLargeintField"; }

protected:
    int DefaultWidth() const override { return 15; }
};

class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* AOwner);
    const char* ClassName() const override { return "TFloatField"; }
    bool Currency() const { return currency_; }
    void SetCurrency(bool Value);
    int Precision() const { return precision_; }
    void SetPrecision(int Value);

protected:
    AnsiString GetText(bool DisplayText) const override;
    int DefaultWidth() const override { return precision_ + 2; }

private:
    bool currency_ = false;
    int precision_ = 15;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* AOwner);
    const char* ClassName() const override { return "TCurrencyField"; }
};

class TBCDField : public TFloatField {
public:
    explicit TBCDField(TComponent* AOwner);
    const char* ClassName() const override { return "TBCDField"; }
};

class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* AOwner);
    const char* ClassName() const override { return "TBooleanField"; }
    // "True;False" style: the texts for true and false.
    const AnsiString& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const AnsiString& Value);

protected:
    AnsiString GetText(bool DisplayText) const override;
    void SetTextValue(const AnsiString& Value) override;
    int DefaultWidth() const override { return 5; }

private:
    AnsiString displayValues_;
};

class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* AOwner);
    const char* ClassName() const override { return "TDateTimeField"; }
    // A FormatDateTime mask such as "mm/dd hh:nn"; empty shows the default text.
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);

protected:
    AnsiString GetText(bool DisplayText) const override;
    // The text without a display format: date and time, date only or time only.
    virtual AnsiString PlainText(double Value) const;
    int DefaultWidth() const override { return 18; }
};

class TDateField : public TDateTimeField {
public:
    explicit TDateField(TComponent* AOwner);
    const char* ClassName() const override { return "TDateField"; }

protected:
    AnsiString PlainText(double Value) const override;
    int DefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TComponent* AOwner);
    const char* ClassName() const override { return "TTimeField"; }

protected:
    AnsiString PlainText(double Value) const override;
    int DefaultWidth() const override { return 10; }
};

// Binary data; Text is the content, DisplayText "(BLOB)" and the like.
class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* AOwner);
    const char* ClassName() const override { return "TBlobField"; }
    bool IsBlob() const override { return true; }

protected:
    AnsiString GetText(bool DisplayText) const override;
    int DefaultWidth() const override { return 10; }
};

class TMemoField : public TBlobField {
public:
    explicit TMemoField(TComponent* AOwner);
    const char* ClassName() const override { return "TMemoField"; }
};

class TGraphicField : public TBlobField {
public:
    explicit TGraphicField(TComponent* AOwner);
    const char* ClassName() const override { return "TGraphicField"; }
};

// A new field object of the class that holds the type (TIntegerField for ftInteger ...).
TField* CreateFieldOfType(TFieldType DataType, TComponent* AOwner);
// How values of a field type are held.
TDbKind FieldTypeKind(TFieldType DataType);

// The fields of a data set, in order.
class TFields : public TObject {
public:
    explicit TFields(TDataSet* ADataSet) : dataSet_(ADataSet) {}
    const char* ClassName() const override { return "TFields"; }
    int Count() const { return static_cast<int>(list_.size()); }
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    int IndexOf(const TField* Field) const;
    // Case-insensitive; "table.column" also finds a field named "column" when
    // no field carries the qualified name. nullptr when none.
    TField* FindField(const AnsiString& FieldName) const;
    TField* FieldByName(const AnsiString& FieldName) const;
    TDataSet* DataSet() const { return dataSet_; }

private:
    friend class TDataSet;
    friend class TField;
    void Add(TField* Field);
    void Remove(TField* Field);
    void Move(int CurIndex, int NewIndex);
    TDataSet* dataSet_;
    std::vector<TField*> list_;
};

// A column as the data set's source describes it before fields exist.
class TFieldDef {
public:
    AnsiString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    TFieldDef& Items(int Index) { return defs_.at(static_cast<size_t>(Index)); }
    const TFieldDef& Items(int Index) const { return defs_.at(static_cast<size_t>(Index)); }
    TFieldDef& Add(const AnsiString& Name, TFieldType DataType, int Size = 0, bool Required = false);
    void Clear() { defs_.clear(); }
    int IndexOf(const AnsiString& Name) const;  // case-insensitive; -1 when absent

private:
    std::vector<TFieldDef> defs_;
};

// ---------------------------------------------------------------------------
// The data set

// One column of the row store: values of one kind. Numbers mark a null by a
// value the database never yields (the lowest 64-bit integer, a NaN), so they
// need no flag of their own; texts keep a flag per row.
struct TDbColumn {
    static constexpr int64_t kNullInt = INT64_MIN;
    TDbKind kind = TDbKind::Text;
    std::vector<int64_t> ints;        // Integer, Boolean
    std::vector<double> reals;        // Float, DateTime
    std::vector<std::string> texts;   // Text
    std::vector<uint8_t> textNulls;   // Text

    static double NullReal() { return std::numeric_limits<double>::quiet_NaN(); }
    bool Numeric() const { return kind != TDbKind::Text; }
    bool Integral() const { return kind == TDbKind::Integer || kind == TDbKind::Boolean; }
    bool IsNull(uint32_t row) const {
        if (Integral()) return ints[row] == kNullInt;
        if (Numeric()) return reals[row] != reals[row];
        return textNulls[row] != 0;
    }
    void PushNull() {
        if (Integral())
            ints.push_back(kNullInt);
        else if (Numeric())
            reals.push_back(NullReal());
        else {
            texts.emplace_back();
            textNulls.push_back(1);
        }
    }
    void SetNull(uint32_t row) {
        if (Integral())
            ints[row] = kNullInt;
        else if (Numeric())
            reals[row] = NullReal();
        else {
            texts[row].clear();
            textNulls[row] = 1;
        }
    }
    void Clear() {
        ints.clear();
        reals.clear();
        texts.clear();
        textNulls.clear();
    }
};

// A Locate or Lookup key converted to its field's kind; an invalid key matches nothing.
struct TDbSearchKey {
    bool null = false;
    bool valid = true;
    AnsiString text;
    double number = 0;
};

class TDataSet : public TComponent, private TDbRowSource {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;
    const char* ClassName() const override { return "TDataSet"; }
    void BeforeDestruction() override;

    // Opening and state.
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const;
    virtual bool CanModify() const;
    virtual bool IsSequenced() const { return true; }

    // Navigation. Each first leaves edit mode (CheckBrowseMode) and fires
    // BeforeScroll/AfterScroll.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Answers the distance moved.
    int MoveBy(int Distance);
    // 1-based; 0 when empty or on a record being inserted.
    int RecNo() const;
    void SetRecNo(int Value);
    int RecordCount() const;

    // Editing.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Lets the controls write their pending edits (deUpdateRecord).
    void UpdateRecord();
    // Reads the rows again, staying on the current record where it still exists.
    void Refresh();
    void Resync(TResyncMode Mode);

    // Bookmarks.
    TBookmarkStr Bookmark() const;
    void SetBookmark(const TBookmarkStr& Value) { GotoBookmark(Value); }
    TBookmarkStr GetBookmark() const { return Bookmark(); }
    // Raises EDatabaseError "Record not found" for a deleted or hidden record.
    void GotoBookmark(const TBookmarkStr& Value);
    void FreeBookmark(const TBookmarkStr&) {}
    bool BookmarkValid(const TBookmarkStr& Value) const;
    // -1, 0 or 1 in record order, also for records deleted since; an empty
    // bookmark sorts first.
    int CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) const;

    // Searching. KeyFields lists names separated by ';'; several keys come as a
    // variant array in the same order.
    virtual bool Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    // The result field(s) of the first record whose keys equal KeyValues, without
    // moving; Null when none. Hashed: the index lives until the rows change.
    Variant Lookup(const AnsiString& KeyFields, const Variant& KeyValues, const AnsiString& ResultFields);
    Variant FieldValues(const AnsiString& FieldNames) const;
    void SetFieldValues(const AnsiString& FieldNames, const Variant& Value);

    // Client-side order and filter (see DBSort.h and DBFilter.h). Setting either
    // on an open data set that fails leaves everything as it was.
    const AnsiString& Sort() const { return sort_; }
    void SetSort(const AnsiString& Value);
    const AnsiString& Filter() const { return filterText_; }
    void SetFilter(const AnsiString& Value);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool Value);

    // Fields.
    TFields* Fields() const { return fields_.get(); }
    int FieldCount() const { return fields_->Count(); }
    TField* FindField(const AnsiString& FieldName) const { return fields_->FindField(FieldName); }
    // Raises EDatabaseError "Field 'x' not found".
    TField* FieldByName(const AnsiString& FieldName) const;
    // Fills List with the fields named in "a;b"; raises for an unknown name.
    void GetFieldList(TList* List, const AnsiString& FieldNames) const;
    void GetFieldList(std::vector<TField*>& List, const AnsiString& FieldNames) const;
    void GetFieldNames(TStrings* List) const;
    TFieldDefs* FieldDefs() { return &fieldDefs_; }
    // True when the fields were made from the source's columns at open.
    bool DefaultFields() const { return defaultFields_; }
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool Value) { autoCalcFields_ = Value; }

    // Controls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    // The record window shared by the links.
    int ActiveRecord() const { return activeRecord_; }
    int BufferCount() const { return bufferCount_; }
    // Records in the window (at most BufferCount).
    int WindowRecordCount() const { return static_cast<int>(slots_.size()); }

    // Events. Raising EAbort (Abort()) in a Before event cancels the operation silently.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    // Consulted while Filtered is set, after the Filter text.
    TFilterRecordEvent OnFilterRecord;

protected:
    // ----- For the concrete data sets -----
    // Fills FieldDefs and calls BindFields(), then adds the rows: either AddRow()
    // and SetCell*, or appending to every StoreColumn() and then RowsAppended().
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    // Writes a posted record to the source before the rows change; the fields
    // read the new values. A generated key goes in with SetGeneratedValue.
    virtual void InternalPost(bool Inserting) { (void)Inserting; }
    // Removes the current record from the source.
    virtual void InternalDelete() {}
    // Reads the rows again with ClearRows() and the row calls above.
    virtual void InternalRefresh();
    // A new record's initial values (all fields are null before).
    virtual void InternalInitRecord() {}
    // Whether the rows may be changed at all.
    virtual bool SourceReadOnly() const { return false; }

    // Creates default fields from FieldDefs when the data set has no fields, else
    // binds the data fields by name (a missing column raises "Field 'x' not
    // found"). Makes one store column per data field and answers, per store
    // column, its FieldDefs index.
    std::vector<int> BindFields();
    void ClearRows();
    void ReserveRows(size_t Count);
    uint32_t AddRow();  // an all-null row at the end
    void RowsAppended(uint32_t Count);
    int StoreColumnCount() const { return static_cast<int>(columns_.size()); }
    TDbColumn& StoreColumn(int Column) { return columns_[static_cast<size_t>(Column)]; }
    TField* StoreField(int Column) const { return storeFields_[static_cast<size_t>(Column)]; }
    void SetCellNull(int Column, uint32_t Row);
    void SetCellInt(int Column, uint32_t Row, int64_t Value);
    void SetCellFloat(int Column, uint32_t Row, double Value);
    void SetCellText(int Column, uint32_t Row, std::string&& Value);
    // Sets a field of the record being posted without the edit checks.
    void SetGeneratedValue(TField* Field, int64_t Value);
    // Whether a field was written since Edit or Insert.
    bool FieldModified(const TField* Field) const;
    // The current record's row, or -1 (none, or a record being inserted).
    int64_t CurrentRow() const;
    void ReadStoreCell(const TField* Field, uint32_t Row, TDbCell& Cell) const;
    // A row's cell as the field's Value reads it.
    Variant StoreCellValue(const TField* Field, uint32_t Row) const;
    // Rows added since the open, deleted ones included: a row's number is its
    // place in the order of adding and is never reused while open.
    uint32_t StoreRowCount() const { return rowCount_; }
    bool StoreRowLive(uint32_t Row) const { return Row < rowCount_ && !deleted_[Row]; }
    // Record identities, as the bookmarks hold them, count rows from here.
    static constexpr int64_t kFirstRecordId = -2147483647;
    static TBookmarkStr RowBookmark(uint32_t Row);
    // Finds the first visible row whose fields match the keys, trying FirstRow
    // first when it is not -1; -1 when none.
    int64_t FindRow(const std::vector<TField*>& Fields, const std::vector<TDbSearchKey>& Keys,
                    TLocateOptions Options, int64_t FirstRow);
    bool LocateRecord(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                      bool CurrentFirst);

    void DataEvent(TDataEvent Event, intptr_t Info);
    void SetState(TDataSetState Value);

private:
    friend class TField;
    friend class TFields;
    friend class TDataSource;
    friend class TDataLink;

    static constexpr uint32_t kNewRow = 0xFFFFFFFFu;

    // A record to read: a store row, or the edit buffer, plus its calculated values.
    struct RecordRef {
        int64_t row = -1;
        const std::vector<TDbValue>* data = nullptr;
        const std::vector<TDbValue>* calc = nullptr;
    };

    // TDbRowSource for the filter and the sort.
    int ResolveField(const AnsiString& name, TDbKind& kind) override;
    void ReadCell(int field, uint32_t row, TDbCell& cell, std::string& scratch) override;
    const int64_t* StoredIntegers(int field) override;

    void OpenInternal();
    void CloseInternal(bool events);
    void DestroyDefaultFields();
    void AddField(TField* Field);
    void RemoveField(TField* Field);
    void FieldListChanged();
    void CheckActive() const;
    void DoEvent(const TDataSetNotifyEvent& e) {
        if (e) e(this);
    }

    // Rows and order.
    void StoreValue(int column, uint32_t row, const TDbValue& v);
    void LoadValue(int column, uint32_t row, TDbValue& v) const;
    void ApplyOrder();
    void RenumberKeys();
    void RebuildView();
    bool RowPassesFilter(uint32_t row);
    int64_t ViewIndexOf(uint32_t row) const;
    uint32_t NewRowAt(size_t viewPos);
    uint32_t BookmarkRow(const TBookmarkStr& b, bool& ok) const;
    void ApplyFilterChange(std::unique_ptr<TDbFilter> filter, const AnsiString& text, bool filtered);

    // The window.
    void FillSlots();
    void PlaceAt(int64_t viewIndex, int slot);
    void RecomputeCalc(bool all);
    void RecalcEditRecord();
    void UpdateBufferCount();
    void GotoRow(uint32_t row, bool center);
    void BeginInsert(bool append);
    int CenterSlot() const { return (bufferCount_ - 1) / 2; }
    int64_t CurrentViewIndex() const { return winStart_ + activeRecord_; }
    uint32_t SlotRow(int slot) const { return slots_[static_cast<size_t>(slot)]; }

    // Field values.
    RecordRef ActiveRef() const;
    void ReadRef(const TField* field, const RecordRef& ref, TDbCell& cell, std::string& scratch) const;
    void ReadFieldCell(const TField* field, TDbCell& cell, std::string& scratch) const;
    Variant RefValue(const TField* field, const RecordRef& ref) const;
    void WriteField(TField* field, const TDbValue& value);
    void CalculateFields(const RecordRef& ref, std::vector<TDbValue>& buffer);

    void RegisterDataSource(TDataSource* source);
    void UnregisterDataSource(TDataSource* source);

    // Fields.
    std::unique_ptr<TFields> fields_;
    TFieldDefs fieldDefs_;
    bool defaultFields_ = false;
    bool autoCalcFields_ = true;
    std::vector<TField*> storeFields_;  // the data field of each store column
    std::vector<TField*> calcFields_;   // calculated fields, by calcSlot_

    // Rows: ids 0..rowCount_-1 in the order they were added; never reused while open.
    std::vector<TDbColumn> columns_;
    uint32_t rowCount_ = 0;
    std::vector<uint8_t> deleted_;
    std::vector<int64_t> key_;          // position in the current order
    std::vector<int64_t> naturalKey_;   // position in the order without Sort
    int64_t maxNaturalKey_ = 0;
    std::vector<uint32_t> all_;         // live rows in order
    std::vector<uint32_t> view_;        // the rows the filter lets through, in order
    size_t storeVersion_ = 0;

    // Window: slots_ holds view_[winStart_ ...], with kNewRow at insertSlot_
    // while a record is being inserted (before view index insertPos_).
    int bufferCount_ = 1;
    int64_t winStart_ = 0;
    int activeRecord_ = 0;
    int insertSlot_ = -1;
    size_t insertPos_ = 0;
    std::vector<uint32_t> slots_;
    std::vector<std::vector<TDbValue>> slotCalc_;
    std::vector<uint32_t> slotCalcRow_;
    bool bof_ = true, eof_ = true;

    // Editing.
    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    std::vector<TDbValue> editBuffer_;   // by store column
    std::vector<uint8_t> editModified_;  // by store column
    std::vector<TDbValue> editCalc_;     // by calc slot
    int editSlot_ = -1;
    // The record read while calculating or filtering, instead of the active one.
    const RecordRef* tempRef_ = nullptr;
    std::vector<TDbValue>* tempCalcOut_ = nullptr;
    std::vector<TDbValue> scratchCalc_;

    // Order and filter.
    AnsiString sort_;
    AnsiString filterText_;
    bool filtered_ = false;
    std::unique_ptr<TDbFilter> filter_;

    // Controls.
    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    std::vector<TDataSource*> dataSources_;

    // Lookup indexes by upper-cased key-field list.
    struct LookupIndex;
    std::unordered_map<std::string, std::shared_ptr<LookupIndex>> lookupIndexes_;
};

// ---------------------------------------------------------------------------
// Data sources and links

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    const char* ClassName() const override { return "TDataSource"; }

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool Value) { autoEdit_ = Value; }
    // The data set's state, or dsInactive without an enabled data set.
    TDataSetState State() const { return state_; }
    // Puts the data set into edit mode when AutoEdit allows it.
    void Edit();
    bool IsLinkedTo(TDataSet* DataSet) const;
    int DataLinkCount() const { return static_cast<int>(links_.size()); }
    TDataLink* DataLinks(int Index) const { return links_.at(static_cast<size_t>(Index)); }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, intptr_t Info);
    void NotifyLinks(TDataEvent Event, intptr_t Info);
    void UpdateState();
    void AddLink(TDataLink* Link);
    void RemoveLink(TDataLink* Link);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
};

class TDataLink : public TPersistent {
public:
    TDataLink();
    ~TDataLink() override;
    const char* ClassName() const override { return "TDataLink"; }

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* Value);
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool Value) { dataSourceFixed_ = Value; }
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    // The current record's index in this link's part of the window. Setting it
    // makes another window record the source of all field reads (for painting).
    int ActiveRecord() const;
    void SetActiveRecord(int Value);
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int Value);
    // Records in this link's part of the window.
    int RecordCount() const;
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // Non-visual links hear every data event before the visual ones.
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool Value) { visualControl_ = Value; }

    // Puts the data set into edit mode (through the source's AutoEdit); answers Editing.
    bool Edit();
    void UpdateRecord();
    virtual int MoveBy(int Distance);
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { (void)Distance; DataSetChanged(); }
    virtual void EditingChanged() {}
    // May replace *Field by nullptr after focusing it.
    virtual void FocusControl(TField** Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}
    virtual void DisabledStateChanged(bool Enabled) { (void)Enabled; }
    virtual void DataEvent(TDataEvent Event, intptr_t Info);

    int FirstRecord() const { return firstRecord_; }

private:
    friend class TDataSource;
    friend class TDataSet;
    void UpdateState();
    void UpdateRange(int first);
    void SetActive(bool Value);
    void SetEditing(bool Value);

    TDataSource* dataSource_ = nullptr;
    bool dataSourceFixed_ = false;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool visualControl_ = false;
    int bufferCount_ = 1;
    int firstRecord_ = 0;
};
