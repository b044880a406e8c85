#pragma once
// Spy reports written back out from the stored planet and player rows: a
// plain-text report in the game's own layout, built from the same words the
// importer looks for, and a BBCode report for forum posts.
#include "platform/rtl/SysUtils.h"

class TDataSet;
class TdmMain;

// The game's site, linked from the footers of the BBCode and template reports.
inline constexpr const char* GameWebPage = "https://zentara.example.org/";

// "G:S:P" from a planet row's GalaxyID, SolarsystemID and PlanetID.
AnsiString PlanetCoordinates(TDataSet* Row);

// The plain report of the planet; "Couldn't locate planet <ID>" when there is
// none. A missing owner raises ETeskException "Player not found".
AnsiString GenerateEspionageReport(TdmMain* Dm, int PlanetID, const AnsiString& Version);
// The BBCode report; every failure is a one-line coloured text. The player,
// alliance and planet names come from the planet view's current row.
AnsiString GenerateEspionageReportBBCode(TdmMain* Dm, int PlanetID);
// The footer line of the BBCode and template reports, CR LF first.
AnsiString GeneratedByFooter(const AnsiString& Version);
