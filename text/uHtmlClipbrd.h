#pragma once
// The clipboard with access to its "HTML Format" data as raw bytes, header and
// fragment markers included, for the clipboard watcher.
#include "platform/gui/Clipboard.h"

class THtmlClipboard : public TClipboard {
public:
    THtmlClipboard();
    const char* ClassName() const override { return "THtmlClipboard"; }

    // 0 means "not set" and disables AsHTML in both directions.
    TClipboardFormat HTMLFormat() const { return HTMLFormat_; }
    void SetHTMLFormat(TClipboardFormat Value) { HTMLFormat_ = Value; }

    // Empty when the clipboard holds no HTML; cut at the first zero byte.
    AnsiString AsHTML();
    // The bytes and one zero byte, as the only format of a new clipboard content.
    void SetAsHTML(const AnsiString& Value);

private:
    TClipboardFormat HTMLFormat_;
};
