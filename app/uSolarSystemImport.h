#pragma once
// The solar-system view import: the copied galaxy page, as HTML (its table is
// cut into rows and cells with regular expressions) or as plain text (one
// TAB-separated line per position), becomes one TPlanet per position, which
// stores itself and logs what changed since the last scan.
#include "app/uImportHost.h"
#include "app/uPlanet.h"

// The controls of the "Paste Solar System" page that the import uses.
class ISolarSystemPage : public virtual IImportHost {
public:
    virtual AnsiString SolarSystemText() const = 0;
    virtual void SetSolarSystemText(const AnsiString& Text) = 0;
    // "Delete planets which do not longer exist" (HTML form only).
    virtual bool DeletePlanets() const = 0;
};

// The page header "<word> G:S"; its two groups are the galaxy and the system.
AnsiString SolarSystemHeaderPattern();

// The whole import of the page's text, either form.
void ProcessSolarSystem(TdmMain* dm, ISolarSystemPage& Page);
// The plain-text form, with its own log lines and no sound.
void ProcessSolarSystemText(TdmMain* dm, ISolarSystemPage& Page, const AnsiString& Text);
// One row of the HTML table into one position.
void ParseGalaxyTableRow(TdmMain* dm, ISolarSystemPage& Page, const AnsiString& Galaxy,
                         const AnsiString& SolarSystem, const AnsiString& PageText, const AnsiString& RowText);
// Sets the status flag whose class name equals ClassName (ASCII letters
// without regard to case); nothing for any other name.
void SetPlayerStatusFromClass(TPlanet& Planet, const AnsiString& ClassName);

// Pattern with its first "%s" replaced by Value ("%%" is a percent sign);
// the language file's patterns are never used as a format themselves.
AnsiString FillPattern(const AnsiString& Pattern, const AnsiString& Value);
