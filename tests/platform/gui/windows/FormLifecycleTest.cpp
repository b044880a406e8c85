// Forms: creation, show, modal loop, close and destroy in the framework's
// order; KeyPreview; window state and placement; alignment and anchors.
#include <gtest/gtest.h>

#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class TLifeForm : public TForm {
public:
    explicit TLifeForm(TComponent* Owner) : TForm(Owner) {
        OnCreate = MakeEvent(this, &TLifeForm::Created);
        OnShow = MakeEvent(this, &TLifeForm::Shown);
        OnHide = MakeEvent(this, &TLifeForm::Hidden);
        OnActivate = MakeEvent(this, &TLifeForm::Activated);
        OnCloseQuery = MakeEvent(this, &TLifeForm::Querying);
        OnClose = MakeEvent(this, &TLifeForm::Closing);
        OnDestroy = MakeEvent(this, &TLifeForm::Destroying);
    }
    std::vector<std::string>* Log = nullptr;
    bool AllowClose = true;
    TCloseAction Action = caHide;
    TModalResult ResultOnPing = mrOk;

    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_USER + 1) {
            SetModalResult(ResultOnPing);
            return;
        }
        TForm::Dispatch(m);
    }

private:
    void Add(const std::string& s) {
        if (Log) Log->push_back(s);
    }
    void Created(TObject*) { Add("Create"); }
    void Shown(TObject*) { Add(std::string("Show visible=") + (IsWindowVisible(Handle()) ? "1" : "0")); }
    void Hidden(TObject*) { Add("Hide"); }
    void Activated(TObject*) { Add("Activate"); }
    void Querying(TObject*, bool& CanClose) {
        Add("CloseQuery");
        CanClose = AllowClose;
    }
    void Closing(TObject*, TCloseAction& A) {
        Add("Close");
        A = Action;
    }
    void Destroying(TObject*) {
        Add(std::string("Destroy window=") + (HandleAllocated() && IsWindow(Handle()) ? "1" : "0"));
    }
};

class Forms : public testing::Test {
protected:
    void TearDown() override { Application->ProcessMessages(); }
    TLifeForm* Make() {
        auto* f = new TLifeForm(nullptr);
        f->Log = &log;
        f->AfterConstruction();
        return f;
    }
    std::vector<std::string> log;
};

TEST_F(Forms, ShowHideCloseAndDestroyFireInOrder) {
    TLifeForm* f = Make();
    f->Show();
    f->Hide();
    f->Show();
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    f->AllowClose = false;
    f->Close();
    EXPECT_TRUE(f->Visible());
    f->AllowClose = true;
    f->Close();
    EXPECT_FALSE(f->Visible());
    FreeObject(f);
    EXPECT_EQ(log, (std::vector<std::string>{"Create", "Show visible=0", "Activate", "Hide", "Show visible=0",
                                             "CloseQuery", "CloseQuery", "Close", "Hide", "Destroy window=1"}));
}

TEST_F(Forms, CloseWithCaFreeReleasesTheFormAfterTheMessage) {
    TLifeForm* f = Make();
    f->Show();
    f->Action = caFree;
    HWND h = f->Handle();
    f->Close();
    EXPECT_TRUE(IsWindow(h));  // still there until the posted release
    Application->ProcessMessages();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(log.back(), "Destroy window=1");
}

TEST_F(Forms, ShowModalRunsUntilAResultIsSetAndHonoursCloseQuery) {
    TLifeForm* f = Make();
    f->HandleNeeded();
    PostMessage(f->Handle(), WM_USER + 1, 0, 0);
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(f->Modal());

    // A refused close keeps the loop going until a later result is allowed.
    log.clear();
    f->AllowClose = false;
    f->ResultOnPing = mrRetry;
    struct TAllow {
        TLifeForm* Form;
        void Query(TObject*, bool& CanClose) {
            CanClose = Form->AllowClose;
            Form->AllowClose = true;  // refuse only once
        }
    } allow{f};
    f->OnCloseQuery = MakeEvent(&allow, &TAllow::Query);
    PostMessage(f->Handle(), WM_USER + 1, 0, 0);
    PostMessage(f->Handle(), WM_USER + 1, 0, 0);
    EXPECT_EQ(f->ShowModal(), mrRetry);

    // Close in a modal form answers mrCancel; a visible form cannot go modal.
    PostMessage(f->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(f->ShowModal(), mrCancel);
    f->Show();
    EXPECT_THROW(f->ShowModal(), EInvalidOperation);
    FreeObject(f);
}

TEST_F(Forms, KeyPreviewLetsTheFormSeeKeysFirst) {
    TLifeForm* f = Make();
    auto* edit = new TLogControl(f);
    edit->SetParent(f);
    edit->SetBounds(0, 0, 50, 20);
    f->Show();
    ASSERT_TRUE(edit->Focused());
    struct TPreview {
        std::vector<WORD> Keys;
        void KeyDown(TObject*, WORD& Key, TShiftState) {
            Keys.push_back(Key);
            if (Key == VK_F2) Key = 0;
        }
    } preview;
    f->OnKeyDown = MakeEvent(&preview, &TPreview::KeyDown);
    SimulateKey(edit->Handle(), VK_F3);
    EXPECT_TRUE(preview.Keys.empty());  // without KeyPreview the form is not asked
    f->SetKeyPreview(true);
    SimulateKey(edit->Handle(), VK_F2);
    SimulateKey(edit->Handle(), VK_F4);
    EXPECT_EQ(preview.Keys, (std::vector<WORD>{VK_F2, VK_F4}));
    EXPECT_EQ(std::count(edit->Log.begin(), edit->Log.end(), "KeyDown 113 -"), 0);  // F2 taken by the form
    EXPECT_EQ(std::count(edit->Log.begin(), edit->Log.end(), "KeyDown 115 -"), 1);
    FreeObject(f);
}

TEST_F(Forms, PlacementKeepsTheNormalPositionAndClientSize) {
    TLifeForm* f = Make();
    f->SetBounds(40, 50, 300, 200);
    f->Show();
    HWND h = f->Handle();
    WINDOWPLACEMENT wp;
    ASSERT_TRUE(GetWindowPlacement(h, &wp));
    EXPECT_EQ(wp.showCmd, UINT(SW_SHOWNORMAL));
    EXPECT_EQ(wp.rcNormalPosition, TRect(40, 50, 340, 250));
    EXPECT_EQ(f->ClientWidth(), 300);

    f->SetWindowState(wsMaximized);
    EXPECT_TRUE(IsZoomed(h));
    EXPECT_EQ(f->WindowState(), wsMaximized);
    GetWindowPlacement(h, &wp);
    EXPECT_EQ(wp.showCmd, UINT(SW_SHOWMAXIMIZED));
    EXPECT_EQ(wp.rcNormalPosition, TRect(40, 50, 340, 250));

    // Restoring a stored placement: the normal rectangle comes back.
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = TRect(10, 20, 410, 320);
    wp.ptMinPosition = TPoint(-32000, -32000);
    ASSERT_TRUE(SetWindowPlacement(h, &wp));
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_EQ(f->BoundsRect(), TRect(10, 20, 410, 320));
    WINDOWPLACEMENT again;
    GetWindowPlacement(h, &again);
    EXPECT_EQ(again.rcNormalPosition, TRect(10, 20, 410, 320));
    EXPECT_EQ(again.ptMinPosition, TPoint(-32000, -32000));

    f->SetWindowState(wsMinimized);
    EXPECT_TRUE(IsIconic(h));
    FreeObject(f);

    // On a hidden form the placement is taken without showing it.
    TLifeForm* hidden = Make();
    WINDOWPLACEMENT set;
    set.showCmd = SW_HIDE;
    set.rcNormalPosition = TRect(5, 6, 205, 106);
    SetWindowPlacement(hidden->Handle(), &set);
    EXPECT_FALSE(IsWindowVisible(hidden->Handle()));
    EXPECT_EQ(hidden->BoundsRect(), TRect(5, 6, 205, 106));
    FreeObject(hidden);
}

TEST_F(Forms, ScreenCenterPositionAppliesAtTheFirstShow) {
    TLifeForm* f = Make();
    f->SetBounds(0, 0, 200, 100);
    f->SetPosition(poScreenCenter);
    f->Show();
    TRect work = Screen->WorkAreaRect();
    EXPECT_EQ(f->Left(), work.Left + (work.Width() - 200) / 2);
    EXPECT_EQ(f->Top(), work.Top + (work.Height() - 100) / 2);
    f->Hide();
    f->SetLeft(3);
    f->Show();
    EXPECT_EQ(f->Left(), 3);
    FreeObject(f);
}

TEST_F(Forms, AlignedAndAnchoredChildrenFollowTheForm) {
    TLifeForm* f = Make();
    f->SetBounds(0, 0, 400, 300);
    auto make = [&](TAlign align) {
        auto* c = new TLogControl(f);
        c->SetParent(f);
        c->SetBounds(0, 0, 50, 40);
        c->SetAlign(align);
        return c;
    };
    TLogControl* top = make(alTop);
    TLogControl* left = make(alLeft);
    TLogControl* client = make(alClient);
    auto* corner = new TLogControl(f);
    corner->SetParent(f);
    corner->SetBounds(330, 250, 60, 40);
    corner->SetAnchors(AnchorBit(akRight) | AnchorBit(akBottom));
    f->Show();
    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 400, 40));
    EXPECT_EQ(left->BoundsRect(), TRect(0, 40, 50, 300));
    EXPECT_EQ(client->BoundsRect(), TRect(50, 40, 400, 300));

    int resized = 0;
    struct TCount {
        int* N;
        void On(TObject*) { ++*N; }
    } count{&resized};
    f->OnResize = MakeEvent(&count, &TCount::On);
    f->SetBounds(0, 0, 500, 350);
    EXPECT_GE(resized, 1);
    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 500, 40));
    EXPECT_EQ(client->BoundsRect(), TRect(50, 40, 500, 350));
    EXPECT_EQ(corner->BoundsRect(), TRect(430, 300, 490, 340));

    top->SetVisible(false);
    EXPECT_EQ(client->BoundsRect(), TRect(50, 0, 500, 350));
    FreeObject(f);
}

}  // namespace
