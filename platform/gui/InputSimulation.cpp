#include "platform/gui/InputSimulation.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <iterator>

#include "platform/gui/QtText_p.h"
#include "platform/gui/WinApi_p.h"

namespace {

QWidget* ClientWidget(HWND wnd) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return nullptr;
    return rec->Client ? rec->Client.data() : rec->Frame.data();
}

Qt::KeyboardModifiers Modifiers(TShiftState shift) {
    Qt::KeyboardModifiers m;
    if (shift & ssShift) m |= Qt::ShiftModifier;
    if (shift & ssCtrl) m |= Qt::ControlModifier;
    if (shift & ssAlt) m |= Qt::AltModifier;
    return m;
}

Qt::MouseButtons HeldButtons(TShiftState shift) {
    Qt::MouseButtons b;
    if (shift & ssLeft) b |= Qt::LeftButton;
    if (shift & ssRight) b |= Qt::RightButton;
    if (shift & ssMiddle) b |= Qt::MiddleButton;
    return b;
}

Qt::MouseButton QtButton(TSimButton b) {
    switch (b) {
        case TSimButton::Right: return Qt::RightButton;
        case TSimButton::Middle: return Qt::MiddleButton;
        default: return Qt::LeftButton;
    }
}

int QtKeyOf(WORD vk, bool& keypad) {
    keypad = false;
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        keypad = true;
        return Qt::Key_0 + (vk - VK_NUMPAD0);
    }
    switch (vk) {
        case VK_ESCAPE: return Qt::Key_Escape;
        case VK_TAB: return Qt::Key_Tab;
        case VK_BACK: return Qt::Key_Backspace;
        case VK_RETURN: return Qt::Key_Return;
        case VK_INSERT: return Qt::Key_Insert;
        case VK_DELETE: return Qt::Key_Delete;
        case VK_PAUSE: return Qt::Key_Pause;
        case VK_SNAPSHOT: return Qt::Key_Print;
        case VK_CLEAR: return Qt::Key_Clear;
        case VK_HOME: return Qt::Key_Home;
        case VK_END: return Qt::Key_End;
        case VK_LEFT: return Qt::Key_Left;
        case VK_UP: return Qt::Key_Up;
        case VK_RIGHT: return Qt::Key_Right;
        case VK_DOWN: return Qt::Key_Down;
        case VK_PRIOR: return Qt::Key_PageUp;
        case VK_NEXT: return Qt::Key_PageDown;
        case VK_SHIFT:
        case VK_LSHIFT:
        case VK_RSHIFT: return Qt::Key_Shift;
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL: return Qt::Key_Control;
        case VK_MENU:
        case VK_LMENU:
        case VK_RMENU: return Qt::Key_Alt;
        case VK_LWIN: return Qt::Key_Meta;
        case VK_APPS: return Qt::Key_Menu;
        case VK_CAPITAL: return Qt::Key_CapsLock;
        case VK_NUMLOCK: return Qt::Key_NumLock;
        case VK_SCROLL: return Qt::Key_ScrollLock;
        case VK_SPACE: return Qt::Key_Space;
        case VK_OEM_MINUS: return Qt::Key_Minus;
        case VK_OEM_PLUS: return Qt::Key_Equal;
        case VK_OEM_4: return Qt::Key_BracketLeft;
        case VK_OEM_6: return Qt::Key_BracketRight;
        case VK_OEM_5: return Qt::Key_Backslash;
        case VK_OEM_1: return Qt::Key_Semicolon;
        case VK_OEM_7: return Qt::Key_Apostrophe;
        case VK_OEM_COMMA: return Qt::Key_Comma;
        case VK_OEM_PERIOD: return Qt::Key_Period;
        case VK_OEM_2: return Qt::Key_Slash;
        case VK_OEM_3: return Qt::Key_QuoteLeft;
        case VK_MULTIPLY: keypad = true; return Qt::Key_Asterisk;
        case VK_ADD: keypad = true; return Qt::Key_Plus;
        case VK_SUBTRACT: keypad = true; return Qt::Key_Minus;
        case VK_DECIMAL: keypad = true; return Qt::Key_Period;
        case VK_DIVIDE: keypad = true; return Qt::Key_Slash;
        default: return 0;
    }
}

void SendKey(HWND wnd, QEvent::Type type, WORD vk, TShiftState shift, const char* text, bool autoRepeat) {
    QWidget* w = ClientWidget(wnd);
    if (!w) return;
    bool keypad = false;
    int key = QtKeyOf(vk, keypad);
    if (vk == VK_TAB && (shift & ssShift)) key = Qt::Key_Backtab;
    Qt::KeyboardModifiers mods = Modifiers(shift);
    if (keypad) mods |= Qt::KeypadModifier;
    QKeyEvent e(type, key, mods, 0, 0, 0, QString::fromUtf8(text ? text : ""), autoRepeat);
    QApplication::sendEvent(w, &e);
}

void SendMouse(HWND wnd, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y,
               TShiftState shift) {
    QWidget* w = ClientWidget(wnd);
    if (!w) return;
    TPoint screen(x, y);
    ClientToScreen(wnd, &screen);
    QMouseEvent e(type, QPointF(x, y), QPointF(screen.X, screen.Y), button, buttons, Modifiers(shift));
    QApplication::sendEvent(w, &e);
}

}  // namespace

void SimulateKeyDown(HWND Wnd, WORD VirtKey, TShiftState Shift, const char* TextUtf8, bool AutoRepeat) {
    SendKey(Wnd, QEvent::KeyPress, VirtKey, Shift, TextUtf8, AutoRepeat);
}

void SimulateKeyUp(HWND Wnd, WORD VirtKey, TShiftState Shift) { SendKey(Wnd, QEvent::KeyRelease, VirtKey, Shift, "", false); }

void SimulateKey(HWND Wnd, WORD VirtKey, TShiftState Shift, const char* TextUtf8) {
    // The modifier keys go down first and come up last, as on a keyboard.
    static const struct {
        TShiftState Bit;
        WORD Key;
    } modifiers[] = {{ssCtrl, VK_CONTROL}, {ssAlt, VK_MENU}, {ssShift, VK_SHIFT}};
    TShiftState held = 0;
    for (const auto& m : modifiers) {
        if (!(Shift & m.Bit) || m.Key == VirtKey) continue;
        held |= m.Bit;
        SendKey(Wnd, QEvent::KeyPress, m.Key, held, "", false);
    }
    SimulateKeyDown(Wnd, VirtKey, Shift, TextUtf8);
    SimulateKeyUp(Wnd, VirtKey, Shift);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) {
        if (!(held & it->Bit)) continue;
        held &= static_cast<TShiftState>(~it->Bit);
        SendKey(Wnd, QEvent::KeyRelease, it->Key, held, "", false);
    }
}

void SimulateTyping(HWND Wnd, const char* TextUtf8, TShiftState Shift) {
    QString text = QString::fromUtf8(TextUtf8);
    for (QChar c : text) {
        QWidget* w = ClientWidget(Wnd);
        if (!w) return;
        QChar upper = c.toUpper();
        int key = upper.unicode();
        if (c == ' ') key = Qt::Key_Space;
        Qt::KeyboardModifiers mods = Modifiers(Shift);
        if (c.isUpper()) mods |= Qt::ShiftModifier;
        QKeyEvent press(QEvent::KeyPress, key, mods, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void SimulateInputMethodCommit(HWND Wnd, const char* TextUtf8) {
    QWidget* w = ClientWidget(Wnd);
    if (!w) return;
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(TextUtf8));
    QApplication::sendEvent(w, &event);
}

void SimulateMouseMove(HWND Wnd, int X, int Y, TShiftState Shift) {
    SendMouse(Wnd, QEvent::MouseMove, Qt::NoButton, HeldButtons(Shift), X, Y, Shift);
}

void SimulateMouseDown(HWND Wnd, TSimButton Button, int X, int Y, TShiftState Shift) {
    Qt::MouseButton b = QtButton(Button);
    SendMouse(Wnd, QEvent::MouseButtonPress, b, HeldButtons(Shift) | b, X, Y, Shift);
}

void SimulateMouseUp(HWND Wnd, TSimButton Button, int X, int Y, TShiftState Shift) {
    Qt::MouseButton b = QtButton(Button);
    SendMouse(Wnd, QEvent::MouseButtonRelease, b, HeldButtons(Shift) & ~Qt::MouseButtons(b), X, Y, Shift);
}

void SimulateClick(HWND Wnd, int X, int Y, TShiftState Shift, TSimButton Button) {
    SimulateMouseDown(Wnd, Button, X, Y, Shift);
    SimulateMouseUp(Wnd, Button, X, Y, Shift);
}

void SimulateDoubleClick(HWND Wnd, int X, int Y, TShiftState Shift) {
    ResetDoubleClick();
    SimulateClick(Wnd, X, Y, Shift);
    // The second press arrives as Qt's double-click event, as on the desktop.
    SendMouse(Wnd, QEvent::MouseButtonDblClick, Qt::LeftButton, HeldButtons(Shift) | Qt::LeftButton, X, Y, Shift);
    SimulateMouseUp(Wnd, TSimButton::Left, X, Y, Shift);
}

void SimulateWheel(HWND Wnd, int Delta, int X, int Y, TShiftState Shift) {
    QWidget* w = ClientWidget(Wnd);
    if (!w) return;
    TPoint screen(X, Y);
    ClientToScreen(Wnd, &screen);
    QWheelEvent e(QPointF(X, Y), QPointF(screen.X, screen.Y), QPoint(), QPoint(0, Delta), HeldButtons(Shift),
                  Modifiers(Shift), Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void SimulateScrollBarClick(HWND Wnd, int Bar, TScrollBarPart Part) {
    QScrollBar* sb = ScrollBarWidget(Wnd, Bar);
    if (!sb || !sb->isVisibleTo(sb->parentWidget())) return;
    QStyleOptionSlider opt;
    opt.initFrom(sb);
    opt.subControls = QStyle::SC_All;
    opt.orientation = sb->orientation();
    opt.minimum = sb->minimum();
    opt.maximum = sb->maximum();
    opt.sliderPosition = sb->sliderPosition();
    opt.sliderValue = sb->value();
    opt.singleStep = sb->singleStep();
    opt.pageStep = sb->pageStep();
    opt.upsideDown = false;
    if (sb->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    QStyle::SubControl sc = QStyle::SC_ScrollBarAddLine;
    switch (Part) {
        case TScrollBarPart::LineUp: sc = QStyle::SC_ScrollBarSubLine; break;
        case TScrollBarPart::LineDown: sc = QStyle::SC_ScrollBarAddLine; break;
        case TScrollBarPart::PageUp: sc = QStyle::SC_ScrollBarSubPage; break;
        case TScrollBarPart::PageDown: sc = QStyle::SC_ScrollBarAddPage; break;
    }
    QRect r = sb->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, sb);
    QPointF p = r.center();
    QMouseEvent press(QEvent::MouseButtonPress, p, sb->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sb, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, sb->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(sb, &release);
}

void SimulateScrollBarDrag(HWND Wnd, int Bar, int Pixels) {
    QScrollBar* sb = ScrollBarWidget(Wnd, Bar);
    if (!sb) return;
    QStyleOptionSlider opt;
    opt.initFrom(sb);
    opt.subControls = QStyle::SC_All;
    opt.orientation = sb->orientation();
    opt.minimum = sb->minimum();
    opt.maximum = sb->maximum();
    opt.sliderPosition = sb->sliderPosition();
    opt.sliderValue = sb->value();
    opt.singleStep = sb->singleStep();
    opt.pageStep = sb->pageStep();
    if (sb->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    QRect thumb = sb->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, sb);
    QPointF from = thumb.center();
    QPointF to = sb->orientation() == Qt::Vertical ? from + QPointF(0, Pixels) : from + QPointF(Pixels, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, sb->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(sb, &press);
    QMouseEvent move(QEvent::MouseMove, to, sb->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sb, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, sb->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(sb, &release);
}

void ResetDoubleClick() { ResetDoubleClickTracking(); }

void PaintWindowNow(HWND Wnd) {
    PaintWindowPixels(Wnd);
    std::vector<HWND> kids;
    ChildWindows(Wnd, kids);
    for (HWND k : kids) PaintWindowNow(k);
}

COLORREF GetWindowPixel(HWND Wnd, int X, int Y) {
    const QImage& image = PaintWindowPixels(Wnd);
    if (image.isNull() || !image.rect().contains(X, Y)) return CLR_INVALID;
    QRgb c = image.pixel(X, Y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

COLORREF GetWindowImagePixel(HWND Wnd, int X, int Y) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return CLR_INVALID;
    PaintWindowNow(Wnd);
    QImage image = rec->Frame->grab().toImage();
    if (!image.rect().contains(X, Y)) return CLR_INVALID;
    QRgb c = image.pixel(X, Y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

bool SaveWindowImage(HWND Wnd, const AnsiString& FileName) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return false;
    PaintWindowNow(Wnd);
    QPixmap picture = rec->Frame->grab();
    return picture.save(ToQPath(FileName), "PNG");
}

bool SaveWindowsImage(const std::vector<HWND>& Windows, const AnsiString& FileName) {
    // Each window where it stands on the screen, later ones on top.
    QRect area;
    std::vector<std::pair<QRect, QPixmap>> shots;
    for (HWND wnd : Windows) {
        TWndHandle* rec = HandleRecord(wnd);
        if (!rec || !rec->Frame) return false;
        PaintWindowNow(wnd);
        QRect place(rec->Frame->mapToGlobal(QPoint(0, 0)), rec->Frame->size());
        shots.emplace_back(place, rec->Frame->grab());
        area = area.united(place);
    }
    if (area.isEmpty()) return false;
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter painter(&image);
    for (auto& [place, pixmap] : shots) painter.drawPixmap(place.topLeft() - area.topLeft(), pixmap);
    painter.end();
    return image.save(ToQPath(FileName), "PNG");
}
