// Rating planets, their players and alliances, and deleting planets and
// combats, from the selected rows of the planet and combat grids. Each write
// runs in a transaction of its own level, rolled back on any error.
#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "data/uExceptions.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The alliance of players without one.
constexpr const char* NoAllianceName = "<none>";

enum : BYTE { rtNormal, rtRaidable, rtFriendly, rtDangerous, rtCrashable };

// Runs Query once per selected row with :ID set to the row's IDField; a row
// that fails is rolled back and left, the others go on. Then the view moves
// off the deleted rows.
void DeleteSelectedRows(TDBGridGx* Grid, TDataSet* View, const char* IDField, TADOQuery* Query) {
    TBookmarkListGx* selected = Grid->SelectedRows();
    TADOConnection* db = dmMain->adoConnection;
    for (int i = 0; i < selected->Count(); ++i) {
        try {
            View->GotoBookmark(selected->Items(i));
            TTransactionScope transaction(db);
            Query->Parameters()->ParamByName("ID")->SetValue(View->FieldByName(IDField)->AsInteger());
            Query->ExecSQL();
            transaction.Commit();
        } catch (const Exception&) {
        }
    }
    try {
        View->Next();
    } catch (const Exception&) {
        try {
            View->Prior();
        } catch (const Exception&) {
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- deletes
void TfrmMain::actDeletePlanetExecute(TObject*) {
    if (pcMain->ActivePage() != tsViewSpyReports) return;
    const int count = grdPlanet->SelectedRows()->Count();
    if (count == 0) return;
    if (MessageDlg(Format("Sure you want to delete %d selected planet(s)?", {count}), mtConfirmation,
                   mbYesNoCancel) != mrYes)
        return;
    SetQueryStatement(dmMain->qryTmp, {"delete from tblPlanet where id=:ID"});
    DeleteSelectedRows(grdPlanet, dmMain->viewPlanet, "tblplanet.ID", dmMain->qryTmp);
    actRefreshPlanetGrid->Execute();
}

void TfrmMain::actDeleteCombatExecute(TObject*) {
    if (pcMain->ActivePage() != tsViewCombatReports) return;
    const int count = grdCombat->SelectedRows()->Count();
    if (count == 0) return;
    if (MessageDlg(Format("Sure you want to delete %d selected combatreport(s)?", {count}), mtConfirmation,
                   mbYesNoCancel) != mrYes)
        return;
    SetQueryStatement(dmMain->qryTmp, {"delete from tblCombat where id=:ID"});
    DeleteSelectedRows(grdCombat, dmMain->viewCombat, "tblCombat.ID", dmMain->qryTmp);
    dmMain->viewCombat->Close();
    dmMain->viewCombat->Open();
}

// ---------------------------------------------------------------- ratings
void TfrmMain::RateSelectedPlanets(BYTE Rating) {
    TBookmarkListGx* selected = grdPlanet->SelectedRows();
    if (selected->Count() == 0) return;
    TADOQuery* view = dmMain->viewPlanet;
    {
        TControlsDisabled<TDataSet> quiet(view);
        for (int i = 0; i < selected->Count(); ++i) {
            view->GotoBookmark(selected->Items(i));
            if (!dmMain->FindPlanetByID(view->FieldByName("tblplanet.ID")->AsInteger()))
                throw ETeskException("Couldn't find planet " + view->FieldByName("PlanetName")->AsString());
            TADOQuery* planet = dmMain->qryPlanet;
            try {
                TTransactionScope transaction(dmMain->adoConnection);
                try {
                    planet->Edit();
                    planet->FieldByName("Rating")->SetAsInteger(Rating);
                    planet->Post();
                } catch (...) {
                    planet->Cancel();
                    throw;
                }
                transaction.Commit();
            } catch (const Exception&) {
            }
        }
    }
    actRefreshPlanetGrid->Execute();
}

namespace {

// The one selected row of the planet grid made current; false (after the
// warning) unless exactly one row is selected.
bool GoToTheSelectedPlanet(TDBGridGx* Grid, const char* Warning) {
    TBookmarkListGx* selected = Grid->SelectedRows();
    if (selected->Count() != 1) {
        MessageDlg(Warning, mtWarning, MsgDlgButtons({mbOK}));
        return false;
    }
    dmMain->viewPlanet->GotoBookmark(selected->Items(0));
    return true;
}

}  // namespace

void TfrmMain::RatePlayerOfSelectedPlanet(BYTE Rating) {
    if (!GoToTheSelectedPlanet(grdPlanet, "To rate a player make sure you select one planet")) return;
    const int player = dmMain->viewPlanet->FieldByName("PlayerID")->AsInteger();
    TADOQuery* q = dmMain->qryTmp;
    {
        TTransactionScope transaction(dmMain->adoConnection);
        SetQueryStatement(q, {"UPDATE tblPlanet SET Rating=:RAT", "WHERE PlayerID=:PLAYER"});
        q->Parameters()->ParamByName("RAT")->SetValue(static_cast<int>(Rating));
        q->Parameters()->ParamByName("PLAYER")->SetValue(player);
        q->ExecSQL();
        transaction.Commit();
    }
    actRefreshPlanetGrid->Execute();
}

// All players of the alliance are rated in one transaction: a failure part of
// the way leaves none of them changed.
void TfrmMain::RateAllianceOfSelectedPlanet(BYTE Rating) {
    if (!GoToTheSelectedPlanet(grdPlanet, "To rate an alliance make sure you select one planet")) return;
    TADOQuery* view = dmMain->viewPlanet;
    if (view->FieldByName("tblalliance.Name")->AsString() == NoAllianceName) {
        MessageDlg("Players without an alliance cannot be rated as an alliance; rate the player instead",
                   mtWarning, MsgDlgButtons({mbOK}));
        return;
    }
    const int alliance = view->FieldByName("tblalliance.ID")->AsInteger();
    TADOQuery* q = dmMain->qryTmp;
    std::vector<AnsiString> players;
    SetQueryStatement(q, {"SELECT ID FROM tblPlayer", "WHERE AllianceID=:ALLID"});
    q->Parameters()->ParamByName("ALLID")->SetValue(alliance);
    q->Open();
    for (q->First(); !q->Eof(); q->Next()) players.push_back(q->FieldByName("ID")->AsString());
    q->Close();
    {
        TTransactionScope transaction(dmMain->adoConnection);
        SetQueryStatement(q, {"UPDATE tblPlanet SET Rating=:RAT", "WHERE PlayerID=:PLAYER"});
        q->SetPrepared(true);
        q->Parameters()->ParamByName("RAT")->SetValue(static_cast<int>(Rating));
        for (const AnsiString& player : players) {
            q->Parameters()->ParamByName("PLAYER")->SetValue(player);
            q->ExecSQL();
        }
        transaction.Commit();
    }
    actRefreshPlanetGrid->Execute();
}

void TfrmMain::actRateNormalExecute(TObject*) { RateSelectedPlanets(rtNormal); }
void TfrmMain::actRateRaidableExecute(TObject*) { RateSelectedPlanets(rtRaidable); }
void TfrmMain::actRateFriendlyExecute(TObject*) { RateSelectedPlanets(rtFriendly); }
void TfrmMain::actRateDangerousExecute(TObject*) { RateSelectedPlanets(rtDangerous); }
void TfrmMain::actRateCrashableExecute(TObject*) { RateSelectedPlanets(rtCrashable); }
void TfrmMain::actRatePlayerNormalExecute(TObject*) { RatePlayerOfSelectedPlanet(rtNormal); }
void TfrmMain::actRatePlayerRaidableExecute(TObject*) { RatePlayerOfSelectedPlanet(rtRaidable); }
void TfrmMain::actRatePlayerFriendlyExecute(TObject*) { RatePlayerOfSelectedPlanet(rtFriendly); }
void TfrmMain::actRatePlayerDangerousExecute(TObject*) { RatePlayerOfSelectedPlanet(rtDangerous); }
void TfrmMain::actRatePlayerCrashableExecute(TObject*) { RatePlayerOfSelectedPlanet(rtCrashable); }
void TfrmMain::actRateAllianceNormalExecute(TObject*) { RateAllianceOfSelectedPlanet(rtNormal); }
void TfrmMain::actRateAllianceRaidableExecute(TObject*) { RateAllianceOfSelectedPlanet(rtRaidable); }
void TfrmMain::actRateAllianceFriendlyExecute(TObject*) { RateAllianceOfSelectedPlanet(rtFriendly); }
void TfrmMain::actRateAllianceDangerousExecute(TObject*) { RateAllianceOfSelectedPlanet(rtDangerous); }
void TfrmMain::actRateAllianceCrashableExecute(TObject*) { RateAllianceOfSelectedPlanet(rtCrashable); }
