// The edit and memo controls: selection messages, typing, the change
// notification through the parent, the clipboard messages and memo lines.
#include <memory>
#include <vector>

#include "platform/gui/Clipboard.h"
#include "platform/gui/Mask.h"
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

class EditTest : public ControlsFormTest {
protected:
    void SetUp() override {
        ControlsFormTest::SetUp();
        SetClipboardBackend(std::make_shared<TMemoryClipboardBackend>());
        edit = form->edtName;
        memo = form->memNotes;
    }
    void TearDown() override {
        SetClipboardBackend(nullptr);
        ControlsFormTest::TearDown();
    }
    std::pair<int, int> Sel(TWinControl* c) {
        DWORD start = 99, end = 99;
        LRESULT packed = c->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(LOWORD(static_cast<uintptr_t>(packed)), start);
        EXPECT_EQ(HIWORD(static_cast<uintptr_t>(packed)), end);
        return {static_cast<int>(start), static_cast<int>(end)};
    }
    TEdit* edit = nullptr;
    TMemo* memo = nullptr;
};

TEST_F(EditTest, SelectionMessagesSetAndAnswerTheRange) {
    // "Alpha Centauri": 14 characters.
    struct Case {
        int start, end;
        std::pair<int, int> sel;
        const char* selText;
    } cases[] = {
        {0, -1, {0, 14}, "Alpha Centauri"},  // everything
        {2, 5, {2, 5}, "pha"},
        {9, 6, {6, 9}, "Cen"},  // given backwards, answered in order
        {20, 30, {14, 14}, ""},  // past the end: at the end
        {3, 3, {3, 3}, ""},
    };
    for (const Case& c : cases) {
        edit->Perform(EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
        EXPECT_EQ(Sel(edit), c.sel) << c.start << "," << c.end;
        EXPECT_EQ(edit->SelText(), c.selText);
    }
    // -1 as the start drops the selection and keeps the caret.
    edit->Perform(EM_SETSEL, 2, 5);
    edit->Perform(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Sel(edit), std::make_pair(5, 5));
    // The properties go through the same messages.
    edit->SetSelStart(6);
    edit->SetSelLength(3);
    EXPECT_EQ(edit->SelText(), "Cen");
    edit->SetSelText("Pro");
    EXPECT_EQ(edit->Text(), "Alpha Protauri");
}

TEST_F(EditTest, TypingReplacesTheSelectionAndEachChangeReachesTheParent) {
    std::vector<WORD> codes;
    struct THook {
        TWndMethod Old;
        std::vector<WORD>* Codes;
        HWND Edit;
        void Proc(TMessage& m) {
            if (m.Msg == WM_COMMAND && reinterpret_cast<HWND>(m.LParam) == Edit) Codes->push_back(HIWORD(m.WParam));
            Old(m);
        }
    } hook{form->tsGeneral->WindowProc, &codes, edit->Handle()};
    form->tsGeneral->WindowProc = MakeEvent(&hook, &THook::Proc);

    edit->SetFocus();
    edit->SelectAll();
    form->Log.clear();
    SimulateTyping(edit->Handle(), "Vega");
    EXPECT_EQ(edit->Text(), "Vega");
    EXPECT_TRUE(edit->Modified());
    // One change per character (the first replaced the selection), each told to the parent.
    EXPECT_EQ(form->Log, (std::vector<std::string>{"edtNameChange:V", "edtNameChange:Ve", "edtNameChange:Veg",
                                                   "edtNameChange:Vega"}));
    EXPECT_EQ(codes, std::vector<WORD>(4, EN_CHANGE));
    SimulateKey(edit->Handle(), VK_BACK);
    EXPECT_EQ(edit->Text(), "Veg");
    form->tsGeneral->WindowProc = hook.Old;

    // Setting the text in code is a change too, and clears Modified.
    form->Log.clear();
    edit->SetText("Sirius");
    EXPECT_EQ(form->Log, (std::vector<std::string>{"edtNameChange:Sirius"}));
    EXPECT_FALSE(edit->Modified());
}

TEST_F(EditTest, LimitsCaseAndReadOnlyApplyToWhatTheUserPutsIn) {
    edit->SetFocus();
    struct Case {
        int maxLength;
        TEditCharCase charCase;
        bool readOnly;
        const char* typed;
        const char* result;
    } cases[] = {
        {5, ecNormal, false, "Betelgeuse", "Betel"},
        {0, ecUpperCase, false, "Rigel b", "RIGEL B"},
        {0, ecLowerCase, false, "DENEB", "deneb"},
        {0, ecNormal, true, "Vega", ""},
    };
    for (const Case& c : cases) {
        edit->SetReadOnly(false);
        edit->SetText("");
        edit->SetMaxLength(c.maxLength);
        edit->SetCharCase(c.charCase);
        edit->SetReadOnly(c.readOnly);
        SimulateTyping(edit->Handle(), c.typed);
        EXPECT_EQ(edit->Text(), c.result) << c.typed;
    }
}

TEST_F(EditTest, ClipboardMessagesUseTheProgramsClipboard) {
    edit->Perform(EM_SETSEL, 0, 5);
    edit->Perform(WM_COPY, 0, 0);
    EXPECT_EQ(Clipboard()->AsText(), "Alpha");
    edit->Perform(EM_SETSEL, 5, 14);
    edit->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(Clipboard()->AsText(), " Centauri");
    EXPECT_EQ(edit->Text(), "Alpha");
    // A single line takes the clipboard text up to its first line break.
    Clipboard()->SetAsText(" Prime\r\nsecond line");
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "Alpha Prime");
    edit->Perform(WM_UNDO, 0, 0);
    EXPECT_EQ(edit->Text(), "Alpha");
    // Ctrl+C and Ctrl+V typed in the edit do the same.
    edit->SetFocus();
    edit->SelectAll();
    SimulateKey(edit->Handle(), 'C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "Alpha");
    edit->Perform(EM_SETSEL, 5, 5);
    SimulateKey(edit->Handle(), 'V', ssCtrl);
    EXPECT_EQ(edit->Text(), "AlphaAlpha");
}

TEST_F(EditTest, MemoTextHasCrLfLineEndsAndPositionsCountThem) {
    // Lines added to a memo each end with a line break, as the framework's do.
    EXPECT_EQ(memo->Text(), "First line of the notes\r\nSecond line\r\n");
    memo->Lines()->Add("Third");
    EXPECT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Strings(2), "Third");
    memo->Lines()->Insert(0, "Zero");
    memo->Lines()->Delete(2);
    EXPECT_EQ(memo->Lines()->Text(), "Zero\r\nFirst line of the notes\r\nThird\r\n");
    memo->Lines()->SetStrings(1, "One");
    EXPECT_EQ(memo->Text(), "Zero\r\nOne\r\nThird\r\n");

    // "Third" starts after "Zero\r\nOne\r\n": at 11.
    memo->Perform(EM_SETSEL, 11, 16);
    EXPECT_EQ(memo->SelText(), "Third");
    EXPECT_EQ(Sel(memo), std::make_pair(11, 16));
    EXPECT_EQ(memo->Perform(EM_LINEFROMCHAR, 11, 0), 2);
    EXPECT_EQ(memo->Perform(EM_LINEINDEX, 1, 0), 6);

    // Enter in the memo breaks the line with CR LF; an empty memo has no lines.
    memo->SetFocus();
    memo->Perform(EM_SETSEL, 4, 4);
    SimulateKey(memo->Handle(), VK_RETURN);
    EXPECT_EQ(memo->Text(), "Zero\r\n\r\nOne\r\nThird\r\n");
    memo->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
    memo->Lines()->Add("a");
    memo->Lines()->Add("b");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Text(), "a\r\nb\r\n");
}

// Lines appended in one go leave the text that adding them one by one leaves.
TEST_F(EditTest, MemoLinesAppendedTogetherLeaveTheTextOfLinesAddedOneByOne) {
    const char* const starts[] = {"", "one", "one\r\n", "one\r\n\r\n", "\r\n"};
    const std::vector<AnsiString> lines[] = {{"a"}, {"a", "b", "c"}, {"a\tb", "  c"}, {"x y"}};
    for (const char* start : starts)
        for (const std::vector<AnsiString>& added : lines) {
            SCOPED_TRACE(std::string("start \"") + start + "\", first \"" + added.front() + "\"");
            memo->SetText(start);
            for (const AnsiString& line : added) memo->Lines()->Add(line);
            const AnsiString oneByOne = memo->Text();
            const int count = memo->Lines()->Count();
            memo->SetText(start);
            memo->AppendLines(added);
            EXPECT_EQ(memo->Text(), oneByOne);
            EXPECT_EQ(memo->Lines()->Count(), count);
        }
}

TEST_F(EditTest, TabLeavesTheMemoUnlessItWantsTabs) {
    memo->SetFocus();
    SimulateKey(memo->Handle(), VK_TAB);
    EXPECT_FALSE(memo->Focused());
    memo->SetWantTabs(true);
    memo->SetFocus();
    memo->Perform(EM_SETSEL, 0, 0);
    SimulateKey(memo->Handle(), VK_TAB);
    EXPECT_TRUE(memo->Focused());
    EXPECT_EQ(memo->Lines()->Strings(0), "\tFirst line of the notes");
}

// The memo sits on a page of a page control: a key that the native text box
// does not take (every release, and a press such as Escape) must not come
// back to it from each widget it lies in.
TEST_F(EditTest, EachKeyReachesTheMemoOnceThroughTheWidgetsItLiesIn) {
    struct TKeyCounter {
        std::vector<WORD> downs, ups;
        void Down(TObject*, WORD& Key, TShiftState) { downs.push_back(Key); }
        void Up(TObject*, WORD& Key, TShiftState) { ups.push_back(Key); }
    } counter;
    memo->OnKeyDown = TKeyEvent(&counter, &TKeyCounter::Down);
    memo->OnKeyUp = TKeyEvent(&counter, &TKeyCounter::Up);
    memo->SetFocus();
    for (WORD key : {WORD(VK_RETURN), WORD('A'), WORD(VK_ESCAPE), WORD(VK_F5), WORD(VK_LEFT)}) {
        SCOPED_TRACE(key);
        counter.downs.clear();
        counter.ups.clear();
        SimulateKey(memo->Handle(), key);
        Application->ProcessMessages();
        EXPECT_EQ(counter.downs, std::vector<WORD>{key});
        EXPECT_EQ(counter.ups, std::vector<WORD>{key});
    }
}

TEST_F(EditTest, FormattingRectangleLeavesRoomAndMaskEditResetsToTheTextItWasEnteredWith) {
    // Room on the right for buttons drawn over the edit.
    TRect rect(2, 1, edit->ClientWidth() - 20, edit->ClientHeight() - 1);
    edit->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
    TRect back;
    edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back, rect);

    auto* mask = new TMaskEdit(form);
    mask->SetParent(form->tsGeneral);
    mask->SetBounds(8, 300, 100, 21);
    mask->SetEditText("100");
    EXPECT_FALSE(mask->IsMasked());
    mask->SetFocus();
    SimulateTyping(mask->Handle(), "7");
    EXPECT_EQ(mask->Text(), "7");  // entered with the keyboard: all selected, then replaced
    mask->Reset();
    EXPECT_EQ(mask->EditText(), "100");
    EXPECT_FALSE(mask->Modified());
}

TEST_F(EditTest, EditMessagesWorkBeforeTheWindowExists) {
    auto* loose = new TEdit(nullptr);
    loose->SetText("Orion");
    loose->Perform(EM_SETSEL, 1, 3);
    EXPECT_EQ(loose->SelText(), "ri");
    EXPECT_FALSE(loose->HandleAllocated());
    FreeObject(loose);
}

}  // namespace
