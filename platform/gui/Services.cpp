#include "platform/gui/Services.h"

#include "platform/gui/Forms.h"

namespace {

std::shared_ptr<IDialogService>& DialogSlot() {
    static std::shared_ptr<IDialogService> service = std::make_shared<TScriptedDialogService>();
    return service;
}

std::shared_ptr<ISystemService>& SystemSlot() {
    static std::shared_ptr<ISystemService> service = std::make_shared<TRecordingSystemService>();
    return service;
}

TMsgDlgBtn DefaultButtonOf(TMsgDlgButtons buttons) {
    if (HasButton(buttons, mbOK)) return mbOK;
    if (HasButton(buttons, mbYes)) return mbYes;
    return mbRetry;
}

TMsgDlgBtn CancelButtonOf(TMsgDlgButtons buttons) {
    if (HasButton(buttons, mbCancel)) return mbCancel;
    if (HasButton(buttons, mbNo)) return mbNo;
    return mbOK;
}

}  // namespace

int ModalResultOfButton(TMsgDlgBtn Button) {
    switch (Button) {
        case mbYes: return mrYes;
        case mbNo: return mrNo;
        case mbOK: return mrOk;
        case mbCancel: return mrCancel;
        case mbAbort: return mrAbort;
        case mbRetry: return mrRetry;
        case mbIgnore: return mrIgnore;
        case mbAll: return mrAll;
        case mbNoToAll: return mrNoToAll;
        case mbYesToAll: return mrYesToAll;
        default: return 0;
    }
}

AnsiString ButtonCaption(TMsgDlgBtn Button) {
    static const char* const captions[] = {"&Yes", "&No",  "OK",   "Cancel",     "&Abort", "&Retry",
                                           "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
    return captions[Button];
}

AnsiString DialogTypeCaption(TMsgDlgType Type) {
    switch (Type) {
        case mtWarning: return "Warning";
        case mtError: return "Error";
        case mtInformation: return "Information";
        case mtConfirmation: return "Confirm";
        default: return Application ? Application->Title() : AnsiString();
    }
}

IDialogService& DialogService() { return *DialogSlot(); }

void SetDialogService(std::shared_ptr<IDialogService> Service) {
    DialogSlot() = Service ? std::move(Service) : std::make_shared<TScriptedDialogService>();
}

ISystemService& SystemService() { return *SystemSlot(); }

void SetSystemService(std::shared_ptr<ISystemService> Service) {
    SystemSlot() = Service ? std::move(Service) : std::make_shared<TRecordingSystemService>();
}

int TScriptedDialogService::MessageDialog(const TMessageDlgRequest& Request) {
    Messages.push_back(Request);
    if (!answers_.empty()) {
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return ModalResultOfButton(Request.DefaultButton);
}

bool TScriptedDialogService::FileDialog(TFileDialogRequest& Request) {
    FileDialogs.push_back(Request);
    if (files_.empty()) return false;
    AnsiString file = files_.front();
    files_.pop_front();
    if (file.empty()) return false;
    Request.FileName = file;
    Request.Files = {file};
    return true;
}

int MessageDlg(const AnsiString& Caption, const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    TMessageDlgRequest r;
    r.Text = Msg;
    r.Caption = Caption.empty() ? DialogTypeCaption(DlgType) : Caption;
    r.Type = DlgType;
    r.Buttons = Buttons;
    r.DefaultButton = DefaultButtonOf(Buttons);
    r.CancelButton = CancelButtonOf(Buttons);
    // The box is modal: a mouse capture would keep the clicks from it.
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
    return DialogService().MessageDialog(r);
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    return MessageDlg(AnsiString(), Msg, DlgType, Buttons);
}

void ShowMessage(const AnsiString& Msg) {
    MessageDlg(Application ? Application->Title() : AnsiString(), Msg, mtCustom, MsgDlgButtons({mbOK}));
}

int MessageBox(HWND, const char* Text, const char* Caption, UINT Type) {
    TMessageDlgRequest r;
    r.Text = Text ? Text : "";
    r.Caption = Caption ? Caption : "Error";
    switch (Type & MB_ICONMASK) {
        case MB_ICONHAND: r.Type = mtError; break;
        case MB_ICONQUESTION: r.Type = mtConfirmation; break;
        case MB_ICONEXCLAMATION: r.Type = mtWarning; break;
        case MB_ICONASTERISK: r.Type = mtInformation; break;
        default: r.Type = mtCustom; break;
    }
    std::vector<TMsgDlgBtn> order;
    switch (Type & MB_TYPEMASK) {
        case MB_OKCANCEL: order = {mbOK, mbCancel}; break;
        case MB_ABORTRETRYIGNORE: order = {mbAbort, mbRetry, mbIgnore}; break;
        case MB_YESNOCANCEL: order = {mbYes, mbNo, mbCancel}; break;
        case MB_YESNO: order = {mbYes, mbNo}; break;
        case MB_RETRYCANCEL: order = {mbRetry, mbCancel}; break;
        default: order = {mbOK}; break;
    }
    for (TMsgDlgBtn b : order) r.Buttons = static_cast<TMsgDlgButtons>(r.Buttons | (1u << b));
    size_t def = (Type & MB_DEFMASK) >> 8;
    r.DefaultButton = order[def < order.size() ? def : 0];
    r.CancelButton = HasButton(r.Buttons, mbCancel) ? mbCancel : (order.size() == 1 ? mbOK : order.back());
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
    return DialogService().MessageDialog(r);
}

BOOL MessageBeep(UINT Type) {
    SystemService().Beep(Type);
    return 1;
}

intptr_t ShellExecute(HWND, const char* Operation, const char* File, const char*, const char*, int) {
    AnsiString op = Operation ? Operation : "open";
    if (!File || (op != "open" && !op.empty())) return 2;  // ERROR_FILE_NOT_FOUND
    return SystemService().OpenUrl(File) ? 42 : 2;
}

bool OpenWebPage(const AnsiString& Url) { return SystemService().OpenUrl(Url); }
