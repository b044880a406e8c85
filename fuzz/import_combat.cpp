// Fuzzes the combat-report import: the input is the pasted report, imported
// by the attacker's player "Alpha" (the name the seeds use).
#include "app/uCombatReportImport.h"
#include "fuzz/ImportFuzzSupport.h"

namespace {

class Page : public ICombatReportPage, public importfuzz::SilentHost {
public:
    AnsiString CombatText() const override { return text; }
    void SetCombatText(const AnsiString& Text) override { text = Text; }
    AnsiString PlayerName() const override { return you; }
    bool SubtractResources() const override { return true; }
    bool SubtractDefences() const override { return true; }
    bool SubtractFleet() const override { return true; }
    AnsiString text, you;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TdmMain* dm = importfuzz::DataModule();
    const std::string before = importfuzz::Snapshot(dm);
    Page page;
    page.text.assign(reinterpret_cast<const char*>(data), size);
    page.you = size % 2 == 0 ? "Alpha" : "Bravo";
    ProcessCombatReport(dm, page);
    importfuzz::CheckInvariants(dm);
    if (!page.Logged("Message: Combat report on ")) importfuzz::CheckUnchanged(dm, before);
    return 0;
}
