// Form placement through a form definition: restored on show, saved on close,
// the take-over of the form's events, rectangles kept on a screen, and the
// window hook chains.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WinApi.h"
#include "platform/rtti/FormText.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"
#include "storage/StAppXMLStorage.h"
#include "storage/StFormStorage.h"
#include "storage/StRegistration.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

// A main window with the settings store and its placement, and a second
// window whose placement and edit's text use the main window's store.
class TfrmStoreMain : public TForm {
    TESK_CLASS(TfrmStoreMain, TForm)
public:
    using TForm::TForm;
    TStAppXMLFileStorage* StAppXMLFileStorage1 = nullptr;
    TStFormStorage* StFormStorage1 = nullptr;
    int shows = 0, closeQueries = 0;
    bool allowClose = true;
    void FormShow(TObject*) { ++shows; }
    void FormCloseQuery(TObject*, bool& CanClose) {
        ++closeQueries;
        CanClose = allowClose;
    }
};

class TfrmStoreDialog : public TForm {
    TESK_CLASS(TfrmStoreDialog, TForm)
public:
    using TForm::TForm;
    TEdit* edtName = nullptr;
    TStFormStorage* StFormStorage1 = nullptr;
};

}  // namespace

TESK_PUBLISHED(TfrmStoreMain) {
    Field("StAppXMLFileStorage1", &T::StAppXMLFileStorage1);
    Field("StFormStorage1", &T::StFormStorage1);
    Handler("FormShow", &T::FormShow);
    Handler("FormCloseQuery", &T::FormCloseQuery);
}

TESK_PUBLISHED(TfrmStoreDialog) {
    Field("edtName", &T::edtName);
    Field("StFormStorage1", &T::StFormStorage1);
}

namespace {

const char* const kMainDefinition = R"(object frmStoreMain: TfrmStoreMain
  Left = 100
  Top = 120
  Width = 400
  Height = 300
  Caption = 'Placement'
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  object StAppXMLFileStorage1: TStAppXMLFileStorage
    StorageOptions.BooleanStringTrueValues = 'TRUE, YES, Y'
    StorageOptions.BooleanStringFalseValues = 'FALSE, NO, N'
    StorageOptions.AutoEncodeValue = False
    StorageOptions.AutoEncodeEntity = False
    StorageOptions.InvalidCharReplacement = '_'
    FileName = 'TeskSettings.xml'
    RootNodeName = 'Configuration'
    SubStorages = <>
    AutoFlush = True
    AutoReload = True
  end
  object StFormStorage1: TStFormStorage
    AppStorage = StAppXMLFileStorage1
    AppStoragePath = '%FORM_NAME%\'
    StoredValues = <>
  end
end
)";

const char* const kDialogDefinition = R"(object frmStoreDialog: TfrmStoreDialog
  Left = 200
  Top = 150
  Width = 300
  Height = 200
  BorderStyle = bsDialog
  Position = poScreenCenter
  object edtName: TEdit
    Left = 8
    Top = 8
    Width = 120
    Height = 21
    Text = 'designed'
  end
  object StFormStorage1: TStFormStorage
    AppStorage = frmStoreMain.StAppXMLFileStorage1
    AppStoragePath = '%FORM_NAME%\'
    StoredProps.Strings = (
      'edtName.Text'
      'nobody.Text'
      'edtName.NoSuchProperty'
      'broken')
    StoredValues = <>
  end
end
)";

class FormStorageTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterStorageClasses();
        SetProgramFolderForTests(folder_.Path());
    }
    void TearDown() override { SetProgramFolderForTests(""); }
    TfrmStoreMain* NewMain() {
        auto* f = new TfrmStoreMain(nullptr);
        ReadComponentDefinition(f, kMainDefinition, "TfrmStoreMain.form");
        f->AfterConstruction();
        return f;
    }
    TfrmStoreDialog* NewDialog() {
        auto* f = new TfrmStoreDialog(nullptr);
        ReadComponentDefinition(f, kDialogDefinition, "TfrmStoreDialog.form");
        f->AfterConstruction();
        return f;
    }
    std::filesystem::path File() const { return folder_.File("TeskSettings.xml"); }
    TempFolder folder_;
};

TEST_F(FormStorageTest, ThePlacementComesBackAfterCloseAndReopen) {
    TfrmStoreMain* form = NewMain();
    EXPECT_EQ(form->StFormStorage1->AppStoragePath(), "frmStoreMain\\");
    form->Show();
    EXPECT_EQ(form->shows, 1);  // the form's own handler still runs, after the restore
    EXPECT_TRUE(form->StFormStorage1->Restored());
    form->SetBounds(250, 260, 500, 350);
    form->Close();
    EXPECT_EQ(form->closeQueries, 1);
    EXPECT_TRUE(form->StFormStorage1->SavedSinceRestore());
    FreeObject(form);

    const AnsiString file = TempFolder::Read(File());
    const AnsiString suffix = "NormPos_" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                              std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "_";
    EXPECT_NE(file.find("  <frmStoreMain>\r\n    <FormVersion>0</FormVersion>\r\n    <ShowCmd>1</ShowCmd>\r\n"),
              AnsiString::npos)
        << file;
    EXPECT_NE(file.find("<" + suffix + ">250,260,750,610</" + suffix + ">"), AnsiString::npos) << file;
    EXPECT_NE(file.find("<NormPos>250,260,750,610</NormPos>"), AnsiString::npos) << file;

    form = NewMain();
    EXPECT_EQ(form->BoundsRect(), TRect(100, 120, 500, 420));  // as designed until shown
    form->Show();
    EXPECT_EQ(form->BoundsRect(), TRect(250, 260, 750, 610));
    // A close the form refuses saves nothing.
    form->SetBounds(10, 10, 300, 200);
    form->allowClose = false;
    form->Close();
    EXPECT_FALSE(form->StFormStorage1->SavedSinceRestore());
    form->allowClose = true;
    FreeObject(form);  // destroyed without a save since the restore: it saves now
    EXPECT_NE(TempFolder::Read(File()).find("<NormPos>10,10,310,210</NormPos>"), AnsiString::npos);
}

TEST_F(FormStorageTest, AMaximisedWindowReopensMaximised) {
    TfrmStoreMain* form = NewMain();
    form->Show();
    form->SetBounds(50, 60, 420, 320);
    form->SetWindowState(wsMaximized);
    form->Close();
    FreeObject(form);
    EXPECT_NE(TempFolder::Read(File()).find("<ShowCmd>3</ShowCmd>"), AnsiString::npos);
    form = NewMain();
    form->Show();
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->SetWindowState(wsNormal);
    EXPECT_EQ(form->BoundsRect(), TRect(50, 60, 470, 380));
    FreeObject(form);
}

TEST_F(FormStorageTest, ARectangleOnAVanishedScreenComesBackOnThePrimaryScreen) {
    TfrmStoreMain* form = NewMain();
    form->Show();
    form->Close();
    // The file as a second monitor, now gone, left it.
    form->StAppXMLFileStorage1->WriteString("frmStoreMain\\NormPos" + GetScreenSizeSuffix(), "3000,200,3400,500");
    FreeObject(form);

    form = NewMain();
    form->Show();
    const TMonitorInfo primary = GetMonitorInfoAt(0);
    const TRect r = form->BoundsRect();
    EXPECT_GE(r.Left, primary.WorkArea.Left);
    EXPECT_GE(r.Top, primary.WorkArea.Top);
    EXPECT_LE(r.Right, primary.WorkArea.Right);
    EXPECT_LE(r.Bottom, primary.WorkArea.Bottom);
    EXPECT_EQ(r.Top, 200);
    EXPECT_EQ(r.Width(), std::min(400, primary.WorkArea.Width()));
    FreeObject(form);
}

TEST_F(FormStorageTest, RectanglesStayWhereATitleCanBeReached) {
    const TRect left(0, 0, 1280, 1024), right(1280, 0, 2560, 1024);
    struct {
        const char* what;
        TRect in;
        std::vector<TRect> areas;
        TRect out;
    } cases[] = {
        {"inside", TRect(100, 100, 500, 400), {left}, TRect(100, 100, 500, 400)},
        {"on the second screen", TRect(1500, 100, 1900, 400), {left, right}, TRect(1500, 100, 1900, 400)},
        {"second screen gone", TRect(1500, 100, 1900, 400), {left}, TRect(880, 100, 1280, 400)},
        {"title above the screen", TRect(100, -200, 500, 100), {left}, TRect(100, 0, 500, 300)},
        {"only 20 pixels of title", TRect(-380, 100, 20, 400), {left}, TRect(0, 100, 400, 400)},
        {"larger than the screen", TRect(-5000, -5000, 5000, 5000), {left}, left},
        {"larger than the screen, title on it", TRect(1, 2, 99999, 99999), {left}, left},
        {"taller than the screen", TRect(100, 50, 500, 3000), {left}, TRect(100, 0, 500, 1024)},
        {"the widest corners", TRect(INT_MIN, 0, INT_MAX, 100), {left}, TRect(0, 0, 1280, 100)},
        {"the lowest corners", TRect(INT_MIN, INT_MIN, INT_MIN + 400, INT_MIN + 300), {left, right},
         TRect(0, 0, 400, 300)},
        {"the highest corners", TRect(INT_MAX - 400, INT_MAX - 300, INT_MAX, INT_MAX), {left},
         TRect(880, 724, 1280, 1024)},
        {"right before left", TRect(500, 100, 100, 400), {left}, TRect(500, 100, 500, 400)},
    };
    for (const auto& c : cases) EXPECT_EQ(FitRectToWorkAreas(c.in, c.areas, left), c.out) << c.what;
}

// Positions from a damaged or hostile file open a window on the work area,
// no larger than it, and that is what the next close stores.
TEST_F(FormStorageTest, HostilePositionsOpenASaneWindow) {
    const TRect area = GetMonitorInfoAt(0).WorkArea;
    const char* positions[] = {"-2147483648,0,2147483647,100", "1,2,99999,99999", "2147483647,2147483647,-2147483648,-2147483648",
                               "-2147483648,-2147483648,-2147483648,-2147483648", "2147483000,5,2147483647,300",
                               "99999999999,1,2,3", "10,10,-99999,400"};
    for (const char* stored : positions) {
        SCOPED_TRACE(stored);
        std::filesystem::remove(File());
        TfrmStoreMain* form = NewMain();
        form->StAppXMLFileStorage1->WriteString("frmStoreMain\\NormPos", stored);
        form->StAppXMLFileStorage1->WriteString("frmStoreMain\\MinMaxPos", stored);
        form->Show();
        const TRect r = form->BoundsRect();
        EXPECT_GT(r.Width(), 0);
        EXPECT_GT(r.Height(), 0);
        EXPECT_LE(r.Width(), area.Width());
        EXPECT_LE(r.Height(), area.Height());
        EXPECT_GE(r.Left, area.Left);
        EXPECT_GE(r.Top, area.Top);
        EXPECT_LE(r.Right, area.Right);
        EXPECT_LE(r.Bottom, area.Bottom);
        form->Close();
        FreeObject(form);
        const AnsiString file = TempFolder::Read(File());
        const size_t at = file.find("<NormPos>"), end = file.find("</NormPos>");
        ASSERT_NE(at, AnsiString::npos) << file;
        EXPECT_EQ(file.substr(at, end - at).find("2147483"), AnsiString::npos) << file;
    }
}

// A form that may not be resized greys sizing and maximising in its window
// menu as the menu opens; the window hook doing it belongs to the placement.
TEST_F(FormStorageTest, AFormOfFixedSizeGreysSizeAndMaximiseInItsWindowMenu) {
    TfrmStoreMain* form = NewMain();
    TStFormStorage* placement = form->StFormStorage1;
    EXPECT_EQ(placement->WinHook()->Owner(), placement);
    form->Show();
    HMENU menu = GetSystemMenu(form->Handle(), 0);
    ASSERT_NE(menu, nullptr);
    SendMessage(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, 1));
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);  // no hook without the option
    placement->SetPreventResize(true);  // may make the window anew, with a menu of its own
    EXPECT_EQ(placement->WinHook()->Control(), form);
    menu = GetSystemMenu(form->Handle(), 0);
    EXPECT_EQ(SendMessage(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, 1)), 1);
    EXPECT_NE(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_NE(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    GetSystemMenu(form->Handle(), 1);
    // A popup of another menu is left alone.
    SendMessage(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, 0));
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    FreeObject(form);
}

TEST_F(FormStorageTest, StoredPropertiesOfASecondFormGoToTheMainStore) {
    TfrmStoreMain* main = NewMain();
    TfrmStoreDialog* dialog = NewDialog();
    ASSERT_EQ(dialog->StFormStorage1->AppStorage(), main->StAppXMLFileStorage1);
    // Lines without a component of the form, or without a ".", are dropped.
    EXPECT_EQ(dialog->StFormStorage1->StoredProps()->CommaText(), "edtName.Text,edtName.NoSuchProperty");
    dialog->Show();
    dialog->edtName->SetText("Tesk & <Co>");
    dialog->Close();
    FreeObject(dialog);
    EXPECT_NE(TempFolder::Read(File()).find("<edtName_Text>Tesk &amp; &lt;Co&gt;</edtName_Text>"), AnsiString::npos)
        << TempFolder::Read(File());

    dialog = NewDialog();
    EXPECT_EQ(dialog->edtName->Text(), "designed");
    dialog->Show();
    EXPECT_EQ(dialog->edtName->Text(), "Tesk & <Co>");
    FreeObject(dialog);
    FreeObject(main);

    // Without the main window the dialog has no store and keeps its design.
    dialog = NewDialog();
    EXPECT_EQ(dialog->StFormStorage1->AppStorage(), nullptr);
    dialog->Show();
    EXPECT_EQ(dialog->edtName->Text(), "designed");
    FreeObject(dialog);
}

// Writing the dialog's definition follows a renamed component in the stored
// property lines.
TEST_F(FormStorageTest, WritingTheFormRenamesTheStoredLines) {
    TfrmStoreDialog* dialog = NewDialog();
    dialog->edtName->SetName("edtFirstName");
    EXPECT_EQ(dialog->StFormStorage1->StoredProps()->CommaText(), "edtName.Text,edtName.NoSuchProperty");
    TMemoryStream stream;
    WriteComponent(&stream, dialog);
    EXPECT_EQ(dialog->StFormStorage1->StoredProps()->CommaText(), "edtFirstName.Text,edtFirstName.NoSuchProperty");
    const AnsiString written(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    EXPECT_NE(written.find("edtFirstName.Text"), AnsiString::npos);
    FreeObject(dialog);
}

TEST_F(FormStorageTest, TheFormGetsItsOwnHandlersBack) {
    TfrmStoreMain* form = NewMain();
    EXPECT_FALSE(form->OnShow == TNotifyEvent(form, &TfrmStoreMain::FormShow));
    TStFormStorage* storage = form->StFormStorage1;
    FreeObject(storage);
    EXPECT_TRUE(form->OnShow == TNotifyEvent(form, &TfrmStoreMain::FormShow));
    EXPECT_TRUE(form->OnCloseQuery == TCloseQueryEvent(form, &TfrmStoreMain::FormCloseQuery));
    EXPECT_FALSE(form->OnDestroy);
    FreeObject(form);
}

// ---------------------------------------------------------------------------
// Window hooks

struct HookLog {
    std::vector<AnsiString> calls;
    TControl* destroyOn = nullptr;
    bool handleIn = false;
    const char* name = "";
};

class TLoggingHook : public TObject {
public:
    TLoggingHook(HookLog& Log, const char* Name, bool Handles = false) : log(Log), name(Name), handles(Handles) {}
    bool Proc(TMessage& Msg) {
        if (Msg.Msg != WM_USER + 1) return false;
        log.calls.push_back(name);
        if (onCall) onCall();
        return handles;
    }
    TStHookProc Hook() { return TStHookProc(this, &TLoggingHook::Proc); }
    HookLog& log;
    AnsiString name;
    bool handles;
    std::function<void()> onCall;
};

class TTargetControl : public TWinControl {
public:
    explicit TTargetControl(TComponent* AOwner, HookLog& Log) : TWinControl(AOwner), log_(Log) {}
    void WndProc(TMessage& Msg) override {
        if (Msg.Msg == WM_USER + 1) {
            log_.calls.push_back("control");
            Msg.Result = 7;
            return;
        }
        TWinControl::WndProc(Msg);
    }

private:
    HookLog& log_;
};

TEST(WindowHook, ChainsRunInOrderAndStopWhenHandled) {
    HookLog log;
    auto* control = new TTargetControl(nullptr, log);
    const TWndMethod original = control->WindowProc;
    TLoggingHook before(log, "before"), a(log, "A"), b(log, "B");
    ASSERT_TRUE(WndProcHook()->AddHook(control, hoAfter, a.Hook()));
    ASSERT_TRUE(WndProcHook()->AddHook(control, hoAfter, b.Hook()));
    ASSERT_TRUE(WndProcHook()->AddHook(control, hoBefore, before.Hook()));
    EXPECT_EQ(control->Perform(WM_USER + 1), 7);
    EXPECT_EQ(log.calls, (std::vector<AnsiString>{"before", "control", "A", "B"}));

    // A handles: B does not run. A before-handler that handles hides the control.
    log.calls.clear();
    a.handles = true;
    control->Perform(WM_USER + 1);
    EXPECT_EQ(log.calls, (std::vector<AnsiString>{"before", "control", "A"}));
    log.calls.clear();
    before.handles = true;
    EXPECT_EQ(control->Perform(WM_USER + 1), 0);
    EXPECT_EQ(log.calls, (std::vector<AnsiString>{"before"}));

    // Removing the next entry while running, and adding after the end.
    log.calls.clear();
    before.handles = false;
    a.handles = false;
    TLoggingHook late(log, "late");
    a.onCall = [&] {
        WndProcHook()->RemoveHook(control, hoAfter, b.Hook());
        WndProcHook()->AddHook(control, hoAfter, late.Hook());
    };
    control->Perform(WM_USER + 1);
    EXPECT_EQ(log.calls, (std::vector<AnsiString>{"before", "control", "A", "late"}));
    a.onCall = nullptr;

    // The last entry gone: the control has its own WindowProc back.
    for (TLoggingHook* h : {&a, &late}) WndProcHook()->RemoveHook(control, hoAfter, h->Hook());
    EXPECT_FALSE(control->WindowProc == original);
    WndProcHook()->RemoveHook(control, hoBefore, before.Hook());
    EXPECT_TRUE(control->WindowProc == original);
    FreeObject(control);
}

TEST(WindowHook, DestroyingTheControlInsideAHandlerStopsTheChains) {
    HookLog log;
    auto* control = new TTargetControl(nullptr, log);
    TLoggingHook before(log, "before"), after(log, "after");
    WndProcHook()->AddHook(control, hoBefore, before.Hook());
    WndProcHook()->AddHook(control, hoAfter, after.Hook());
    Application->ProcessMessages();
    const int pending = PendingHookReleases();
    before.onCall = [&] { FreeObject(control); };
    TMessage msg{WM_USER + 1, 0, 0, 0};
    TStHookInfos* infos = WndProcHook()->Find(control);
    ASSERT_NE(infos, nullptr);
    infos->WindowMethod(msg);
    EXPECT_EQ(log.calls, (std::vector<AnsiString>{"before"}));
    EXPECT_EQ(WndProcHook()->Find(control), nullptr);
    EXPECT_EQ(PendingHookReleases(), pending + 1);
    Application->ProcessMessages();
    EXPECT_EQ(PendingHookReleases(), pending);
}

TEST(WindowHook, TheComponentMovesItsRegistrationWithItsControl) {
    HookLog log;
    auto* one = new TTargetControl(nullptr, log);
    auto* two = new TTargetControl(nullptr, log);
    TStWindowHook hook(nullptr);
    int seen = 0;
    struct Counter {
        int& n;
        void After(TObject*, TMessage& Msg, bool&) {
            if (Msg.Msg == WM_USER + 1) ++n;
        }
    } counter{seen};
    hook.SetAfterMessage(TStHookMessageEvent(&counter, &Counter::After));
    hook.SetControl(one);
    one->Perform(WM_USER + 1);
    hook.SetControl(two);
    one->Perform(WM_USER + 1);
    two->Perform(WM_USER + 1);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(WndProcHook()->Find(two)->EntryCount(hoAfter), 1);
    hook.SetActive(false);
    two->Perform(WM_USER + 1);
    EXPECT_EQ(seen, 2);
    FreeObject(two);
    EXPECT_EQ(hook.Control(), nullptr);
    FreeObject(one);
}

}  // namespace
