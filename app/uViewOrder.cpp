// Sort texts of the views from title clicks.
#include "app/uViewOrder.h"

#include "platform/rtl/CodePage.h"

namespace {

AnsiString OrderText(const AnsiString& OrderBy, const AnsiString& Direction) {
    if (OrderBy == CoordinateOrderBy)
        return "GalaxyID " + Direction + ", SolarSystemID " + Direction + ", PlanetID " + Direction;
    return OrderBy + " " + Direction;
}

}  // namespace

AnsiString ToggledDirection(const AnsiString& Direction) { return Direction == "ASC" ? "DESC" : "ASC"; }

void TViewOrder::TitleClick(const AnsiString& OrderBy, const AnsiString& Caption, bool Ctrl) {
    if (Ctrl) {
        if (OrderBy == SecondaryOrderBy) {
            SecondarySortOrder = ToggledDirection(SecondarySortOrder);
        } else {
            SecondaryOrderBy = OrderBy;
            SecondarySortOrder = "ASC";
        }
        SecondaryCaption = Caption;
        return;
    }
    if (OrderBy == PrimaryOrderBy) {
        PrimarySortOrder = ToggledDirection(PrimarySortOrder);
    } else {
        PrimaryOrderBy = OrderBy;
        PrimarySortOrder = "ASC";
        SecondaryOrderBy.clear();
        SecondarySortOrder.clear();
    }
    PrimaryCaption = Caption;
}

AnsiString TViewOrder::SortText() const {
    AnsiString text = OrderText(PrimaryOrderBy, PrimarySortOrder);
    if (!SecondaryOrderBy.empty()) text += "," + OrderText(SecondaryOrderBy, SecondarySortOrder);
    return text;
}

AnsiString TViewOrder::Label() const {
    AnsiString text = PrimaryCaption + " " + LowerCase(PrimarySortOrder);
    if (!SecondaryOrderBy.empty()) text += " && " + SecondaryCaption + " " + LowerCase(SecondarySortOrder);
    return text;
}

AnsiString PlayerSortAfterClick(const AnsiString& PlayerSort, const AnsiString& FieldName) {
    const AnsiString sort = UpperCase(PlayerSort);
    if (sort.find(UpperCase(FieldName)) == AnsiString::npos) return FieldName + " ASC";
    if (sort.find("ASC") == AnsiString::npos) return FieldName + " ASC";
    return FieldName + " DESC";
}
