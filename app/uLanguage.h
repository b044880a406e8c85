#pragma once
// Language files: "<Language>.lng" beside the executable, in INI form. The
// game's words, every caption of the main window and its dialogs, and the
// rating names come from the active one. This unit reads the game's words,
// builds the missing-key message, lists the language files, holds the
// language chooser TfrmLanguage, and applies the dialogs' captions.
//
// A language file may be saved in the code page or in UTF-8 (see TIniFile's
// SetDetectUtf8); every reader of one looks which.
//
// A dialog applier opens the file itself, writes back the defaults of missing
// keys and never reports them. The appliers of the report window, the find
// dialog and the filter editor find their controls by name (see uLanguage.cpp)
// so that each dialog's own unit needs nothing from here but the call.
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TIniFile;
class TMyIniFile;
class TfrmSelectDB;

// The file of Language beside the executable ("" gives ".lng"): the one
// ListLanguages listed under that name, its extension in any letter case.
AnsiString LanguageFileName(const AnsiString& Language);
// Names (less the extension, as text) of the language files beside the
// executable, in the byte order of the file names; the extension is compared
// without regard to case.
void ListLanguages(TStrings* Names);

// A caption key is read as required, a hint key ("ih", "mh", "ah", "m1h" to
// "m6h") as optional, except "ahImportData".
bool IsOptionalLanguageKey(const AnsiString& Key);
AnsiString ReadLanguageKey(TMyIniFile& Ini, const AnsiString& Section, const AnsiString& Key,
                           const AnsiString& Default);
// Empty when every letter of the file has its place in the code page; else
// the file's name and the "[Section] Key" of each value that lost letters.
AnsiString LostLettersMessage(TIniFile& Ini);
// Empty when nothing is missing; else the reader's list, the download hint
// and the notice that the program ends.
AnsiString MissingLanguageKeysMessage(TMyIniFile& Ini);

class TfrmLanguage : public TForm {
    TESK_CLASS(TfrmLanguage, TForm)
public:
    explicit TfrmLanguage(TComponent* AOwner);

    TComboBox* cmbLanguage = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    TActionList* alLanguage = nullptr;
    TAction* actOk = nullptr;
    TAction* actCancel = nullptr;

    // The name taken by OK.
    AnsiString Language;

    void actOkExecute(TObject* Sender);
    void actCancelExecute(TObject* Sender);
};

void ApplyLanguageToLanguageForm(TfrmLanguage* Form, const AnsiString& Language);
void ApplyLanguageToSelectDBForm(TfrmSelectDB* Form, const AnsiString& Language);
// Controls: cbxCopyToClipboard, btnClose.
void ApplyLanguageToReportForm(TForm* Form, const AnsiString& Language);
// Controls: lblValue, grpField (four items), cbxClearFilter, btnCancel, btnFind.
void ApplyLanguageToFindForm(TForm* Form, const AnsiString& Language);
// Controls: grpFields, grpOperators, btnNew, btnDelete, btnCopy, btnCancel,
// btnOk, the rating legend lstRatings and the filter list lstFilters.
void ApplyLanguageToFilterEditor(TForm* Form, const AnsiString& Language);
