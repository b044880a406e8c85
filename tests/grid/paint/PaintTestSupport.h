#pragma once
// A canvas on the recording device, for the painting tests of this folder.
#include <gtest/gtest.h>

#include "platform/gui/Graphics.h"
#include "platform/gui/RecordingDevice.h"

class RecordingCanvasTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec, TSize(400, 300));
        canvas.SetHandle(dc);
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(-13);
        canvas.Brush()->SetColor(clBtnFace);
    }
    void TearDown() override {
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
    }
    // The calls made at the top level (not those made inside other calls).
    std::vector<TGdiCall> Top(TGdiCallKind kind) const { return rec->Calls(kind, 0); }
    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    TCanvas canvas;
};
