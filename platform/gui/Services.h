#pragma once
// Services of the desktop behind interfaces: message boxes, file dialogs, the
// beep and opening a web page. The program installs the native ones at start
// (PlatformUseNativeServices); until then, and in tests, scripted stand-ins
// answer without showing anything and write down what was asked.
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/gui/WinApi.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtti/TypInfo.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
TESK_ENUM_INFO(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
TESK_ENUM_INFO(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
               mbHelp)

// A set of buttons: bit n is element n.
using TMsgDlgButtons = uint16_t;
constexpr TMsgDlgButtons MsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
    TMsgDlgButtons s = 0;
    for (TMsgDlgBtn b : buttons) s = static_cast<TMsgDlgButtons>(s | (1u << b));
    return s;
}
constexpr bool HasButton(TMsgDlgButtons s, TMsgDlgBtn b) { return (s >> b) & 1u; }
inline constexpr TMsgDlgButtons mbYesNoCancel = MsgDlgButtons({mbYes, mbNo, mbCancel});
inline constexpr TMsgDlgButtons mbYesNo = MsgDlgButtons({mbYes, mbNo});
inline constexpr TMsgDlgButtons mbOKCancel = MsgDlgButtons({mbOK, mbCancel});
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = MsgDlgButtons({mbAbort, mbRetry, mbIgnore});

// The modal result of a button (mrYes, mrOk, ...; 0 for Help).
int ModalResultOfButton(TMsgDlgBtn Button);
// The caption of a button ("&Yes", "OK", ...) and of a dialog type ("Confirm", ...).
AnsiString ButtonCaption(TMsgDlgBtn Button);
AnsiString DialogTypeCaption(TMsgDlgType Type);

struct TMessageDlgRequest {
    AnsiString Text;
    AnsiString Caption;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = 0;
    TMsgDlgBtn DefaultButton = mbOK;
    TMsgDlgBtn CancelButton = mbCancel;  // the answer when the box is closed
};

struct TFileDialogRequest {
    bool Save = false;
    AnsiString Title;
    // "Text files (*.txt)|*.txt|All files|*.*"
    AnsiString Filter;
    int FilterIndex = 1;  // 1-based; the chosen one on return
    AnsiString InitialDir;
    AnsiString FileName;  // the chosen file on return
    AnsiString DefaultExt;
    bool OverwritePrompt = false;
    bool FileMustExist = false;
    bool AllowMultiSelect = false;
    std::vector<AnsiString> Files;  // every chosen file on return
};

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // Shows a message box; answers the modal result of the button chosen.
    virtual int MessageDialog(const TMessageDlgRequest& Request) = 0;
    // Shows an open or save dialog; true (and the file in the request) when one was chosen.
    virtual bool FileDialog(TFileDialogRequest& Request) = 0;
};

class ISystemService {
public:
    virtual ~ISystemService() = default;
    virtual void Beep(UINT Type) = 0;
    virtual bool OpenUrl(const AnsiString& Url) = 0;
};

IDialogService& DialogService();
void SetDialogService(std::shared_ptr<IDialogService> Service);  // nullptr: a fresh scripted one
ISystemService& SystemService();
void SetSystemService(std::shared_ptr<ISystemService> Service);

// A dialog service that answers from a script (and otherwise with the default
// button, or "cancel" for file dialogs) and keeps every request.
class TScriptedDialogService : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest& Request) override;
    bool FileDialog(TFileDialogRequest& Request) override;

    void QueueAnswer(int ModalResult) { answers_.push_back(ModalResult); }
    // The next file dialog chooses this file (an empty name cancels it).
    void QueueFile(const AnsiString& FileName) { files_.push_back(FileName); }
    std::vector<TMessageDlgRequest> Messages;
    std::vector<TFileDialogRequest> FileDialogs;

private:
    std::deque<int> answers_;
    std::deque<AnsiString> files_;
};

class TRecordingSystemService : public ISystemService {
public:
    void Beep(UINT Type) override { Beeps.push_back(Type); }
    bool OpenUrl(const AnsiString& Url) override {
        Urls.push_back(Url);
        return true;
    }
    std::vector<UINT> Beeps;
    std::vector<AnsiString> Urls;
};

// Installs the dialogs, beep and browser of the desktop.
void UseNativeServices();

// The calls the program makes.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
int MessageDlg(const AnsiString& Caption, const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
void ShowMessage(const AnsiString& Msg);
int MessageBox(HWND Wnd, const char* Text, const char* Caption, UINT Type);
BOOL MessageBeep(UINT Type);
// "open" on a URL or file: the desktop's browser or viewer. Answers a value
// above 32 on success, as the desktop call does.
intptr_t ShellExecute(HWND Wnd, const char* Operation, const char* File, const char* Parameters,
                      const char* Directory, int ShowCmd);
bool OpenWebPage(const AnsiString& Url);
