#pragma once
// File dialogs as components: TOpenDialog and TSaveDialog show the desktop's
// (or, in tests, a scripted) file dialog through the dialog service. After a
// file is chosen, OnCanClose may refuse it; the dialog is then shown again.
#include <cstdint>

#include "platform/classes/Strings.h"
#include "platform/gui/Services.h"

enum TOpenOption {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
    ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
    ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
    ofEnableIncludeNotify, ofEnableSizing
};
enum TOpenOptions : uint32_t {};
constexpr TOpenOptions operator|(TOpenOptions a, TOpenOptions b) {
    return static_cast<TOpenOptions>(uint32_t(a) | uint32_t(b));
}
constexpr TOpenOptions OpenOptionBit(TOpenOption o) { return static_cast<TOpenOptions>(1u << o); }
constexpr bool HasOpenOption(TOpenOptions s, TOpenOption o) { return (uint32_t(s) >> o) & 1u; }
TESK_ENUM_INFO(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
               ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
               ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
               ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing)
TESK_SET_INFO(TOpenOptions, TOpenOption)

using TCloseQueryEvent = Delegate<void(TObject* Sender, bool& CanClose)>;

class TCommonDialog : public TComponent {
    TESK_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute() = 0;
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    virtual void DoShow();
    virtual void DoClose();

private:
    int helpContext_ = 0;
};

class TOpenDialog : public TCommonDialog {
    TESK_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    // True when a file was chosen (and OnCanClose let it be).
    bool Execute() override;

    // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    const AnsiString& Filter() const { return filter_; }
    void SetFilter(const AnsiString& Value) { filter_ = Value; }
    // 1-based; the one chosen after Execute.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int Value) { filterIndex_ = Value; }
    const AnsiString& InitialDir() const { return initialDir_; }
    void SetInitialDir(const AnsiString& Value) { initialDir_ = Value; }
    const AnsiString& FileName() const { return fileName_; }
    void SetFileName(const AnsiString& Value) { fileName_ = Value; }
    // Added to a chosen name that has no extension.
    const AnsiString& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const AnsiString& Value) { defaultExt_ = Value; }
    const AnsiString& Title() const { return title_; }
    void SetTitle(const AnsiString& Value) { title_ = Value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions Value) { options_ = Value; }
    // Every file chosen (with ofAllowMultiSelect).
    TStrings* Files() const { return files_; }

    TCloseQueryEvent OnCanClose;

protected:
    virtual bool IsSave() const { return false; }

private:
    AnsiString filter_;
    int filterIndex_ = 1;
    AnsiString initialDir_;
    AnsiString fileName_;
    AnsiString defaultExt_;
    AnsiString title_;
    TOpenOptions options_ = OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing);
    TStrings* files_;
};

class TSaveDialog : public TOpenDialog {
    TESK_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
    bool IsSave() const override { return true; }
};
