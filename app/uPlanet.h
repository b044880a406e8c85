#pragma once
// TPlanet: one position of a solar system as one paste showed it. Storing it
// compares the page with the database and reports each change since the last
// scan (new or destroyed colonies, renamed players, alliance switches, status
// changes) as a warning line through OnLog. Each row is written in its own
// transaction, which an error rolls back before it goes on to the caller.
#include "data/uDatamodule.h"

using TPlanetLogEvent = Delegate<void(TObject* Sender, const AnsiString& Text)>;

class TPlanet : public TObject {
public:
    explicit TPlanet(TdmMain* DataModule = dmMain);
    const char* ClassName() const override { return "TPlanet"; }

    AnsiString Galaxy;
    AnsiString SolarSystem;
    AnsiString Position;
    bool HasMoon = false;
    // Empty: the position holds no planet.
    AnsiString PlanetName;
    AnsiString PlayerName;
    AnsiString PlayerRank;
    bool Inactive = false;
    bool Noob = false;
    bool Vacation = false;
    bool Banned = false;
    bool LongInactive = false;
    bool Strong = false;
    // Empty when the owner has no alliance.
    AnsiString AllianceName;
    AnsiString AllianceMembers;
    AnsiString AllianceRank;
    // Digits without thousands separators; empty stores Null.
    AnsiString MetalDebris;
    AnsiString CrystalDebris;
    TPlanetLogEvent OnLog;

    // The planet, then the moon (or the removal of a moon that is gone).
    void Store();
    // One row, IsMoon "0" for the planet or "1" for the moon; nothing unless
    // galaxy, system and position are all set.
    void StoreOne(const AnsiString& IsMoon);
    // The owner's rank and status flags, with a warning naming the changes.
    void UpdatePlayerStatus(const AnsiString& Name, bool AStrong, bool ALongInactive, bool AInactive, bool ABanned,
                            bool AVacation, bool ANoob);
    // A position that shows no planet: the stored planet and moon go, with a warning.
    void CheckDestroyedColony();
    void DoLog(const AnsiString& Text);

private:
    // "Name (Alliance)", or the name alone without an alliance.
    AnsiString Owner() const;
    void AppendRow(const AnsiString& IsMoon);
    TdmMain* dm_;
};
