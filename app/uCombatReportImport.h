#pragma once
// The combat-report import: one pasted report becomes one combat row; both
// players and both planets are found or added, the attack is counted on the
// defender's planet, the opponent's weapon, shield and armour levels go to the
// opponent's row, and a won raid that is newer than the planet's last spy
// report lowers its stored resources, defences and fleet. All in one
// transaction; any error rolls it back and is logged with the error sound.
#include "app/uImportHost.h"
#include "data/uDatamodule.h"

// The controls of the "Paste Combat Reports" page that the import uses.
class ICombatReportPage : public virtual IImportHost {
public:
    virtual AnsiString CombatText() const = 0;
    virtual void SetCombatText(const AnsiString& Text) = 0;
    // "Your ingame name".
    virtual AnsiString PlayerName() const = 0;
    virtual bool SubtractResources() const = 0;
    virtual bool SubtractDefences() const = 0;
    virtual bool SubtractFleet() const = 0;
};

void ProcessCombatReport(TdmMain* dm, ICombatReportPage& Page);
