#pragma once
// Insides of the controls that show a native widget, shared by the control
// sources of platform/gui only.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <utility>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtText_p.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WinApi.h"

// The widget of a control (TWidgetControl); controls keep more beside it in a
// derived record.
struct TNativeWidget {
    explicit TNativeWidget(QWidget* Widget) : Widget(Widget) {}
    virtual ~TNativeWidget() = default;
    QPointer<QWidget> Widget;
    // The control's Color fills the widget (Base for a text box, Window for the rest).
    bool Background = false;
    bool TextBox = false;
};

// Line ends of the text the program sees (CR LF) and of the widgets (LF).
QString ToQText(const AnsiString& Text);
AnsiString FromQText(const QString& Text);

// Runs a control's code for a signal of its widget: an exception goes to the
// application's handler and never through the widget's own code.
template <class F>
void FromWidget(F&& Fn) {
    ProtectedCall(std::forward<F>(Fn));
}

// The record of a control as its own type.
template <class N>
N* NativeOf(const TWidgetControl* Control) {
    return static_cast<N*>(Control->NativeWidget());
}

// The canvas's context with its font and brush selected, for the drawing calls
// made on it directly (DrawText on Canvas->Handle()).
inline HDC TextDC(TCanvas* Canvas) {
    Canvas->TextExtent(AnsiString());
    Canvas->FillRect(TRect());
    return Canvas->Handle();
}

// Applies a control's font and colours to a widget: the text colour always,
// the background (Base for text boxes, Window for the rest) when Background.
void ApplyControlLook(QWidget* Widget, TControl* Control, bool Background, bool TextBox);
