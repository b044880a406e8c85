// Editor commands and their names, key bindings with the default map, key
// translation with two-key bindings, and the keyboard and mouse handler chains.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/TeEdit.h"
#include "editor/TeEditKeyCmds.h"
#include "platform/classes/IntegerIdents.h"
#include "platform/rtti/Streaming.h"
#include "platform/rtti/TypInfo.h"

namespace {

AnsiString Binding(const TTeEditKeyStroke* k) {
    AnsiString s = EditorCommandToText(k->Command()) + "=" + ShortCutToText(k->ShortCut());
    if (k->ShortCut2() != 0) s += "," + ShortCutToText(k->ShortCut2());
    return s;
}

}  // namespace

TEST(EditorCommands, NamesBothWays) {
    TIdentToInt toInt = FindIdentToInt(TypeInfoTTeEditorCommand());
    TIntToIdent toIdent = FindIntToIdent(TypeInfoTTeEditorCommand());
    ASSERT_NE(toInt, nullptr);
    ASSERT_NE(toIdent, nullptr);

    struct Case { int value; const char* name; };
    const Case named[] = {
        {0, "ecNone"},           {17, "ecGotoXY"},         {101, "ecSelLeft"},       {117, "ecSelGotoXY"},
        {199, "ecSelectAll"},    {201, "ecCopy"},          {233, "ecLineSelect"},    {251, "ecCommentBlock"},
        {301, "ecGotoMarker0"},  {310, "ecGotoMarker9"},   {351, "ecSetMarker0"},    {360, "ecSetMarker9"},
        {490, "ecContextHelp"},  {511, "ecChar"},          {550, "ecImeStr"},        {602, "ecRedo"},
        {613, "ecShiftTab"},     {623, "ecTitleCase"},     {627, "ecToggleCaseBlock"}, {630, "ecString"},
        {650, "ecAutoCompletion"}, {1001, "ecUserFirst"},
    };
    for (const Case& c : named) {
        AnsiString ident;
        EXPECT_TRUE(toIdent(c.value, ident)) << c.value;
        EXPECT_EQ(ident, c.name);
        int value = -1;
        EXPECT_TRUE(toInt(c.name, value)) << c.name;
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(EditorCommandToText(static_cast<TTeEditorCommand>(c.value)), c.name);
    }

    // Gaps in the numbering have no name.
    for (int unnamed : {18, 100, 200, 624, 700, 1000, 1002}) {
        AnsiString ident;
        EXPECT_FALSE(toIdent(unnamed, ident)) << unnamed;
        EXPECT_EQ(EditorCommandToText(static_cast<TTeEditorCommand>(unnamed)), std::to_string(unnamed));
    }
    int value = 0;
    EXPECT_FALSE(toInt("ecNothing", value));
    EXPECT_TRUE(toInt("ECREDO", value));
    EXPECT_EQ(value, 602);

    // The published Command of a key binding reads and writes as a name.
    const TPropInfo* command = GetPropInfo(TTeEditKeyStroke::StaticClassInfo(), "Command");
    ASSERT_NE(command, nullptr);
    AnsiString ident;
    EXPECT_TRUE(TypedIntToIdent(command->PropType, ecPaste, ident));
    EXPECT_EQ(ident, "ecPaste");
}

TEST(EditKeyStrokes, PublishedProperties) {
    std::vector<AnsiString> names;
    for (const TPropInfo* p : GetPropList(TTeEditKeyStroke::StaticClassInfo())) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<AnsiString>{"Command", "ShortCut", "ShortCut2"}));

    TTeEditKeyStrokes strokes(nullptr);
    TTeEditKeyStroke* k = strokes.Add();
    SetOrdProp(k, "Command", ecCut);
    SetOrdProp(k, "ShortCut", ShortCut('X', ssCtrl));
    EXPECT_EQ(k->Command(), ecCut);
    EXPECT_EQ(k->Key(), 'X');
    EXPECT_EQ(k->Shift(), ssCtrl);
    EXPECT_EQ(GetOrdProp(k, "ShortCut2"), 0);
    EXPECT_TRUE(IsDefaultPropValue(k, GetPropInfo(k, "ShortCut2")));
}

TEST(EditKeyStrokes, StreamedWithCommandNames) {
    TTeEditKeyStrokes strokes(nullptr);
    strokes.ResetDefaults();
    TTeEditKeyStroke* k = strokes.Add();
    k->SetCommand(ecUserFirst + 5);
    k->SetShortCut(ShortCut('Q', ssCtrl));
    k->SetShortCut2(ShortCut('W', 0));

    TMemoryStream stream;
    TWriter writer(&stream);
    writer.WriteCollection(&strokes);
    AnsiString bytes(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    EXPECT_NE(bytes.find("ecMatchBracket"), AnsiString::npos);
    EXPECT_EQ(bytes.find("ecUserFirst"), AnsiString::npos);  // 1006 has no name: written as a number

    stream.SetPosition(0);
    TTeEditKeyStrokes read(nullptr);
    TReader reader(&stream);
    ASSERT_EQ(reader.ReadValue(), vaCollection);
    reader.ReadCollection(&read);
    ASSERT_EQ(read.Count(), strokes.Count());
    for (int i = 0; i < read.Count(); ++i) EXPECT_EQ(Binding(read.Items(i)), Binding(strokes.Items(i))) << i;
    EXPECT_EQ(Binding(read.Items(82)), "1006=Ctrl+Q,W");
}

TEST(EditKeyStrokes, DefaultKeyMap) {
    const std::vector<AnsiString> expected = {
        "ecUp=Up", "ecSelUp=Shift+Up", "ecScrollUp=Ctrl+Up",
        "ecDown=Down", "ecSelDown=Shift+Down", "ecScrollDown=Ctrl+Down",
        "ecLeft=Left", "ecSelLeft=Shift+Left", "ecWordLeft=Ctrl+Left", "ecSelWordLeft=Shift+Ctrl+Left",
        "ecRight=Right", "ecSelRight=Shift+Right", "ecWordRight=Ctrl+Right", "ecSelWordRight=Shift+Ctrl+Right",
        "ecPageDown=PgDn", "ecSelPageDown=Shift+PgDn", "ecPageBottom=Ctrl+PgDn", "ecSelPageBottom=Shift+Ctrl+PgDn",
        "ecPageUp=PgUp", "ecSelPageUp=Shift+PgUp", "ecPageTop=Ctrl+PgUp", "ecSelPageTop=Shift+Ctrl+PgUp",
        "ecLineStart=Home", "ecSelLineStart=Shift+Home", "ecEditorTop=Ctrl+Home", "ecSelEditorTop=Shift+Ctrl+Home",
        "ecLineEnd=End", "ecSelLineEnd=Shift+End", "ecEditorBottom=Ctrl+End", "ecSelEditorBottom=Shift+Ctrl+End",
        "ecToggleMode=Ins", "ecCopy=Ctrl+Ins", "ecCut=Shift+Del", "ecPaste=Shift+Ins", "ecDeleteChar=Del",
        "ecDeleteLastChar=BkSp", "ecDeleteLastChar=Shift+BkSp", "ecDeleteLastWord=Ctrl+BkSp", "ecUndo=Alt+BkSp",
        "ecRedo=Shift+Alt+BkSp",
        "ecLineBreak=Enter", "ecLineBreak=Shift+Enter", "ecTab=Tab", "ecShiftTab=Shift+Tab", "ecContextHelp=F1",
        "ecSelectAll=Ctrl+A", "ecCopy=Ctrl+C", "ecPaste=Ctrl+V", "ecCut=Ctrl+X", "ecBlockIndent=Shift+Ctrl+I",
        "ecBlockUnindent=Shift+Ctrl+U", "ecLineBreak=Ctrl+M", "ecInsertLine=Ctrl+N", "ecDeleteWord=Ctrl+T",
        "ecDeleteLine=Ctrl+Y", "ecDeleteEOL=Shift+Ctrl+Y", "ecUndo=Ctrl+Z", "ecRedo=Shift+Ctrl+Z",
        "ecGotoMarker0=Ctrl+0", "ecGotoMarker1=Ctrl+1", "ecGotoMarker2=Ctrl+2", "ecGotoMarker3=Ctrl+3",
        "ecGotoMarker4=Ctrl+4", "ecGotoMarker5=Ctrl+5", "ecGotoMarker6=Ctrl+6", "ecGotoMarker7=Ctrl+7",
        "ecGotoMarker8=Ctrl+8", "ecGotoMarker9=Ctrl+9",
        "ecSetMarker0=Shift+Ctrl+0", "ecSetMarker1=Shift+Ctrl+1", "ecSetMarker2=Shift+Ctrl+2",
        "ecSetMarker3=Shift+Ctrl+3", "ecSetMarker4=Shift+Ctrl+4", "ecSetMarker5=Shift+Ctrl+5",
        "ecSetMarker6=Shift+Ctrl+6", "ecSetMarker7=Shift+Ctrl+7", "ecSetMarker8=Shift+Ctrl+8",
        "ecSetMarker9=Shift+Ctrl+9",
        "ecNormalSelect=Shift+Ctrl+N", "ecColumnSelect=Shift+Ctrl+C", "ecLineSelect=Shift+Ctrl+L",
        "ecMatchBracket=Shift+Ctrl+B",
    };
    ASSERT_EQ(expected.size(), 82u);

    TTeEditKeyStrokes strokes(nullptr);
    strokes.AddKey(ecUserFirst, VK_F5, 0);  // replaced by the defaults
    strokes.ResetDefaults();
    std::vector<AnsiString> actual;
    for (int i = 0; i < strokes.Count(); ++i) actual.push_back(Binding(strokes.Items(i)));
    EXPECT_EQ(actual, expected);

    EXPECT_EQ(strokes.FindKeycode(VK_BACK, 0), 35);
    EXPECT_EQ(strokes.Items(35)->Command(), ecDeleteLastChar);
    EXPECT_EQ(strokes.FindKeycode('Z', ssCtrl | ssShift), 57);
    EXPECT_EQ(strokes.FindKeycode(VK_F2, 0), -1);
    EXPECT_EQ(strokes.Items(0)->DisplayName(), "ecUp - Up");
}

TEST(EditKeyStrokes, DuplicateShortcutsAreRefused) {
    TTeEditKeyStrokes strokes(nullptr);
    strokes.ResetDefaults();
    TTeEditKeyStroke* ctrlC = strokes.Items(strokes.FindKeycode('C', ssCtrl));
    TTeEditKeyStroke* ctrlV = strokes.Items(strokes.FindKeycode('V', ssCtrl));

    try {
        ctrlV->SetShortCut(ShortCut('C', ssCtrl));
        ADD_FAILURE() << "duplicate accepted";
    } catch (const ETeKeyError& e) {
        EXPECT_EQ(e.Message(), "Shortcut already exists");
    }
    EXPECT_EQ(ctrlV->Key(), 'V');
    EXPECT_EQ(ctrlV->Shift(), ssCtrl);

    // The same first key is fine once the second keys differ.
    ctrlV->SetShortCut2(ShortCut('K', ssCtrl));
    ctrlV->SetShortCut(ShortCut('C', ssCtrl));
    EXPECT_EQ(Binding(ctrlV), "ecPaste=Ctrl+C,Ctrl+K");
    EXPECT_EQ(ctrlV->DisplayName(), "ecPaste - Ctrl+C Ctrl+K");

    // ... and another binding cannot take the same pair.
    EXPECT_THROW(ctrlC->SetShortCut2(ShortCut('K', ssCtrl)), ETeKeyError);
    EXPECT_EQ(ctrlC->Key2(), 0);

    // Setting a binding's own shortcut again, or no shortcut at all, never counts.
    ctrlC->SetShortCut(ShortCut('C', ssCtrl));
    TTeEditKeyStroke* fresh = strokes.Add();
    fresh->SetShortCut(0);
    strokes.Add()->SetShortCut(0);
    EXPECT_EQ(fresh->ShortCut(), 0);

    // Assign and AddKey copy without the test.
    TTeEditKeyStrokes copy(nullptr);
    copy.Assign(&strokes);
    ASSERT_EQ(copy.Count(), strokes.Count());
    for (int i = 0; i < copy.Count(); ++i) EXPECT_EQ(Binding(copy.Items(i)), Binding(strokes.Items(i))) << i;
    copy.AddKey(ecCut, 'C', ssCtrl);
    EXPECT_EQ(copy.FindShortcut2(ShortCut('C', ssCtrl), 0), strokes.FindKeycode('C', ssCtrl));
}

TEST(EditKeyStrokes, TwoKeyBindingsAndTranslation) {
    TTeEditKeyStrokes strokes(nullptr);
    strokes.ResetDefaults();
    // Ctrl+Q, then B goes to the user's command; Ctrl+Q alone is unbound.
    TTeEditKeyStroke* k = strokes.Add();
    k->SetCommand(ecUserFirst);
    k->SetShortCut(ShortCut('Q', ssCtrl));
    k->SetShortCut2(ShortCut('B', 0));
    EXPECT_EQ(strokes.FindKeycode('Q', ssCtrl), -1);
    EXPECT_EQ(strokes.FindKeycode2('Q', ssCtrl, 'B', 0), 82);
    EXPECT_EQ(strokes.FindShortcut2(ShortCut('Q', ssCtrl), ShortCut('B', 0)), 82);

    WORD lastKey = 0;
    TShiftState lastShift = 0;
    void* data = &strokes;
    struct Step { WORD key; TShiftState shift; TTeEditorCommand command; WORD remembered; };
    const Step steps[] = {
        {'Q', ssCtrl, ecNone, 'Q'},       // unbound, remembered as a possible first key
        {'B', 0, ecUserFirst, 0},         // completes the two-key binding
        {'B', 0, ecNone, 'B'},            // B alone is unbound
        {VK_UP, 0, ecUp, 0},              // a bound key forgets the memory
        {'Q', ssCtrl, ecNone, 'Q'},
        {VK_F13, 0, ecNone, VK_F13},      // unbound and within 0x1E..0x91: remembered
        {'B', 0, ecNone, 'B'},            // the memory is F13 now, so Ctrl+Q, B no longer pairs up
        {VK_LSHIFT, ssShift, ecNone, 0},  // 0xA0 lies outside the range: memory cleared
        {VK_BACK, 0, ecDeleteLastChar, 0},
        {0x1E, 0, ecNone, 0x1E},
        {0x1D, 0, ecNone, 0},
    };
    for (const Step& s : steps) {
        TTeEditorCommand command = TranslateKeyCode(&strokes, lastKey, lastShift, s.key, s.shift, data);
        EXPECT_EQ(command, s.command) << "key 0x" << std::hex << s.key;
        EXPECT_EQ(lastKey, s.remembered) << "key 0x" << std::hex << s.key;
        EXPECT_EQ(lastShift, s.remembered ? s.shift : 0) << "key 0x" << std::hex << s.key;
        EXPECT_EQ(data, nullptr);
    }
}

namespace {

// Handlers that write down who ran; the stopping ones clear the key.
struct Chains {
    std::vector<std::string> log;
    TTeEditKbdHandler* handler = nullptr;
    void DownA(TObject*, WORD& Key, TShiftState) { log.push_back("A" + std::to_string(Key)); }
    void DownB(TObject*, WORD& Key, TShiftState) { log.push_back("B" + std::to_string(Key)); }
    void DownStop(TObject*, WORD& Key, TShiftState) {
        log.push_back("stop");
        Key = 0;
    }
    void DownAgain(TObject* Sender, WORD& Key, TShiftState Shift) {
        log.push_back("again");
        WORD other = 99;
        handler->ExecuteKeyDown(Sender, other, Shift);  // not re-entered
        (void)Key;
    }
    void DownThrow(TObject*, WORD&, TShiftState) { throw Exception("handler failed"); }
    void PressA(TObject*, char& Key) { log.push_back(std::string("pa") + Key); }
    void PressStop(TObject*, char& Key) {
        log.push_back("ps");
        Key = '\0';
    }
    void MouseA(TObject*, TMouseButton, TShiftState, int X, int) { log.push_back("ma" + std::to_string(X)); }
    void MouseB(TObject*, TMouseButton, TShiftState, int, int Y) { log.push_back("mb" + std::to_string(Y)); }
    void Cursor(TObject*, const TBufferCoord& Pos, TCursor& C) {
        log.push_back("cursor" + std::to_string(Pos.Line));
        C = crIBeam;
    }
    std::string Take() {
        std::string s;
        for (const std::string& e : log) s += e + ";";
        log.clear();
        return s;
    }
};

}  // namespace

TEST(EditKbdHandler, ChainsRunNewestFirstAndStopOnAClearedKey) {
    TTeEditKbdHandler handler;
    Chains c;
    c.handler = &handler;
    WORD key = 65;

    handler.ExecuteKeyDown(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "");

    handler.AddKeyDownHandler(TKeyEvent(&c, &Chains::DownA));
    handler.AddKeyDownHandler(TKeyEvent(&c, &Chains::DownB));
    handler.ExecuteKeyDown(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "B65;A65;");

    // The newest handler clears the key: the earlier ones never run.
    handler.AddKeyDownHandler(TKeyEvent(&c, &Chains::DownStop));
    handler.ExecuteKeyDown(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "stop;");
    EXPECT_EQ(key, 0);
    handler.RemoveKeyDownHandler(TKeyEvent(&c, &Chains::DownStop));

    // A handler that causes the same event again is not re-entered.
    handler.AddKeyDownHandler(TKeyEvent(&c, &Chains::DownAgain));
    key = 66;
    handler.ExecuteKeyDown(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "again;B66;A66;");
    handler.RemoveKeyDownHandler(TKeyEvent(&c, &Chains::DownAgain));

    // The re-entry flag is cleared when a handler raises.
    handler.AddKeyDownHandler(TKeyEvent(&c, &Chains::DownThrow));
    EXPECT_THROW(handler.ExecuteKeyDown(nullptr, key, 0), Exception);
    handler.RemoveKeyDownHandler(TKeyEvent(&c, &Chains::DownThrow));
    handler.ExecuteKeyDown(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "B66;A66;");

    // Key up has a chain of its own.
    handler.AddKeyUpHandler(TKeyEvent(&c, &Chains::DownA));
    handler.AddKeyUpHandler(TKeyEvent(&c, &Chains::DownStop));
    handler.AddKeyUpHandler(TKeyEvent(&c, &Chains::DownB));
    key = 7;
    handler.ExecuteKeyUp(nullptr, key, 0);
    EXPECT_EQ(c.Take(), "B7;stop;");

    char ch = 'x';
    handler.AddKeyPressHandler(TKeyPressEvent(&c, &Chains::PressA));
    handler.AddKeyPressHandler(TKeyPressEvent(&c, &Chains::PressStop));
    handler.ExecuteKeyPress(nullptr, ch);
    EXPECT_EQ(c.Take(), "ps;");
    EXPECT_EQ(ch, '\0');
    handler.RemoveKeyPressHandler(TKeyPressEvent(&c, &Chains::PressStop));
    ch = 'y';
    handler.ExecuteKeyPress(nullptr, ch);
    EXPECT_EQ(c.Take(), "pay;");

    // The mouse chains call every handler.
    handler.AddMouseDownHandler(TMouseEvent(&c, &Chains::MouseA));
    handler.AddMouseDownHandler(TMouseEvent(&c, &Chains::MouseB));
    handler.ExecuteMouseDown(nullptr, mbLeft, 0, 3, 4);
    EXPECT_EQ(c.Take(), "mb4;ma3;");
    handler.AddMouseUpHandler(TMouseEvent(&c, &Chains::MouseA));
    handler.ExecuteMouseUp(nullptr, mbLeft, 0, 5, 6);
    EXPECT_EQ(c.Take(), "ma5;");

    TCursor cursor = crDefault;
    handler.AddMouseCursorHandler(TMouseCursorEvent(&c, &Chains::Cursor));
    handler.ExecuteMouseCursor(nullptr, BufferCoord(1, 9), cursor);
    EXPECT_EQ(c.Take(), "cursor9;");
    EXPECT_EQ(cursor, crIBeam);
}
