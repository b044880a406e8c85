// Window scroll bars: ranges, the client area they take, and user actions as
// WM_VSCROLL/WM_HSCROLL.
#include <gtest/gtest.h>

#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class TScrollProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TSize> Sizes;
    std::vector<std::pair<int, int>> Scrolls;  // code, position
    std::vector<int> TrackPositions;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_SIZE) Sizes.emplace_back(LOWORD(static_cast<uintptr_t>(m.LParam)), HIWORD(static_cast<uintptr_t>(m.LParam)));
        if (m.Msg == WM_VSCROLL) {
            Scrolls.emplace_back(LOWORD(m.WParam), static_cast<int16_t>(HIWORD(m.WParam)));
            if (LOWORD(m.WParam) == SB_THUMBTRACK) {
                SCROLLINFO si;
                si.fMask = SIF_TRACKPOS | SIF_POS;
                GetScrollInfo(Handle(), SB_VERT, &si);
                TrackPositions.push_back(si.nTrackPos);
                EXPECT_EQ(si.nPos, 0) << "the position stays until the window sets it";
            }
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

class ScrollBars : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        probe = Add<TScrollProbe>("Probe", 10, 10, 200, 150);
        form->Show();
        h = probe->Handle();
        probe->Sizes.clear();
    }
    int Set(UINT mask, int min, int max, UINT page, int pos) {
        SCROLLINFO si;
        si.fMask = mask;
        si.nMin = min;
        si.nMax = max;
        si.nPage = page;
        si.nPos = pos;
        return SetScrollInfo(h, SB_VERT, &si, 1);
    }
    SCROLLINFO Get() {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(h, SB_VERT, &si);
        return si;
    }
    TScrollProbe* probe = nullptr;
    HWND h = nullptr;
};

TEST_F(ScrollBars, RangePageAndPositionAreKeptWithinLimits) {
    struct {
        const char* Name;
        int Min, Max;
        UINT Page;
        int Pos;
        int ExpectPos;
        UINT ExpectPage;
        bool Visible;
    } cases[] = {
        {"plain", 0, 99, 10, 50, 50, 10, true},
        {"position past the last page", 0, 99, 10, 95, 90, 10, true},
        {"negative position", 0, 99, 10, -5, 0, 10, true},
        {"page larger than the range", 0, 9, 20, 3, 0, 10, false},
        {"everything fits", 0, 99, 100, 0, 0, 100, false},
        {"offset range", 10, 20, 0, 25, 20, 0, true},
        {"empty range", 5, 5, 0, 5, 5, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        int pos = Set(SIF_RANGE | SIF_PAGE | SIF_POS, c.Min, c.Max, c.Page, c.Pos);
        SCROLLINFO si = Get();
        EXPECT_EQ(pos, c.ExpectPos);
        EXPECT_EQ(si.nPos, c.ExpectPos);
        EXPECT_EQ(si.nMin, c.Min);
        EXPECT_EQ(si.nMax, c.Max);
        EXPECT_EQ(si.nPage, c.ExpectPage);
        EXPECT_EQ(IsScrollBarVisible(h, SB_VERT), c.Visible);
        EXPECT_EQ((GetWindowLong(h, GWL_STYLE) & static_cast<LONG>(WS_VSCROLL)) != 0, c.Visible);
    }
    // Without SIF_DISABLENOSCROLL a range that fits hides the bar; with it the bar stays, greyed.
    Set(SIF_RANGE | SIF_PAGE, 0, 99, 10, 0);
    Set(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 20, 0);
    EXPECT_TRUE(IsScrollBarVisible(h, SB_VERT));
    EXPECT_FALSE(IsScrollBarEnabled(h, SB_VERT));
    Set(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 99, 20, 0);
    EXPECT_TRUE(IsScrollBarEnabled(h, SB_VERT));
    EnableScrollBar(h, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_FALSE(IsScrollBarEnabled(h, SB_VERT));
    EnableScrollBar(h, SB_VERT, ESB_ENABLE_BOTH);
    EXPECT_TRUE(IsScrollBarEnabled(h, SB_VERT));
}

TEST_F(ScrollBars, ShowingABarShrinksTheClientAreaAndSendsWMSize) {
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    ASSERT_EQ(bar, 17);
    EXPECT_EQ(probe->ClientWidth(), 200);

    Set(SIF_RANGE | SIF_PAGE, 0, 99, 10, 0);
    EXPECT_EQ(probe->ClientWidth(), 200 - bar);
    EXPECT_EQ(probe->ClientHeight(), 150);
    ASSERT_EQ(probe->Sizes.size(), 1u);
    EXPECT_EQ(probe->Sizes[0], TSize(200 - bar, 150));

    // Changing the range while the bar stays sends nothing.
    Set(SIF_RANGE | SIF_PAGE, 0, 199, 10, 0);
    EXPECT_EQ(probe->Sizes.size(), 1u);

    ShowScrollBar(h, SB_HORZ, 1);
    EXPECT_EQ(probe->ClientHeight(), 150 - GetSystemMetrics(SM_CYHSCROLL));
    ASSERT_EQ(probe->Sizes.size(), 2u);

    ShowScrollBar(h, SB_BOTH, 0);
    EXPECT_EQ(probe->ClientRect(), TRect(0, 0, 200, 150));
    EXPECT_EQ(probe->Sizes.back(), TSize(200, 150));
    EXPECT_EQ(probe->Sizes.size(), 3u);
}

TEST_F(ScrollBars, UserActionsArriveAsWMVScrollWithTheirCodes) {
    Set(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0);
    probe->Scrolls.clear();

    SimulateScrollBarClick(h, SB_VERT, TScrollBarPart::LineDown);
    SimulateScrollBarClick(h, SB_VERT, TScrollBarPart::PageDown);
    SimulateScrollBarClick(h, SB_VERT, TScrollBarPart::LineUp);
    using P = std::pair<int, int>;
    EXPECT_EQ(probe->Scrolls, (std::vector<P>{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0},
                                              {SB_ENDSCROLL, 0}, {SB_LINEUP, 0}, {SB_ENDSCROLL, 0}}));
    // Only the window moves the bar.
    EXPECT_EQ(Get().nPos, 0);

    probe->Scrolls.clear();
    SimulateScrollBarDrag(h, SB_VERT, 40);
    ASSERT_GE(probe->Scrolls.size(), 3u);
    EXPECT_EQ(probe->Scrolls.front().first, SB_THUMBTRACK);
    int track = probe->Scrolls.front().second;
    EXPECT_GT(track, 0);
    ASSERT_EQ(probe->TrackPositions.size(), 1u);
    EXPECT_EQ(probe->TrackPositions[0], track);
    EXPECT_EQ(probe->Scrolls[1], P(SB_THUMBPOSITION, track));
    EXPECT_EQ(probe->Scrolls[2], P(SB_ENDSCROLL, 0));
    EXPECT_EQ(Get().nPos, 0);
}

TEST_F(ScrollBars, BordersAndBarsComeOffTheClientArea) {
    struct TBordered : public TCustomControl {
        using TCustomControl::TCustomControl;
        void CreateParams(TCreateParams& p) override {
            TCustomControl::CreateParams(p);
            p.ExStyle |= WS_EX_CLIENTEDGE;
            p.Style |= WS_BORDER;
        }
    };
    auto* boxed = Add<TBordered>("Boxed", 220, 10, 100, 80);
    HWND bh = boxed->Handle();
    EXPECT_EQ(boxed->ClientRect(), TRect(0, 0, 94, 74));
    ShowScrollBar(bh, SB_VERT, 1);
    EXPECT_EQ(boxed->ClientRect(), TRect(0, 0, 94 - 17, 74));
    TPoint origin;
    ClientToScreen(bh, &origin);
    TRect window;
    GetWindowRect(bh, &window);
    EXPECT_EQ(origin, TPoint(window.Left + 3, window.Top + 3));
    EXPECT_EQ(SendMessage(bh, WM_NCHITTEST, 0, MAKELPARAM(window.Right - 5, window.Top + 20)), HTVSCROLL);
    EXPECT_EQ(SendMessage(bh, WM_NCHITTEST, 0, MAKELPARAM(window.Left + 10, window.Top + 10)), HTCLIENT);
    // The border outside, the sunken edge inside it.
    EXPECT_EQ(GetWindowImagePixel(bh, 0, 40), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetWindowImagePixel(bh, 1, 40), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetWindowImagePixel(bh, 2, 40), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetWindowImagePixel(bh, 99, 40), GetSysColor(COLOR_WINDOWFRAME));
}

}  // namespace
