#pragma once
// A grid that lists the records of a list data set and lets the user choose
// one: the chosen record's key is KeyValue, which may be bound to a field of
// the edited record (DataSource/DataField; a lookup field brings its own list
// data set, key and result fields). An optional special row under the titles
// stands for a value outside the list. Typing searches the list field
// incrementally (the typed text is forgotten after two seconds without a key,
// a time all lookup grids share). TPopupDataGridGx is the same grid as a
// drop-down window with a size grip.
#include <memory>
#include <vector>

#include "grid/DBGridGx.h"
#include "grid/ToolCtrlsGx.h"

class TDBLookupGridGx;

// The link to the edited record.
class TLookupGridDataLinkGx : public TDataLink {
public:
    explicit TLookupGridDataLinkGx(TDBLookupGridGx* Grid) : grid_(Grid) {}
    const char* ClassName() const override { return "TLookupGridDataLinkGx"; }

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TDBLookupGridGx* grid_;
};

// A column's cell in the special row: its text, colour and font, each taken
// from the grid's special row until set here (the text is the row's cell at
// the column's index).
class TGridColumnSpecCellGx : public TPersistent {
    TESK_CLASS(TGridColumnSpecCellGx, TPersistent)
public:
    explicit TGridColumnSpecCellGx(TColumnGx* Column);
    ~TGridColumnSpecCellGx() override;
    void Assign(TPersistent* Source) override;

    AnsiString Text() const;
    void SetText(const AnsiString& Value);
    bool IsTextStored() const { return textAssigned_; }
    TColor Color() const;
    void SetColor(TColor Value);
    bool IsColorStored() const { return colorAssigned_; }
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool IsFontStored() const { return fontAssigned_; }

protected:
    TPersistent* GetOwner() override;

private:
    TSpecRowGx* GridSpecRow() const;
    void FontChanged(TObject* Sender);
    void Changed();
    TColumnGx* column_;
    AnsiString text_;
    bool textAssigned_ = false;
    TColor color_ = clWindow;
    bool colorAssigned_ = false;
    std::unique_ptr<TFont> font_;
    bool fontAssigned_ = false;
    bool syncingFont_ = false;
};

// The lookup grid's column: a grid column with its special-row cell.
class TDBLookupGridColumnGx : public TDBGridColumnGx {
    TESK_CLASS(TDBLookupGridColumnGx, TDBGridColumnGx)
public:
    explicit TDBLookupGridColumnGx(TCollection* Collection);
    ~TDBLookupGridColumnGx() override;
    void Assign(TPersistent* Source) override;
    TGridColumnSpecCellGx* SpecCell() const { return specCell_; }
    void SetSpecCell(TGridColumnSpecCellGx* Value) { specCell_->Assign(Value); }

private:
    TGridColumnSpecCellGx* specCell_;
};

class TDBLookupGridColumnDefValuesGx : public TColumnDefValuesGx {
    TESK_CLASS(TDBLookupGridColumnDefValuesGx, TColumnDefValuesGx)
public:
    using TColumnDefValuesGx::TColumnDefValuesGx;
};

class TDBLookupGridGx : public TCustomDBGridGx {
    TESK_CLASS(TDBLookupGridGx, TCustomDBGridGx)
public:
    explicit TDBLookupGridGx(TComponent* AOwner);
    ~TDBLookupGridGx() override;

    // ---- the edited record
    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* Value);
    const AnsiString& DataField() const { return dataFieldName_; }
    void SetDataField(const AnsiString& Value);
    const std::vector<TField*>& DataFields() const { return dataFields_; }
    const std::vector<TField*>& DataKeyFields() const { return dataKeyFields_; }
    // The list comes from a lookup field.
    bool LookupMode() const { return lookupMode_; }

    // ---- the list
    TDataSource* ListSource() const;
    void SetListSource(TDataSource* Value);
    const AnsiString& KeyField() const { return keyFieldName_; }
    void SetKeyField(const AnsiString& Value);
    const AnsiString& ListField() const { return listFieldName_; }
    void SetListField(const AnsiString& Value);
    int ListFieldIndex() const { return listFieldIndex_; }
    void SetListFieldIndex(int Value);
    TField* ListFieldObject() const { return listField_; }
    const std::vector<TField*>& ListFields() const { return listFields_; }
    bool ListActive() const { return listActive_; }

    // ---- the choice
    const Variant& KeyValue() const { return keyValue_; }
    void SetKeyValue(const Variant& Value);
    // The chosen record's text (or the special row's).
    const AnsiString& Text() const { return text_; }
    bool KeyRowVisible() const { return keyRowVisible_; }
    TSpecRowGx* SpecRow() const { return specRow_; }
    void SetSpecRow(TSpecRowGx* Value) { specRow_->Assign(Value); }
    bool SpecRowSelected() const { return specRowSelected_; }
    const AnsiString& SearchText() const { return searchText_; }

    TDBLookupGridGxOptions LookupOptions() const { return options_; }
    void SetLookupOptions(TDBLookupGridGxOptions Value);
    // Data rows shown; 1 to 100.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int Value);
    bool ShowTitles() const { return Options().Contains(dgTitles); }
    void SetShowTitles(bool Value);
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool Value) { dataLink_->SetReadOnly(Value); }
    bool IsPopup() const { return isPopup_; }
    // Where the list stands: the current record's index and the records
    // counted (in the data link's buffer, as no list of ours offers direct
    // record access); both 0 without an active list.
    int RecordIndex() const { return recordIndex_; }
    int RecordCount() const { return recordCount_; }

    // ---- operations
    virtual bool CanModify();
    virtual bool KeyValueMatchesKeyFields(const Variant& Value);
    virtual int GetBorderHeight();
    virtual int GetDataRowHeight();
    virtual void KeyValueChanged();
    virtual void UpdateListPosition();
    virtual void ProcessSearchKey(char Key);
    virtual void SelectKeyValue(const Variant& Value);
    virtual void UpdateDataFields();
    virtual void UpdateListFields();
    // Moves the list to KeyValue; true when found.
    virtual bool LocateKey();
    // The record changed step of the edited record's link.
    void DataLinkRecordChanged(TField* Field);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    int ExtraTitleRows() override;

    // Shared by all lookup grids: when the last search key came.
    static DWORD LastSearchKeyTime;

protected:
    TDBGridColumnsGx* CreateColumns() override;
    TColumnDefValuesGx* CreateColumnDefValues() override;
    bool CanDrawRowFocusRect() override;
    void UpdateActive() override;
    void UpdateScrollBar() override;
    void AutoScrollSelect() override;
    void WMVScroll(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void GetDatasetFieldList(TList* List) override;
    void DefineFieldMap() override;
    bool GetDataCellColors(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                           const AnsiString& CellText) override;
    void DataChanged() override;
    void LinkActive(bool Value) override;
    void Scroll(int Distance) override;
    void CreateWnd() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;
    // The list's record at a client point: -1 above the data, -2 on the special row.
    int RecordOffsetAt(int Y);
    // Selects the list record the list data set stands on (select-current).
    void SelectCurrent();
    void SetSpecRowSelected(bool Value);
    // Moves the chosen key Delta records (or to the first or last), as the
    // arrow keys and the drag timer do, then selects where the list stands.
    void MoveKey(int Delta, bool Home, bool End);
    void SelectSpecRow();
    bool isPopup_ = false;
    bool tracking_ = false;

private:
    void SpecRowChanged(TObject* Sender);
    void CheckNotLookup();
    Variant ListKeyValue();
    int HeightForRows(int Rows);
    TLookupGridDataLinkGx* dataLink_;
    TDataSource* lookupSource_ = nullptr;  // the lookup field's list
    TDataSource* userListSource_ = nullptr;
    AnsiString dataFieldName_;
    std::vector<TField*> dataFields_;
    std::vector<TField*> dataKeyFields_;
    AnsiString dataKeyFieldNames_;
    bool lookupMode_ = false;
    AnsiString keyFieldName_;
    std::vector<TField*> keyFields_;
    AnsiString listFieldName_;
    int listFieldIndex_ = 0;
    TField* listField_ = nullptr;
    std::vector<TField*> listFields_;
    bool listActive_ = false;
    Variant keyValue_ = Null();
    AnsiString text_;
    bool keyRowVisible_ = false;
    bool lockPosition_ = false;
    TSpecRowGx* specRow_ = nullptr;
    bool specRowSelected_ = false;
    AnsiString searchText_;
    TDBLookupGridGxOptions options_{dlgColLinesGx};
    int rowCount_ = 7;
    bool sizing_ = false;
    int recordIndex_ = 0;
    int recordCount_ = 0;
    TPoint trackPos_;  // the pointer while tracking, for the drag timer
};

using TCloseUpEventOfGridGx = Delegate<void(TObject* Sender, bool Accept)>;

// The lookup grid as a drop-down window.
class TPopupDataGridGx : public TDBLookupGridGx {
    TESK_CLASS(TPopupDataGridGx, TDBLookupGridGx)
public:
    explicit TPopupDataGridGx(TComponent* AOwner);
    TSizeGripGx* SizeGrip() const { return grip_; }
    // Places the window against an anchor (screen coordinates) and shows it.
    void DropDownAt(const TRect& Anchor, TDropDownAlign Align);
    void CloseUp(bool Accept);

    TCloseUpEventOfGridGx OnUserCloseUp;
    TNotifyEvent OnUserKeyValueChange;

    void Dispatch(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    void SelectKeyValue(const Variant& Value) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TSizeGripGx* grip_ = nullptr;
    bool pressedInside_ = false;
};
