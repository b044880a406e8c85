// Fuzzes the spy-report import: the input is the pasted text, imported whole
// into a database (one owner typed in the boxes, a rating chosen), and then
// previewed as the memo's exit does.
#include "app/uSpyReportImport.h"
#include "fuzz/ImportFuzzSupport.h"

namespace {

class Page : public ISpyReportPage, public importfuzz::SilentHost {
public:
    AnsiString ReportText() const override { return memo; }
    void SetReportText(const AnsiString& Text) override { memo = Text; }
    AnsiString PlayerText() const override { return player; }
    AnsiString AllianceText() const override { return alliance; }
    void SelectPlayer(const AnsiString& Name, bool) override { player = Name; }
    void SelectAlliance(const AnsiString& Name) override { alliance = Name; }
    void ClearOwnerSelection() override { player = alliance = ""; }
    int Rating() const override { return rating; }
    void SetRating(int Index) override { rating = Index; }
    bool KeepTech() const override { return keep; }
    bool KeepDefences() const override { return keep; }
    bool KeepBuildings() const override { return !keep; }
    void ShowPlanetFound(bool) override {}
    AnsiString memo, player = "Fuzzer", alliance = "Fuzz";
    int rating = 2;
    bool keep = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TdmMain* dm = importfuzz::DataModule();
    const std::string before = importfuzz::Snapshot(dm);
    Page page;
    page.memo.assign(reinterpret_cast<const char*>(data), size);
    page.keep = size % 2 == 0;
    PreviewSpyReportOwner(dm, page);
    ProcessSpyReports(dm, page);
    importfuzz::CheckInvariants(dm);
    // Nothing stored: every report was refused or already known.
    if (!page.Logged("Message: Spy report on ")) importfuzz::CheckUnchanged(dm, before);
    return 0;
}
