#include "text/uHtmlClipbrd.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ScopeGuard.h"

THtmlClipboard::THtmlClipboard() : HTMLFormat_(RegisterClipboardFormat("HTML Format")) {}

AnsiString THtmlClipboard::AsHTML() {
    if (HTMLFormat_ == 0) throw Exception("Cannot get HTML if the HTML format is not set");
    AnsiString result;
    Open();
    {
        TScopeGuard close([&] { Close(); });
        std::string data;
        if (GetBuffer(HTMLFormat_, data)) result = data.substr(0, data.find('\0'));
    }
    return result;
}

void THtmlClipboard::SetAsHTML(const AnsiString& Value) {
    if (HTMLFormat_ == 0) throw Exception("Cannot set HTML if the HTML format is not set");
    SetBuffer(HTMLFormat_, Value.c_str(), Value.size() + 1);
}
