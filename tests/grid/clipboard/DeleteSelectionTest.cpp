// Deleting the selection (the question per kind and its answer), cutting,
// and the grid's clipboard keys reaching the routines.
#include "grid/GxLibVCL.h"
#include "platform/gui/InputSimulation.h"
#include "tests/grid/clipboard/ClipboardTestSupport.h"

using namespace cliptest;

using Table = std::vector<std::vector<std::string>>;

class DeleteSelection : public ClipboardTest {};

TEST_F(DeleteSelection, AsksPerKindAndDoesWhatItSays) {
    enum Kind { kRows, kOneRow, kRectangle, kColumns, kWhole };
    struct Case {
        const char* Name;
        Kind What;
        bool Confirm;
        int Answer;
        const char* Question;  // nullptr: none asked; "cells": the clear-cells question
        Table After;            // Name, Amount, Price of the records left
    };
    const Table all = {{"alpha", "10", "1.5"}, {"b;eta \"q\"", "20", "<null>"}, {"gam{m}a\\", "-30", "2.25"}, {"delta", "40", "0.5"}};
    const std::vector<Case> cases = {
        {"two records", kRows, true, mrOk, "Delete all selected records?", {all[1], all[3]}},
        {"one record refused", kOneRow, true, mrCancel, "Delete record?", all},
        {"records unasked", kRows, false, mrCancel, nullptr, {all[1], all[3]}},
        {"rectangle", kRectangle, true, mrOk, "cells",
         {all[0], {"<null>", "<null>", "<null>"}, {"<null>", "<null>", "<null>"}, all[3]}},
        {"rectangle refused", kRectangle, true, mrCancel, "cells", all},
        {"columns never asked", kColumns, true, mrCancel, nullptr,
         {{"alpha", "10", "<null>"}, {"b;eta \"q\"", "20", "<null>"}, {"gam{m}a\\", "-30", "<null>"}, {"delta", "40", "<null>"}}},
        {"whole grid asked", kWhole, true, mrOk, "Delete all selected records?", {}},
        {"whole grid refused", kWhole, true, mrCancel, "Delete all selected records?", all},
        {"whole grid unasked", kWhole, false, mrCancel, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ResetItems();
        grid->ClearSelection();
        TDBGridOptions options = grid->Options();
        if (c.Confirm) options.Include(dgConfirmDelete);
        else options.Exclude(dgConfirmDelete);
        grid->SetOptions(options);
        switch (c.What) {
            case kRows: SelectRecords({3, 1}); break;
            case kOneRow: SelectRecords({2}); break;
            case kRectangle: SelectRectangle(2, 2, 0, 3); break;
            case kColumns: grid->Selection()->Columns()->Select(Column(grid, 2), false); break;
            case kWhole: break;
        }
        items->Locate("ID", 4, {});
        dialogs = std::make_shared<TScriptedDialogService>();
        SetDialogService(dialogs);
        dialogs->QueueAnswer(c.Answer);
        GridDeleteSelection(grid, c.What == kWhole);
        if (c.Question) {
            ASSERT_EQ(dialogs->Messages.size(), 1u);
            const AnsiString question = std::string(c.Question) == "cells" ? SClearSelectedCellsGx() : AnsiString(c.Question);
            EXPECT_EQ(dialogs->Messages[0].Text, question);
            EXPECT_EQ(dialogs->Messages[0].Buttons, MsgDlgButtons({mbOK, mbCancel}));
        } else {
            EXPECT_TRUE(dialogs->Messages.empty());
        }
        EXPECT_EQ(items->State(), dsBrowse);
        EXPECT_FALSE(items->ControlsDisabled());
        EXPECT_EQ(Rows(items, {"Name", "Amount", "Price"}), c.After);
        items->Close();
        items->Open();  // the file says the same
        EXPECT_EQ(Rows(items, {"Name", "Amount", "Price"}), c.After);
    }
}

TEST_F(DeleteSelection, ClearedCellsKeepThePosition) {
    SelectRectangle(0, 1, 1, 2);
    items->Locate("ID", 3, {});
    grid->SetOptions(grid->Options() - TDBGridOptions{dgConfirmDelete});
    GridDeleteSelection(grid, false);
    EXPECT_EQ(items->FieldByName("ID")->AsInteger(), 3);
    EXPECT_TRUE(items->FieldByName("Name")->AsString() == "gam{m}a\\");
}

TEST_F(DeleteSelection, CutCopiesThenDeletes) {
    grid->SetOptions(grid->Options() - TDBGridOptions{dgTitles, dgConfirmDelete});
    SelectRecords({2});
    GridCutToClipboard(grid, false);
    EXPECT_EQ(Clipboard()->AsText(), "b;eta \"q\"\t20\t\tline1\r\nline2");
    EXPECT_EQ(Rows(items, {"ID"}), (Table{{"1"}, {"3"}, {"4"}}));
    GridPasteFromClipboard(target, true);
    EXPECT_EQ(Rows(copies), (Table{{"b;eta \"q\"", "20", "<null>", "line1\r\nline2"}}));
}

TEST_F(DeleteSelection, ClipboardKeysReachTheRoutines) {
    grid->SetOptions(grid->Options() - TDBGridOptions{dgTitles} + dgMultiSelect);
    grid->SetEditActions({geaCopyGx});
    grid->SetFocus();
    Application->ProcessMessages();
    SelectRecords({1});
    SimulateKey(grid->Handle(), 'C', ssCtrl);
    Application->ProcessMessages();
    EXPECT_EQ(Clipboard()->AsText(), "alpha\t10\t1.5\tplain");

    target->SetEditActions({geaPasteGx});
    target->SetFocus();
    Application->ProcessMessages();
    SimulateKey(target->Handle(), 'V', ssCtrl);
    Application->ProcessMessages();
    EXPECT_EQ(Rows(copies), (Table{{"alpha", "10", "1.5", "plain"}}));
}
