// The tool controls driven by messages: the size grip.
#include <gtest/gtest.h>

#include <memory>

#include "grid/ToolCtrlsGx.h"

namespace {

// A top-level window like a drop-down list.
class TPopupWindow : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    }
};

class SizeGripTest : public testing::Test {
protected:
    void SetUp() override {
        popup.reset(new TPopupWindow(nullptr));
        popup->SetBounds(200, 200, 150, 100);
        grip = new TSizeGripGx(popup.get());
        grip->SetParent(popup.get());
        grip->OnParentResized = MakeEvent(this, &SizeGripTest::Resized);
        grip->UpdatePosition();
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    }
    void Resized(TObject*) { ++resized; }
    LPARAM At(TPoint screen) {
        TPoint p = grip->ScreenToClient(screen);
        return MAKELPARAM(p.X, p.Y);
    }
    // Presses the grip at a point of its own and drags by (dx, dy) on the screen.
    void Drag(int dx, int dy) {
        TPoint start = grip->ClientToScreen(TPoint(5, 5));
        grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(TPoint(start.X + dx, start.Y + dy)));
        grip->Perform(WM_LBUTTONUP, 0, At(TPoint(start.X + dx, start.Y + dy)));
    }
    std::unique_ptr<TCustomControl> popup;
    TSizeGripGx* grip = nullptr;
    int resized = 0;
    TRect work;
};

TEST_F(SizeGripTest, SitsInItsCornerAndMovesToTheSideItIsTold) {
    EXPECT_EQ(grip->Width(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(grip->BoundsRect(), Bounds(150 - grip->Width(), 100 - grip->Height(), grip->Width(), grip->Height()));
    struct {
        TSizeGripPosition From;
        int Side;
        TSizeGripPosition To;
    } cases[] = {
        {sgpBottomRight, gsLeftGx, sgpBottomLeft}, {sgpTopRight, gsLeftGx, sgpTopLeft},
        {sgpTopLeft, gsLeftGx, sgpTopLeft},        {sgpBottomLeft, gsRightGx, sgpBottomRight},
        {sgpTopLeft, gsRightGx, sgpTopRight},      {sgpBottomLeft, gsTopGx, sgpTopLeft},
        {sgpBottomRight, gsTopGx, sgpTopRight},    {sgpTopRight, gsBottomGx, sgpBottomRight},
        {sgpTopLeft, gsBottomGx, sgpBottomLeft},   {sgpBottomRight, gsBottomGx, sgpBottomRight},
    };
    for (auto& c : cases) {
        grip->SetPosition(c.From);
        grip->ChangePosition(c.Side);
        EXPECT_EQ(grip->Position(), c.To) << c.From << " side " << c.Side;
    }
    grip->SetPosition(sgpTopLeft);
    EXPECT_EQ(grip->BoundsRect().TopLeft(), TPoint(0, 0));
}

TEST_F(SizeGripTest, DraggingResizesTheParentFromTheGripsCorner) {
    Drag(30, 20);
    EXPECT_EQ(popup->BoundsRect(), TRect(200, 200, 380, 320));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(grip->BoundsRect().BottomRight(), TPoint(180, 120));

    // A grip on the left moves the left edge; the right one stays.
    grip->SetPosition(sgpBottomLeft);
    Drag(-30, 0);
    EXPECT_EQ(popup->BoundsRect(), TRect(170, 200, 380, 320));
    EXPECT_EQ(grip->BoundsRect().TopLeft(), TPoint(0, 120 - grip->Height()));

    // The parent stays inside the work area.
    grip->SetPosition(sgpBottomRight);
    Drag(work.Right + 500, work.Bottom + 500);
    EXPECT_EQ(popup->BoundsRect().Right, work.Right);
    EXPECT_EQ(popup->BoundsRect().Bottom, work.Bottom);
    // Released: moving the mouse does nothing more.
    TRect now = popup->BoundsRect();
    grip->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(popup->BoundsRect(), now);
}

}  // namespace
