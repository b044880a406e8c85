#pragma once
// The form the control tests build from tests/fixtures/forms/TfrmControlsTest.form,
// writing down which of its handlers ran.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/ActnList.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gauges.h"
#include "platform/gui/InputSimulation.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/ValEdit.h"

class TfrmControlsTest : public TForm {
    TESK_CLASS(TfrmControlsTest, TForm)
public:
    explicit TfrmControlsTest(TComponent* AOwner);

    TPageControl* pcMain = nullptr;
    TTabSheet* tsGeneral = nullptr;
    TTabSheet* tsDetails = nullptr;
    TLabel* lblName = nullptr;
    TEdit* edtName = nullptr;
    TComboBox* cmbKind = nullptr;
    TMemo* memNotes = nullptr;
    TRadioGroup* grpRating = nullptr;
    TCheckBox* cbxKeep = nullptr;
    TButton* btnRun = nullptr;
    TButton* btnClose = nullptr;
    TPanel* pnlTotals = nullptr;
    TSpeedButton* btnSlow = nullptr;
    TSpeedButton* btnFast = nullptr;
    TGauge* gaugeLoad = nullptr;
    TListBox* lstFields = nullptr;
    TValueListEditor* lstFilters = nullptr;
    TProgressBar* pbProgress = nullptr;
    TStatusBar* sbMain = nullptr;
    TActionList* alMain = nullptr;
    TAction* actRun = nullptr;
    TAction* actClear = nullptr;
    TMainMenu* mnuMain = nullptr;
    TMenuItem* mFile = nullptr;
    TMenuItem* mRun = nullptr;
    TMenuItem* mClear = nullptr;
    TMenuItem* mView = nullptr;
    TMenuItem* mSmall = nullptr;
    TMenuItem* mLarge = nullptr;
    TMenuItem* mAbout = nullptr;
    TPopupMenu* popNotes = nullptr;

    // Handler calls in order, as "name" or "name:detail".
    std::vector<std::string> Log;
    bool ClearEnabled = true;
    int Count(const std::string& entry) const;

    void FormCreate(TObject* Sender);
    void pcMainChange(TObject* Sender);
    void tsGeneralShow(TObject* Sender);
    void tsDetailsShow(TObject* Sender);
    void edtNameChange(TObject* Sender);
    void cmbKindChange(TObject* Sender);
    void grpRatingClick(TObject* Sender);
    void actRunExecute(TObject* Sender);
    void actClearExecute(TObject* Sender);
    void actClearUpdate(TObject* Sender);
    void mViewClick(TObject* Sender);
    void mAboutClick(TObject* Sender);
    void lstFiltersSelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
};

// A shown test form; the fake tick count keeps clicks apart.
class ControlsFormTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TfrmControlsTest* form = nullptr;
};
