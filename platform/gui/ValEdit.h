#pragma once
// TValueListEditor: a two-column grid of the lines "key=value" of Strings,
// under a row of column titles, drawn here.
//
// Rows count from 0 with the title row (FixedRows is 1 with titles), so the
// line Strings[i] is row i + FixedRows; an empty list still shows one empty
// row. Moving the current cell, by the user or by setting Row or Col, asks
// OnSelectCell first and does not move when it says no.
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/gui/Controls.h"

enum TDisplayOption { doColumnTitles, doAutoColResize, doKeyColFixed };
enum TDisplayOptions : uint8_t {};
constexpr TDisplayOptions operator|(TDisplayOptions a, TDisplayOptions b) {
    return static_cast<TDisplayOptions>(uint8_t(a) | uint8_t(b));
}
constexpr TDisplayOptions DisplayOptionBit(TDisplayOption o) { return static_cast<TDisplayOptions>(1u << o); }
enum TKeyOption { keyEdit, keyAdd, keyDelete, keyUnique };
enum TKeyOptions : uint8_t {};
TESK_ENUM_INFO(TDisplayOption, doColumnTitles, doAutoColResize, doKeyColFixed)
TESK_SET_INFO(TDisplayOptions, TDisplayOption)
TESK_ENUM_INFO(TKeyOption, keyEdit, keyAdd, keyDelete, keyUnique)
TESK_SET_INFO(TKeyOptions, TKeyOption)

using TSelectCellEvent = Delegate<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TValueListEditor : public TCustomControl {
    TESK_CLASS(TValueListEditor, TCustomControl)
public:
    explicit TValueListEditor(TComponent* AOwner);
    ~TValueListEditor() override;

    TStrings* Strings() const { return strings_; }
    void SetStrings(TStrings* Value) { strings_->Assign(Value); }
    // Two lines: the caption of the key column and of the value column.
    TStrings* TitleCaptions() const { return titleCaptions_; }
    void SetTitleCaptions(TStrings* Value) { titleCaptions_->Assign(Value); }
    TDisplayOptions DisplayOptions() const { return displayOptions_; }
    void SetDisplayOptions(TDisplayOptions Value);
    TKeyOptions KeyOptions() const { return keyOptions_; }
    void SetKeyOptions(TKeyOptions Value) { keyOptions_ = Value; }

    int ColCount() const { return 2; }
    int FixedRows() const;
    int RowCount() const;
    int Row() const { return row_; }
    void SetRow(int Value) { MoveCurrent(col_, Value); }
    int Col() const { return col_; }
    void SetCol(int Value) { MoveCurrent(Value, row_); }
    int TopRow() const { return topRow_; }
    void SetTopRow(int Value);
    int VisibleRowCount();

    AnsiString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const AnsiString& Value);
    AnsiString Keys(int ARow) const { return Cells(0, ARow); }
    void SetKeys(int ARow, const AnsiString& Value) { SetCells(0, ARow, Value); }
    AnsiString Values(const AnsiString& Key) const { return strings_->Values(Key); }
    void SetValues(const AnsiString& Key, const AnsiString& Value);
    // Adds a line (at the end, or before the current row); answers its row.
    int InsertRow(const AnsiString& KeyName, const AnsiString& Value, bool Append);
    void DeleteRow(int ARow);
    bool FindRow(const AnsiString& KeyName, int& ARow) const;
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int Value);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int Value);
    // The cell at a client point; false off the cells.
    bool MouseToCell(int X, int Y, int& ACol, int& ARow);
    TRect CellRect(int ACol, int ARow);

    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnStringsChange;
    TNotifyEvent OnStringsChanging;

    void DefineProperties(TFiler& Filer) override;
    void Dispatch(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMSize(TMessage& Message) override;

protected:
    virtual bool SelectCell(int ACol, int ARow);
    // Moves the current cell when SelectCell allows it, then Click.
    void MoveCurrent(int ACol, int ARow);
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void StringsChanging(TObject* Sender);
    void StringsChanged(TObject* Sender);
    void TitlesChanged(TObject* Sender);
    void UpdateScrollBar();
    void MakeVisible(int ARow);
    int FirstDataRowY();
    TStringList* strings_;
    TStringList* titleCaptions_;
    TDisplayOptions displayOptions_ =
        DisplayOptionBit(doColumnTitles) | DisplayOptionBit(doAutoColResize) | DisplayOptionBit(doKeyColFixed);
    TKeyOptions keyOptions_ = static_cast<TKeyOptions>(0);
    int row_ = 1;
    int col_ = 1;
    int topRow_ = 1;  // the first data row in view
    int defaultRowHeight_ = 18;
    int defaultColWidth_ = 150;
    std::vector<int> colWidths_{150, 150};
    bool colWidthSet_[2] = {false, false};
};
