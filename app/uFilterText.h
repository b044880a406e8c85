#pragma once
// The texts the planet and combat views are filtered with: the seven
// variables an expression may hold, the age choices of the planet view, the
// player and alliance conditions, and the names a saved filter may have.
// Dates are written as the date part only in the window's date format
// (m"/"d"/"yyyy gives 3/8/2024), which the data layer's filter reads back.
#include "platform/rtl/DateTime.h"

// The three limit texts the variables :ASSAULT, :DEFENCE and :RESOURCES stand for.
struct TFilterLimits {
    AnsiString Assault;
    AnsiString Defence;
    AnsiString Resources;
};

// :TODAY, :YESTERDAY, :WEEK, :MONTH, :ASSAULT, :DEFENCE, :RESOURCES replaced,
// in this order, everywhere and without regard to case.
AnsiString ReplaceFilterVariables(const AnsiString& Text, TDateTime Today, const AnsiString& DateFormat,
                                  const TFilterLimits& Limits);

// The filter part of an age choice, "(LastScanned > 3/8/2024)"; empty for
// choice 0 ("don't filter") and for a choice the list does not have.
AnsiString AgeFilterText(int Choice, TDateTime Today, const AnsiString& DateFormat);

// "(tblPlayer.Name = 'O''Neil')": the column compared with the name as a
// quoted string (inner quotes doubled).
AnsiString NameCondition(const AnsiString& Column, const AnsiString& Name);

// Empty when the saved filter (name and expression) survives the settings
// file as it is; else the message that says why it does not.
AnsiString SavedFilterProblem(const AnsiString& Name, const AnsiString& Filter);
