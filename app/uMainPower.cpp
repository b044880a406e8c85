// The planet view's highlight limits and the power page's two calculators.
#include "app/uGameText.h"
#include "app/uMain.h"
#include "app/uPower.h"

void TfrmMain::UpdateHighlightThresholds() {
    struct TLimitEdit {
        TLimit Limit;
        TEdit* TfrmMain::*Edit;
    };
    static constexpr TLimitEdit Edits[] = {
        {TLimit::Metal, &TfrmMain::edtMetal},
        {TLimit::Crystal, &TfrmMain::edtCrystal},
        {TLimit::Deuterium, &TfrmMain::edtDeut},
        {TLimit::Energy, &TfrmMain::edtEnergy},
        {TLimit::TotalResources, &TfrmMain::edtTotalRes},
        {TLimit::BattleShip, &TfrmMain::edtBS},
        {TLimit::Bomber, &TfrmMain::edtBmbr},
        {TLimit::LightFighter, &TfrmMain::edtLF},
        {TLimit::HeavyFighter, &TfrmMain::edtHF},
        {TLimit::Destroyer, &TfrmMain::edtDest},
        {TLimit::Cruiser, &TfrmMain::edtCR},
        {TLimit::DeathStar, &TfrmMain::edtDS},
        {TLimit::MissileLauncher, &TfrmMain::edtML},
        {TLimit::SmallLaser, &TfrmMain::edtSL},
        {TLimit::HeavyLaser, &TfrmMain::edtHL},
        {TLimit::GaussCannon, &TfrmMain::edtGC},
        {TLimit::IonCannon, &TfrmMain::edtIC},
        {TLimit::PlasmaCannon, &TfrmMain::edtPC},
    };
    for (const TLimitEdit& e : Edits)
        HighlightLimits[static_cast<size_t>(e.Limit)] = StrToIntOrDefault((this->*e.Edit)->Text(), 0);
    DeriveHighlightLimits(HighlightLimits);
    edtDP->SetText(IntToStr(HighlightLimits[static_cast<size_t>(TLimit::DefencePower)]));
    edtAP->SetText(IntToStr(HighlightLimits[static_cast<size_t>(TLimit::AssaultPower)]));
}

void TfrmMain::edtLFChange(TObject*) { UpdateHighlightThresholds(); }

namespace {

// Every box as an integer, or false when any is not one.
template <size_t N>
bool ReadBoxes(TEdit* const (&Boxes)[N], int64_t (&Values)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (!TryStrToInt64(Boxes[i]->Text(), Values[i])) return false;
    return true;
}

}  // namespace

// Bombers and destroyers sit where the stored assault power has them, so one
// fleet gives one figure on this page, in the planet view and in its limits.
void TfrmMain::edtoLFChange(TObject*) {
    TEdit* const boxes[] = {edtoLF, edtoHF, edtoCR, edtoBS, edtoDest, edtoBmbr, edtoDS};
    int64_t n[std::size(boxes)];
    if (!ReadBoxes(boxes, n)) return;
    try {
        edtoAssault->SetText(IntToStr(CalcAssaultPower(0, 0, n[0], n[1], n[2], n[3], n[4], n[5], 0, n[6], 0, 0, 0)));
    } catch (const EConvertError&) {
        // A figure beyond 64 bits is left as it was, like boxes that are no number.
    }
}

void TfrmMain::edtoMLChange(TObject*) {
    TEdit* const boxes[] = {edtoML, edtoSL, edtoHL, edtoGC, edtoIC, edtoPC, edtoSSD, edtoLSD};
    int64_t n[std::size(boxes)];
    if (!ReadBoxes(boxes, n)) return;
    try {
        edtoDefence->SetText(IntToStr(CalcDefencePower(n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7])));
    } catch (const EConvertError&) {
        // As above.
    }
}
