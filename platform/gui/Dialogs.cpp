#include "platform/gui/Dialogs.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(new TStringList()) {}

TOpenDialog::~TOpenDialog() { delete files_; }

namespace {
bool HasExtension(const AnsiString& name) {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.find_last_of('.');
    return dot != AnsiString::npos && (slash == AnsiString::npos || dot > slash);
}
}  // namespace

bool TOpenDialog::Execute() {
    TFileDialogRequest request;
    request.FileName = fileName_;
    while (true) {
        request.Save = IsSave();
        request.Title = title_;
        request.Filter = filter_;
        request.FilterIndex = filterIndex_;
        request.InitialDir = initialDir_;
        request.DefaultExt = defaultExt_;
        request.OverwritePrompt = HasOpenOption(options_, ofOverwritePrompt);
        request.FileMustExist = HasOpenOption(options_, ofFileMustExist);
        request.AllowMultiSelect = HasOpenOption(options_, ofAllowMultiSelect);
        request.Files.clear();
        DoShow();
        bool chosen = DialogService().FileDialog(request);
        if (!chosen) {
            DoClose();
            return false;
        }
        AnsiString name = request.FileName;
        if (!defaultExt_.empty() && !name.empty() && !HasExtension(name)) name += "." + defaultExt_;
        bool canClose = true;
        AnsiString previous = fileName_;
        fileName_ = name;
        if (OnCanClose) OnCanClose(this, canClose);
        if (!canClose) {
            // Refused: the dialog comes back with the name chosen.
            fileName_ = previous;
            request.FileName = name;
            continue;
        }
        filterIndex_ = request.FilterIndex;
        files_->Clear();
        if (request.Files.empty()) files_->Add(name);
        for (const AnsiString& f : request.Files) files_->Add(f);
        DoClose();
        return true;
    }
}

TESK_PUBLISHED(TCommonDialog) {
    Property("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
    Property("OnClose", &T::OnClose, &T::OnClose);
    Property("OnShow", &T::OnShow, &T::OnShow);
}

TESK_PUBLISHED(TOpenDialog) {
    Property("DefaultExt", &T::DefaultExt, &T::SetDefaultExt);
    Property("FileName", TypeInfoTFileName(), &T::FileName, &T::SetFileName);
    Property("Filter", &T::Filter, &T::SetFilter);
    Property("FilterIndex", &T::FilterIndex, &T::SetFilterIndex).Default(1);
    Property("InitialDir", &T::InitialDir, &T::SetInitialDir);
    Property("Options", &T::Options, &T::SetOptions)
        .Default(OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing));
    Property("Title", &T::Title, &T::SetTitle);
    Property("OnCanClose", &T::OnCanClose, &T::OnCanClose);
}

TESK_PUBLISHED(TSaveDialog) {}
