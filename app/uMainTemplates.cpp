// Reports rendered through the user's template files, the combat summary and
// the sums of the selected combats.
#include <memory>

#include "app/uGameText.h"
#include "app/uMain.h"
#include "app/uPower.h"
#include "app/uReportTemplates.h"
#include "data/uDatamodule.h"
#include "platform/classes/ProgramFolder.h"
#include "text/UtFileUtils.h"
#include "text/UtStrings.h"
#include "text/uQuickStrings.h"

namespace {

// The three files of a combat template rendered over the selected combats,
// to the clipboard. A missing file is an error, which is logged and raised
// before anything reaches the clipboard.
void CopyCombatReport(TfrmMain* Form, const std::array<AnsiString, 3>& Names) {
    std::array<AnsiString, 3> texts;
    try {
        for (size_t i = 0; i < Names.size(); ++i) texts[i] = FileToString(Names[i]);
    } catch (const Exception& e) {
        Form->AddToLog(Format("%s - Error: %s", {LogTimeStamp(), AnsiString(e.what())}));
        throw;
    }
    Form->CopyToClipboard(RenderTemplate(texts[0], texts[1], texts[2], Form->grdCombat, dmMain->viewCombat,
                                         ResolveCombatTag, dmMain));
}

// The template's name: the menu item's caption without the hot-key marks
// ("&&" is a '&' of the name).
AnsiString TemplateBase(TObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    return item ? StripHotkey(item->Caption()) : AnsiString();
}

}  // namespace

void TfrmMain::grdCombatCellClick(TColumnGx*) {
    TdmMain* dm = dmMain;
    TBookmarkListGx* selected = grdCombat->SelectedRows();
    dm->SelectionCount = selected->Count();
    dm->SumMetalRaided = dm->SumCrystalRaided = dm->SumDeuteriumRaided = 0;
    dm->SumMetalDebris = dm->SumCrystalDebris = 0;
    TEdit* boxes[] = {edtMetalRaided, edtCrystalRaided, edtDeutRaided, edtMetalDebris, edtCrystalDebris};
    if (selected->Count() == 0) {
        for (TEdit* box : boxes) box->SetText("");
        return;
    }
    TADOQuery* view = dm->viewCombat;
    TField* fields[] = {view->FieldByName("MetalRaided"), view->FieldByName("CrystalRaided"),
                        view->FieldByName("DeuteriumRaided"), view->FieldByName("tblCombat.MetalDebris"),
                        view->FieldByName("tblCombat.CrystalDebris")};
    int64_t* sums[] = {&dm->SumMetalRaided, &dm->SumCrystalRaided, &dm->SumDeuteriumRaided, &dm->SumMetalDebris,
                       &dm->SumCrystalDebris};
    for (int i = 0; i < selected->Count(); ++i) {
        view->GotoBookmark(selected->Items(i));
        for (size_t k = 0; k < std::size(fields); ++k) *sums[k] = SumOfCounts({*sums[k], fields[k]->AsLargeInt()});
    }
    for (size_t k = 0; k < std::size(boxes); ++k) boxes[k]->SetText(Format("%.0n", {*sums[k]}));
}

void TfrmMain::actGenerateCombatSummaryExecute(TObject*) {
    const AnsiString base = ProgramFolder() + "combatsummary1";
    CopyCombatReport(this, {base + "header.ot", base + "body.ot", base + "footer.ot"});
}

// The files are those listed, their extensions in any letter case.
void TfrmMain::CombatTemplateClick(TObject* Sender) {
    if (!dynamic_cast<TMenuItem*>(Sender)) return;
    const AnsiString folder = ProgramFolder(), name = TemplateBase(Sender);
    CopyCombatReport(this, {FileOfTitle(folder, name, "crh"), FileOfTitle(folder, name, "crb"),
                            FileOfTitle(folder, name, "crf")});
}

// A missing spy-report template file counts as empty.
void TfrmMain::EspionageTemplateClick(TObject* Sender) {
    if (!dynamic_cast<TMenuItem*>(Sender)) return;
    const AnsiString folder = ProgramFolder(), name = TemplateBase(Sender);
    AnsiString texts[3];
    const char* extensions[] = {"erh", "erb", "erf"};
    for (int i = 0; i < 3; ++i)
        if (const AnsiString file = FileOfTitle(folder, name, extensions[i]); FileExists(file))
            texts[i] = FileToString(file);
    CopyToClipboard(
        RenderTemplate(texts[0], texts[1], texts[2], grdPlanet, dmMain->viewPlanet, ResolveEspionageTag, dmMain));
}

void TfrmMain::actPopulateCombatReportsExecute(TObject*) {
    std::unique_ptr<TStringList> files(new TStringList());
    ListTemplateFiles(ProgramFolder(), "crh", files.get());
    FillTemplateMenu(files.get(), popCombat->Items(), nullptr, TNotifyEvent(this, &TfrmMain::CombatTemplateClick));
}

void TfrmMain::actPopulateEspionageReportsExecute(TObject*) {
    std::unique_ptr<TStringList> files(new TStringList());
    ListTemplateFiles(ProgramFolder(), "erb", files.get());
    FillTemplateMenu(files.get(), popPlanet->Items(), pmOriginalEspReport,
                     TNotifyEvent(this, &TfrmMain::EspionageTemplateClick));
}
