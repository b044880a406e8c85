#pragma once
// The spy-report import: cuts the pasted text into reports, finds each
// report's planet and owner, and writes resources, fleet, defence, buildings,
// counter-espionage chance and the report into the planet row and the research
// into the owner's row, one transaction per report. Every error ends the run
// with a log line and the error sound; the reports before it stay stored.
#include "app/uImportHost.h"
#include "data/uDatamodule.h"
#include "data/uExceptions.h"

TESK_DECLARE_EXCEPTION(ENoPlayerException, ETeskException);

// The controls of the "Paste Spy Reports" page that the import reads and sets.
class ISpyReportPage : public virtual IImportHost {
public:
    virtual AnsiString ReportText() const = 0;
    virtual void SetReportText(const AnsiString& Text) = 0;
    // The owner boxes: what is typed or chosen.
    virtual AnsiString PlayerText() const = 0;
    virtual AnsiString AllianceText() const = 0;
    // Chooses the entry equal to Name (without regard to case); none when it
    // is missing, unless AddWhenMissing adds it first.
    virtual void SelectPlayer(const AnsiString& Name, bool AddWhenMissing) = 0;
    virtual void SelectAlliance(const AnsiString& Name) = 0;
    virtual void ClearOwnerSelection() = 0;
    // The chosen rating, -1 for none.
    virtual int Rating() const = 0;
    virtual void SetRating(int Index) = 0;
    virtual bool KeepTech() const = 0;
    virtual bool KeepDefences() const = 0;
    virtual bool KeepBuildings() const = 0;
    // The "found" / "not found" label.
    virtual void ShowPlanetFound(bool Found) = 0;
};

// The owner's player ID of the planet the report names, -1 when the planet is
// not stored. A header without its brackets shows the incomplete-report
// error box (after the log lines Host holds back) and answers -1.
int GetSpyReportPlayerID(TdmMain* dm, const AnsiString& Text, IImportHost* Host = nullptr);

// The whole import of the page's text.
void ProcessSpyReports(TdmMain* dm, ISpyReportPage& Page);

// The owner preview when the text is left: the stored owner and rating, or
// "not found".
void PreviewSpyReportOwner(TdmMain* dm, ISpyReportPage& Page);
