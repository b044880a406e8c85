#pragma once
// Whole-database work of the main window: importing the planets (with their
// players and alliances) of another database file of ours, exporting the
// open database to a file, and reprocessing every stored planet. Import and
// reprocessing go row by row, one transaction per row, and report each row to
// a progress that may stop them after the current row.
#include "platform/rtl/CodePage.h"

class TdmMain;

class ITransferProgress {
public:
    virtual ~ITransferProgress() = default;
    virtual void Start(int RowCount) = 0;
    // The row about to be processed ("1:234:5", "1:234:5 moon").
    virtual void ShowRow(const AnsiString& Position) = 0;
    // The row is done: the gauge moves on and the message loop runs once.
    virtual void RowDone() = 0;
    // True once the user asked to stop.
    virtual bool Stopped() const = 0;
};

// Copies every planet and moon of the file whose spy report is newer than the
// stored one (or that is not stored), finding its player and alliance by name
// or adding them; attack data and combats stay as they are. A file that does
// not exist raises ETeskException "Access database doesn't exist"; a file
// that is no database of ours raises ETeskException and changes nothing. A
// failing row is rolled back and raised; the rows before it stay.
void ImportDatabaseFile(TdmMain& Data, const AnsiString& FileName, ITransferProgress& Progress);

// Whether two names are the same file (text first, then the file system).
bool SameDatabaseFile(const AnsiString& A, const AnsiString& B);

// Copies the open database (or, with none open, its file) to FileName,
// replacing it; nothing when FileName is the database itself. Raises with
// the reason when the copy fails; the target is then as it was.
void ExportDatabase(TdmMain& Data, const AnsiString& FileName);

// Recomputes each planet's total resources and power figures and raises its
// player's research levels to the planet's. After a complete pass every
// research column of the planet table is dropped (all or none) and the registry notes
// it; answers false, with nothing dropped, when the pass was stopped.
bool ReprocessPlanets(TdmMain& Data, ITransferProgress& Progress);

// Whether the planet table still holds research columns of an older version
// (the planet view cannot open then: its research fields name two columns).
bool PlanetTableHoldsResearch(TdmMain& Data);

// The research columns, in the order reprocessing reads them.
extern const char* const ResearchColumns[15];
