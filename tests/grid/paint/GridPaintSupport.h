#pragma once
// A shown form with a grid over an in-memory data set, painted on the
// recording device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RecordingDevice.h"

namespace gridpaint {

class GridPaintTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec, TSize(800, 600));
        form = CreateForm<TForm>(nullptr);
        form->SetName("PaintForm");
        form->SetBounds(30, 30, 700, 500);
        data = new TStMemoryData(form);
        data->FieldDefs()->Add("ID", ftInteger);
        data->FieldDefs()->Add("Name", ftString, 20);
        data->FieldDefs()->Add("Metal", ftInteger);
        source = new TDataSource(form);
        source->SetDataSet(data);
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        DeleteDC(dc);
    }
    // Opens the data set with Count rows: ID i, Name "Planet i", Metal i * 100.
    void Fill(int Count = 6) {
        data->Open();
        for (int i = 1; i <= Count; ++i) {
            data->Append();
            data->FieldByName("ID")->SetAsInteger(i);
            data->FieldByName("Name")->SetAsString("Planet " + std::to_string(i));
            data->FieldByName("Metal")->SetAsInteger(i * 100);
            data->Post();
        }
        data->First();
    }
    template <class T = TDBGridGx>
    T* MakeGrid(int Width = 420, int Height = 200) {
        T* g = new T(form);
        g->SetName("Grid");
        g->SetParent(form);
        g->SetBorderStyle(bsNone);
        g->SetBounds(0, 0, Width, Height);
        form->Show();
        g->SetDataSource(source);
        return g;
    }
    // One paint of the whole grid on the recording device.
    void Paint(TWinControl* g) {
        rec->Clear();
        g->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    static bool Inside(const TRect& inner, const TRect& outer) {
        return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
               inner.Bottom <= outer.Bottom;
    }
    // Text drawn by the cell routines (single-line text comes as ExtTextOut clipped to the cell).
    std::vector<TGdiCall> TextsIn(const TRect& cell) const {
        std::vector<TGdiCall> out;
        for (const TGdiCall& c : rec->Calls()) {
            if (c.Kind == TGdiCallKind::ExtTextOut && c.Depth == 0 && Inside(c.SourceRect, cell)) out.push_back(c);
            if (c.Kind == TGdiCallKind::DrawText && c.Depth == 0 && Inside(c.Rect, cell)) out.push_back(c);
        }
        return out;
    }
    std::vector<TGdiCall> Calls(TGdiCallKind kind) const { return rec->Calls(kind, 0); }

    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    TForm* form = nullptr;
    TStMemoryData* data = nullptr;
    TDataSource* source = nullptr;
};

}  // namespace gridpaint
