// Edit-button painting, drop-down placement and the small routines and lists
// of the tool controls.
#include <gtest/gtest.h>

#include <memory>

#include "grid/ToolCtrlsGx.h"
#include "platform/db/StMemoryDataset.h"

namespace {

constexpr TColor kParent = 0x336699;  // a parent colour no button part uses

// A button painted on its own bitmap, read back pixel by pixel.
struct TButtonImage {
    TBitmap Bitmap;
    TButtonImage(int w, int h, TButtonPaintKindGx kind, int down, bool flat, bool active, bool enabled, int check) {
        Bitmap.SetSize(w, h);
        Bitmap.Canvas()->Brush()->SetColor(clLime);
        Bitmap.Canvas()->FillRect(TRect(0, 0, w, h));
        PaintButtonControlGx(Bitmap.Canvas()->Handle(), TRect(0, 0, w, h), kParent, kind, down, flat, active,
                             enabled, check);
    }
    TColor At(int x, int y) { return Bitmap.Canvas()->Pixels(x, y); }
    // Pixels of a colour inside the part (inset by 2 from the edges).
    int Count(TColor color, TRect part) {
        int n = 0;
        for (int y = part.Top + 2; y < part.Bottom - 2; ++y)
            for (int x = part.Left + 2; x < part.Right - 2; ++x) n += At(x, y) == color;
        return n;
    }
    int Count(TColor color) { return Count(color, TRect(0, 0, Bitmap.Width(), Bitmap.Height())); }
};

const TColor kWhite = 0xFFFFFF, kBlack = 0x000000, kShadow = 0x808080, kFace = 0xC0C0C0;

TEST(PaintButtonControl, EachKindUpDownFlatAndDisabled) {
    struct {
        TButtonPaintKindGx Kind;
        const char* Name;
    } kinds[] = {{bpkDropDownGx, "drop-down"}, {bpkEllipsisGx, "ellipsis"}, {bpkUpDownGx, "up-down"},
                 {bpkPlusGx, "plus"},          {bpkMinusGx, "minus"}};
    for (auto& k : kinds) {
        SCOPED_TRACE(k.Name);
        const int w = 17, h = k.Kind == bpkUpDownGx ? 21 : 17;
        const TRect top(0, 0, w, k.Kind == bpkUpDownGx ? h / 2 : h);
        {
            SCOPED_TRACE("up: raised, with a dark glyph");
            TButtonImage b(w, h, k.Kind, 0, false, false, true, 0);
            EXPECT_EQ(b.At(1, 1), kWhite);
            EXPECT_EQ(b.At(w - 1, top.Bottom - 1), kBlack);
            EXPECT_GT(b.Count(kBlack, top), 0);
        }
        {
            SCOPED_TRACE("down: sunken, glyph still dark");
            TButtonImage b(w, h, k.Kind, 1, false, false, true, 0);
            EXPECT_NE(b.At(1, 1), kWhite);
            EXPECT_NE(b.At(0, 0), kWhite);
            EXPECT_GT(b.Count(kBlack, top), 0);
        }
        {
            SCOPED_TRACE("flat and not hot: framed in the parent's colour");
            TButtonImage b(w, h, k.Kind, 0, true, false, true, 0);
            EXPECT_EQ(b.At(0, 0), kParent);
            EXPECT_EQ(b.At(w - 1, top.Bottom - 1), kParent);
            EXPECT_GT(b.Count(kBlack, top), 0);
            TButtonImage hot(w, h, k.Kind, 0, true, true, true, 0);
            EXPECT_EQ(hot.At(0, 0), kWhite);
            TButtonImage pressed(w, h, k.Kind, 1, true, true, true, 0);
            EXPECT_EQ(pressed.At(0, 0), kShadow);
        }
        {
            SCOPED_TRACE("disabled: an embossed glyph, nothing dark");
            TButtonImage b(w, h, k.Kind, 0, false, false, false, 0);
            EXPECT_EQ(b.Count(kBlack, top), 0);
            EXPECT_GT(b.Count(kShadow, top), 0);
            EXPECT_GT(b.Count(kWhite, top), 0);
        }
    }
}

TEST(PaintButtonControl, UpDownHalvesPressSeparatelyAndTheOddRowTakesTheParentColour) {
    const int w = 15, h = 21, half = h / 2;
    TButtonImage upper(w, h, bpkUpDownGx, 1, false, false, true, 0);
    EXPECT_NE(upper.At(1, 1), kWhite);
    EXPECT_EQ(upper.At(1, h - half + 1), kWhite);
    TButtonImage lower(w, h, bpkUpDownGx, 2, false, false, true, 0);
    EXPECT_EQ(lower.At(1, 1), kWhite);
    EXPECT_NE(lower.At(1, h - half + 1), kWhite);
    for (int x = 0; x < w; ++x) EXPECT_EQ(lower.At(x, half), kParent);
}

TEST(PaintButtonControl, CheckBoxStates) {
    const int s = 13;
    const TRect all(0, 0, s, s);
    TButtonImage unchecked(s, s, bpkCheckBoxGx, 0, false, false, true, BST_UNCHECKED);
    EXPECT_EQ(unchecked.Count(kBlack, all), 0);
    EXPECT_GT(unchecked.Count(kWhite, all), 0);
    TButtonImage checked(s, s, bpkCheckBoxGx, 0, false, false, true, BST_CHECKED);
    EXPECT_GT(checked.Count(kBlack, all), 0);
    EXPECT_GT(checked.Count(kWhite, all), 0);
    TButtonImage pressed(s, s, bpkCheckBoxGx, 1, false, false, true, BST_CHECKED);
    EXPECT_GT(pressed.Count(kBlack, all), 0);
    EXPECT_EQ(pressed.Count(kWhite, all), 0);  // a pushed box shows the button face
    TButtonImage mixed(s, s, bpkCheckBoxGx, 0, false, false, true, BST_INDETERMINATE);
    EXPECT_EQ(mixed.Count(kBlack, all), 0);
    EXPECT_GT(mixed.Count(kShadow, all), 0);
    TButtonImage disabled(s, s, bpkCheckBoxGx, 0, false, false, false, BST_CHECKED);
    EXPECT_EQ(disabled.Count(kBlack, all), 0);
    EXPECT_GT(disabled.Count(kShadow, all), 0);
    TButtonImage flat(s, s, bpkCheckBoxGx, 0, true, false, true, BST_CHECKED);
    EXPECT_EQ(flat.At(0, 0), kParent);
    EXPECT_EQ(flat.At(1, 1), kFace);
    TButtonImage flatDisabled(s, s, bpkCheckBoxGx, 0, true, false, false, BST_CHECKED);
    EXPECT_EQ(flatDisabled.At(1, 1), kShadow);
}

TEST(PaintButtonControl, CachedButtonsLookLikeDirectlyPaintedOnes) {
    ClearButtonsBitmapCache();
    auto paintAll = [] {
        std::vector<std::unique_ptr<TButtonImage>> images;
        for (int kind = bpkDropDownGx; kind <= bpkMinusGx; ++kind)
            for (int state = 0; state < 4; ++state)
                images.push_back(std::make_unique<TButtonImage>(16, 18, static_cast<TButtonPaintKindGx>(kind),
                                                                state == 1 ? 1 : 0, state == 2, false, state != 3,
                                                                BST_CHECKED));
        return images;
    };
    auto cached = paintAll();
    int count = ButtonsBitmapCacheCount();
    EXPECT_EQ(count, 24);
    paintAll();
    EXPECT_EQ(ButtonsBitmapCacheCount(), count);  // the second time every button came from the cache
    ButtonsBitmapCacheEnabledGx = false;
    auto direct = paintAll();
    ButtonsBitmapCacheEnabledGx = true;
    for (size_t i = 0; i < cached.size(); ++i)
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(cached[i]->At(x, y), direct[i]->At(x, y)) << i;
    ClearButtonsBitmapCache();
    EXPECT_EQ(ButtonsBitmapCacheCount(), 0);
}

TEST(TreeElements, ConnectorsAndBoxes) {
    TBitmap b;
    b.SetSize(18, 18);
    TCanvas* c = b.Canvas();
    auto draw = [&](int kind) {
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(0, 0, 18, 18));
        DrawTreeElement(c, TRect(0, 0, 18, 18), kind, 1.0, 1.0, false);
    };
    auto inkAt = [&](int x, int y) { return c->Pixels(x, y) != kWhite; };
    draw(9);  // a pass-through line only
    EXPECT_TRUE(inkAt(9, 0));
    EXPECT_TRUE(inkAt(9, 16));
    EXPECT_FALSE(inkAt(14, 8));
    draw(7);  // the last leaf: up to the middle, then right
    EXPECT_TRUE(inkAt(9, 0));
    EXPECT_FALSE(inkAt(9, 16));
    EXPECT_TRUE(inkAt(16, 9));
    draw(3);  // a collapsed node with a sibling below: a box with a plus
    EXPECT_EQ(c->Pixels(9, 9), kBlack);
    EXPECT_EQ(c->Pixels(9, 7), kBlack);  // the plus's vertical bar
    EXPECT_EQ(c->Pixels(5, 9), kShadow);  // the box's frame
    draw(0);  // expanded: a minus
    EXPECT_EQ(c->Pixels(9, 7), kWhite);
}

TEST(DropDownPlacement, BelowAboveOrWhereThereIsMoreRoom) {
    const TRect work(0, 0, 1024, 768);
    struct {
        const char* Name;
        TRect Anchor;
        int W, H;
        TDropDownAlign Align;
        TRect Work;
        TRect Bounds;
        int Vert, Horz;
    } cases[] = {
        {"fits below", {100, 100, 200, 120}, 150, 200, daLeft, work, {100, 120, 250, 320}, gsBottomGx, gsRightGx},
        {"only above", {100, 700, 200, 720}, 150, 200, daLeft, work, {100, 500, 250, 700}, gsTopGx, gsRightGx},
        {"neither, more room below", {100, 300, 200, 320}, 150, 600, daLeft, work, {100, 320, 250, 768}, gsBottomGx,
         gsRightGx},
        {"neither, more room above", {100, 500, 200, 520}, 150, 600, daLeft, work, {100, 0, 250, 500}, gsTopGx,
         gsRightGx},
        {"equal room goes below", {100, 374, 200, 394}, 150, 500, daLeft, work, {100, 394, 250, 768}, gsBottomGx,
         gsRightGx},
        {"past the right edge", {950, 100, 1000, 120}, 150, 100, daLeft, work, {874, 120, 1024, 220}, gsBottomGx,
         gsLeftGx},
        {"aligned right", {300, 100, 400, 120}, 150, 100, daRight, work, {250, 120, 400, 220}, gsBottomGx, gsLeftGx},
        {"aligned right past the left edge", {10, 100, 60, 120}, 150, 100, daRight, work, {0, 120, 150, 220},
         gsBottomGx, gsRightGx},
        {"centred rounds towards zero", {100, 100, 151, 120}, 150, 100, daCenter, work, {51, 120, 201, 220},
         gsBottomGx, gsRightGx},
        {"work area narrower than the window", {10, 100, 60, 120}, 150, 100, daLeft, {0, 0, 100, 768},
         {0, 120, 100, 220}, gsBottomGx, gsLeftGx},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDropDownPlacementGx p = PlaceDropDownGx(c.Anchor, c.W, c.H, c.Work, c.Align);
        EXPECT_EQ(p.Bounds, c.Bounds);
        EXPECT_EQ(p.VertSide, c.Vert);
        EXPECT_EQ(p.HorzSide, c.Horz);
    }
}

// A drop-down window that writes down where it is told its grip goes.
class TGripListener : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<int> Sides;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_GRIPSIDEGX) Sides.push_back(static_cast<int>(Message.WParam));
        TCustomControl::Dispatch(Message);
    }
};

TEST(DropDownPlacement, TheWindowIsPlacedInItsMonitorsWorkAreaAndToldItsGripSides) {
    std::unique_ptr<TGripListener> popup(new TGripListener(nullptr));
    popup->SetBounds(0, 0, 120, 90);
    TRect work = GetMonitorInfoAt(0).WorkArea;
    TRect anchor = Bounds(work.Left + 40, work.Top + 30, 100, 20);
    TPoint at = AlignDropDownWindowRect(anchor, popup.get(), daLeft);
    EXPECT_EQ(at, TPoint(anchor.Left, anchor.Bottom));
    EXPECT_EQ(popup->BoundsRect(), Bounds(anchor.Left, anchor.Bottom, 120, 90));
    EXPECT_EQ(popup->Sides, (std::vector<int>{gsBottomGx, gsRightGx}));
}

TEST(Routines, CheckBoxRectButtonSizesAndDoubleClicks) {
    EXPECT_EQ(DefaultCheckBoxWidth(), 13);
    EXPECT_EQ(DefaultCheckBoxHeight(), 13);
    const TRect cell(10, 20, 60, 40);
    struct {
        TAlignment A;
        TTextLayout L;
        TRect R;
    } cases[] = {
        {taLeftJustify, tlTop, {10, 20, 23, 33}},
        {taRightJustify, tlBottom, {47, 27, 60, 40}},
        {taCenter, tlCenter, {28, 23, 41, 36}},
    };
    for (auto& c : cases) EXPECT_EQ(AdjustCheckBoxRect(cell, c.A, c.L), c.R);
    // A cell smaller than the box keeps its size in that direction.
    EXPECT_EQ(AdjustCheckBoxRect(TRect(0, 0, 8, 30), taCenter, tlCenter), TRect(0, 8, 8, 21));

    int flat = GetDefaultFlatButtonWidth();
    EXPECT_EQ(flat % 2, 1);
    EXPECT_LE(flat, GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(GetDefaultEditButtonHeight(17, false), 17);
    EXPECT_EQ(GetDefaultEditButtonHeight(10, true), 15);
    EXPECT_EQ(GetDefaultEditButtonHeight(11, true), 16);  // 16.5 rounds to even

    int time = static_cast<int>(GetDoubleClickTime());
    int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    EXPECT_TRUE(IsDoubleClick({10, 10}, {10 + dx, 10 - dx}, time));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {10, 10}, time + 1));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {11 + dx, 10}, 0));
}

TEST(Routines, VarEquals) {
    Variant a = VarArrayOf({1, "x"}), same = VarArrayOf({1.0, "x"}), other = VarArrayOf({1, "y"});
    Variant longer = VarArrayOf({1, "x", 2});
    Variant shifted = VarArrayCreate({1, 2}, varVariant);
    shifted.Put({1}, 1);
    shifted.Put({2}, "x");
    Variant grid = VarArrayCreate({0, 1, 0, 1}, varInteger), grid2 = VarArrayCreate({0, 1, 0, 1}, varInteger);
    grid2.Put({1, 1}, 5);
    struct {
        const char* Name;
        Variant A, B;
        bool Equal;
    } cases[] = {
        {"numbers of different types", 1, 1.0, true},
        {"strings", "abc", "abc", true},
        {"strings differ in case", "abc", "ABC", false},
        {"null and null", Null(), Null(), true},
        {"null and zero", Null(), 0, false},
        {"text against a number", "abc", 1, false},
        {"arrays", a, same, true},
        {"arrays with another element", a, other, false},
        {"arrays of other length", a, longer, false},
        {"arrays with other bounds", a, shifted, false},
        {"array and value", a, 1, false},
        {"two dimensions", grid, grid, true},
        {"two dimensions differ", grid, grid2, false},
    };
    for (auto& c : cases) EXPECT_EQ(VarEquals(c.A, c.B), c.Equal) << c.Name;
}

TEST(MRUList, AddMovesEqualItemsAndKeepsTheLimit) {
    TMRUListGx mru(nullptr);
    mru.SetLimit(2);
    for (const char* s : {"a", "b", "c"}) mru.Add(s);
    EXPECT_EQ(mru.Items()->CommaText(), "b,c");

    mru.SetLimit(100);
    mru.Add("  Delta ");
    mru.Add("");
    mru.Add("   ");
    EXPECT_EQ(mru.Items()->CommaText(), "b,c,Delta");
    mru.Add("B");  // differs only in case: b moves to the end, nothing is added
    EXPECT_EQ(mru.Items()->CommaText(), "c,Delta,b");
    mru.SetCaseSensitive(true);
    mru.Add("C");
    EXPECT_EQ(mru.Items()->CommaText(), "c,Delta,b,C");
    mru.SetLimit(2);
    EXPECT_EQ(mru.Items()->CommaText(), "b,C");
}

TEST(MRUList, FilterItemsBeginningWithTheText) {
    TMRUListGx mru(nullptr);
    for (const char* s : {"Alpha", "alpine", "beta", "AL", "\xC0\xE1\xE2"}) mru.Add(s);
    TStringList list;
    EXPECT_TRUE(mru.FilterItemsTo(&list, "al"));
    EXPECT_EQ(list.CommaText(), "Alpha,alpine,AL");
    EXPECT_TRUE(mru.FilterItemsTo(&list, "\xE0\xC1"));  // Cyrillic folds too
    EXPECT_EQ(list.Count(), 1);
    mru.SetCaseSensitive(true);
    mru.FilterItemsTo(&list, "Al");
    EXPECT_EQ(list.CommaText(), "Alpha");
    struct TRejectAll {
        void Filter(TObject*, bool& Accept) { Accept = false; }
    } reject;
    mru.OnFilterItem = MakeEvent(&reject, &TRejectAll::Filter);
    mru.FilterItemsTo(&list, "");
    EXPECT_EQ(list.Count(), 0);

    TMRUListGx copy(nullptr);
    copy.Assign(&mru);
    EXPECT_EQ(copy.Items()->Count(), 5);
    EXPECT_TRUE(copy.CaseSensitive());
}

TEST(SpecRow, CellsTextAndDefaults) {
    struct {
        AnsiString Text;
        std::vector<AnsiString> Cells;
    } cases[] = {
        {"", {}},
        {"a;b", {"a", "b"}},
        {"\"x;y\";z", {"x;y", "z"}},
        {"\"say \"\"hi\"\"\";next", {"say \"hi\"", "next"}},
        {" a b ;\t\r\nc\n", {" a b ", "c"}},
        {"a;;b", {"a", "", "b"}},
    };
    TSpecRowGx row(nullptr);
    for (auto& c : cases) {
        SCOPED_TRACE(c.Text);
        row.SetCellsText(c.Text);
        ASSERT_EQ(row.CellCount(), static_cast<int>(c.Cells.size()));
        for (size_t i = 0; i < c.Cells.size(); ++i) EXPECT_EQ(row.GetCellText(static_cast<int>(i)), c.Cells[i]);
        EXPECT_EQ(row.GetCellText(static_cast<int>(c.Cells.size())), "");
    }
    TSpecRowGx defaults(nullptr);
    EXPECT_EQ(defaults.ShortCut(), 32814);
    EXPECT_FALSE(defaults.Visible());
    EXPECT_TRUE(defaults.ShowIfNotInKeyList());
    EXPECT_TRUE(VarIsNull(defaults.Value()));
    EXPECT_EQ(defaults.Color(), clWindow);
    EXPECT_FALSE(defaults.IsColorStored());
}

TEST(SpecRow, FollowsItsOwnerUntilSetAndTellsChangesOnce) {
    std::unique_ptr<TCustomControl> owner(new TCustomControl(nullptr));
    owner->SetColor(clInfoBk);
    owner->Font()->SetName("Arial");
    TSpecRowGx row(owner.get());
    int changes = 0;
    struct TCount {
        int* n;
        void Hit(TObject*) { ++*n; }
    } count{&changes};
    row.OnChange = MakeEvent(&count, &TCount::Hit);
    EXPECT_EQ(row.Color(), clInfoBk);
    EXPECT_EQ(row.Font()->Name(), "Arial");
    EXPECT_FALSE(row.IsFontStored());
    EXPECT_EQ(changes, 0);
    owner->SetColor(clYellow);
    EXPECT_EQ(row.Color(), clYellow);

    row.BeginUpdate();
    row.SetColor(clRed);
    row.SetVisible(true);
    row.SetValue(5);
    EXPECT_EQ(changes, 0);
    row.EndUpdate();
    EXPECT_EQ(changes, 1);
    owner->SetColor(clWhite);
    EXPECT_EQ(row.Color(), clRed);
    row.Font()->SetName("Courier New");
    EXPECT_TRUE(row.IsFontStored());
    owner->Font()->SetName("Tahoma");
    EXPECT_EQ(row.Font()->Name(), "Courier New");
}

TEST(EditButtons, DefaultsAndChangesReachTheOwner) {
    TComponent owner(nullptr);
    TEditButtonsGx buttons(&owner);
    int changes = 0;
    struct TCount {
        int* n;
        void Hit(TObject*) { ++*n; }
    } count{&changes};
    buttons.OnChange = MakeEvent(&count, &TCount::Hit);
    TEditButtonGx* b = buttons.Add();
    EXPECT_FALSE(b->Visible());
    EXPECT_EQ(b->Style(), ebsDropDownGx);
    EXPECT_EQ(b->NumGlyphs(), 1);
    int before = changes;
    b->SetStyle(ebsEllipsisGx);
    b->SetWidth(12);
    b->SetWidth(12);
    EXPECT_EQ(changes, before + 2);
    EXPECT_EQ(EditButtonStyleToPaintKind(ebsGlyphGx), bpkUpDownGx);
    EXPECT_EQ(EditButtonStyleToPaintKind(ebsMinusGx), bpkMinusGx);

    TVisibleEditButtonGx own(&owner);
    int ownChanges = 0;
    struct TCount2 {
        int* n;
        void Hit(TObject*) { ++*n; }
    } count2{&ownChanges};
    own.OnChanged = MakeEvent(&count2, &TCount2::Hit);
    EXPECT_TRUE(own.Visible());
    EXPECT_EQ(own.ShortCut(), 32808);  // Alt+Down
    EXPECT_FALSE(own.IsShortCutStored());
    EXPECT_FALSE(own.IsVisibleStored());
    own.SetVisible(false);
    EXPECT_TRUE(own.IsVisibleStored());
    EXPECT_EQ(ownChanges, 1);
}

class FieldRoutinesTest : public testing::Test {
protected:
    void SetUp() override {
        ds = new TStMemoryData(owner.get());
        ds->FieldDefs()->Add("A", ftInteger);
        ds->FieldDefs()->Add("B", ftString, 10);
        ds->Open();
        for (const char* b : {"y", "x", "y", "z"}) {
            ds->Append();
            ds->FieldByName("A")->SetAsInteger(1);
            ds->FieldByName("B")->SetAsString(b);
            ds->Post();
        }
    }
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TStMemoryData* ds = nullptr;
};

TEST_F(FieldRoutinesTest, SetFieldValuesByNames) {
    ds->First();
    ds->Edit();
    DataSetSetFieldValues(ds, "A;B", VarArrayOf({7, "q"}));
    EXPECT_EQ(ds->FieldByName("A")->AsInteger(), 7);
    EXPECT_EQ(ds->FieldByName("B")->AsString(), "q");
    DataSetSetFieldValues(ds, "B", "r");
    EXPECT_EQ(ds->FieldByName("B")->AsString(), "r");
    DataSetSetFieldValues(ds, "A;B", Null());
    EXPECT_TRUE(ds->FieldByName("A")->IsNull());
    EXPECT_TRUE(ds->FieldByName("B")->IsNull());
    ds->Cancel();
    EXPECT_EQ(GetFieldsArrayByNames(ds, "B; A").size(), 2u);
    EXPECT_THROW(GetFieldsArrayByNames(ds, "A;Missing"), EDatabaseError);
}

TEST_F(FieldRoutinesTest, DistinctValuesAreReadAgainAfterAChange) {
    TDatasetFieldValueListGx values;
    values.SetDataSet(ds);
    values.SetFieldName("B");
    ds->SetRecNo(2);
    EXPECT_EQ(values.Values()->CommaText(), "x,y,z");
    EXPECT_FALSE(values.Dirty());
    EXPECT_EQ(ds->RecNo(), 2);  // the user stays where they were
    EXPECT_FALSE(ds->ControlsDisabled());
    ds->Edit();
    ds->FieldByName("B")->SetAsString("w");
    ds->Post();
    EXPECT_TRUE(values.Dirty());
    EXPECT_EQ(values.Values()->CommaText(), "w,y,z");
    values.SetFieldName("Missing");
    EXPECT_EQ(values.Values()->Count(), 0);
}

}  // namespace
