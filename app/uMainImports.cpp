// The import commands of the main window: each paste page's controls handed
// to its importer, the Enter key and the Paste command of the paste pages,
// and the clipboard watcher. While an import runs the window's commands are
// disabled and clipboard notices are ignored: a modal question inside the
// import's transaction pumps the message loop, and a second import must not
// start inside the first.
#include <map>

#include "app/uClipboardImport.h"
#include "app/uCombatReportImport.h"
#include "app/uCommandGuard.h"
#include "app/uMain.h"
#include "app/uSolarSystemImport.h"
#include "app/uSpyReportImport.h"
#include "data/uDatamodule.h"
#include "editor/TeEdit.h"
#include "platform/gui/Messages.h"
#include "text/uHtmlClipbrd.h"

namespace {

// The log pane and the sounds of the window.
class WindowHost : public virtual IImportHost {
public:
    explicit WindowHost(TfrmMain* Form) : form_(Form) {}
    void AddToLog(const AnsiString& Line) override { form_->AddToLog(Line); }
    void ShowHeldLog() override { form_->FlushLog(); }
    void Beep(UINT SoundType) override { form_->Beep(SoundType); }

protected:
    TfrmMain* form_;
};

// The log lines of a command are laid out together (see TfrmMain::BeginLogBatch).
class LogBatch {
public:
    explicit LogBatch(TfrmMain* Form) : form_(Form) { form_->BeginLogBatch(); }
    ~LogBatch() { form_->EndLogBatch(); }
    LogBatch(const LogBatch&) = delete;
    LogBatch& operator=(const LogBatch&) = delete;

private:
    TfrmMain* form_;
};

// A box's entries by name (without regard to case), each name looked up once
// while its list stays as it is. A paste selects the owner of every report
// and clears it again; the box takes only the last choice, when its text is
// read, before a box is shown and when the import ends.
class NamedEntries {
public:
    explicit NamedEntries(TComboBox* Box) : box_(Box) {}
    ~NamedEntries() { Apply(); }
    NamedEntries(const NamedEntries&) = delete;
    NamedEntries& operator=(const NamedEntries&) = delete;

    void Choose(const AnsiString& Name, bool AddWhenMissing) {
        pending_ = true;
        name_ = Name;
        add_ = AddWhenMissing;
    }
    void Apply() {
        if (!pending_) return;
        pending_ = false;
        int i = IndexOf(name_);
        if (i < 0 && add_) {
            i = box_->Items()->Add(name_);
            found_.clear();
        }
        box_->SetItemIndex(i);
        if (i < 0) box_->SetText("");
    }
    AnsiString Text() {
        Apply();
        return box_->Text();
    }

private:
    int IndexOf(const AnsiString& Name) {
        TStrings* items = box_->Items();
        if (items->Count() != count_) {
            found_.clear();
            count_ = items->Count();
        }
        auto known = found_.find(Name);
        if (known != found_.end() && (known->second < 0 || AnsiSameText(items->Strings(known->second), Name)))
            return known->second;
        int index = -1;
        for (int i = 0; i < count_ && index < 0; ++i)
            if (AnsiSameText(items->Strings(i), Name)) index = i;
        found_[Name] = index;
        return index;
    }
    TComboBox* box_;
    int count_ = -1;
    std::map<AnsiString, int> found_;
    bool pending_ = false, add_ = false;
    AnsiString name_;
};

class SpyPage : public ISpyReportPage, public WindowHost {
public:
    explicit SpyPage(TfrmMain* Form) : WindowHost(Form), players_(Form->cmbPlayer), alliances_(Form->cmbAlliance) {}
    AnsiString ReportText() const override { return form_->memSpy->Text(); }
    void SetReportText(const AnsiString& Text) override { form_->memSpy->SetText(Text); }
    AnsiString PlayerText() const override { return players_.Text(); }
    AnsiString AllianceText() const override { return alliances_.Text(); }
    void SelectPlayer(const AnsiString& Name, bool AddWhenMissing) override { players_.Choose(Name, AddWhenMissing); }
    void SelectAlliance(const AnsiString& Name) override { alliances_.Choose(Name, false); }
    void ClearOwnerSelection() override {
        players_.Choose("", false);
        alliances_.Choose("", false);
    }
    void ShowHeldLog() override {
        players_.Apply();
        alliances_.Apply();
        WindowHost::ShowHeldLog();
    }
    int Rating() const override { return form_->grpRating->ItemIndex(); }
    void SetRating(int Index) override { form_->grpRating->SetItemIndex(Index); }
    bool KeepTech() const override { return form_->cbxKeepTech->Checked(); }
    bool KeepDefences() const override { return form_->cbxKeepDefs->Checked(); }
    bool KeepBuildings() const override { return form_->cbxKeepBuilds->Checked(); }
    void ShowPlanetFound(bool Found) override {
        TLabel* l = form_->lblPlanetFound;
        l->SetTop(Found ? 25 : 18);
        l->Font()->SetSize(Found ? 8 : 14);
        l->Font()->SetColor(Found ? clWindowText : clRed);
        l->SetCaption(Found ? "found" : "not found");
    }

private:
    mutable NamedEntries players_, alliances_;
};

class CombatPage : public ICombatReportPage, public WindowHost {
public:
    using WindowHost::WindowHost;
    AnsiString CombatText() const override { return form_->memCombat->Text(); }
    void SetCombatText(const AnsiString& Text) override { form_->memCombat->SetText(Text); }
    AnsiString PlayerName() const override { return form_->edtPlayerName->Text(); }
    bool SubtractResources() const override { return form_->cbxSubstractResources->Checked(); }
    bool SubtractDefences() const override { return form_->cbxSubstractDefences->Checked(); }
    bool SubtractFleet() const override { return form_->cbxSubstractFleet->Checked(); }
};

class SolarSystemPage : public ISolarSystemPage, public WindowHost {
public:
    using WindowHost::WindowHost;
    AnsiString SolarSystemText() const override { return form_->memSolarSystem->GetText(); }
    void SetSolarSystemText(const AnsiString& Text) override { form_->memSolarSystem->SetText(Text); }
    bool DeletePlanets() const override { return form_->cbxDeletePlanets->Checked(); }
};

class AlliancePage : public IAlliancePage, public WindowHost {
public:
    using WindowHost::WindowHost;
    AnsiString AllianceText() const override { return form_->memAlliance->Text(); }
    void SetAllianceText(const AnsiString& Text) override { form_->memAlliance->SetText(Text); }
    void RefillAlliances() override { form_->FillAllianceCombo(); }
};

class Watcher : public IClipboardWindow, public WindowHost {
public:
    using WindowHost::WindowHost;
    bool WatchClipboard() const override { return form_->mnuWatchClipboard->Checked(); }
    bool Busy() const override { return CommandRunning(); }
    void StartSpyReport(const AnsiString& Text) override {
        form_->pcMain->SetActivePage(form_->tsProcessSpyReports);
        form_->memSpy->Clear();
        form_->memSpy->SetText(Text);
        form_->actProcessSpyReport->Execute();
    }
    void StartSolarSystem(const AnsiString& Text) override {
        form_->pcMain->SetActivePage(form_->tsSolarSystem);
        form_->memSolarSystem->Clear();
        form_->memSolarSystem->SetText(Text);
        form_->actProcessSolarSystem->Execute();
    }
    void StartCombatReport(const AnsiString& Text) override {
        form_->pcMain->SetActivePage(form_->tsProcessCombatReports);
        form_->memCombat->Clear();
        form_->memCombat->SetText(Text);
        form_->actProcessCombatReport->Execute();
    }
};

}  // namespace

void TfrmMain::actProcessSpyReportExecute(TObject*) {
    if (CommandRunning()) return;
    TCommandGuard guard(alMain);
    LogBatch batch(this);
    SpyPage page(this);
    ProcessSpyReports(dmMain, page);
}

void TfrmMain::memSpyExit(TObject*) {
    if (CommandRunning()) return;
    SpyPage page(this);
    PreviewSpyReportOwner(dmMain, page);
}

void TfrmMain::actProcessCombatReportExecute(TObject*) {
    if (CommandRunning()) return;
    TCommandGuard guard(alMain);
    CombatPage page(this);
    ProcessCombatReport(dmMain, page);
}

void TfrmMain::actProcessSolarSystemExecute(TObject*) {
    if (CommandRunning()) return;
    TCommandGuard guard(alMain);
    SolarSystemPage page(this);
    ProcessSolarSystem(dmMain, page);
}

void TfrmMain::actProcessAlliancesExecute(TObject*) {
    if (CommandRunning()) return;
    TCommandGuard guard(alMain);
    AlliancePage page(this);
    ProcessAlliances(dmMain, page);
}

void TfrmMain::memSpyKeyUp(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) actProcessSpyReport->Execute();
}
void TfrmMain::memCombatKeyUp(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) actProcessCombatReport->Execute();
}
void TfrmMain::memSolarSystemKeyUp(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) actProcessSolarSystem->Execute();
}
void TfrmMain::memAllianceKeyUp(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) actProcessAlliances->Execute();
}

// Into the solar-system editor goes the whole HTML form, header included, so
// that the import finds the table; an edit control pastes as it always does.
void TfrmMain::actPasteExecute(TObject*) {
    TWinControl* active = ActiveControl();
    if (!active) return;
    if (active == memSolarSystem) {
        if (!Clipboard) return;
        AnsiString page = Clipboard->AsHTML();
        if (IsValidUtf8(page)) page = Utf8ToAnsi(page);
        // A copy without an HTML form still holds the page as text, which the
        // import reads too; replacing the editor's text by nothing would only
        // lose what was there.
        if (page.empty()) page = Clipboard->AsText();
        if (!page.empty()) memSolarSystem->SetText(page);
    } else if (dynamic_cast<TCustomEdit*>(active)) {
        SendMessage(active->Handle(), WM_PASTE, 0, 0);
    }
}

void TfrmMain::ClipboardChanged(TObject*) {
    if (!Clipboard) return;
    Watcher watcher(this);
    // The clipboard's forms are read only when the change will be looked at.
    if (!WantsClipboardNotice(watcher)) return;
    ::ClipboardChanged(watcher, Clipboard->AsHTML(), Clipboard->AsText());
}
