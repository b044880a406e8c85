#pragma once
// Shared set-up of the grid paste fuzz targets: the windowing platform
// offscreen, a grid over an in-memory table of three records (text, integer,
// float, date, boolean and memo fields, and a column that maps keys to
// picked texts), and the paste run with the first input byte choosing the
// selection. Every error question is answered Yes. A finding is a crash, a
// hang, or a paste that leaves the table's controls disabled (a record left
// in edit is the paste's way: it is posted when the table moves on).
#include <stdlib.h>

#include <memory>
#include <string>

#include "fuzz/FuzzPlatform.h"
#include "grid/DBGridGxImpExp.h"
#include "grid/GridRegistration.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace gridfuzz {

class YesDialogs : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest&) override { return mrYes; }
    bool FileDialog(TFileDialogRequest&) override { return false; }
};

struct TGridFixture {
    TForm* Form = nullptr;
    TStMemoryData* Table = nullptr;
    TDBGridGx* Grid = nullptr;
};

inline TGridFixture& Fixture() {
    static TGridFixture f = [] {
        fuzzplatform::StartOffscreen();
        RegisterGridLibrary();
        SetDialogService(std::make_shared<YesDialogs>());
        TGridFixture g;
        g.Form = CreateForm<TForm>(nullptr);
        g.Form->SetBounds(0, 0, 500, 300);
        g.Table = new TStMemoryData(g.Form);
        g.Table->FieldDefs()->Add("Name", ftString, 20);
        g.Table->FieldDefs()->Add("Amount", ftInteger);
        g.Table->FieldDefs()->Add("Price", ftFloat);
        g.Table->FieldDefs()->Add("When", ftDateTime);
        g.Table->FieldDefs()->Add("Flag", ftBoolean);
        g.Table->FieldDefs()->Add("Note", ftMemo);
        g.Table->FieldDefs()->Add("Kind", ftInteger);
        auto* source = new TDataSource(g.Form);
        source->SetDataSet(g.Table);
        g.Grid = new TDBGridGx(g.Form);
        g.Grid->SetParent(g.Form);
        g.Grid->SetBounds(0, 0, 480, 200);
        g.Grid->SetDataSource(source);
        for (const char* n : {"Name", "Amount", "Price", "When", "Flag", "Note", "Kind"})
            g.Grid->Columns()->Add()->SetFieldName(n);
        TColumnGx* kind = g.Grid->Columns()->Items(6);
        kind->KeyList()->SetText("1\n2");
        kind->PickList()->SetText("one\ntwo");
        g.Grid->SetDrawMemoText(true);
        return g;
    }();
    return f;
}

// Three known records, nothing selected, the first record and column current.
inline void Reset(TGridFixture& G) {
    G.Table->Close();
    G.Table->Open();
    for (int i = 1; i <= 3; ++i) {
        G.Table->Append();
        G.Table->FieldByName("Name")->SetAsString("n" + std::to_string(i));
        G.Table->FieldByName("Amount")->SetAsInteger(i);
        G.Table->FieldByName("Kind")->SetAsInteger(1 + i % 2);
        G.Table->Post();
    }
    G.Table->First();
    G.Grid->ClearSelection();
    G.Grid->SetSelectedIndex(0);
}

// Byte 0: bit 0 the whole grid, bits 1-2 the selection (none, records 1 and 3,
// a rectangle, two columns), bit 3 the table in insert state. The rest is the block.
inline void Paste(const uint8_t* Data, size_t Size, TDBGridGxImportClass Reader) {
    if (Size == 0) return;
    TGridFixture& g = Fixture();
    Reset(g);
    const uint8_t mode = Data[0];
    TBookmarkStr first, last;
    g.Table->First();
    first = g.Table->Bookmark();
    g.Table->Last();
    last = g.Table->Bookmark();
    switch ((mode >> 1) & 3) {
        case 1:
            g.Table->First();
            g.Grid->SelectedRows()->SetCurrentRowSelected(true);
            g.Table->Last();
            g.Grid->SelectedRows()->SetCurrentRowSelected(true);
            break;
        case 2:
            g.Grid->Selection()->Rect()->Select(1, first, false);
            g.Grid->Selection()->Rect()->Select(4, last, true);
            break;
        case 3:
            g.Grid->Selection()->Columns()->Select(g.Grid->Columns()->Items(6), false);
            g.Grid->Selection()->Columns()->Select(g.Grid->Columns()->Items(2), true);
            break;
        default: break;
    }
    g.Table->First();
    if (mode & 8) g.Table->Insert();
    TMemoryStream stream;
    stream.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
    stream.SetPosition(0);
    try {
        ReadGridFromImportStream(Reader, g.Grid, &stream, (mode & 1) != 0);
    } catch (const Exception&) {
        // Format errors and refused values are the reader's answers to bad input.
    }
    if (g.Table->ControlsDisabled()) abort();
    if (g.Table->State() != dsBrowse) g.Table->Cancel();
}

}  // namespace gridfuzz
