// Painting: WM_PAINT into the window's pixels, graphic controls painted by
// their parent, drawing through GetDC between paints, scrolling the pixels,
// and a picture of a form for a person to look at.
#include <gtest/gtest.h>

#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

class TPainted : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;
    bool Stripes = false;

protected:
    void Paint() override {
        ++Paints;
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clYellow);
        c->FillRect(ClientRect());
        if (Stripes) {
            c->Brush()->SetColor(clRed);
            c->FillRect(TRect(0, 0, Width(), 10));
            c->Brush()->SetColor(clBlue);
            c->FillRect(TRect(0, 10, Width(), 20));
            return;
        }
        c->Brush()->SetColor(clWhite);
        c->Pen()->SetColor(clBlue);
        c->Rectangle(10, 10, 60, 40);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clRed);
        c->Font()->SetHeight(-16);
        c->TextOut(70, 12, "Tesk");
    }
};

class TDot : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clGreen);
        Canvas()->Pen()->SetColor(clBlack);
        Canvas()->Ellipse(0, 0, Width(), Height());
    }
};

class Painting : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        painted = Add<TPainted>("Painted", 20, 20, 160, 60);
        dot = new TDot(form);
        dot->SetParent(form);
        dot->SetBounds(220, 20, 60, 60);
        form->SetCaption("Tesk window test");
        form->Show();
        Application->ProcessMessages();
    }
    TPainted* painted = nullptr;
    TDot* dot = nullptr;
};

TEST_F(Painting, ControlsPaintTheirPartOfTheWindow) {
    HWND h = painted->Handle();
    EXPECT_EQ(GetWindowPixel(h, 2, 2), kYellow);
    EXPECT_EQ(GetWindowPixel(h, 10, 10), kBlue);   // the frame of the rectangle
    EXPECT_EQ(GetWindowPixel(h, 30, 30), RGB(255, 255, 255));
    // The graphic control is drawn on the form's pixels, in its own coordinates.
    HWND f = form->Handle();
    EXPECT_EQ(GetWindowPixel(f, 250, 50), kGreen);
    EXPECT_EQ(GetWindowPixel(f, 221, 21), GetSysColor(COLOR_BTNFACE));  // outside the ellipse
    EXPECT_EQ(GetWindowPixel(f, 5, 150), GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(SaveWindowImage(f, "/tmp/tesk-window-test.png"));
}

TEST_F(Painting, InvalidatedPartsAreRepaintedByTheLoopAndRepaintIsImmediate) {
    int before = painted->Paints;
    painted->Invalidate();
    EXPECT_EQ(painted->Paints, before);
    Application->ProcessMessages();
    EXPECT_EQ(painted->Paints, before + 1);
    painted->Repaint();
    EXPECT_EQ(painted->Paints, before + 2);
    Application->ProcessMessages();
    EXPECT_EQ(painted->Paints, before + 2);  // nothing left to paint
}

TEST_F(Painting, DrawingThroughGetDCLastsUntilTheNextPaint) {
    HWND h = painted->Handle();
    HDC dc = GetDC(h);
    TRect r(100, 40, 120, 50);
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &r, red);
    DeleteObject(red);
    // A focus rectangle drawn twice leaves the pixels as they were.
    TRect focus(5, 5, 150, 55);
    DrawFocusRect(dc, &focus);
    DrawFocusRect(dc, &focus);
    ReleaseDC(h, dc);
    EXPECT_EQ(GetWindowPixel(h, 105, 45), kRed);
    EXPECT_EQ(GetWindowPixel(h, 5, 5), kYellow);
    painted->Invalidate();
    EXPECT_EQ(GetWindowPixel(h, 105, 45), kYellow);

    // The canvas outside Paint draws the same way.
    painted->Canvas()->Brush()->SetColor(clBlue);
    painted->Canvas()->FillRect(TRect(0, 50, 10, 60));
    FreeDeviceContexts();
    EXPECT_EQ(GetWindowPixel(h, 3, 55), kBlue);
}

TEST_F(Painting, ScrollingMovesThePixelsAndLeavesTheUncoveredStripToPaint) {
    painted->Stripes = true;
    painted->Repaint();
    HWND h = painted->Handle();
    ASSERT_EQ(GetWindowPixel(h, 5, 15), kBlue);
    ScrollWindow(h, 0, -10, nullptr, nullptr);
    TRect update;
    ASSERT_TRUE(GetUpdateRect(h, &update, 0));
    EXPECT_EQ(update, TRect(0, 50, 160, 60));
    int paints = painted->Paints;
    EXPECT_EQ(GetWindowPixel(h, 5, 5), kBlue);  // moved up by the scroll, not repainted
    EXPECT_EQ(painted->Paints, paints + 1);     // reading ran the pass for the strip only
    EXPECT_EQ(GetWindowPixel(h, 5, 15), kYellow);
}

}  // namespace

namespace {

// A control that draws outside a paint, so its canvas keeps a window context.
class TOutsidePainter : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void DrawNow() { Canvas()->FillRect(TRect(0, 0, 5, 5)); }
    void DropHandle() { DestroyHandle(); }
};

using WindowContexts = WindowTest;

TEST_F(WindowContexts, DestroyingTheWindowGivesBackACanvasContextHeldOutsidePaint) {
    auto* c = Add<TOutsidePainter>("Outside", 0, 0, 20, 20);
    c->DrawNow();
    c->DropHandle();  // the window goes while the canvas still holds its context
    EXPECT_FALSE(c->HandleAllocated());
    c->DrawNow();     // a new window and a new context
    FreeObject(c);    // and the canvas lets go of that one cleanly
}

}  // namespace
