// The grid's find dialog driven as a user drives it: typing the pattern,
// choosing the options and clicking "find next" (Ctrl held to reverse), on a
// grid over a SQLite table; and opened by Ctrl+F as a modal dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "grid/DBGridGxFindDlg.h"
#include "grid/GxLibVCL.h"
#include "tests/grid/edits/EditTestSupport.h"

using namespace edittest;

namespace {

// Name / Owner / Size of the five rows searched.
const char* kRows =
    "CREATE TABLE Star (ID INTEGER PRIMARY KEY, Name VARCHAR(20), Owner VARCHAR(20), Size INTEGER);"
    "INSERT INTO Star VALUES (1, 'Alpha', 'ab', 10);"
    "INSERT INTO Star VALUES (2, 'Cab', 'Xy', 20);"
    "INSERT INTO Star VALUES (3, 'ABC', 'zz', 30);"
    "INSERT INTO Star VALUES (4, 'Beta', 'AB', 40);"
    "INSERT INTO Star VALUES (5, 'Gamma', 'cab', 50);";

class FindDialog : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        db.Exec(kRows);
        query->SQL()->SetText("SELECT * FROM Star ORDER BY ID");
        grid = new TDBGridGx(form);
        grid->SetName("grdStars");
        grid->SetParent(form);
        grid->SetBounds(8, 8, 380, 200);
        for (const char* f : {"Name", "Owner", "Size"}) {
            TColumnGx* c = grid->Columns()->Add();
            c->SetFieldName(f);
            c->Title()->SetCaption(AnsiString("T") + f);
        }
        grid->SetDataSource(source);
        query->Open();
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override {
        if (TDBGridGxFindDlg* d = DBGridGxFindDlg()) d->Hide();
        EditTest::TearDown();
    }
    // Opens the dialog on the grid (not modal, so that the test drives it) with the options given.
    TDBGridGxFindDlg* Open(const char* Pattern, const AnsiString& Match, const AnsiString& Direction, bool CaseOn,
                           const char* FindIn = nullptr, bool UseFormat = true) {
        ShowGridFindDialog(grid, "", nullptr, false);
        TDBGridGxFindDlg* d = DBGridGxFindDlg();
        d->cbMatchinType->SetValue(Variant(Match));
        d->cbFindDirection->SetValue(Variant(Direction));
        d->cbCharCase->SetStateProp(CaseOn ? cbChecked : cbUnchecked);
        d->cbUseFormat->SetStateProp(UseFormat ? cbChecked : cbUnchecked);
        d->cbFindIn->SetValue(Variant(FindIn ? AnsiString(FindIn) : SFindAllColumnsGx()));
        d->cbText->SelectAll();
        EXPECT_TRUE(d->Visible());
        Type(d->cbText, Pattern);
        return d;
    }
    // Clicks "find next" and answers where the grid stands: "<name>.<column caption>".
    std::string Next(TDBGridGxFindDlg* d, TShiftState Shift = 0) {
        TRect r = d->bFind->ClientRect();
        SimulateClick(d->bFind->Handle(), r.Width() / 2, r.Height() / 2, Shift);
        return Place();
    }
    std::string Place() {
        int col = grid->SelectedIndex();
        return std::string(query->FieldByName("Name")->AsString()) + "." +
               std::string(col >= 0 ? grid->Columns()->Items(col)->Title()->Caption() : AnsiString("?"));
    }
    TDBGridGx* grid = nullptr;
};

TEST_F(FindDialog, OptionsAndTheHitsEachClickFinds) {
    const AnsiString any = SFindMatchAnyPartGx(), whole = SFindMatchWholeGx(), start = SFindMatchFromStartGx();
    const AnsiString all = SFindDirectionAllGx(), down = SFindDirectionDownGx(), up = SFindDirectionUpGx();
    struct {
        const char* Name;
        const char* Pattern;
        AnsiString Match, Direction;
        bool CaseOn;
        const char* FindIn;
        int StartRecNo;
        std::vector<std::string> Hits;  // then "not found"
        TShiftState Shift = 0;          // held on each click
    } cases[] = {
        {"any part, all columns", "ab", any, all, false, nullptr, 3,
         {"Alpha.TOwner", "Cab.TName", "ABC.TName", "Beta.TOwner", "Gamma.TOwner"}},
        {"from the start", "ab", start, all, false, nullptr, 1, {"Alpha.TOwner", "ABC.TName", "Beta.TOwner"}},
        {"whole cell", "ab", whole, all, false, nullptr, 1, {"Alpha.TOwner", "Beta.TOwner"}},
        {"case on (the column follows)", "ab", any, all, true, nullptr, 1, {"Alpha.TOwner", "Cab.TName", "Gamma.TOwner"}},
        {"one column", "ab", any, all, false, "TName", 1, {"Cab.TName", "ABC.TName"}},
        {"down from the current record", "ab", any, down, false, nullptr, 3,
         {"ABC.TName", "Beta.TOwner", "Gamma.TOwner"}},
        {"up from the current record", "ab", any, up, false, nullptr, 4, {"Beta.TOwner", "ABC.TName", "Cab.TName", "Alpha.TOwner"}},
        {"formatted sizes", "0 km", any, all, false, "TSize", 1, {"Alpha.TSize", "Cab.TSize", "ABC.TSize", "Beta.TSize", "Gamma.TSize"}},
        // Backward through all records starts at the last one, from its last column.
        {"all, backward with Ctrl", "ab", any, all, false, nullptr, 2,
         {"Gamma.TOwner", "Beta.TOwner", "ABC.TName", "Cab.TName", "Alpha.TOwner"}, ssCtrl},
        {"all, backward, one column", "a", any, all, false, "TName", 1, {"Gamma.TName", "Beta.TName", "ABC.TName", "Cab.TName", "Alpha.TName"}, ssCtrl},
        // An empty pattern occurs in no cell.
        {"empty pattern, any part", "", any, all, false, nullptr, 3, {}},
        {"empty pattern, any part, down", "", any, down, false, "TName", 2, {}},
        {"empty pattern, whole cell", "", whole, all, false, nullptr, 3, {}},
    };
    static_cast<TNumericField*>(query->FieldByName("Size"))->SetDisplayFormat("0 km");
    for (auto& c : cases) {
        query->SetRecNo(c.StartRecNo);
        dialogs->Messages.clear();
        TDBGridGxFindDlg* d = Open(c.Pattern, c.Match, c.Direction, c.CaseOn, c.FindIn);
        ASSERT_EQ(d->cbText->Text(), c.Pattern);
        ASSERT_EQ(d->cbFindDirection->Text(), c.Direction);
        const std::string start = Place();
        for (const std::string& hit : c.Hits) {
            EXPECT_EQ(Next(d, c.Shift), hit) << c.Name;
            EXPECT_TRUE(dialogs->Messages.empty()) << c.Name;
        }
        // One more: nothing after the last hit; the grid stays on it.
        const std::string last = c.Hits.empty() ? start : c.Hits.back();
        EXPECT_EQ(Next(d, c.Shift), last) << c.Name;
        ASSERT_EQ(dialogs->Messages.size(), 1u) << c.Name;
        EXPECT_EQ(dialogs->Messages[0].Text, Format(STextNotFoundGx(), {AnsiString(c.Pattern)})) << c.Name;
        EXPECT_FALSE(query->ControlsDisabled()) << c.Name;
    }
}

TEST_F(FindDialog, CtrlReversesTheDirectionAndNotFoundRestoresThePlace) {
    query->SetRecNo(3);
    TDBGridGxFindDlg* d = Open("ab", SFindMatchAnyPartGx(), SFindDirectionUpGx(), false);
    // "Up" with Ctrl held searches downward (from the last column, where an upward search starts).
    EXPECT_EQ(Next(d, ssCtrl), "Beta.TOwner");
    EXPECT_EQ(Next(d, ssCtrl), "Gamma.TOwner");
    EXPECT_EQ(Next(d), "Beta.TOwner");
    // A pattern nowhere: the message, and the grid where it was.
    d->cbText->SelectAll();
    Type(d->cbText, "nowhere");
    query->SetRecNo(2);
    grid->SetSelectedIndex(2);
    EXPECT_EQ(Next(d), "Cab.TSize");
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Text, FromUtf8Literal("Строка \"nowhere\" не найдена."));
    // Each searched text joins the list of texts.
    EXPECT_GE(d->cbText->Items()->IndexOf("nowhere"), 0);
    EXPECT_GE(d->cbText->Items()->IndexOf("ab"), 0);
}

TEST_F(FindDialog, PlainTextOfTheFieldWithoutTheFormat) {
    static_cast<TNumericField*>(query->FieldByName("Size"))->SetDisplayFormat("0 km");
    TDBGridGxFindDlg* d = Open("40", SFindMatchWholeGx(), SFindDirectionAllGx(), false, "TSize", false);
    EXPECT_EQ(Next(d), "Beta.TSize");
    d->cbUseFormat->SetStateProp(cbChecked);
    d->cbText->SelectAll();
    Type(d->cbText, "40 km");
    EXPECT_EQ(Next(d), "Beta.TSize");
}

TEST_F(FindDialog, AWalkThatFailsPutsTheGridBackAndEnablesTheControls) {
    // The third record's name cannot be shown.
    struct TFailing {
        bool armed = false;
        void GetText(TField* Sender, AnsiString& Text, bool) {
            if (armed && Sender->DataSet()->RecNo() == 3) throw Exception("cannot show this name");
            Text = Sender->AsString();
        }
    } failing;
    query->FieldByName("Name")->OnGetText = MakeEvent(&failing, &TFailing::GetText);
    query->SetRecNo(2);
    TDBGridGxFindDlg* d = Open("Gamma", SFindMatchAnyPartGx(), SFindDirectionDownGx(), false, "TName");
    failing.armed = true;
    EXPECT_THROW(d->FindNext(), Exception);
    failing.armed = false;
    EXPECT_EQ(query->RecNo(), 2);
    EXPECT_FALSE(query->ControlsDisabled());
    EXPECT_TRUE(dialogs->Messages.empty());
}

// The grid's columns are made anew while the dialog is open (default columns
// and the data set reopened): the search goes on in the new columns, by the
// field each chosen column showed, and never reads one that was freed.
TEST_F(FindDialog, ColumnsRebuiltWhileOpenAreSearchedAnew) {
    grid->Columns()->Clear();  // default columns, one per field
    Application->ProcessMessages();
    ASSERT_EQ(grid->Columns()->Count(), 4);
    const auto reopen = [this] {
        query->Close();
        query->Open();
        Application->ProcessMessages();
        ASSERT_EQ(grid->Columns()->Count(), 4);
    };
    query->SetRecNo(1);
    TDBGridGxFindDlg* d = Open("ab", SFindMatchAnyPartGx(), SFindDirectionAllGx(), false);
    EXPECT_EQ(Next(d), "Alpha.Owner");
    reopen();
    query->SetRecNo(1);
    grid->SetSelectedIndex(2);
    EXPECT_EQ(Next(d), "Cab.Name");
    EXPECT_EQ(Next(d), "ABC.Name");
    EXPECT_TRUE(dialogs->Messages.empty());

    d = Open("ab", SFindMatchAnyPartGx(), SFindDirectionDownGx(), false, "Owner");
    query->SetRecNo(2);
    reopen();
    query->SetRecNo(2);
    EXPECT_EQ(Next(d), "Beta.Owner");
    EXPECT_EQ(Next(d), "Gamma.Owner");
    // Customized columns that no longer show the chosen field: nothing to search, nothing read.
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName("Name");
    Application->ProcessMessages();
    dialogs->Messages.clear();
    EXPECT_EQ(Next(d), "Gamma.Name");
    EXPECT_FALSE(query->ControlsDisabled());
}

TEST_F(FindDialog, StartsWithItsDesignedOptions) {
    TDBGridGxFindDlg* d = CreateForm<TDBGridGxFindDlg>(nullptr);
    EXPECT_EQ(d->cbMatchinType->Text(), SFindMatchAnyPartGx());
    EXPECT_EQ(d->cbMatchinType->ItemsCount(), 3);
    EXPECT_EQ(d->cbFindDirection->Text(), SFindDirectionAllGx());
    EXPECT_EQ(d->cbFindDirection->KeyItems()->Text(), d->cbFindDirection->Items()->Text());
    EXPECT_FALSE(d->cbCharCase->Checked());
    EXPECT_TRUE(d->cbUseFormat->Checked());
    EXPECT_EQ(d->cbCharCase->Caption(), FromUtf8Literal("С учетом ре&гистра"));
    EXPECT_EQ(d->bCancel->ModalResult(), 2);
    EXPECT_TRUE(d->KeyPreview());
    FreeObject(d);
}

TEST_F(FindDialog, OpensOnTheGridsColumnAndEnterSearches) {
    query->SetRecNo(1);
    grid->SetSelectedIndex(1);
    ShowGridFindDialog(grid, "", nullptr, false);
    TDBGridGxFindDlg* d = DBGridGxFindDlg();
    ASSERT_TRUE(d->Visible());
    EXPECT_EQ(d->Caption(), FromUtf8Literal("Поиск"));
    EXPECT_EQ(d->ClientWidth(), 622);
    EXPECT_EQ(d->ClientHeight(), 153);
    EXPECT_EQ(d->cbFindIn->Text(), "TOwner");  // the grid's current column
    EXPECT_EQ(d->cbFindIn->ItemsCount(), 4);
    EXPECT_EQ(d->bFind->Caption(), FromUtf8Literal("На&йти далее"));
    EXPECT_EQ(d->ActiveControl(), d->cbText);
    d->cbMatchinType->SetValue(Variant(SFindMatchAnyPartGx()));
    d->cbFindDirection->SetValue(Variant(SFindDirectionAllGx()));
    d->cbCharCase->SetStateProp(cbUnchecked);
    Type(d->cbText, "AB");
    const std::string shot = (std::filesystem::temp_directory_path() / "tesk-find-dialog.png").string();
    ASSERT_TRUE(SaveWindowImage(d->Handle(), shot));
    std::printf("find dialog screenshot: %s\n", shot.c_str());
    // Enter searches (the form sees the key first), Escape closes.
    d->cbText->SetFocus();
    SimulateKey(d->cbText->Handle(), VK_RETURN);
    EXPECT_EQ(query->FieldByName("Name")->AsString(), "Alpha");
    SimulateKey(d->cbText->Handle(), VK_RETURN);
    EXPECT_EQ(query->FieldByName("Name")->AsString(), "Beta");
    SimulateKey(d->cbText->Handle(), VK_ESCAPE);
    EXPECT_FALSE(d->Visible());
}

// Runs steps on the modal find dialog from the application's idle time, one
// per idle pass; a dialog still open after the last step is closed, so that a
// test never waits for a user.
class TModalSteps {
public:
    using TStep = std::function<void(TDBGridGxFindDlg*)>;
    explicit TModalSteps(std::vector<TStep> Steps) : steps_(std::move(Steps)) {
        Application->IdleHandlers.push_back(Delegate<void()>(this, &TModalSteps::Idle));
    }
    ~TModalSteps() {
        auto& handlers = Application->IdleHandlers;
        handlers.erase(std::remove(handlers.begin(), handlers.end(), Delegate<void()>(this, &TModalSteps::Idle)),
                       handlers.end());
    }
    size_t StepsRun() const { return next_; }

private:
    void Idle() {
        TDBGridGxFindDlg* d = DBGridGxFindDlg();
        if (!d || !d->Modal() || running_) return;
        running_ = true;
        if (next_ < steps_.size()) steps_[next_++](d);
        else d->SetModalResult(mrAbort);
        running_ = false;
        // Wake the modal loop, which waits for the next message.
        PostMessage(d->Handle(), WM_NULL, 0, 0);
    }
    std::vector<TStep> steps_;
    size_t next_ = 0;
    bool running_ = false;
};

TEST_F(FindDialog, CtrlFRunsTheDialogModallyUntilEscape) {
    query->SetRecNo(1);
    grid->SetSelectedIndex(0);
    auto where = [this] { return std::string(query->FieldByName("Name")->AsString()); };
    std::vector<std::string> hits;
    TModalSteps steps({
        [&](TDBGridGxFindDlg* d) {
            EXPECT_TRUE(d->Visible());
            EXPECT_EQ(d->FormStyle(), fsNormal);
            EXPECT_EQ(d->ActiveControl(), d->cbText);
            EXPECT_EQ(d->cbFindIn->Text(), "TName");  // the grid's current column
            // The texts searched by earlier tests would complete what is typed.
            d->cbText->Items()->Clear();
            d->cbText->KeyItems()->Clear();
            // Typed text, the whole cell, case on, in every column.
            d->cbFindIn->SetValue(Variant(SFindAllColumnsGx()));
            d->cbMatchinType->SetValue(Variant(SFindMatchWholeGx()));
            d->cbFindDirection->SetValue(Variant(SFindDirectionAllGx()));
            d->cbCharCase->SetStateProp(cbUnchecked);
            d->cbUseFormat->SetStateProp(cbChecked);
            TRect r = d->cbCharCase->ClientRect();
            SimulateClick(d->cbCharCase->Handle(), 4, r.Height() / 2);
            EXPECT_TRUE(d->cbCharCase->Checked());
            d->cbText->SetFocus();
            SimulateTyping(d->cbText->Handle(), "AB");
        },
        [&](TDBGridGxFindDlg* d) {
            SimulateKey(d->cbText->Handle(), VK_RETURN);  // Enter finds: only Beta's owner is "AB"
            hits.push_back(where() + "." + std::to_string(grid->SelectedIndex()));
        },
        [&](TDBGridGxFindDlg* d) {
            SimulateKey(d->cbText->Handle(), VK_RETURN);  // nothing after it
            hits.push_back(where() + "." + std::to_string(grid->SelectedIndex()));
            EXPECT_EQ(dialogs->Messages.size(), 1u);
        },
        [&](TDBGridGxFindDlg* d) {
            // Case off, from the start: the next is ABC's name, then Cab is passed by.
            TRect r = d->cbCharCase->ClientRect();
            SimulateClick(d->cbCharCase->Handle(), 4, r.Height() / 2);
            d->cbMatchinType->SetValue(Variant(SFindMatchFromStartGx()));
            d->cbText->SetFocus();
            d->cbText->SelectAll();
            SimulateTyping(d->cbText->Handle(), "ab");
            SimulateKey(d->cbText->Handle(), VK_RETURN);
            hits.push_back(where() + "." + std::to_string(grid->SelectedIndex()));
            SimulateKey(d->cbText->Handle(), VK_RETURN);
            hits.push_back(where() + "." + std::to_string(grid->SelectedIndex()));
        },
        [&](TDBGridGxFindDlg* d) { SimulateKey(d->cbText->Handle(), VK_ESCAPE); },
    });
    Application->ProcessMessages();  // the form's activation settles first
    SimulateKey(grid->Handle(), 'F', ssCtrl);
    EXPECT_EQ(steps.StepsRun(), 5u);
    TDBGridGxFindDlg* d = DBGridGxFindDlg();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->Visible());
    EXPECT_FALSE(d->Modal());
    EXPECT_EQ(d->ModalResult(), mrCancel);
    EXPECT_EQ(hits, (std::vector<std::string>{"Beta.1", "Beta.1", "Alpha.1", "ABC.0"}));
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Text, FromUtf8Literal("Строка \"AB\" не найдена."));
    // The grid stays on the last hit.
    EXPECT_EQ(where(), "ABC");
}

// Find while a cell's edit is pending: the edit is written and posted first,
// as leaving the cell would; a text the field refuses shows its message and
// calls the find off, the editor keeping the text and the record in edit.
TEST_F(FindDialog, APendingCellEditIsPostedBeforeTheSearch) {
    struct Case {
        const char* Name;
        int Column;             // 1 Owner, 2 Size
        const char* Typed;
        const char* Place;      // after the find
        const char* Stored;     // Beta's cell in the file
        bool Refused;
    } cases[] = {
        {"a text the field takes", 1, "Zed", "Gamma.TName", "Zed", false},
        {"a text the field refuses", 2, "1x", "Beta.TSize", "40", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        dialogs->Messages.clear();
        query->SetRecNo(4);  // Beta
        grid->SetSelectedIndex(c.Column);
        grid->SetFocus();
        Application->ProcessMessages();
        for (const char* k = c.Typed; *k; ++k) {
            SimulateTyping(GetFocus(), std::string(1, *k).c_str());
            Application->ProcessMessages();
        }
        ASSERT_EQ(query->State(), dsEdit);
        TModalSteps steps({
            [&](TDBGridGxFindDlg* d) {
                d->cbText->Items()->Clear();
                d->cbText->KeyItems()->Clear();
                d->cbFindIn->SetValue(Variant(AnsiString("TName")));
                d->cbMatchinType->SetValue(Variant(SFindMatchAnyPartGx()));
                d->cbFindDirection->SetValue(Variant(SFindDirectionAllGx()));
                d->cbCharCase->SetStateProp(cbUnchecked);
                d->cbText->SetFocus();
                SimulateTyping(d->cbText->Handle(), "Gamma");
            },
            [&](TDBGridGxFindDlg* d) { SimulateKey(d->cbText->Handle(), VK_RETURN); },
            [&](TDBGridGxFindDlg* d) {
                EXPECT_EQ(GetFocus(), d->cbText->Handle());  // the dialog keeps the keys
                if (c.Refused) {
                    const std::string shot =
                        (std::filesystem::temp_directory_path() / "tesk-find-refused-edit.png").string();
                    PaintWindowNow(form->Handle());
                    EXPECT_TRUE(SaveWindowsImage({form->Handle(), d->Handle()}, shot));
                    std::printf("find with a refused edit screenshot: %s\n", shot.c_str());
                }
                SimulateKey(d->cbText->Handle(), VK_ESCAPE);
            },
        });
        SimulateKey(GetFocus(), 'F', ssCtrl);  // from the open editor
        EXPECT_EQ(steps.StepsRun(), 3u);
        EXPECT_EQ(Place(), c.Place);
        EXPECT_EQ(db.Stored(c.Column == 1 ? "Owner" : "Size", 4, "Star"), c.Stored);
        if (c.Refused) {
            ASSERT_EQ(dialogs->Messages.size(), 1u);
            EXPECT_NE(dialogs->Messages[0].Text.find(c.Typed), std::string::npos) << dialogs->Messages[0].Text;
            ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
            EXPECT_EQ(grid->InplaceEditor()->Text(), c.Typed);
            EXPECT_EQ(query->State(), dsEdit);
            query->Cancel();
        } else {
            for (const auto& m : dialogs->Messages) ADD_FAILURE() << m.Text;
            EXPECT_EQ(query->State(), dsBrowse);
        }
        EXPECT_FALSE(query->ControlsDisabled());
    }
}

}  // namespace
