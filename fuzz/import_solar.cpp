// Fuzzes the solar-system import, both forms: the input is the page's text
// (the HTML form when it holds "<table", else the plain-text form).
#include "app/uSolarSystemImport.h"
#include "fuzz/ImportFuzzSupport.h"

namespace {

class Page : public ISolarSystemPage, public importfuzz::SilentHost {
public:
    AnsiString SolarSystemText() const override { return text; }
    void SetSolarSystemText(const AnsiString& Text) override { text = Text; }
    bool DeletePlanets() const override { return deletePlanets; }
    AnsiString text;
    bool deletePlanets = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TdmMain* dm = importfuzz::DataModule();
    const std::string before = importfuzz::Snapshot(dm);
    Page page;
    page.text.assign(reinterpret_cast<const char*>(data), size);
    page.deletePlanets = size % 2 == 0;
    ProcessSolarSystem(dm, page);
    importfuzz::CheckInvariants(dm);
    // A view refused for its layout is refused before any change.
    if (page.Logged("Error processing solar system: Line of position ") ||
        page.Logged("Error processing solar system: '" + SSSolarSystem + " x:x' not found"))
        importfuzz::CheckUnchanged(dm, before);
    return 0;
}
