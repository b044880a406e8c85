#pragma once
// The grid's columns: grid-wide column defaults, titles, footers, the
// drop-down and filter-row settings, the column and its collections.
#include <memory>
#include <vector>

#include "grid/DBGridGxTypes.h"
#include "grid/DbUtilsGxFilterExpression.h"

class TDatasetFieldValueListGx;

// ---------------------------------------------------------------------------
// Column defaults

class TColumnTitleDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnTitleDefValuesGx, TPersistent)
public:
    explicit TColumnTitleDefValuesGx(TColumnDefValuesGx* Owner) : owner_(Owner) {}
    void Assign(TPersistent* Source) override;
    // Own values once assigned; else taLeftJustify and the grid's FixedColor.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool IsAlignmentStored() const { return alignmentAssigned_; }
    TColor Color() const;
    void SetColor(TColor Value);
    bool IsColorStored() const { return colorAssigned_; }
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    TColumnTitleOrientationGx Orientation() const { return orientation_; }
    void SetOrientation(TColumnTitleOrientationGx Value);
    bool TitleButton() const { return titleButton_; }
    void SetTitleButton(bool Value);
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);

protected:
    TPersistent* GetOwner() override;

private:
    void Changed(bool Layout);
    TColumnDefValuesGx* owner_;
    TAlignment alignment_ = taLeftJustify;
    bool alignmentAssigned_ = false;
    TColor color_ = clBtnFace;
    bool colorAssigned_ = false;
    bool endEllipsis_ = false;
    TColumnTitleOrientationGx orientation_ = tohHorizontal;
    bool titleButton_ = false;
    bool toolTips_ = false;
};

class TColumnFooterDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnFooterDefValuesGx, TPersistent)
public:
    explicit TColumnFooterDefValuesGx(TColumnDefValuesGx* Owner) : owner_(Owner) {}
    void Assign(TPersistent* Source) override;
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);

protected:
    TPersistent* GetOwner() override;

private:
    TColumnDefValuesGx* owner_;
    bool toolTips_ = false;
};

// Grid-wide column defaults: a column whose own value is not assigned reads these.
class TColumnDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnDefValuesGx, TPersistent)
public:
    explicit TColumnDefValuesGx(TCustomDBGridGx* Grid);
    ~TColumnDefValuesGx() override;
    void Assign(TPersistent* Source) override;
    TCustomDBGridGx* Grid() const { return grid_; }

    bool AlwaysShowEditButton() const { return alwaysShowEditButton_; }
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool Value);
    bool DblClickNextVal() const { return dblClickNextVal_; }
    void SetDblClickNextVal(bool Value);
    bool DropDownShowTitles() const { return dropDownShowTitles_; }
    void SetDropDownShowTitles(bool Value);
    bool DropDownSizing() const { return dropDownSizing_; }
    void SetDropDownSizing(bool Value);
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    bool HighlightRequired() const { return highlightRequired_; }
    void SetHighlightRequired(bool Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    TColumnTitleDefValuesGx* Title() const { return title_; }
    void SetTitle(TColumnTitleDefValuesGx* Value) { title_->Assign(Value); }
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);
    TColumnFooterDefValuesGx* Footer() const { return footer_; }
    void SetFooter(TColumnFooterDefValuesGx* Value) { footer_->Assign(Value); }

    // A default changed: the grid lays out again (Layout) or repaints.
    void Changed(bool Layout);

protected:
    TPersistent* GetOwner() override;

private:
    TCustomDBGridGx* grid_;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool dblClickNextVal_ = false;
    bool dropDownShowTitles_ = false;
    bool dropDownSizing_ = false;
    bool endEllipsis_ = false;
    bool highlightRequired_ = false;
    TTextLayout layout_ = tlTop;
    TColumnTitleDefValuesGx* title_;
    bool toolTips_ = false;
    TColumnFooterDefValuesGx* footer_;
};

class TDBGridGxColumnDefValuesGx : public TColumnDefValuesGx {
    TESK_CLASS(TDBGridGxColumnDefValuesGx, TColumnDefValuesGx)
public:
    using TColumnDefValuesGx::TColumnDefValuesGx;
};

// ---------------------------------------------------------------------------
// Titles, footers, drop-down settings, column filters

class TColumnTitleGx : public TPersistent {
    TESK_CLASS(TColumnTitleGx, TPersistent)
public:
    explicit TColumnTitleGx(TColumnGx* Column);
    ~TColumnTitleGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    AnsiString Caption() const;
    void SetCaption(const AnsiString& Value);
    TColor Color() const;
    void SetColor(TColor Value);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value) { hint_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TColumnTitleOrientationGx Orientation() const;
    void SetOrientation(TColumnTitleOrientationGx Value);
    int SortIndex() const { return sortIndex_; }
    void SetSortIndex(int Value);
    TSortMarkerGx SortMarker() const { return sortMarker_; }
    void SetSortMarker(TSortMarkerGx Value);
    bool TitleButton() const;
    void SetTitleButton(bool Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);

    // Stored rules: assigned and different from the default (the font: assigned).
    bool IsAlignmentStored() const;
    bool IsCaptionStored() const;
    bool IsColorStored() const;
    bool IsEndEllipsisStored() const;
    bool IsFontStored() const;
    bool IsOrientationStored() const;
    bool IsTitleButtonStored() const;
    bool IsToolTipsStored() const;

    TAlignment DefaultAlignment() const;
    AnsiString DefaultCaption() const;
    TColor DefaultColor() const;
    bool DefaultEndEllipsis() const;
    TFont* DefaultFont() const;
    TColumnTitleOrientationGx DefaultOrientation() const;
    bool DefaultTitleButton() const;
    bool DefaultToolTips() const;
    void RestoreDefaults();
    // Copies the default font again (a font that is not assigned follows its default).
    void RefreshDefaultFont();
    // Steps the sort marker: none, down, up, then none with Multi or down again without.
    void SetNextSortMarker(bool Multi);
    int GetSortMarkingWidth();

protected:
    TPersistent* GetOwner() override;

private:
    friend class TColumnGx;
    friend class TCustomDBGridGx;
    void FontChanged(TObject* Sender);
    TColumnGx* column_;
    TAlignment alignment_ = taLeftJustify;
    AnsiString caption_;
    TColor color_ = clBtnFace;
    bool endEllipsis_ = false;
    TFont* font_;
    AnsiString hint_;
    int imageIndex_ = -1;
    TColumnTitleOrientationGx orientation_ = tohHorizontal;
    int sortIndex_ = 0;
    TSortMarkerGx sortMarker_ = smNoneGx;
    bool titleButton_ = false;
    bool toolTips_ = false;
    bool copyingFont_ = false;
};

class TColumnFooterGx : public TCollectionItem {
    TESK_CLASS(TColumnFooterGx, TCollectionItem)
public:
    // As an item of a column's Footers.
    explicit TColumnFooterGx(TCollection* Collection);
    // A column's single Footer.
    static TColumnFooterGx* CreateCol(TColumnGx* Column);
    ~TColumnFooterGx() override;
    void BeforeDestruction() override;
    // Frees the footer's aggregate in the grid's sum list.
    void ReleaseSum();
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    // The field a sum, average or count reads: FieldName, else the column's.
    AnsiString SumFieldName() const;
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& Value);
    TColumnFooterValueTypeGx ValueType() const { return valueType_; }
    void SetValueType(TColumnFooterValueTypeGx Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);

    bool IsAlignmentStored() const { return alignmentAssigned_ && alignment_ != DefaultAlignment(); }
    bool IsColorStored() const { return colorAssigned_ && color_ != DefaultColor(); }
    bool IsFontStored() const { return fontAssigned_; }
    bool IsToolTipsStored() const { return toolTipsAssigned_ && toolTips_; }
    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    bool DefaultToolTips() const;
    void RestoreDefaults();
    void RefreshDefaultFont();
    // Keeps the footer's aggregate in the grid's sum list in step with ValueType.
    void EnsureSumValue();
    TDBSum* SumItem() const { return sumItem_; }

private:
    TColumnFooterGx(TColumnGx* Column, bool);
    void Init();
    void FontChanged(TObject* Sender);
    void ColumnChanged(bool AllItems);
    TCustomDBGridGx* Grid() const;
    TColumnGx* column_ = nullptr;
    bool alignmentAssigned_ = false, fontAssigned_ = false, colorAssigned_ = false, toolTipsAssigned_ = false;
    TAlignment alignment_ = taLeftJustify;
    TColor color_ = clWindow;
    AnsiString displayFormat_;
    bool endEllipsis_ = false;
    AnsiString fieldName_;
    TFont* font_ = nullptr;
    AnsiString value_;
    TColumnFooterValueTypeGx valueType_ = fvtNon;
    bool wordWrap_ = false;
    bool toolTips_ = false;
    TDBSum* sumItem_ = nullptr;
    bool copyingFont_ = false;
};

class TColumnFootersGx : public TCollection {
    TESK_CLASS(TColumnFootersGx, TCollection)
public:
    explicit TColumnFootersGx(TColumnGx* Column);
    TColumnGx* Column() const { return column_; }
    TColumnFooterGx* Items(int Index) const { return static_cast<TColumnFooterGx*>(TCollection::Items(Index)); }
    TColumnFooterGx* Add() { return static_cast<TColumnFooterGx*>(TCollection::Add()); }

protected:
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TColumnGx* column_;
};

// The settings of a column's drop-down lookup list.
class TColumnDropDownBoxGx : public TPersistent {
    TESK_CLASS(TColumnDropDownBoxGx, TPersistent)
public:
    explicit TColumnDropDownBoxGx(TColumnGx* Column);
    ~TColumnDropDownBoxGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    bool AutoFitColWidths() const { return autoFitColWidths_; }
    void SetAutoFitColWidths(bool Value) { autoFitColWidths_ = Value; }
    TColumnDefValuesGx* ColumnDefValues() const { return columnDefValues_; }
    void SetColumnDefValues(TColumnDefValuesGx* Value);
    TDBGridColumnsGx* Columns() const { return columns_; }
    void SetColumns(TDBGridColumnsGx* Value);
    bool IsColumnsStored() const;
    TDataSource* ListSource() const { return listSource_; }
    void SetListSource(TDataSource* Value);
    TDBLookupGridGxOptions Options() const { return options_; }
    void SetOptions(TDBLookupGridGxOptions Value) { options_ = Value; }
    bool UseMultiTitle() const { return useMultiTitle_; }
    void SetUseMultiTitle(bool Value) { useMultiTitle_ = Value; }

protected:
    TPersistent* GetOwner() override;

private:
    TColumnGx* column_;
    bool autoFitColWidths_ = true;
    TColumnDefValuesGx* columnDefValues_;
    TDBGridColumnsGx* columns_;
    TDataSource* listSource_ = nullptr;
    TDBLookupGridGxOptions options_{dlgColLinesGx};
    bool useMultiTitle_ = false;
};

// A column's settings for the filter row.
class TSTColumnFilterGx : public TPersistent {
    TESK_CLASS(TSTColumnFilterGx, TPersistent)
public:
    explicit TSTColumnFilterGx(TColumnGx* Column);
    ~TSTColumnFilterGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    const AnsiString& DataField() const { return dataField_; }
    void SetDataField(const AnsiString& Value) { dataField_ = Value; }
    const AnsiString& KeyField() const { return keyField_; }
    void SetKeyField(const AnsiString& Value) { keyField_ = Value; }
    const AnsiString& ListField() const { return listField_; }
    void SetListField(const AnsiString& Value) { listField_ = Value; }
    TDataSource* ListSource() const { return listSource_; }
    void SetListSource(TDataSource* Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    // The text typed into the column's filter cell, and what it parses to
    // (DBGridGxColumnFilter.cpp). Setting a text that does not parse raises and
    // keeps the previous text.
    const AnsiString& ExpressionText() const { return expressionText_; }
    void SetExpressionText(const AnsiString& Value);
    const TSTFilterExpressionGx& Expression() const { return expression_; }
    // The key that the typed display text maps to, with a key field in force.
    const Variant& KeyValue() const { return keyValue_; }
    void SetKeyValue(const Variant& Value) { keyValue_ = Value; }
    void Clear();
    // The parsed expression as text (the list's items with a list source).
    virtual void GetExpressionText(AnsiString& Text);
    virtual bool HasListSource();
    // The field the filter tests; the value list's key and display fields and data set.
    virtual AnsiString GetDataField();
    AnsiString GetKeyField();
    AnsiString GetListField();
    TDataSet* GetListDataSet();
    virtual Variant GetKeyValue();
    virtual Variant GetOperand2();
    // The distinct display texts of the list data set (kept by the column),
    // nullptr without a list data set.
    TDatasetFieldValueListGx* GetFilterValueList();
    // The size the user gave the filter drop-down (0 until sized).
    int DropDownWidth = 0;
    int DropDownRows = 0;

protected:
    TPersistent* GetOwner() override;

private:
    TColumnGx* column_;
    AnsiString dataField_;
    AnsiString keyField_;
    AnsiString listField_;
    TDataSource* listSource_ = nullptr;
    bool visible_ = true;
    AnsiString expressionText_;
    TSTFilterExpressionGx expression_;
    Variant keyValue_ = Null();
};

// ---------------------------------------------------------------------------
// Columns

class TColumnGx : public TCollectionItem {
    TESK_CLASS(TColumnGx, TCollectionItem)
public:
    // Values that a column holds only once assigned.
    enum TValue : uint32_t {
        cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
        cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName,
        cvWordWrap, cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown,
        cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout, cvHighlightRequired,
        cvBiDiMode
    };

    explicit TColumnGx(TCollection* Collection);
    ~TColumnGx() override;
    void BeforeDestruction() override;
    void Assign(TPersistent* Source) override;
    void SetIndex(int Value) override;

    TCustomDBGridGx* GetGrid() const;
    TCustomDBGridGx* Grid() const { return GetGrid(); }
    bool IsAssigned(TValue Value) const { return (assigned_ >> Value) & 1u; }
    uint32_t AssignedValues() const { return assigned_; }
    // A default column is made by the layout from a field; any other is customized.
    virtual bool IsDefaultColumn() const { return !customized_; }
    int InitWidth() const { return initWidth_; }
    void SetInitWidth(int Value) { initWidth_ = Value; }

    // The bound field; binds by FieldName on first use.
    TField* Field();
    virtual void SetField(TField* Value);
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);

    // Published properties in declaration order.
    TAlignment Alignment();
    virtual void SetAlignment(TAlignment Value);
    bool AlwaysShowEditButton() const;
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const;
    void SetAutoDropDown(bool Value);
    bool AutoFitColWidth() const { return autoFitColWidth_; }
    virtual void SetAutoFitColWidth(bool Value);
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode Value);
    TColumnButtonStyleGx ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyleGx Value);
    bool Checkboxes() const;
    void SetCheckboxes(bool Value);
    TColor Color() const;
    void SetColor(TColor Value);
    bool DblClickNextVal() const;
    void SetDblClickNextVal(bool Value);
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);
    TColumnDropDownBoxGx* DropDownBox() const { return dropDownBox_; }
    void SetDropDownBox(TColumnDropDownBoxGx* Value) { dropDownBox_->Assign(Value); }
    TSpecRowGx* DropDownSpecRow() const { return dropDownSpecRow_; }
    void SetDropDownSpecRow(TSpecRowGx* Value) { dropDownSpecRow_->Assign(Value); }
    uint32_t DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(uint32_t Value) { dropDownRows_ = Value; }
    bool DropDownShowTitles() const;
    void SetDropDownShowTitles(bool Value);
    bool DropDownSizing() const;
    void SetDropDownSizing(bool Value);
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int Value) { dropDownWidth_ = Value; }
    TEditButtonsGx* EditButtons() const { return editButtons_; }
    void SetEditButtons(TEditButtonsGx* Value) { editButtons_->Assign(Value); }
    const AnsiString& EditMask() const { return editMask_; }
    void SetEditMask(const AnsiString& Value) { editMask_ = Value; }
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    TColumnFooterGx* Footer() const { return footer_; }
    void SetFooter(TColumnFooterGx* Value) { footer_->Assign(Value); }
    TColumnFootersGx* Footers() const { return footers_; }
    void SetFooters(TColumnFootersGx* Value) { footers_->Assign(Value); }
    bool HideDuplicates() const { return hideDuplicates_; }
    virtual void SetHideDuplicates(bool Value);
    bool HighlightRequired() const;
    virtual void SetHighlightRequired(bool Value);
    TCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TCustomImageList* Value);
    TImeMode ImeMode() const;
    virtual void SetImeMode(TImeMode Value);
    TImeName ImeName() const;
    virtual void SetImeName(const TImeName& Value);
    double Increment() const { return increment_; }
    void SetIncrement(double Value) { increment_ = Value; }
    TStrings* KeyList();
    void SetKeyList(TStrings* Value);
    TTextLayout Layout() const;
    void SetLayout(TTextLayout Value);
    AnsiString LookupDisplayFields();
    virtual void SetLookupDisplayFields(const AnsiString& Value);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int Value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int Value);
    TMRUListGx* MRUList() const { return mruList_; }
    void SetMRUList(TMRUListGx* Value) { mruList_->Assign(Value); }
    int NotInKeyListIndex() const { return notInKeyListIndex_; }
    void SetNotInKeyListIndex(int Value);
    TStrings* PickList();
    void SetPickList(TStrings* Value);
    TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TComponent* Value);
    bool ReadOnly();
    virtual void SetReadOnly(bool Value);
    bool ShowImageAndText() const { return showImageAndText_; }
    void SetShowImageAndText(bool Value);
    TSTColumnFilterGx* STFilter() const { return stFilter_; }
    void SetSTFilter(TSTColumnFilterGx* Value) { stFilter_->Assign(Value); }
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }
    TColumnTitleGx* Title() const { return title_; }
    void SetTitle(TColumnTitleGx* Value) { title_->Assign(Value); }
    bool ToolTips() const;
    void SetToolTips(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int Width();
    virtual void SetWidth(int Value);
    bool WordWrap();
    virtual void SetWordWrap(bool Value);

    TCheckDrawRequiredStateEventGx OnCheckDrawRequiredState;
    TCheckTitleButtonEventGx OnDropDownBoxCheckButton;
    TDrawColumnCellEventGx OnDropDownBoxDrawColumnCell;
    TGetCellParamsEventGx OnDropDownBoxGetCellParams;
    TNotifyEvent OnDropDownBoxSortMarkingChanged;
    TTitleButtonClickEventGx OnDropDownBoxTitleBtnClick;
    TButtonClickEventGx OnEditButtonClick;
    TButtonDownEventGx OnEditButtonDown;
    TColCellParamsEventGx OnGetCellParams;
    TNotInListEventGx OnNotInList;
    TColumnUpdateDataEventGx OnUpdateData;

    // Stored rules of the flagged properties.
    bool IsAlignmentStored();
    bool IsAlwaysShowEditButtonStored() const;
    bool IsAutoDropDownStored() const;
    bool IsBiDiModeStored() const { return IsAssigned(cvBiDiMode); }
    bool IsCheckboxesStored() const { return IsAssigned(cvCheckboxes); }
    bool IsColorStored() const;
    bool IsDblClickNextValStored() const;
    bool IsDropDownShowTitlesStored() const;
    bool IsDropDownSizingStored() const;
    bool IsEndEllipsisStored() const;
    bool IsFontStored() const { return IsAssigned(cvFont); }
    bool IsHighlightRequiredStored() const;
    bool IsImeModeStored() const;
    bool IsImeNameStored() const;
    bool IsIncrementStored() const { return increment_ != 1.0; }
    bool IsLayoutStored() const;
    bool IsLookupDisplayFieldsStored();
    bool IsReadOnlyStored();
    bool IsToolTipsStored() const;
    bool IsWidthStored();
    bool IsWordWrapStored();

    // Defaults the unassigned values read.
    TAlignment DefaultAlignment();
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    TImeMode DefaultImeMode() const;
    TImeName DefaultImeName() const;
    AnsiString DefaultLookupDisplayFields();
    bool DefaultReadOnly();
    int DefaultWidth();
    bool DefaultWordWrap();

    virtual void RestoreDefaults();
    // The column changed; AllItems when the whole grid must lay out again.
    void Changed(bool AllItems) override;
    // The column's font follows the grid's again.
    void RefreshDefaultFont();
    // The width the width limits allow for W.
    int AllowableWidth(int W) const;

    TColumnGxType GetColumnType();
    bool CanModify(bool TryEdit);
    AnsiString GetDisplayText();
    int GetImageIndex();
    TCheckBoxState GetCheckboxState();
    void SetCheckboxValue(TCheckBoxState Value);
    void SetNextFieldValue(double Step);
    void UpdateDataValues(const AnsiString& Text, const Variant& Value, bool UseText);
    // Positions the lookup field's list data set on the current record's key; whether found.
    bool LocateLookupRecord();
    // The current record's cell parameters into Params (text, font, colours, image, check box).
    void FillColCellParams(TColCellParamsGx* Params);
    virtual void GetColCellParams(bool EditMode, TColCellParamsGx* Params);
    int GetEditButtonsWidth();
    virtual int OptimizeWidth();
    void EnsureSumValues();
    // The footer of footer row R.
    TColumnFooterGx* UsedFooter(int Index) const;
    virtual bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;
    // A change of the drop-down's special row.
    virtual void DropDownSpecRowChanged(TObject* Sender);

    // The cached distinct values of the column's field for the filter drop-down (kept by the filter-row unit).
    std::shared_ptr<TDatasetFieldValueListGx> FilterValueList;

protected:
    AnsiString GetDisplayName() const override;
    virtual TEditButtonsGx* CreateEditButtons();
    virtual TColumnTitleGx* CreateTitle();
    virtual TColumnFooterGx* CreateFooter();
    virtual TColumnFootersGx* CreateFooters();
    virtual TSTColumnFilterGx* CreateSTFilter();
    // Sets or clears one assigned flag.
    void SetAssigned(TValue Value, bool On);

private:
    friend class TColumnTitleGx;
    friend class TDBGridColumnsGx;
    friend class TCustomDBGridGx;
    friend class TColumnGxPropertyInterceptor;
    void FontChanged(TObject* Sender);
    void ImageListChanged(TObject* Sender);
    void EditButtonsChanged(TObject* Sender);
    void ListsChanged(TObject* Sender);
    int DefaultWidthIn(TFont* AFont);
    // Value is the width the column reads back without one of its own.
    bool IsDefaultWidth(int Value);
    bool DefaultColumnOfActiveLink();
    TDataSet* GridDataSet() const;
    void InvalidateGrid();
    TField* ModifiedField();

    // The grid of the collection looked up last: painting asks for it many
    // times per cell, and an item's collection seldom changes.
    mutable const TCollection* gridCollection_ = nullptr;
    mutable TCustomDBGridGx* grid_ = nullptr;

    TField* field_ = nullptr;
    AnsiString fieldName_;
    uint32_t assigned_ = 0;
    bool customized_ = true;
    int initWidth_ = 0;

    TAlignment alignment_ = taLeftJustify;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool autoFitColWidth_ = true;
    TBiDiMode biDiMode_ = bdLeftToRight;
    TColumnButtonStyleGx buttonStyle_ = cbsAuto;
    bool checkboxes_ = false;
    TColor color_ = clWindow;
    bool dblClickNextVal_ = false;
    AnsiString displayFormat_;
    TColumnDropDownBoxGx* dropDownBox_ = nullptr;
    TSpecRowGx* dropDownSpecRow_ = nullptr;
    TEditButtonsGx* editButtons_ = nullptr;
    TMRUListGx* mruList_ = nullptr;
    uint32_t dropDownRows_ = 7;
    bool dropDownShowTitles_ = false;
    bool dropDownSizing_ = false;
    int dropDownWidth_ = 0;
    AnsiString editMask_;
    bool endEllipsis_ = false;
    TFont* font_ = nullptr;
    TColumnFooterGx* footer_ = nullptr;
    TColumnFootersGx* footers_ = nullptr;
    bool hideDuplicates_ = false;
    bool highlightRequired_ = false;
    TCustomImageList* imageList_ = nullptr;
    TChangeLink* imageLink_ = nullptr;
    TImeMode imeMode_ = imDontCare;
    TImeName imeName_;
    double increment_ = 1.0;
    TStringList* keyList_ = nullptr;
    TTextLayout layout_ = tlTop;
    AnsiString lookupDisplayFields_;
    int maxWidth_ = 0;
    int minWidth_ = 0;
    int notInKeyListIndex_ = -1;
    TStringList* pickList_ = nullptr;
    TComponent* popupMenu_ = nullptr;
    bool readOnly_ = false;
    bool showImageAndText_ = false;
    TSTColumnFilterGx* stFilter_ = nullptr;
    int tag_ = 0;
    TColumnTitleGx* title_ = nullptr;
    bool toolTips_ = false;
    bool visible_ = true;
    int width_ = 64;
    bool wordWrap_ = false;
    bool copyingFont_ = false;
    bool constructing_ = true;
};

// The grid's column class: publishes the column's properties.
class TDBGridColumnGx : public TColumnGx {
    TESK_CLASS(TDBGridColumnGx, TColumnGx)
public:
    using TColumnGx::TColumnGx;
};

class TDBGridColumnsGx : public TCollection {
    TESK_CLASS(TDBGridColumnsGx, TCollection)
public:
    TDBGridColumnsGx(TCustomDBGridGx* Grid, TCollectionItemClass ItemClass);
    TCustomDBGridGx* Grid() const { return grid_; }
    TColumnGx* Items(int Index) const { return static_cast<TColumnGx*>(TCollection::Items(Index)); }
    TColumnGx* operator[](int Index) const { return Items(Index); }
    TColumnGx* Add() { return static_cast<TColumnGx*>(TCollection::Add()); }
    // A column that the layout made from a field (not customized).
    TColumnGx* AddDefaultColumn();
    TDBGridColumnsState State() const;
    // Drops every column's cached list of filter values.
    void ReleaseFilterValueLists();

    // Layout files: the columns as the binary component stream of a
    // TColumnsWrapper, each column's stored properties in declaration order.
    // SaveToFile replaces the file whole (a new file renamed over it), so a
    // failed write leaves the old one. Loading reads the whole stream into a
    // scratch collection first and replaces these columns only then: a missing
    // file raises EFOpenError, a damaged or foreign one EReadError, and either
    // leaves the columns as they were.
    void SaveToFile(const AnsiString& FileName);
    void SaveToStream(TStream* Stream);
    void LoadFromFile(const AnsiString& FileName);
    void LoadFromStream(TStream* Stream);

protected:
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TCustomDBGridGx* grid_;
};

// The root of a layout file's stream: one published property, Columns, which
// it does not own.
class TColumnsWrapper : public TComponent {
    TESK_CLASS(TColumnsWrapper, TComponent)
public:
    explicit TColumnsWrapper(TComponent* AOwner) : TComponent(AOwner) {}
    TDBGridColumnsGx* Columns() const { return columns_; }
    void SetColumns(TDBGridColumnsGx* Value) { columns_ = Value; }

private:
    TDBGridColumnsGx* columns_ = nullptr;
};

// Columns that a list holds without owning them.
class TColumnsGxList : public TObject {
public:
    const char* ClassName() const override { return "TColumnsGxList"; }
    int Count() const { return static_cast<int>(items_.size()); }
    TColumnGx* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
    TColumnGx* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, TColumnGx* Value) { items_.at(static_cast<size_t>(Index)) = Value; }
    int Add(TColumnGx* Column) {
        items_.push_back(Column);
        return Count() - 1;
    }
    void Insert(int Index, TColumnGx* Column) { items_.insert(items_.begin() + Index, Column); }
    void Delete(int Index) { items_.erase(items_.begin() + Index); }
    int IndexOf(const TColumnGx* Column) const;
    int Remove(TColumnGx* Column);
    void SetCount(int Value) { items_.resize(static_cast<size_t>(std::max(0, Value)), nullptr); }
    virtual void Clear() { items_.clear(); }

private:
    std::vector<TColumnGx*> items_;
};
