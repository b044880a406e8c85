#pragma once
// Helpers that the standard-controls sources share: font height and the text messages.
#include <algorithm>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/WinApi.h"

// The font's height in pixels as the GDI measures it (for sizes that follow the font).
inline int FontTextHeight(TFont* Font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

inline void StoreSel(const TMessage& Message, int start, int end) {
    if (auto* p = reinterpret_cast<DWORD*>(Message.WParam)) *p = static_cast<DWORD>(start);
    if (auto* p = reinterpret_cast<DWORD*>(Message.LParam)) *p = static_cast<DWORD>(end);
}

// Copies text into a WM_GETTEXT buffer; answers the characters copied.
inline LRESULT CopyTextOut(const AnsiString& text, const TMessage& Message) {
    char* buffer = reinterpret_cast<char*>(Message.LParam);
    if (!buffer || Message.WParam == 0) return 0;
    size_t n = std::min<size_t>(text.size(), Message.WParam - 1);
    std::copy(text.begin(), text.begin() + static_cast<long>(n), buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

inline AnsiString TextIn(const TMessage& Message) {
    const char* text = reinterpret_cast<const char*>(Message.LParam);
    return text ? AnsiString(text) : AnsiString();
}

// Answers the text messages from a getter and setter of the widget's text.
template <class Get, class Set>
bool HandleTextMessage(TControl* control, TMessage& Message, Get get, Set set) {
    switch (Message.Msg) {
        case WM_GETTEXT: Message.Result = CopyTextOut(get(), Message); return true;
        case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(get().size()); return true;
        case WM_SETTEXT:
            set(TextIn(Message));
            Message.Result = 1;
            control->Perform(CM_TEXTCHANGED, 0, 0);
            return true;
        default: return false;
    }
}
