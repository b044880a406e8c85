#include "app/uLanguage.h"

#include <algorithm>
#include <filesystem>

#include "data/uDatamodule.h"
#include "data/uIniFiles.h"
#include "data/uSelectDB.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ValEdit.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "text/UtFileUtils.h"

namespace {

constexpr const char* Interfase = "Interfase";

bool StartsWith(const AnsiString& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A dialog's reader: opens the file, applies and closes it; what is missing
// is written back and forgotten.
class TDialogTexts {
public:
    TDialogTexts(TForm* Form, const AnsiString& Language) : form_(Form), ini_(LanguageFileName(Language)) {
        ini_.SetDetectUtf8(true);
    }

    AnsiString Read(const char* Key, const char* Default = "") {
        return ini_.ReadString(Interfase, Key, Default);
    }
    void FormCaption(const char* Key, const char* Default, const char* HintKey) {
        form_->SetCaption(Read(Key, Default));
        form_->SetHint(Read(HintKey));
    }
    // A control (or action) found by name: its caption, then its hint.
    void Caption(const char* Name, const char* Key, const char* Default) {
        AnsiString text = Read(Key, Default);
        if (auto* c = dynamic_cast<TControl*>(form_->FindComponent(Name))) c->SetCaption(text);
    }
    void Hint(const char* Name, const char* Key, const char* Default = "") {
        AnsiString text = Read(Key, Default);
        if (auto* c = dynamic_cast<TControl*>(form_->FindComponent(Name))) c->SetHint(text);
    }
    template <class T>
    T* Find(const char* Name) {
        return dynamic_cast<T*>(form_->FindComponent(Name));
    }

private:
    TForm* form_;
    TMyIniFile ini_;
};

}  // namespace

AnsiString LanguageFileName(const AnsiString& Language) { return FileOfTitle(ProgramFolder(), Language, "lng"); }

void ListLanguages(TStrings* Names) {
    std::vector<AnsiString> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(ProgramFolder().c_str(), ec)) {
        if (!entry.is_regular_file(ec)) continue;
        AnsiString name = entry.path().filename().string();
        // ".lng" alone is where the chooser's own words go while no language
        // is chosen; it names no language.
        if (name.size() > 4 && SameText(name.substr(name.size() - 4), ".lng"))
            found.push_back(name.substr(0, name.size() - 4));
    }
    // The folder's own order differs between file systems; name order is stable.
    std::sort(found.begin(), found.end());
    for (const AnsiString& n : found) Names->Add(FileNameAsText(n));
}

bool IsOptionalLanguageKey(const AnsiString& Key) {
    if (Key == "ahImportData") return false;
    if (StartsWith(Key, "ih") || StartsWith(Key, "mh") || StartsWith(Key, "ah")) return true;
    return Key.size() == 3 && Key[0] == 'm' && Key[1] >= '1' && Key[1] <= '6' && Key[2] == 'h';
}

AnsiString ReadLanguageKey(TMyIniFile& Ini, const AnsiString& Section, const AnsiString& Key,
                           const AnsiString& Default) {
    return IsOptionalLanguageKey(Key) ? Ini.ReadOptionalString(Section, Key, Default)
                                      : Ini.ReadString(Section, Key, Default);
}

AnsiString LostLettersMessage(TIniFile& Ini) {
    TStringList keys;
    Ini.ReadKeysWithLostLetters(&keys);
    if (keys.Count() == 0) return "";
    AnsiString text = Format("%s holds letters that code page %d cannot show; they read as \"?\" in",
                             {FileNameAsText(std::filesystem::path(Ini.FileName().c_str()).filename().string()),
                              CodePage::Active().Number()});
    for (int i = 0; i < keys.Count(); ++i) text += (i == 0 ? " " : ", ") + keys[i];
    return text;
}

AnsiString MissingLanguageKeysMessage(TMyIniFile& Ini) {
    if (Ini.GetMissingCount() == 0) return "";
    AnsiString text;
    TStrings* missing = Ini.GetMissingList();
    for (int i = 0; i < missing->Count(); ++i) text += missing->Strings(i) + "\r";
    AnsiString file = FileNameAsText(std::filesystem::path(Ini.FileName().c_str()).filename().string());
    text += "\rPlease download the latest version of " + file + "\ror translate the missing strings yourself.\r\r"
            "Tesk will now be terminated";
    return text;
}

// ---------------------------------------------------------------- chooser
TESK_PUBLISHED(TfrmLanguage) {
    Field("cmbLanguage", &T::cmbLanguage);
    Field("btnOk", &T::btnOk);
    Field("btnCancel", &T::btnCancel);
    Field("alLanguage", &T::alLanguage);
    Field("actOk", &T::actOk);
    Field("actCancel", &T::actCancel);
    Handler("actOkExecute", &T::actOkExecute);
    Handler("actCancelExecute", &T::actCancelExecute);
}

TfrmLanguage::TfrmLanguage(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfrmLanguage::actOkExecute(TObject*) {
    int i = cmbLanguage->ItemIndex();
    if (i < 0) return;
    Language = cmbLanguage->Items()->Strings(i);
    SetModalResult(mrOk);
}

void TfrmLanguage::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

// ---------------------------------------------------------------- appliers
void ApplyLanguageToLanguageForm(TfrmLanguage* Form, const AnsiString& Language) {
    TDialogTexts t(Form, Language);
    t.FormCaption("ifrmLangName", "Select your language", "ihfrmLangName");
    Form->actCancel->SetCaption(t.Read("iLangCancel", "Cancel"));
    Form->actCancel->SetHint(t.Read("ihLangCancel"));
    Form->actOk->SetCaption(t.Read("iLangOk", "Ok"));
    Form->actOk->SetHint(t.Read("ihLangOk"));
}

void ApplyLanguageToSelectDBForm(TfrmSelectDB* Form, const AnsiString& Language) {
    TDialogTexts t(Form, Language);
    t.FormCaption("ifrmSelectDBName", "User Selected", "ihfrmSelectDBName");
    struct { const char* Key; const char* Default; const char* Field; } labels[] = {
        {"ifrmSelectDBGN", "GroupName", "GroupName"},
        {"ifrmSelectDBGU", "UserName", "GroupUser"},
        {"ifrmSelectDBGP", "Path", "GroupPath"}};
    for (const auto& l : labels) {
        AnsiString text = t.Read(l.Key, l.Default);
        if (dmMain)
            if (TField* f = dmMain->viewGroup->FindField(l.Field)) f->SetDisplayLabel(text);
        TDBGridColumnsGx* columns = Form->grdSelectDB->Columns();
        for (int i = 0; i < columns->Count(); ++i)
            if (SameText(columns->Items(i)->FieldName(), l.Field)) columns->Items(i)->Title()->SetCaption(text);
    }
    t.Caption("btnCancel", "ifrmSelectDBCancel", "Cancel");
    t.Hint("btnCancel", "ihfrmSelectDBCancel");
    t.Caption("btnOk", "ifrmSelectDBOk", "Ok");
    t.Hint("btnOk", "ihfrmSelectDBOk");
}

void ApplyLanguageToReportForm(TForm* Form, const AnsiString& Language) {
    TDialogTexts t(Form, Language);
    t.FormCaption("ifrmShowReportName", "Report", "ihfrmShowReportName");
    t.Caption("cbxCopyToClipboard", "ifrmShowReportClipboard", "Copy report to clipboard");
    t.Hint("cbxCopyToClipboard", "ihfrmShowReportClipBoard");
    t.Caption("btnClose", "ifrmShowReportCancel", "Cancel");
    t.Hint("btnClose", "ihfrmShowReportCancel");
}

void ApplyLanguageToFindForm(TForm* Form, const AnsiString& Language) {
    TDialogTexts t(Form, Language);
    t.FormCaption("ifrmFindName", "Find", "ihfrmFindName");
    t.Caption("lblValue", "ifrmFindValue", "Value");
    t.Caption("grpField", "ifrmFindgrpField", "Field");
    const char* items[][2] = {{"ifrmFindgrpField1", "Alliance"}, {"ifrmFindgrpField2", "Player"},
                              {"ifrmFindgrpField3", "Planet"}, {"ifrmFindgrpField4", "Coordinates"}};
    auto* group = t.Find<TRadioGroup>("grpField");
    for (int i = 0; i < 4; ++i) {
        AnsiString text = t.Read(items[i][0], items[i][1]);
        if (group && i < group->Items()->Count()) group->Items()->SetStrings(i, text);
    }
    t.Caption("cbxClearFilter", "ifrmFindClearFlt", "Clear filter");
    t.Hint("cbxClearFilter", "ihfrmFindClearFlt", "Clear filter");
    t.Caption("btnCancel", "ifrmFindCancel", "Cancel");
    t.Hint("btnCancel", "ihfrmFindCancel", "Cancel");
    t.Caption("btnFind", "ifrmFindFind", "Find");
    t.Hint("btnFind", "ihfrmFindFind", "Find");
}

void ApplyLanguageToFilterEditor(TForm* Form, const AnsiString& Language) {
    TDialogTexts t(Form, Language);
    t.FormCaption("ifrmFltEditName", "Edit filters", "ihfrmFltEditName");
    t.Caption("grpFields", "iFltEditgrpField", "Fields");
    t.Hint("grpFields", "ihFltEditgrpField");
    t.Caption("grpOperators", "iFltEditgrpOperators", "Operators / Variables");
    t.Hint("grpOperators", "ihFltEditgrpOperators");
    t.Caption("btnNew", "iFltEditNew", "&New");
    t.Hint("btnNew", "ihFltEditNew");
    t.Caption("btnDelete", "iFltEditDel", "&Delete");
    t.Hint("btnDelete", "ihFltEditDel");
    t.Caption("btnCopy", "iFltEditCopy", "&Copy");
    t.Hint("btnCopy", "ihFltEditCopy");
    t.Caption("btnCancel", "iFltEditCancel", "Cancel");
    t.Hint("btnCancel", "ihFltEditCancel");
    t.Caption("btnOk", "iFltEditOk", "Ok");
    t.Hint("btnOk", "ihFltEditOk");
    AnsiString ratingTitles[2] = {t.Read("ihFltEditTitleRating1", "Description"), t.Read("ihFltEditTitleRating2", "Rating")};
    AnsiString filterTitles[2] = {t.Read("ihFltEditTitleFilter1", "Name"), t.Read("ihFltEditTitleFilter2", "Filter")};
    if (auto* ratings = t.Find<TValueListEditor>("lstRatings")) {
        ratings->TitleCaptions()->Clear();
        ratings->TitleCaptions()->Add(ratingTitles[0]);
        ratings->TitleCaptions()->Add(ratingTitles[1]);
        // The five rating names in code order, each with its code.
        static const int names[5] = {0, 1, 2, 4, 6};
        TStringList legend;
        for (int code = 0; code < 5; ++code)
            legend.Add((dmMain ? dmMain->RatingCaptions[names[code]] : AnsiString()) + "=" + std::to_string(code));
        ratings->SetStrings(&legend);
    }
    if (auto* filters = t.Find<TValueListEditor>("lstFilters")) {
        filters->TitleCaptions()->Clear();
        filters->TitleCaptions()->Add(filterTitles[0]);
        filters->TitleCaptions()->Add(filterTitles[1]);
    }
}
