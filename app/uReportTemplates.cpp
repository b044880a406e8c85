// Template reports.
#include "app/uReportTemplates.h"

#include <algorithm>
#include <filesystem>

#include "app/uSpyReportText.h"
#include "data/uDatamodule.h"
#include "grid/DBGridGx.h"
#include "text/uQuickStrings.h"

namespace {

bool IsWholeNumber(TField* Field) {
    return Field->DataType() == ftSmallint || Field->DataType() == ftInteger || Field->DataType() == ftLargeint;
}

AnsiString Thousands(int64_t Value) { return Format("%.0n", {Value}); }

}  // namespace

void ResolveCombatTag(AnsiString& Tag, intptr_t UserData) {
    auto* dm = reinterpret_cast<TdmMain*>(UserData);
    if (TField* field = dm->viewCombat->FindField(Tag)) {
        Tag = IsWholeNumber(field) ? Thousands(field->AsLargeInt()) : field->AsString();
        return;
    }
    const struct {
        const char* Name;
        int64_t Value;
    } sums[] = {{"summetalraided", dm->SumMetalRaided},     {"sumcrystalraided", dm->SumCrystalRaided},
                {"sumDeuteriumraided", dm->SumDeuteriumRaided}, {"summetaldebris", dm->SumMetalDebris},
                {"sumcrystaldebris", dm->SumCrystalDebris}};
    if (SameText(Tag, "selectioncount")) {
        Tag = IntToStr(dm->SelectionCount);
        return;
    }
    for (const auto& s : sums)
        if (SameText(Tag, s.Name)) {
            Tag = Thousands(s.Value);
            return;
        }
}

// A conditional section's "#>" is searched after its "<#", so a "#>" before
// the marker cannot make a negative field name.
void ResolveEspionageTag(AnsiString& Tag, intptr_t UserData) {
    auto* dm = reinterpret_cast<TdmMain*>(UserData);
    const int len = static_cast<int>(Tag.size());
    AnsiString name = Tag;
    bool conditional = false;
    if (int p = FastPosNoCase(Tag, "<#", len, 2, 1); p > 0) {
        if (int q = FastPosNoCase(Tag, "#>", len, 2, p + 2); q > 0) {
            name = Tag.substr(p + 1, q - p - 2);
            conditional = true;
        }
    }
    TField* field = dm->viewPlanet->FindField(name);
    AnsiString value;
    if (field) {
        if (IsWholeNumber(field))
            value = field->IsNull() ? AnsiString("NULL") : Thousands(field->AsLargeInt());
        else
            value = field->AsString();
    }
    if (conditional) {
        if (SameText(value, "NULL") || SameText(value, "0"))
            Tag.clear();
        else
            Tag = FastReplace(Tag, "<#" + name + "#>", value, false);
    } else if (field) {
        Tag = value;
    }
}

void ListTemplateFiles(const AnsiString& Folder, const AnsiString& Extension, TStrings* List) {
    List->Clear();
    AnsiString folder = Folder;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    std::vector<AnsiString> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, error)) {
        if (!entry.is_regular_file(error)) continue;
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        if (SameText(ext, "." + Extension)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) { return CompareText(a, b) < 0; });
    for (const AnsiString& n : names) List->Add(folder + n);
}

void FillTemplateMenu(TStrings* List, TMenuItem* Parent, TMenuItem* Anchor, TNotifyEvent Handler) {
    int at = Anchor ? Parent->IndexOf(Anchor) + 1 : 0;
    for (int i = 0; i < List->Count(); ++i) {
        AnsiString name = std::filesystem::path(List->Strings(i)).filename().string();
        auto* item = new TMenuItem(Parent->Owner());
        // A '&' of the name is shown, not taken as the item's accelerator.
        item->SetCaption(FastReplace(FileNameAsText(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0)), "&",
                                     "&&", true));
        item->OnClick = Handler;
        Parent->Insert(at++, item);
    }
}

AnsiString RenderTemplate(const AnsiString& Header, const AnsiString& Body, const AnsiString& Footer,
                          TCustomDBGridGx* Grid, TDataSet* View, void (*Resolve)(AnsiString&, intptr_t),
                          TdmMain* Dm) {
    const intptr_t data = reinterpret_cast<intptr_t>(Dm);
    AnsiString result = FastTagReplace(Header, "[#", "#]", Resolve, data);
    TBookmarkListGx* selected = Grid->SelectedRows();
    for (int i = 0; i < selected->Count(); ++i) {
        View->GotoBookmark(selected->Items(i));
        result += "\r\n" + FastTagReplace(Body, "[#", "#]", Resolve, data);
    }
    result += "\r\n" + FastTagReplace(Footer, "[#", "#]", Resolve, data);
    return result + GeneratedByFooter(Dm->ProgramVersion);
}
