#include "tests/platform/gui/controls/ControlsTestForm.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/rtti/FormText.h"
#include "platform/rtti/Published.h"

namespace {

// The definition is a test fixture, not a shipped resource.
std::string ControlsTestDefinition() {
    std::ifstream in(std::string(TESK_FIXTURES_DIR) + "/forms/TfrmControlsTest.form", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TfrmControlsTest::TfrmControlsTest(TComponent* AOwner) : TForm(AOwner) {
    ReadComponentDefinition(this, ControlsTestDefinition(), "TfrmControlsTest.form");
}

int TfrmControlsTest::Count(const std::string& entry) const {
    return static_cast<int>(std::count(Log.begin(), Log.end(), entry));
}

void TfrmControlsTest::FormCreate(TObject*) { Log.push_back("FormCreate"); }
void TfrmControlsTest::pcMainChange(TObject*) { Log.push_back("pcMainChange:" + std::string(pcMain->ActivePage()->Name())); }
void TfrmControlsTest::tsGeneralShow(TObject*) { Log.push_back("tsGeneralShow"); }
void TfrmControlsTest::tsDetailsShow(TObject*) { Log.push_back("tsDetailsShow"); }
void TfrmControlsTest::edtNameChange(TObject*) { Log.push_back("edtNameChange:" + std::string(edtName->Text())); }
void TfrmControlsTest::cmbKindChange(TObject*) { Log.push_back("cmbKindChange:" + std::string(cmbKind->Text())); }
void TfrmControlsTest::grpRatingClick(TObject*) {
    Log.push_back("grpRatingClick:" + std::to_string(grpRating->ItemIndex()));
}
void TfrmControlsTest::actRunExecute(TObject*) { Log.push_back("actRunExecute"); }
void TfrmControlsTest::actClearExecute(TObject*) { Log.push_back("actClearExecute"); }
void TfrmControlsTest::actClearUpdate(TObject*) { actClear->SetEnabled(ClearEnabled); }
void TfrmControlsTest::mViewClick(TObject* Sender) {
    Log.push_back("mViewClick:" + std::string(static_cast<TComponent*>(Sender)->Name()));
}
void TfrmControlsTest::mAboutClick(TObject*) { Log.push_back("mAboutClick"); }
void TfrmControlsTest::lstFiltersSelectCell(TObject*, int ACol, int ARow, bool& CanSelect) {
    Log.push_back("lstFiltersSelectCell:" + std::to_string(ACol) + "," + std::to_string(ARow));
    CanSelect = ARow != 2 || ACol != 0;
}

TESK_PUBLISHED(TfrmControlsTest) {
    Field("pcMain", &T::pcMain);
    Field("tsGeneral", &T::tsGeneral);
    Field("tsDetails", &T::tsDetails);
    Field("lblName", &T::lblName);
    Field("edtName", &T::edtName);
    Field("cmbKind", &T::cmbKind);
    Field("memNotes", &T::memNotes);
    Field("grpRating", &T::grpRating);
    Field("cbxKeep", &T::cbxKeep);
    Field("btnRun", &T::btnRun);
    Field("btnClose", &T::btnClose);
    Field("pnlTotals", &T::pnlTotals);
    Field("btnSlow", &T::btnSlow);
    Field("btnFast", &T::btnFast);
    Field("gaugeLoad", &T::gaugeLoad);
    Field("lstFields", &T::lstFields);
    Field("lstFilters", &T::lstFilters);
    Field("pbProgress", &T::pbProgress);
    Field("sbMain", &T::sbMain);
    Field("alMain", &T::alMain);
    Field("actRun", &T::actRun);
    Field("actClear", &T::actClear);
    Field("mnuMain", &T::mnuMain);
    Field("mFile", &T::mFile);
    Field("mRun", &T::mRun);
    Field("mClear", &T::mClear);
    Field("mView", &T::mView);
    Field("mSmall", &T::mSmall);
    Field("mLarge", &T::mLarge);
    Field("mAbout", &T::mAbout);
    Field("popNotes", &T::popNotes);
    Handler("FormCreate", &T::FormCreate);
    Handler("pcMainChange", &T::pcMainChange);
    Handler("tsGeneralShow", &T::tsGeneralShow);
    Handler("tsDetailsShow", &T::tsDetailsShow);
    Handler("edtNameChange", &T::edtNameChange);
    Handler("cmbKindChange", &T::cmbKindChange);
    Handler("grpRatingClick", &T::grpRatingClick);
    Handler("actRunExecute", &T::actRunExecute);
    Handler("actClearExecute", &T::actClearExecute);
    Handler("actClearUpdate", &T::actClearUpdate);
    Handler("mViewClick", &T::mViewClick);
    Handler("mAboutClick", &T::mAboutClick);
    Handler("lstFiltersSelectCell", &T::lstFiltersSelectCell);
}

void ControlsFormTest::SetUp() {
    ResetDoubleClick();
    form = CreateForm<TfrmControlsTest>(nullptr);
    form->Show();
    Application->ProcessMessages();
}

void ControlsFormTest::TearDown() {
    SetPopupMenuRunner(nullptr);
    FreeObject(form);
    Application->ProcessMessages();
}
