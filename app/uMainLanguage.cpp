// The active language: loading its file into the game's words, the captions
// and the rating names, and choosing another one.
#include <memory>

#include "app/uLanguage.h"
#include "app/uMain.h"
#include "app/uVocabulary.h"
#include "data/uDatamodule.h"
#include "data/uIniFiles.h"

void TfrmMain::SetActiveLanguage(const AnsiString& Value) {
    if (Value.empty()) {
        actSelectLanguage->Execute();
        return;
    }
    activeLanguage_ = Value;
    actLoadLanguage->Execute();
    UpdateCaption();
}

void TfrmMain::actLoadLanguageExecute(TObject*) {
    TMyIniFile ini(LanguageFileName(activeLanguage_));
    ini.SetDetectUtf8(true);
    ReadGameVocabulary(ini);
    iCoordinates = ini.ReadString("Interfase", "iCoordinates", "");
    ApplyLanguageToMainForm(ini);

    // The box's item index is the rating code.
    grpRating->Items()->Clear();
    for (int caption : {0, 1, 2, 4, 6}) grpRating->Items()->Add(dmMain->RatingCaptions[caption]);
    grpRating->SetItemIndex(-1);

    // Told once: the words stay as they read until the file is mended.
    if (AnsiString lost = LostLettersMessage(ini); !lost.empty()) ReportSettingsProblem(lost);
    if (!ini.WriteBackFailure().empty())
        ReportSettingsProblem(ini.WriteBackFailure() + ". The words missing from it take their default texts");
    AnsiString missing = MissingLanguageKeysMessage(ini);
    if (!missing.empty()) {
        MessageDlg(missing, mtError, MsgDlgButtons({mbOK}));
        Application->Terminate();
    }
    OnClipboardChanged = TNotifyEvent(this, &TfrmMain::ClipboardChanged);
}

void TfrmMain::actSelectLanguageExecute(TObject*) {
    AnsiString previous = activeLanguage_;
    std::unique_ptr<TfrmLanguage, TFormFree> dialog(CreateForm<TfrmLanguage>(this));
    ApplyLanguageToLanguageForm(dialog.get(), activeLanguage_);
    ListLanguages(dialog->cmbLanguage->Items());
    if (dialog->ShowModal() == mrOk)
        SetActiveLanguage(dialog->Language);
    else if (!previous.empty())
        SetActiveLanguage(previous);
    else
        Application->Terminate();
}
