#pragma once
// A small class tree for the streaming tests: a wrapper component holding a
// collection of columns, each with a title (holding a font), a pick list and a
// nested collection of footers; plus components for form definitions.
#include <string>
#include <vector>

#include "platform/classes/Collections.h"
#include "platform/classes/Strings.h"
#include "platform/rtti/TypInfo.h"

enum TTestAlign { taLeft, taRight, taCenter };
enum TTestStyle { tsBold, tsItalic, tsUnderline, tsStrikeOut };
enum TTestValueType { vtNone, vtSum, vtCount };

// A set kept in a type of its own.
struct TTestStyles {
    uint8_t bits = 0;
    TTestStyles() = default;
    TTestStyles(std::initializer_list<TTestStyle> styles) {
        for (TTestStyle s : styles) bits |= static_cast<uint8_t>(1u << s);
    }
    friend bool operator==(const TTestStyles&, const TTestStyles&) = default;
};
template <>
struct TSetTraits<TTestStyles> {
    static TSetBits ToBits(const TTestStyles& s) { return OrdToSetBits(s.bits); }
    static TTestStyles FromBits(const TSetBits& b) {
        TTestStyles s;
        s.bits = b[0];
        return s;
    }
};

TESK_ENUM_INFO(TTestAlign, taLeft, taRight, taCenter)
TESK_ENUM_INFO(TTestStyle, tsBold, tsItalic, tsUnderline, tsStrikeOut)
TESK_ENUM_INFO(TTestValueType, vtNone, vtSum, vtCount)
TESK_SET_INFO(TTestStyles, TTestStyle)

class TTestFont : public TPersistent {
    TESK_CLASS(TTestFont, TPersistent)
public:
    uint8_t Charset = 1;
    int32_t Color = 0;
    int Height = -11;
    AnsiString Name = "Arial";
    TTestStyles Style;
    int Size() const { return -Height * 72 / 96; }
    void SetSize(int v) { Height = -v * 96 / 72; }
};

class TTestTitle : public TPersistent {
public:
    TTestTitle();
    ~TTestTitle() override;
    TESK_CLASS(TTestTitle, TPersistent)
public:
    AnsiString Caption;
    TTestAlign Alignment = taLeft;
    TTestFont* Font() const { return font_; }
    void SetFont(TTestFont* v) { font_->Charset = v->Charset; }

private:
    TTestFont* font_;
};

class TTestFooter : public TCollectionItem {
    TESK_CLASS(TTestFooter, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    TTestValueType ValueType = vtNone;
    AnsiString Text;
    Currency Sum;
    Variant Value;
};

class TTestColumn : public TCollectionItem {
    TESK_CLASS(TTestColumn, TCollectionItem)
public:
    explicit TTestColumn(TCollection* Collection);
    ~TTestColumn() override;

    AnsiString FieldName;
    int Width = 64;
    bool Visible = true;
    TTestAlign Alignment = taLeft;
    double Increment = 1.0;
    bool IsIncrementStored() const { return Increment != 1.0; }
    TTestTitle* Title() const { return title_; }
    void SetTitle(TTestTitle*) {}
    TStringList* PickList() const { return pickList_; }
    void SetPickList(TStrings* v) { pickList_->Assign(v); }
    TCollection* Footers() const { return footers_; }
    void SetFooters(TCollection* v) { footers_->Assign(v); }
    TComponent* Images = nullptr;
    TNotifyEvent OnClick;
    double Stamp = 0;  // a TDateTime
    int64_t Big = 0;

private:
    TTestTitle* title_;
    TStringList* pickList_;
    TCollection* footers_;
};

class TTestWrapper : public TComponent {
    TESK_CLASS(TTestWrapper, TComponent)
public:
    explicit TTestWrapper(TComponent* AOwner);
    ~TTestWrapper() override;
    TCollection* Columns() const { return columns_; }
    void SetColumns(TCollection* v) { columns_->Assign(v); }
    TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(columns_->Items(i)); }
    TTestColumn* AddColumn() { return static_cast<TTestColumn*>(columns_->Add()); }

private:
    TCollection* columns_;
};

// --- Components for form definitions -----------------------------------------

// Everything Loaded is appended here, by component name.
extern std::vector<AnsiString> gLoadedLog;

class TTestControl : public TComponent {
    TESK_CLASS(TTestControl, TComponent)
public:
    using TComponent::TComponent;
    AnsiString Caption;
    int32_t Color = 0;
    TStringList* Lines() const { return const_cast<TStringList*>(&lines_); }
    void SetLines(TStrings* v) { lines_.Assign(v); }
    TComponent* Partner = nullptr;
    TNotifyEvent OnClick;
    TComponent* ParentSeen = nullptr;
    bool LoadingWhenParented = false;
    bool PartnerAtLoaded = false;
    void SetParentComponent(TComponent* Value) override {
        ParentSeen = Value;
        LoadingWhenParented = InState(csLoading);
    }
    void Loaded() override;

private:
    TStringList lines_;
};

class TTestGridControl : public TTestControl {
    TESK_CLASS(TTestGridControl, TTestControl)
public:
    explicit TTestGridControl(TComponent* AOwner);
    ~TTestGridControl() override;
    TCollection* Columns() const { return columns_; }
    void SetColumns(TCollection* v) { columns_->Assign(v); }
    TTestStyles Options;
    double Ratio = 0;

private:
    TCollection* columns_;
};

class TTestForm : public TComponent {
    TESK_CLASS(TTestForm, TComponent)
public:
    using TComponent::TComponent;
    TTestControl* Panel1 = nullptr;
    TTestGridControl* Grid1 = nullptr;
    AnsiString Caption;
    TNotifyEvent OnCreate;
    std::vector<AnsiString> clicks;
    void Panel1Click(TObject*) { clicks.push_back("Panel1Click"); }
    void FormCreate(TObject*) { clicks.push_back("FormCreate"); }
    void Loaded() override;
};

// Makes the classes above known to FindClass; calling it again does nothing.
void RegisterStreamTestClasses();
