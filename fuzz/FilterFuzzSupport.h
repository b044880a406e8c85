#pragma once
// Shared checks of the filter fuzz targets: the filter and sort texts set on
// a small memory data set with a field of every kind. The texts are set on an
// open data set with rows, and on one before it opens. EDatabaseError is the
// expected answer to a bad text; a crash, any other exception, a refused
// change that still changes the rows, two spellings of one filter that let
// different rows through, or the two data sets disagreeing is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/DBFilter.h"
#include "platform/db/DBSort.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

struct Row {
    int id;
    const char* name;  // nullptr for null
    double score;      // NaN for null
    int seenDay;       // day of March 2024, 0 for null
    int active;        // -1 for null
};

const double kNull = __builtin_nan("");

const Row kRows[] = {
    {1, "Arvel", 10.5, 8, 1},
    {2, "arvel", 10.5, 9, 0},
    {3, nullptr, -3, 0, -1},
    {4, "O'Neil", kNull, 8, 1},
    {5, "\xDF\xF0\xE4", 1000, 31, 0},  // Cyrillic, upper and lower case
    {6, "", 0, 1, 1},
    {7, "Zeta*%", 1e300, 15, -1},
    {8, "Arvel", -0.0, 8, 0},
};

void AddRows(TDataSet* ds) {
    for (const Row& r : kRows) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(r.id);
        if (r.name) ds->FieldByName("Name")->SetAsString(r.name);
        if (r.score == r.score) ds->FieldByName("Score")->SetAsFloat(r.score);
        if (r.seenDay) ds->FieldByName("tblPlayer.Seen")->SetAsDateTime(EncodeDate(2024, 3, r.seenDay) + 0.25);
        if (r.active >= 0) ds->FieldByName("Active")->SetAsBoolean(r.active != 0);
        ds->Post();
    }
}

std::unique_ptr<TStMemoryData> MakeDataSet() {
    auto ds = std::make_unique<TStMemoryData>(nullptr);
    ds->FieldDefs()->Add("ID", ftInteger);
    ds->FieldDefs()->Add("Name", ftString, 20);
    ds->FieldDefs()->Add("Score", ftFloat);
    ds->FieldDefs()->Add("Seen", ftDateTime);
    ds->FieldDefs()->Add("Active", ftBoolean);
    ds->FieldDefs()->Add("Anti-Missile", ftInteger);
    return ds;
}

// The IDs of the visible records in order, by walking them.
std::vector<int> Ids(TDataSet* ds) {
    std::vector<int> ids;
    ds->First();
    while (!ds->Eof()) {
        ids.push_back(ds->FieldByName("ID")->AsInteger());
        ds->Next();
    }
    if (static_cast<int>(ids.size()) != ds->RecordCount()) std::abort();
    return ids;
}

bool IsSubsequence(const std::vector<int>& part, const std::vector<int>& whole) {
    size_t j = 0;
    for (int id : whole)
        if (j < part.size() && part[j] == id) ++j;
    return j == part.size();
}

// Another spelling of the same filter gives the same rows.
void CheckSameFilter(TDataSet* ds, const AnsiString& text, const std::vector<int>& expected) {
    try {
        ds->SetFilter(text);  // any other error here escapes as a finding
    } catch (const EDatabaseError& e) {
        // The brackets added around a filter nested to the bound take it past it.
        if (e.Message().find("brackets nested deeper") != AnsiString::npos) return;
        throw;
    }
    if (Ids(ds) != expected) std::abort();
}

// Sort and filter set on an open data set with rows. Answers the rows shown
// with both, or nothing when either text was refused.
std::optional<std::vector<int>> SetOnRows(const AnsiString& filter, const AnsiString& sort) {
    auto ds = MakeDataSet();
    ds->Open();
    AddRows(ds.get());
    const std::vector<int> all = Ids(ds.get());

    bool sortTaken = true;
    std::vector<int> sorted = all;
    try {
        ds->SetSort(sort);
        sorted = Ids(ds.get());
        std::vector<int> a = sorted, b = all;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b) std::abort();
        // Sorting again by the same keys keeps the order.
        ds->SetSort(sort);
        if (Ids(ds.get()) != sorted) std::abort();
    } catch (const EDatabaseError&) {
        if (ds->Sort() != "" || Ids(ds.get()) != all) std::abort();
        sortTaken = false;
    }

    try {
        ds->SetFilter(filter);
    } catch (const EDatabaseError&) {
        if (ds->Filter() != "" || Ids(ds.get()) != sorted) std::abort();
        return std::nullopt;
    }
    std::vector<int> filtered;
    try {
        ds->SetFiltered(true);
        filtered = Ids(ds.get());
    } catch (const EDatabaseError&) {
        if (ds->Filtered() || Ids(ds.get()) != sorted) std::abort();
        return std::nullopt;
    }
    if (!IsSubsequence(filtered, sorted)) std::abort();
    // Nothing changed: reading the rows again keeps what is shown.
    ds->Refresh();
    if (Ids(ds.get()) != filtered) std::abort();
    // A text of blanks and control characters alone is no filter.
    if (std::any_of(filter.begin(), filter.end(), [](char c) { return static_cast<unsigned char>(c) > ' '; })) {
        CheckSameFilter(ds.get(), "(" + filter + ")", filtered);
        CheckSameFilter(ds.get(), "(" + filter + ") OR (" + filter + ")", filtered);
        CheckSameFilter(ds.get(), "(" + filter + ")AND(" + filter + ")", filtered);
    }
    ds->SetFiltered(false);
    if (Ids(ds.get()) != sorted) std::abort();
    if (!sortTaken) return std::nullopt;
    return filtered;
}

// The same texts set before the data set opens: they are checked when it
// opens, and once its rows are read again they show what SetOnRows showed.
// (Records posted meanwhile keep their place until then.)
void SetBeforeOpen(const AnsiString& filter, const AnsiString& sort, const std::optional<std::vector<int>>& expected) {
    auto ds = MakeDataSet();
    try {
        ds->SetSort(sort);
        ds->SetFilter(filter);
        ds->SetFiltered(true);
    } catch (const EDatabaseError&) {
        if (expected) std::abort();
        return;
    }
    try {
        ds->Open();
    } catch (const EDatabaseError&) {
        if (ds->Active() || expected) std::abort();
        return;
    }
    if (!expected) std::abort();
    AddRows(ds.get());
    ds->Refresh();
    if (Ids(ds.get()) != *expected) std::abort();
}

// The filter text up to the first zero byte of the len bytes at text, and
// the sort text after that byte (none without it).
std::pair<AnsiString, AnsiString> SplitTexts(const char* text, size_t len) {
    const void* zero = std::memchr(text, 0, len);
    const size_t filterLen = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : len;
    return {AnsiString(text, filterLen), zero ? AnsiString(text + filterLen + 1, len - filterLen - 1) : AnsiString()};
}

// Runs every check on one pair of texts; bit 0 of Options reads dates day first.
void CheckFilterAndSort(uint8_t Options, const AnsiString& filter, const AnsiString& sort) {
    SetFilterDateFormat(Options & 1 ? "dd.mm.yyyy" : "m/d/yyyy");
    double date;
    ParseFilterDate(filter, date);
    try {
        ParseSortText(sort);
    } catch (const EDatabaseError&) {
    }
    SetBeforeOpen(filter, sort, SetOnRows(filter, sort));
}

}  // namespace
