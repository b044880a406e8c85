// Columns: read-through defaults, what is stored, copying, lists that map
// values, width limits, sort markers and the published order.
#include "platform/classes/Streams.h"
#include "platform/rtti/Streaming.h"
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

class Columns : public GridTest {
protected:
    TDBGridGx* OpenGrid() {
        TDBGridGx* g = MakeGrid();
        g->SetDataSource(source);
        Open();
        return g;
    }
    static bool Stored(TColumnGx* Column, const char* Name) {
        const TPropInfo* p = GetPropInfo(Column, Name);
        return IsStoredProp(Column, p) && !IsDefaultPropValue(Column, p);
    }
};

TEST_F(Columns, UnassignedValuesReadThroughToTheirDefaults) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Metal");
    TField* metal = query->FieldByName("Metal");
    g->SetColor(clInfoBk);
    g->Font()->SetHeight(-15);
    EXPECT_EQ(c->Color(), clInfoBk);
    EXPECT_EQ(c->Font()->Height(), -15);
    EXPECT_EQ(c->Alignment(), metal->Alignment());
    EXPECT_EQ(c->Title()->Caption(), "Metal");
    EXPECT_EQ(c->Title()->Color(), clBtnFace);
    EXPECT_EQ(c->Title()->Font()->Height(), g->TitleFont()->Height());
    EXPECT_FALSE(c->ReadOnly());
    g->SetReadOnly(true);
    EXPECT_TRUE(c->ReadOnly());
    g->SetReadOnly(false);
    metal->SetDisplayLabel("Metal (t)");
    EXPECT_EQ(c->Title()->Caption(), "Metal (t)");
    g->ColumnDefValues()->SetEndEllipsis(true);
    g->ColumnDefValues()->Title()->SetTitleButton(true);
    g->ColumnDefValues()->SetLayout(tlCenter);
    EXPECT_TRUE(c->EndEllipsis());
    EXPECT_TRUE(c->Title()->TitleButton());
    EXPECT_EQ(c->Layout(), tlCenter);
    // Default width from the field's display width in the column's font.
    TEXTMETRIC tm;
    HDC dc = CreateScreenDC();
    SelectObject(dc, c->Font()->Handle());
    GetTextMetrics(dc, &tm);
    TSize zero;
    GetTextExtentPoint32(dc, "0", 1, &zero);
    DeleteDC(dc);
    EXPECT_EQ(c->Width(), metal->DisplayWidth() * (zero.cx - tm.tmOverhang) + tm.tmOverhang + 4);
    // Nothing of a fresh column is stored.
    for (const char* name : {"Color", "Font", "Alignment", "Width", "ReadOnly", "WordWrap", "EndEllipsis"})
        EXPECT_FALSE(Stored(c, name)) << name;
    EXPECT_FALSE(c->Title()->IsCaptionStored());
    EXPECT_FALSE(c->Title()->IsFontStored());
}

TEST_F(Columns, AssignedValuesAreStoredOnlyWhenTheyDifferFromTheDefault) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Name");
    struct {
        const char* Name;
        std::function<void()> SameAsDefault;
        std::function<void()> Different;
        TColumnGx::TValue Flag;
    } cases[] = {
        {"Color", [&] { c->SetColor(g->Color()); }, [&] { c->SetColor(clYellow); }, TColumnGx::cvColor},
        {"Alignment", [&] { c->SetAlignment(taLeftJustify); }, [&] { c->SetAlignment(taCenter); },
         TColumnGx::cvAlignment},
        {"ReadOnly", [&] { c->SetReadOnly(false); }, [&] { c->SetReadOnly(true); }, TColumnGx::cvReadOnly},
        {"WordWrap", [&] { c->SetWordWrap(true); }, [&] { c->SetWordWrap(false); }, TColumnGx::cvWordWrap},
        {"ToolTips", [&] { c->SetToolTips(false); }, [&] { c->SetToolTips(true); }, TColumnGx::cvToolTips},
        {"Layout", [&] { c->SetLayout(tlTop); }, [&] { c->SetLayout(tlBottom); }, TColumnGx::cvLayout},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Name);
        c->RestoreDefaults();
        k.SameAsDefault();
        EXPECT_TRUE(c->IsAssigned(k.Flag));
        EXPECT_FALSE(Stored(c, k.Name));
        k.Different();
        EXPECT_TRUE(Stored(c, k.Name));
    }
    // A font is stored once assigned; a width equal to the default is not even assigned.
    c->RestoreDefaults();
    c->Font()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(Stored(c, "Font"));
    int def = c->DefaultWidth();
    c->SetWidth(def);
    EXPECT_FALSE(c->IsAssigned(TColumnGx::cvWidth));
    c->SetWidth(def + 10);
    EXPECT_TRUE(Stored(c, "Width"));
    // A caption the user gives is stored; the field's label is not.
    c->Title()->SetCaption("Planet");
    EXPECT_TRUE(c->Title()->IsCaptionStored());
    c->Title()->SetCaption("Name");
    EXPECT_FALSE(c->Title()->IsCaptionStored());
}

TEST_F(Columns, AssignCopiesOnlyTheAssignedValues) {
    TDBGridGx* g = OpenGrid();
    TDBGridColumnsGx loose(nullptr, ItemClassOf<TDBGridColumnGx>);
    TColumnGx* source = loose.Add();
    source->SetFieldName("Player");
    source->SetColor(clAqua);
    source->Title()->SetCaption("Owner");
    source->SetVisible(false);
    source->KeyList()->SetText("A\r\nB\r\n");
    source->SetTag(7);

    TColumnGx* target = g->Columns()->Add();
    target->SetFieldName("Metal");
    target->SetAlignment(taCenter);
    target->SetWidth(123);
    target->Assign(source);
    EXPECT_EQ(target->FieldName(), "Player");
    EXPECT_EQ(target->Field(), query->FieldByName("Player"));
    EXPECT_EQ(target->Color(), clAqua);
    EXPECT_EQ(target->Title()->Caption(), "Owner");
    EXPECT_FALSE(target->Visible());
    EXPECT_EQ(target->KeyList()->Count(), 2);
    EXPECT_EQ(target->Tag(), 7);
    // What the source left unassigned goes back to its default.
    EXPECT_FALSE(target->IsAssigned(TColumnGx::cvAlignment));
    EXPECT_FALSE(target->IsAssigned(TColumnGx::cvWidth));
    EXPECT_FALSE(target->IsAssigned(TColumnGx::cvFont));
    EXPECT_EQ(target->Font()->Height(), g->Font()->Height());
}

TEST_F(Columns, KeyListAndPickListMapFieldTexts) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Galaxy");
    c->KeyList()->SetText("1\r\n2\r\n");
    c->PickList()->SetText("One\r\nTwo\r\nOther\r\n");
    struct {
        int Id;
        int NotInKeyList;
        const char* Shown;
        int Image;
    } cases[] = {
        {3, -1, "One", 0},     // galaxy 1 + 3 % 3 = 1
        {1, -1, "Two", 1},     // galaxy 2
        {2, -1, "", -1},       // galaxy 3 is not in the key list
        {2, 2, "Other", 2},    // ... unless a pick-list entry stands for such values
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Id);
        c->SetNotInKeyListIndex(k.NotInKeyList);
        ASSERT_TRUE(query->Locate("ID", Variant(k.Id), {}));
        EXPECT_EQ(c->GetDisplayText(), k.Shown);
        EXPECT_EQ(c->GetImageIndex(), k.Image);
    }
    EXPECT_EQ(c->GetColumnType(), ctKeyPickList);
    c->KeyList()->Clear();
    EXPECT_EQ(c->GetColumnType(), ctPickList);
    c->SetCheckboxes(true);
    EXPECT_EQ(c->GetColumnType(), ctCheckboxes);
}

TEST_F(Columns, DisplayFormatAndCheckboxStates) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* debris = g->Columns()->Add();
    debris->SetFieldName("Debris");
    debris->SetDisplayFormat("0.00");
    ASSERT_TRUE(query->Locate("ID", Variant(3), {}));
    EXPECT_EQ(debris->GetDisplayText(), FormatFloat("0.00", 4.5));
    ASSERT_TRUE(query->Locate("ID", Variant(5), {}));
    EXPECT_EQ(debris->GetDisplayText(), "");  // null

    TColumnGx* flag = g->Columns()->Add();
    flag->SetFieldName("Player");
    flag->SetCheckboxes(true);
    flag->KeyList()->SetText("player 1;Player 2\r\nPlayer 3\r\n");
    struct {
        int Id;
        TCheckBoxState State;
    } cases[] = {{1, cbChecked}, {2, cbChecked}, {3, cbUnchecked}, {4, cbGrayed}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Id);
        ASSERT_TRUE(query->Locate("ID", Variant(k.Id), {}));
        EXPECT_EQ(flag->GetCheckboxState(), k.State);
    }
    flag->KeyList()->SetText("Player 1\r\n");
    ASSERT_TRUE(query->Locate("ID", Variant(3), {}));
    EXPECT_EQ(flag->GetCheckboxState(), cbGrayed);  // one entry only: anything else is grayed
}

TEST_F(Columns, WidthLimitsAndWordWrapDefaults) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* name = g->Columns()->Add();
    name->SetFieldName("Name");
    TColumnGx* metal = g->Columns()->Add();
    metal->SetFieldName("Metal");
    name->SetMaxWidth(100);
    name->SetWidth(150);
    EXPECT_EQ(name->Width(), 100);
    name->SetMinWidth(20);
    name->SetWidth(5);
    EXPECT_EQ(name->Width(), 20);
    name->SetWidth(-1);  // ignored
    EXPECT_EQ(name->Width(), 20);
    name->SetMinWidth(40);  // the width follows a limit it breaks
    EXPECT_EQ(name->Width(), 40);
    EXPECT_EQ(name->AllowableWidth(500), 100);
    EXPECT_EQ(name->AllowableWidth(10), 40);
    EXPECT_EQ(g->ColWidths(1), 40);

    EXPECT_TRUE(name->WordWrap());
    EXPECT_FALSE(metal->WordWrap());
    TDBGridColumnsGx loose(nullptr, ItemClassOf<TDBGridColumnGx>);
    EXPECT_FALSE(loose.Add()->WordWrap());
    EXPECT_EQ(loose.Items(0)->Width(), 64);
}

TEST_F(Columns, SortMarkersSingleAndMultiple) {
    TDBGridGx* g = OpenGrid();
    for (const char* n : {"Name", "Galaxy", "System", "Metal"}) g->Columns()->Add()->SetFieldName(n);
    auto title = [&](int i) { return g->Columns()->Items(i)->Title(); };
    auto indexes = [&] {
        std::vector<int> v;
        for (int i = 0; i < 4; ++i) v.push_back(title(i)->SortIndex());
        return v;
    };
    title(1)->SetSortMarker(smDownGx);
    title(2)->SetSortMarker(smUpGx);  // single marking: the other marker goes
    EXPECT_EQ(title(1)->SortMarker(), smNoneGx);
    EXPECT_EQ(indexes(), (std::vector<int>{0, 0, 1, 0}));
    ASSERT_EQ(g->SortMarkedColumns()->Count(), 1);

    g->SetOptionsGx(g->OptionsGx() + dghMultiSortMarking);
    title(0)->SetSortMarker(smDownGx);
    title(3)->SetSortMarker(smUpGx);
    EXPECT_EQ(indexes(), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_EQ(g->SortMarkedColumns()->Count(), 3);
    // Removing a marker renumbers the ones above it.
    title(2)->SetSortMarker(smNoneGx);
    EXPECT_EQ(indexes(), (std::vector<int>{1, 0, 0, 2}));
    // Exchanging places by index.
    title(3)->SetSortIndex(1);
    EXPECT_EQ(indexes(), (std::vector<int>{2, 0, 0, 1}));
    EXPECT_EQ(g->SortMarkedColumns()->Items(0), g->Columns()->Items(3));
    title(3)->SetSortIndex(9);  // nobody holds 9: nothing changes
    EXPECT_EQ(indexes(), (std::vector<int>{2, 0, 0, 1}));

    // The cycle: none, down, up, then none with several markers or down again without.
    TColumnTitleGx* t = title(1);
    t->SetNextSortMarker(true);
    EXPECT_EQ(t->SortMarker(), smDownGx);
    t->SetNextSortMarker(true);
    EXPECT_EQ(t->SortMarker(), smUpGx);
    t->SetNextSortMarker(true);
    EXPECT_EQ(t->SortMarker(), smNoneGx);
    t->SetNextSortMarker(false);
    t->SetNextSortMarker(false);
    t->SetNextSortMarker(false);
    EXPECT_EQ(t->SortMarker(), smDownGx);
    EXPECT_EQ(title(0)->SortMarker(), smNoneGx);
}

TEST_F(Columns, CanModifyFollowsTheGridTheFieldAndTheAllowedOperations) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Name");
    EXPECT_TRUE(c->CanModify(false));
    g->SetAllowedOperations(g->AllowedOperations() - alopUpdateGx);
    EXPECT_FALSE(c->CanModify(false));
    g->SetAllowedOperations(kAllAllowedOperationsGx);
    query->FieldByName("Name")->SetReadOnly(true);
    EXPECT_FALSE(c->CanModify(false));
    query->FieldByName("Name")->SetReadOnly(false);
    EXPECT_TRUE(c->CanModify(true));
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_TRUE(g->DataLink()->IsModified());
    query->Cancel();
    g->SetReadOnly(true);
    EXPECT_FALSE(c->CanModify(false));
}

TEST_F(Columns, ValuesStepThroughTheKeyList) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Player");
    c->KeyList()->SetText("Player 1\r\nPlayer 2\r\nPlayer 3\r\n");
    ASSERT_TRUE(query->Locate("ID", Variant(2), {}));
    c->SetNextFieldValue(1);
    EXPECT_EQ(Current("Player"), "Player 3");
    c->SetNextFieldValue(1);
    EXPECT_EQ(Current("Player"), "Player 1");  // wraps
    c->SetNextFieldValue(-1);
    EXPECT_EQ(Current("Player"), "Player 3");
    query->Cancel();
}

TEST_F(Columns, PublishedPropertiesKeepTheLayoutFileOrder) {
    std::vector<std::string> names;
    for (const TPropInfo* p : GetPropList(ClassInfoOf<TDBGridColumnGx>())) names.push_back(p->Name);
    std::vector<std::string> expected{
        "Alignment", "AlwaysShowEditButton", "AutoDropDown", "AutoFitColWidth", "BiDiMode", "ButtonStyle",
        "Checkboxes", "Color", "DblClickNextVal", "DisplayFormat", "DropDownBox", "DropDownRows",
        "DropDownShowTitles", "DropDownSizing", "DropDownSpecRow", "DropDownWidth", "EditButtons", "EditMask",
        "EndEllipsis", "FieldName", "Font", "Footer", "Footers", "HideDuplicates", "HighlightRequired", "ImageList",
        "ImeMode", "ImeName", "Increment", "KeyList", "Layout", "LookupDisplayFields", "MaxWidth", "MinWidth",
        "MRUList", "NotInKeyListIndex", "PickList", "PopupMenu", "ReadOnly", "ShowImageAndText", "STFilter", "Tag",
        "Title", "ToolTips", "Visible", "Width", "WordWrap", "OnCheckDrawRequiredState", "OnDropDownBoxCheckButton",
        "OnDropDownBoxDrawColumnCell", "OnDropDownBoxGetCellParams", "OnDropDownBoxSortMarkingChanged",
        "OnDropDownBoxTitleBtnClick", "OnEditButtonClick", "OnEditButtonDown", "OnGetCellParams", "OnNotInList",
        "OnUpdateData"};
    EXPECT_EQ(names, expected);
}

TEST_F(Columns, AColumnChangedOnlyInWidthStreamsFieldNameWidthAndItsCollections) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Name");
    c->SetWidth(c->DefaultWidth() + 30);
    TMemoryStream stream;
    TWriter writer(&stream);
    writer.WriteCollection(g->Columns());
    std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    auto shortString = [](const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; };
    std::string expected = "\x0E\x01";
    expected += shortString("EditButtons") + "\x0E" + std::string(1, '\0');
    expected += shortString("FieldName") + "\x06" + shortString("Name");
    expected += shortString("Footers") + "\x0E" + std::string(1, '\0');
    int w = c->Width();
    expected += shortString("Width") + (w < 128 ? std::string("\x02") + static_cast<char>(w)
                                                : std::string("\x03") + static_cast<char>(w & 0xFF) +
                                                      static_cast<char>(w >> 8));
    expected += std::string(1, '\0') + std::string(1, '\0');
    EXPECT_EQ(bytes, expected);
}

}  // namespace
