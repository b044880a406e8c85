#pragma once
// Fixtures of the grid's keys, mouse and selection tests: a shown grid over
// the planet table, driven through simulated input on the fake clock.
#include <string>
#include <vector>

#include "tests/grid/core/GridCoreSupport.h"

namespace gridtest {

class GridInputTest : public GridTest {
protected:
    // A focused grid with Name, Galaxy, Metal and Player columns over an open query.
    TDBGridGx* MakeInputGrid(TDBGridOptions Options, int Width = 420, int Height = 220) {
        TDBGridGx* g = MakeGrid(Width, Height);
        g->SetDataSource(source);
        for (const char* n : {"Name", "Galaxy", "Metal", "Player"}) g->Columns()->Add()->SetFieldName(n);
        g->SetOptions(Options);
        if (!query->Active()) Open();
        g->SetFocus();
        Application->ProcessMessages();
        return g;
    }
    // Lets Ms milliseconds pass on the fake clock and runs what fell due.
    void Wait(DWORD Ms) {
        tick += Ms;
        Application->ProcessMessages();
    }
    int RecNo() { return query->RecNo(); }
    // The IDs of the selected records, in list order; the view stays as it was
    // (the grid keeps and restores it, as the main window does around a walk).
    std::vector<int> SelectedRecNos(TCustomDBGridGx* g) {
        std::vector<int> ids;
        int row = g->Row();
        g->SaveBookmark();
        for (int i = 0; i < g->SelectedRows()->Count(); ++i) {
            query->GotoBookmark(g->SelectedRows()->Items(i));
            ids.push_back(query->FieldByName("ID")->AsInteger());
        }
        g->RestoreBookmark();
        EXPECT_EQ(g->Row(), row);
        return ids;
    }
};

inline TDBGridOptions RowSelectMulti() {
    return TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                          dgConfirmDelete, dgCancelOnExit, dgMultiSelect};
}

inline TDBGridOptions CellMulti() {
    return TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                          dgConfirmDelete, dgCancelOnExit, dgMultiSelect};
}

}  // namespace gridtest
