// The data-aware edit, combo box and check box on fields of a SQLite table:
// showing, editing, posting and cancelling, read-only fields, a text the
// field refuses, pick lists, completion, the drop-down list, edit buttons,
// and the check box's three states for a Boolean and an integer field.
#include <gtest/gtest.h>

#include <filesystem>

#include "grid/CalcGx.h"
#include "grid/DBCtrlsGxCheck.h"
#include "grid/DBCtrlsGxCombo.h"
#include "platform/rtti/Streaming.h"
#include "platform/rtti/TypInfo.h"
#include "tests/grid/edits/EditTestSupport.h"

using namespace edittest;

namespace {

class DBEditControls : public EditTest {
protected:
    TDBComboBoxGx* Edit(const char* Name, const char* Field, int Top) {
        auto* e = Make<TDBComboBoxGx>(Name, 10, Top);
        e->SetDataSource(source);
        e->SetDataField(Field);
        return e;
    }
    std::string Shot(const char* Name) { return (std::filesystem::temp_directory_path() / Name).string(); }
};

TEST_F(DBEditControls, EditShowsEditsPostsAndCancels) {
    auto* name = Edit("edName", "Name", 10);
    auto* qty = Edit("edQty", "Qty", 40);
    ShowForm();
    query->Open();
    auto* qtyField = static_cast<TNumericField*>(query->FieldByName("Qty"));
    qtyField->SetDisplayFormat("0 pcs");
    qtyField->SetEditFormat("0");
    // Unfocused: the display text; focused: the edit text.
    EXPECT_EQ(name->Text(), "Alpha");
    EXPECT_EQ(name->MaxLength(), 20);
    EXPECT_EQ(qty->Text(), "5 pcs");
    qty->SetFocus();
    EXPECT_EQ(qty->Text(), "5");
    name->SetFocus();
    EXPECT_EQ(qty->Text(), "5 pcs");

    // Typing puts the data set into edit mode; posting writes the field.
    Type(name, "Zeta");
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(name->Text(), "Zeta");
    query->Post();
    EXPECT_EQ(db.Stored("Name", 1), "Zeta");

    // Cancelling shows the stored value again.
    name->SelectAll();
    Type(name, "Omega");
    query->Cancel();
    EXPECT_EQ(name->Text(), "Zeta");
    EXPECT_EQ(db.Stored("Name", 1), "Zeta");

    // Escape reloads the field's value while editing.
    name->SelectAll();
    Type(name, "Eta");
    name->Perform(WM_CHAR, 27, 0);
    EXPECT_EQ(name->Text(), "Zeta");

    // Leaving the edit writes its text into the record.
    query->Cancel();
    name->SelectAll();
    Type(name, "Theta");
    qty->SetFocus();
    EXPECT_EQ(query->FieldByName("Name")->AsString(), "Theta");
    query->Post();
    EXPECT_EQ(db.Stored("Name", 1), "Theta");

    // Scrolling shows the next record.
    query->Next();
    EXPECT_EQ(name->Text(), "Beta");
}

TEST_F(DBEditControls, ReadOnlyFieldsAndEditsTakeNoTyping) {
    auto* name = Edit("edName", "Name", 10);
    auto* qty = Edit("edQty", "Qty", 40);
    ShowForm();
    query->Open();
    query->FieldByName("Name")->SetReadOnly(true);
    name->SetFocus();
    Type(name, "Zeta");
    EXPECT_EQ(name->Text(), "Alpha");
    EXPECT_EQ(query->State(), dsBrowse);
    qty->SetReadOnly(true);
    qty->SetFocus();
    Type(qty, "9");
    EXPECT_EQ(qty->Text(), "5");
    EXPECT_EQ(query->State(), dsBrowse);
    // Letters are no integer's characters: dropped.
    qty->SetReadOnly(false);
    qty->SelectAll();
    Type(qty, "1x2");
    EXPECT_EQ(qty->Text(), "12");
}

TEST_F(DBEditControls, ATextTheFieldRefusesIsReportedAndKept) {
    auto* qty = Edit("edQty", "Qty", 10);
    auto* name = Edit("edName", "Name", 40);
    ShowForm();
    query->Open();
    qty->SetFocus();
    qty->SelectAll();
    Type(qty, "5-5");
    // Leaving the edit: the field's message, the focus and the text stay.
    name->SetFocus();
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_NE(dialogs->Messages[0].Text.find("5-5"), AnsiString::npos) << dialogs->Messages[0].Text;
    EXPECT_TRUE(qty->Focused());
    EXPECT_EQ(qty->Text(), "5-5");
    EXPECT_EQ(query->State(), dsEdit);
    // A post from elsewhere raises the same error and loses nothing either.
    EXPECT_ANY_THROW(query->Post());
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(qty->Text(), "5-5");
    // Mended, it posts.
    qty->SelectAll();
    Type(qty, "55");
    name->SetFocus();
    query->Post();
    EXPECT_EQ(db.Stored("Qty", 1), "55");
}

TEST_F(DBEditControls, PickListStoresKeysAndShowsTexts) {
    auto* combo = Make<TDBComboBoxGx>("cbPick", 10, 10);
    ShowForm();
    combo->Items()->SetText("a\nb\nc");
    combo->KeyItems()->SetText("1\n2");
    EXPECT_TRUE(combo->KeyBased());
    EXPECT_EQ(combo->ItemsCount(), 2);
    struct {
        Variant Value;
        const char* Text;
        int Index;
    } cases[] = {{Variant(2), "b", 1}, {Variant("1"), "a", 0}, {Variant(9), "", -1}, {Null(), "", -1}};
    for (auto& c : cases) {
        combo->SetValue(c.Value);
        EXPECT_EQ(combo->Text(), c.Text) << VarToStrDef(c.Value, "null");
        EXPECT_EQ(combo->ItemIndex(), c.Index);
    }
    // Texts that are not items are ignored; items are taken.
    combo->SetText("c");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetText("b");
    EXPECT_EQ(combo->Value().AsString(), "2");

    // Typing searches the items, in either case, and selects the rest of the text.
    combo->Items()->SetText("apple\nbanana\ncherry");
    combo->KeyItems()->SetText("1\n2\n3");
    combo->SetFocus();
    combo->SetValue(Null());
    Type(combo, "B");
    EXPECT_EQ(combo->Text(), "banana");
    EXPECT_EQ(combo->SelStart(), 1);
    EXPECT_EQ(combo->SelLength(), 5);
    EXPECT_EQ(combo->Value().AsString(), "2");

    // Up and Down: Up at the first item stays, Up with none jumps to the last, Down stops at the last.
    struct {
        int From;
        WORD Key;
        int To;
    } steps[] = {{0, VK_UP, 0}, {-1, VK_UP, 2}, {2, VK_DOWN, 2}, {-1, VK_DOWN, 0}, {1, VK_UP, 0}, {1, VK_DOWN, 2}};
    for (auto& s : steps) {
        combo->SetItemIndex(s.From);
        combo->Perform(WM_KEYDOWN, s.Key, 0);
        EXPECT_EQ(combo->ItemIndex(), s.To) << s.From << " " << s.Key;
    }
    // Delete empties an unbound pick list.
    combo->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(VarIsNull(combo->Value()));
    EXPECT_EQ(combo->Text(), "");
}

TEST_F(DBEditControls, PickListBoundToAField) {
    auto* kind = Make<TDBComboBoxGx>("cbKind", 10, 10);
    kind->Items()->SetText("Apple\nBanana");
    kind->KeyItems()->SetText("a\nb");
    kind->SetDataSource(source);
    kind->SetDataField("Kind");
    ShowForm();
    query->Open();
    EXPECT_EQ(kind->Text(), "Banana");
    EXPECT_EQ(kind->DisplayText(), "Banana");
    kind->SetItemIndex(0);
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(query->FieldByName("Kind")->AsString(), "a");
    query->Post();
    EXPECT_EQ(db.Stored("Kind", 1), "a");
    query->Next();
    EXPECT_EQ(kind->Text(), "Apple");
    query->Next();
    EXPECT_EQ(kind->Text(), "");
    EXPECT_EQ(kind->ItemIndex(), -1);
    query->First();
    kind->SetFocus();
    kind->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(query->FieldByName("Kind")->IsNull());
    query->Post();
    EXPECT_EQ(db.Stored("Kind", 1), "NULL");
}

TEST_F(DBEditControls, TypedTextIsCompletedFromTheItems) {
    auto* combo = Make<TDBComboBoxGx>("cbText", 10, 10);
    combo->Items()->SetText("Alpha\nAlpine\nBeta");
    ShowForm();
    combo->SetFocus();
    Type(combo, "alp");
    EXPECT_EQ(combo->Text(), "Alpha");
    EXPECT_EQ(combo->SelStart(), 3);
    EXPECT_EQ(combo->SelLength(), 2);
    EXPECT_EQ(combo->ItemIndex(), 0);
    Type(combo, "i");
    EXPECT_EQ(combo->Text(), "Alpine");
    EXPECT_EQ(combo->ItemIndex(), 1);
    // A text no item begins with stays as typed, with no item.
    combo->SelectAll();
    Type(combo, "Gamma");
    EXPECT_EQ(combo->Text(), "Gamma");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Value().AsString(), "Gamma");
}

TEST_F(DBEditControls, DropDownOpensFromItsShortCutAndChoosesAnItem) {
    auto* combo = Make<TDBComboBoxGx>("cbList", 20, 20, 120);
    combo->Items()->SetText("Ganymede\nEuropa\nCallisto, the outer moon\nIo");
    combo->KeyItems()->SetText("G\nE\nC\nI");
    combo->DropDownBox()->SetWidth(-1);
    ShowForm();
    combo->SetFocus();
    SimulateKey(combo->Handle(), VK_DOWN, ssAlt);
    ASSERT_TRUE(combo->ListVisible());  // the press that opened it did not close it
    TPopupListboxGx* list = combo->PopupList();
    EXPECT_TRUE(list->Visible());
    EXPECT_TRUE(combo->ButtonControl(0)->AlwaysDown());
    HDC dc = CreateScreenDC();
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->Assign(combo->Font());
    const int widest = canvas.TextWidth("Callisto, the outer moon");
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
    EXPECT_EQ(list->Width(), widest + 5);
    EXPECT_EQ(list->RowCount(), 4);
    // Below the edit, at its left edge.
    TPoint below = form->ClientToScreen(TPoint(combo->Left(), combo->Top() + combo->Height()));
    EXPECT_EQ(list->BoundsRect().TopLeft(), below);

    const std::string png = Shot("tesk-combo-dropdown.png");
    ASSERT_TRUE(SaveWindowsImage({form->Handle(), list->Handle()}, png));
    std::printf("combo drop-down screenshot: %s\n", png.c_str());

    // Down in the open list moves its selection; Enter takes it.
    combo->Perform(WM_KEYDOWN, VK_DOWN, 0);
    combo->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list->ItemIndex(), 1);
    combo->Perform(WM_CHAR, 13, 0);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_FALSE(combo->ButtonControl(0)->AlwaysDown());
    EXPECT_EQ(combo->Text(), "Europa");
    EXPECT_EQ(combo->Value().AsString(), "E");
    // Escape closes it without taking the selection.
    combo->DropDown();
    combo->Perform(WM_KEYDOWN, VK_DOWN, 0);
    combo->Perform(WM_CHAR, 27, 0);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), "Europa");
}

TEST_F(DBEditControls, EditButtonsSitAtTheRightEdge) {
    auto* edit = Edit("edName", "Name", 20);
    edit->SetWidth(200);
    TEditButtonGx* more = edit->EditButtons()->Add();
    more->SetStyle(ebsEllipsisGx);
    more->SetVisible(true);
    ShowForm();
    query->Open();
    ASSERT_EQ(edit->ButtonControlCount(), 2);
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const int cw = edit->ClientWidth();
    EXPECT_EQ(edit->ButtonControl(0)->BoundsRect(), Bounds(cw - w, 0, w, edit->ClientHeight()));
    EXPECT_EQ(edit->ButtonControl(1)->Left(), cw - 2 * w);
    EXPECT_EQ(edit->ButtonsWidth(), 2 * w);
    EXPECT_EQ(edit->EditRect().Right, cw - 2 * w);
    EXPECT_FALSE(edit->ButtonSeparator(0)->Visible());

    const std::string png = Shot("tesk-edit-two-buttons.png");
    ASSERT_TRUE(SaveWindowImage(form->Handle(), png));
    std::printf("edit with two buttons screenshot: %s\n", png.c_str());

    // Flat: the library's flat width and a separator beside each button.
    edit->SetFlat(true);
    const int fw = GetDefaultFlatButtonWidth();
    EXPECT_EQ(edit->ButtonControl(0)->Width(), fw);
    EXPECT_TRUE(edit->ButtonSeparator(0)->Visible());
    EXPECT_EQ(edit->ButtonsWidth(), 2 * (fw + 1));
    // A set width wins.
    more->SetWidth(30);
    EXPECT_EQ(edit->ButtonControl(1)->Width(), 30);

    // Clicking the extra button raises its event, not the drop-down.
    int clicks = 0;
    struct TCounter {
        int* n;
        void Clicked(TObject*) { ++*n; }
    } counter{&clicks};
    more->OnClick = MakeEvent(&counter, &TCounter::Clicked);
    edit->EditButtonClick(edit->ButtonControl(1));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(edit->ListVisible());
}

// The combo box and the check box publish the reading order, the drag kind
// and the drag and dock events, so a definition that sets them reads back.
TEST_F(DBEditControls, ReadingOrderDragKindAndDragEventsAreStored) {
    struct THandlers : TComponent {
        using TComponent::TComponent;
        void Started(TObject*, TObject*&) {}
        void Ended(TObject*, TObject*, int, int) {}
    };
    auto* handlers = new THandlers(form);
    auto* combo = Make<TDBComboBoxGx>("cbStored", 10, 10);
    auto* box = Make<TDBCheckBoxGx>("cxStored", 10, 40);
    std::vector<TControl*> controls{combo, box};
    for (TControl* c : controls) {
        c->SetBiDiMode(bdRightToLeftReadingOnly);
        c->SetDragKind(dkDock);
        c->OnStartDock = TStartDragEvent(handlers, &THandlers::Started);
        c->OnEndDrag = TEndDragEvent(handlers, &THandlers::Ended);
    }
    for (TControl* c : controls) {
        SCOPED_TRACE(c->ClassName());
        TMemoryStream stream;
        WriteComponent(&stream, c);
        const std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
        for (const char* name : {"BiDiMode", "DragKind", "ParentBiDiMode", "OnStartDock", "OnEndDrag"})
            EXPECT_NE(bytes.find(name), std::string::npos) << name;
        EXPECT_EQ(GetOrdProp(c, "DragKind"), dkDock);
        EXPECT_EQ(GetOrdProp(c, "BiDiMode"), bdRightToLeftReadingOnly);
        EXPECT_FALSE(c->ParentBiDiMode());
        // Right to left needs a Middle East system: the layout stays left to right.
        EXPECT_FALSE(c->UseRightToLeftReading());
    }
}

TEST_F(DBEditControls, UnboundEditKeepsItsValue) {
    auto* edit = Make<TDBComboBoxGx>("edFree", 10, 10);
    ShowForm();
    edit->SetValue(Variant(42));
    EXPECT_EQ(edit->Text(), "42");
    EXPECT_EQ(VarType(edit->DataLink()->Value()), varInteger);
    edit->SetText("free text");
    EXPECT_EQ(edit->DataLink()->Value().AsString(), "free text");
}

TEST_F(DBEditControls, CalculatorDropsDownUnderAnEdit) {
    struct TCalcHost : TComponent, IPopupOwnerGx {
        TCalcHost() : TComponent(nullptr) {}
        void CloseUp(bool Accept) override { accepted = Accept; }
        bool accepted = false;
    } host;
    auto* edit = Make<TDBComboBoxGx>("edAmount", 20, 20, 150);
    edit->EditButton()->SetStyle(ebsDropDownGx);
    ShowForm();
    auto* calc = new TPopupCalculatorGx(&host);
    calc->SetValue(Variant(1250));
    for (char k : std::string("*3")) calc->ProcessKey(k);
    AlignDropDownWindow(edit, calc, daRight);
    calc->SetVisible(true);
    SetWindowPos(calc->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EXPECT_EQ(calc->BoundsRect().Top, edit->ClientToScreen(TPoint(0, edit->ClientHeight())).Y);
    const std::string png = Shot("tesk-calculator-dropdown.png");
    ASSERT_TRUE(SaveWindowsImage({form->Handle(), calc->Handle()}, png));
    std::printf("calculator drop-down screenshot: %s\n", png.c_str());
    calc->ProcessKey('=');
    calc->ProcessKey('=');
    EXPECT_TRUE(host.accepted);
    EXPECT_EQ(calc->Value().AsDouble(), 3750);
}

// ---------------------------------------------------------------------------
// Check box

class DBCheckBox : public EditTest {};

TEST_F(DBCheckBox, StatesOfABooleanAndAnIntegerField) {
    db.Exec("UPDATE Item SET Kind = 'yes' WHERE ID = 3");
    auto* active = Make<TDBCheckBoxGx>("chkActive", 10, 10);
    active->SetDataSource(source);
    active->SetDataField("Active");
    auto* mark = Make<TDBCheckBoxGx>("chkMark", 10, 40);
    mark->SetValueChecked("1;Yes");
    mark->SetValueUnchecked("0");
    mark->SetDataSource(source);
    mark->SetDataField("Mark");
    auto* kind = Make<TDBCheckBoxGx>("chkKind", 10, 70);
    kind->SetValueChecked("Y;Yes");
    kind->SetValueUnchecked("N");
    kind->SetDataSource(source);
    kind->SetDataField("Kind");
    ShowForm();
    query->Open();
    ASSERT_EQ(query->FieldByName("Active")->DataType(), ftBoolean);
    struct {
        TCheckBoxState Active, Mark, Kind;
    } rows[] = {{cbChecked, cbChecked, cbGrayed}, {cbUnchecked, cbUnchecked, cbGrayed}, {cbGrayed, cbGrayed, cbChecked}};
    for (auto& r : rows) {
        EXPECT_EQ(active->State(), r.Active) << query->RecNo();
        EXPECT_EQ(mark->State(), r.Mark) << query->RecNo();
        EXPECT_EQ(kind->State(), r.Kind) << query->RecNo();
        query->Next();
    }
}

TEST_F(DBCheckBox, TogglingWritesTheFieldsValues) {
    auto* active = Make<TDBCheckBoxGx>("chkActive", 10, 10);
    active->SetDataSource(source);
    active->SetDataField("Active");
    auto* mark = Make<TDBCheckBoxGx>("chkMark", 10, 40);
    mark->SetValueChecked("1;Yes");
    mark->SetValueUnchecked("0");
    mark->SetAllowGrayed(true);
    mark->SetDataSource(source);
    mark->SetDataField("Mark");
    ShowForm();
    query->Open();
    query->Next();  // Beta: Active false, Mark 0
    active->SetFocus();
    active->Perform(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(active->Pressed());
    active->Perform(WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(active->State(), cbChecked);
    EXPECT_EQ(query->State(), dsEdit);
    query->Post();
    EXPECT_EQ(db.Stored("Active", 2), "1");

    // Unchecked -> grayed (allowed) -> checked -> unchecked, each posted.
    const char* stored[] = {"NULL", "1", "0"};
    for (const char* s : stored) {
        mark->Toggle();
        query->Post();
        EXPECT_EQ(db.Stored("Mark", 2), s);
    }
    // Escape takes the field's value back.
    mark->Toggle();
    EXPECT_EQ(mark->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
    mark->SetFocus();
    mark->Perform(WM_CHAR, 27, 0);
    EXPECT_EQ(mark->State(), cbUnchecked);
    // A read-only box does not toggle.
    query->Cancel();
    active->SetReadOnly(true);
    active->Toggle();
    EXPECT_EQ(active->State(), cbChecked);
    EXPECT_EQ(query->State(), dsBrowse);
}

TEST_F(DBCheckBox, UnboundBoxHoldsTrueFalseAndNull) {
    auto* box = Make<TDBCheckBoxGx>("chkFree", 10, 10);
    box->SetCaption("Match &case");
    ShowForm();
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(box->Width(), 160);
    box->SetStateProp(cbChecked);
    EXPECT_EQ(box->DataLink()->Value().AsBoolean(), true);
    box->SetStateProp(cbGrayed);
    EXPECT_TRUE(VarIsNull(box->DataLink()->Value()));
    box->SetChecked(false);
    EXPECT_EQ(box->DataLink()->Value().AsBoolean(), false);
    EXPECT_EQ(box->Perform(BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    box->Toggle();
    EXPECT_TRUE(box->Checked());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-check-box.png").string();
    ASSERT_TRUE(SaveWindowImage(form->Handle(), png));
    std::printf("check box screenshot: %s\n", png.c_str());
}

}  // namespace
