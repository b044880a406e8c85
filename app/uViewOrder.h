#pragma once
// The order of the planet and combat views chosen by title clicks: a primary
// column and an optional secondary one, each with its direction, and the sort
// text and label made from them. The player view only toggles one column.
#include "platform/rtl/CodePage.h"

// The order-by of the three coordinate columns taken together.
inline constexpr const char* CoordinateOrderBy = "GalaxyID, SolarSystemID, PlanetID";

struct TViewOrder {
    AnsiString PrimaryOrderBy, PrimaryCaption, PrimarySortOrder;
    AnsiString SecondaryOrderBy, SecondaryCaption, SecondarySortOrder;

    // A click on a title: without Ctrl the column becomes the primary order
    // (the same column again toggles its direction, another one drops the
    // secondary); with Ctrl likewise for the secondary, the primary untouched.
    void TitleClick(const AnsiString& OrderBy, const AnsiString& Caption, bool Ctrl);
    // "Metal DESC,GalaxyID ASC, SolarSystemID ASC, PlanetID ASC" and the like.
    AnsiString SortText() const;
    // "Metal desc && Coordinates asc": the label shows "&&" as one "&".
    AnsiString Label() const;
};

// "ASC" becomes "DESC"; anything else becomes "ASC".
AnsiString ToggledDirection(const AnsiString& Direction);

// The player view's sort after a click on the column FieldName's title.
AnsiString PlayerSortAfterClick(const AnsiString& PlayerSort, const AnsiString& FieldName);
