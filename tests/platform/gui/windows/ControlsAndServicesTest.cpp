// Control properties that travel between parent and child, tab order, size
// constraints, window re-creation, reflected notifications, the application
// loop, metrics and the dialog services.
#include <gtest/gtest.h>

#include "platform/gui/Services.h"
#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

using Controls = WindowTest;

TEST_F(Controls, ParentFontAndColorFollowTheParentUntilSetOnTheChild) {
    auto* child = Add("Child", 0, 0, 10, 10);
    child->SetParentColor(true);
    form->Font()->SetName("Arial");
    form->SetColor(clWhite);
    EXPECT_EQ(child->Font()->Name(), "Arial");
    EXPECT_EQ(child->Color(), clWhite);
    child->Font()->SetSize(14);
    child->SetColor(clRed);
    EXPECT_FALSE(child->ParentFont());
    EXPECT_FALSE(child->ParentColor());
    form->Font()->SetName("Courier New");
    form->SetColor(clBlack);
    EXPECT_EQ(child->Font()->Name(), "Arial");
    EXPECT_EQ(child->Color(), clRed);
    child->SetParentFont(true);
    EXPECT_EQ(child->Font()->Name(), "Courier New");
}

TEST_F(Controls, TabOrderDecidesWhereTabGoes) {
    auto* a = Add("A", 0, 0, 10, 10);
    auto* b = Add("B", 0, 20, 10, 10);
    auto* c = Add("C", 0, 40, 10, 10);
    EXPECT_EQ(a->TabOrder(), 0);
    EXPECT_EQ(c->TabOrder(), 2);
    c->SetTabOrder(0);
    EXPECT_EQ(a->TabOrder(), 1);
    form->Show();
    EXPECT_TRUE(c->Focused());  // the first in tab order gets the focus
    SimulateKey(c->Handle(), VK_TAB);
    EXPECT_TRUE(a->Focused());
    b->SetTabStop(false);
    SimulateKey(a->Handle(), VK_TAB);
    EXPECT_TRUE(c->Focused());
}

TEST_F(Controls, ConstraintsLimitTheSize) {
    auto* c = Add("C", 0, 0, 100, 100);
    c->Constraints()->SetMaxWidth(80);
    EXPECT_EQ(c->Width(), 80);
    c->Constraints()->SetMinHeight(30);
    c->SetBounds(0, 0, 10, 10);
    EXPECT_EQ(c->Width(), 10);
    EXPECT_EQ(c->Height(), 30);
    c->SetWidth(500);
    EXPECT_EQ(c->Width(), 80);
}

TEST_F(Controls, RecreatingTheWindowKeepsTextChildrenAndFocus) {
    auto* outer = Add("Outer", 10, 10, 200, 100);
    outer->SetControlStyle(outer->ControlStyle() | csAcceptsControls);
    auto* inner = new TLogControl(form);
    inner->SetName("Inner");
    inner->SetParent(outer);
    inner->SetBounds(5, 5, 50, 20);
    form->Show();
    outer->SetFocus();
    outer->SetText("kept");
    HWND old = outer->Handle();
    outer->RecreateWnd();
    EXPECT_NE(outer->Handle(), old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_TRUE(outer->Focused());
    EXPECT_EQ(outer->Text(), "kept");
    EXPECT_TRUE(inner->HandleAllocated());
    EXPECT_EQ(GetParent(inner->Handle()), outer->Handle());
    EXPECT_EQ(inner->ClientToScreen(TPoint(0, 0)), outer->ClientToScreen(TPoint(5, 5)));
}

TEST_F(Controls, ChildNotificationsComeBackToTheChildAsCN) {
    struct TNotifier : public TLogControl {
        using TLogControl::TLogControl;
        std::vector<WORD> Codes;
        void Dispatch(TMessage& m) override {
            if (m.Msg == CN_COMMAND) {
                Codes.push_back(HIWORD(m.WParam));
                return;
            }
            TLogControl::Dispatch(m);
        }
    };
    auto* n = Add<TNotifier>("N", 0, 0, 10, 10);
    SendMessage(form->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(n->Handle()));
    EXPECT_EQ(n->Codes, std::vector<WORD>{EN_CHANGE});
    // Text of a window, through the window messages.
    n->SetText("abc");
    char buffer[3];
    EXPECT_EQ(SendMessage(n->Handle(), WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer)), 2);
    EXPECT_STREQ(buffer, "ab");
}

TEST_F(Controls, RunEndsWhenTheMainFormCloses) {
    TForm* saved = nullptr;
    Application->CreateForm(saved);
    ASSERT_EQ(Application->MainForm(), saved);
    struct TCloser {
        TForm* Form;
        bool Shown = false;
        void Show(TObject*) {
            Shown = true;
            PostMessage(Form->Handle(), WM_CLOSE, 0, 0);
        }
    } closer{saved};
    saved->OnShow = MakeEvent(&closer, &TCloser::Show);
    Application->Run();
    EXPECT_TRUE(closer.Shown);
    EXPECT_FALSE(Application->Terminated());  // ready to run again
    // The application window answers for the main form's state.
    saved->SetWindowState(wsMinimized);
    saved->Show();
    EXPECT_TRUE(IsIconic(Application->Handle()));
    FreeObject(saved);
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_FALSE(IsIconic(Application->Handle()));
}

TEST(Metrics, FixedValuesAndTheWorkArea) {
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXDOUBLECLK), 4);
    EXPECT_EQ(GetDoubleClickTime(), 500u);
    TRect work;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.Width(), 0);
    EXPECT_EQ(Screen->WorkAreaRect(), work);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    EXPECT_EQ(Screen->MonitorFromRect(work)->WorkareaRect(), work);
}

TEST(DialogServices, AnswersComeFromTheScriptAndDefaultsFollowTheButtons) {
    auto dialogs = std::make_shared<TScriptedDialogService>();
    auto system = std::make_shared<TRecordingSystemService>();
    SetDialogService(dialogs);
    SetSystemService(system);

    // Without a scripted answer: the default button.
    EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbOKCancel), mrOk);
    EXPECT_EQ(MessageDlg("Paste failed", mtError, MsgDlgButtons({mbYes, mbNo, mbAll})), mrYes);
    dialogs->QueueAnswer(mrCancel);
    EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbOKCancel), mrCancel);
    ASSERT_EQ(dialogs->Messages.size(), 3u);
    EXPECT_EQ(dialogs->Messages[0].Caption, "Confirm");
    EXPECT_EQ(dialogs->Messages[0].CancelButton, mbCancel);
    EXPECT_EQ(dialogs->Messages[1].Caption, "Error");
    EXPECT_EQ(dialogs->Messages[1].CancelButton, mbNo);

    struct {
        UINT Flags;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        int Default;
    } boxes[] = {
        {MB_OK | MB_ICONINFORMATION, mtInformation, MsgDlgButtons({mbOK}), IDOK},
        {MB_YESNO | MB_ICONQUESTION, mtConfirmation, mbYesNo, IDYES},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2, mtWarning, mbYesNoCancel, IDNO},
        {MB_RETRYCANCEL | MB_ICONSTOP, mtError, MsgDlgButtons({mbRetry, mbCancel}), IDRETRY},
    };
    for (const auto& b : boxes) {
        EXPECT_EQ(MessageBox(nullptr, "text", "caption", b.Flags), b.Default);
        EXPECT_EQ(dialogs->Messages.back().Type, b.Type);
        EXPECT_EQ(dialogs->Messages.back().Buttons, b.Buttons);
    }

    TFileDialogRequest open;
    open.Filter = "Databases (*.mdb)|*.mdb";
    EXPECT_FALSE(DialogService().FileDialog(open));  // cancelled when nothing is scripted
    dialogs->QueueFile("/tmp/x.mdb");
    EXPECT_TRUE(DialogService().FileDialog(open));
    EXPECT_EQ(open.FileName, "/tmp/x.mdb");

    MessageBeep(MB_ICONHAND);
    EXPECT_EQ(system->Beeps, std::vector<UINT>{MB_ICONHAND});
    EXPECT_GT(ShellExecute(nullptr, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL), 32);
    EXPECT_EQ(system->Urls, std::vector<AnsiString>{"https://example.org/"});
    SetDialogService(nullptr);
    SetSystemService(nullptr);
}

}  // namespace
