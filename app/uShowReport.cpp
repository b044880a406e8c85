// The report window, and the main window's way of showing a report in it.
#include "app/uShowReport.h"

#include <memory>

#include "app/uLanguage.h"
#include "app/uMain.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "text/uHtmlClipbrd.h"

TESK_PUBLISHED(TfrmShowReport) {
    Field("memReport", &T::memReport);
    Field("cbxCopyToClipboard", &T::cbxCopyToClipboard);
    Field("btnClose", &T::btnClose);
    Field("alShowReport", &T::alShowReport);
    Field("actClose", &T::actClose);
    Field("actSelectAll", &T::actSelectAll);
    Handler("actCloseExecute", &T::actCloseExecute);
    Handler("actSelectAllExecute", &T::actSelectAllExecute);
}

TfrmShowReport::TfrmShowReport(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfrmShowReport::actCloseExecute(TObject*) { SetModalResult(mrOk); }

void TfrmShowReport::actSelectAllExecute(TObject*) {
    memReport->SetFocus();
    memReport->SelectAll();
}

void TfrmMain::ShowReportWindow(const AnsiString& Text, const AnsiString& Caption) {
    std::unique_ptr<TfrmShowReport, TFormFree> report(CreateForm<TfrmShowReport>(this));
    ApplyLanguageToReportForm(report.get(), ActiveLanguage());
    report->memReport->SetText(Text);
    report->SetCaption(Caption);
    report->cbxCopyToClipboard->SetChecked(AutoCopyReportToClipboard);
    report->ShowModal();
    AutoCopyReportToClipboard = report->cbxCopyToClipboard->Checked();
    if (AutoCopyReportToClipboard) CopyToClipboard(report->memReport->Text());
}

void TfrmMain::CopyToClipboard(const AnsiString& Text) {
    // Our own copy must not come back as input.
    TValueRestorer<TNotifyEvent> watcher(OnClipboardChanged, TNotifyEvent());
    Clipboard->SetAsText(Text);
}
