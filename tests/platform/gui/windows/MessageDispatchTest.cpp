// Message dispatch: WindowProc hooks, the posted-message queue, and exceptions
// thrown by handlers.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace {

constexpr UINT kPing = WM_USER + 1;
constexpr UINT kThrow = WM_USER + 2;
constexpr UINT kAbort = WM_USER + 3;

class TProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> Seen;
    void Dispatch(TMessage& m) override {
        if (m.Msg >= WM_USER && m.Msg < WM_USER + 100) {
            Seen.push_back(m.Msg);
            if (m.Msg == kThrow) throw EConvertError("boom");
            if (m.Msg == kAbort) Abort();
            m.Result = 7;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

struct THook {
    TWndMethod Saved;
    std::vector<UINT> Seen;
    bool Swallow = false;
    void Proc(TMessage& m) {
        if (m.Msg >= WM_USER) Seen.push_back(m.Msg);
        if (Swallow && m.Msg == kPing) {
            m.Result = 99;
            return;
        }
        Saved(m);
    }
};

class MessageDispatch : public testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr);
        form->AfterConstruction();
        probe = new TProbe(form);
        probe->SetParent(form);
        probe->SetBounds(10, 10, 100, 50);
        Application->OnException = MakeEvent(this, &MessageDispatch::Record);
    }
    void TearDown() override {
        Application->OnException = nullptr;
        FreeObject(form);
        Application->ProcessMessages();
    }
    void Record(TObject*, Exception* e) { errors.push_back(e->Message()); }

    TForm* form = nullptr;
    TProbe* probe = nullptr;
    std::vector<AnsiString> errors;
};

TEST_F(MessageDispatch, HookSeesMessagesFirstCanSwallowThemAndGoesAwayCleanly) {
    TWndMethod original = probe->WindowProc;
    THook hook;
    hook.Saved = probe->WindowProc;
    probe->WindowProc = TWndMethod(&hook, &THook::Proc);

    hook.Swallow = true;
    EXPECT_EQ(probe->Perform(kPing), 99);
    EXPECT_EQ(hook.Seen, std::vector<UINT>{kPing});
    EXPECT_TRUE(probe->Seen.empty());

    // Through the window as well as by Perform.
    hook.Swallow = false;
    EXPECT_EQ(SendMessage(probe->Handle(), kPing, 0, 0), 7);
    EXPECT_EQ(hook.Seen.size(), 2u);
    EXPECT_EQ(probe->Seen, std::vector<UINT>{kPing});

    probe->WindowProc = hook.Saved;
    EXPECT_TRUE(probe->WindowProc == original);
    EXPECT_EQ(probe->Perform(kPing), 7);
    EXPECT_EQ(hook.Seen.size(), 2u);
    EXPECT_EQ(probe->Seen.size(), 2u);
}

TEST_F(MessageDispatch, PostedMessageArrivesOnceAndARemovedOneNever) {
    HWND h = probe->Handle();
    ASSERT_TRUE(PostMessage(h, kPing, 1, 2));
    ASSERT_TRUE(PostMessage(h, WM_USER + 4, 0, 0));
    EXPECT_TRUE(probe->Seen.empty());  // not before the loop runs

    TMsg peeked;
    ASSERT_TRUE(PeekMessage(&peeked, h, WM_USER + 4, WM_USER + 4, PM_NOREMOVE));
    EXPECT_EQ(peeked.message, WM_USER + 4u);
    ASSERT_TRUE(PeekMessage(&peeked, h, WM_USER + 4, WM_USER + 4, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&peeked, h, WM_USER + 4, WM_USER + 4, PM_NOREMOVE));

    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(probe->Seen, std::vector<UINT>{kPing});
}

TEST_F(MessageDispatch, MessagesForADestroyedWindowAreDropped) {
    HWND h = probe->Handle();
    PostMessage(h, kPing, 0, 0);
    FreeObject(probe);
    probe = nullptr;
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(h, kPing, 0, 0));
    Application->ProcessMessages();  // must not reach the freed control
    EXPECT_EQ(SendMessage(h, kPing, 0, 0), 0);
}

TEST_F(MessageDispatch, HandlerExceptionReachesHandleExceptionAndTheLoopGoesOn) {
    HWND h = probe->Handle();
    PostMessage(h, kThrow, 0, 0);
    PostMessage(h, kAbort, 0, 0);
    PostMessage(h, kPing, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(probe->Seen, (std::vector<UINT>{kThrow, kAbort, kPing}));
    // EAbort is silent.
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "boom");

    // A sent message is protected the same way; Perform hands it to the caller.
    EXPECT_EQ(SendMessage(h, kThrow, 0, 0), 0);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_THROW(probe->Perform(kThrow), EConvertError);
}

TEST_F(MessageDispatch, ExceptionWithoutHandlerIsShownAsAnErrorBox) {
    Application->OnException = nullptr;
    auto dialogs = std::make_shared<TScriptedDialogService>();
    SetDialogService(dialogs);
    SendMessage(probe->Handle(), kThrow, 0, 0);
    SendMessage(probe->Handle(), kAbort, 0, 0);
    SetDialogService(nullptr);
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Text, "boom.");
    EXPECT_EQ(dialogs->Messages[0].Caption, Application->Title());
    EXPECT_EQ(dialogs->Messages[0].Type, mtError);
}

}  // namespace
