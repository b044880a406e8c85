// Fuzzes the settings file through the store's typed reads: the input is the
// file "TeskSettings.xml" as the main window's store opens it (reload before
// each read, rewrite after each write). Every read of the placement values,
// an enumeration, a set (as a folder and as a text), a list and a published
// object with a collection must answer; a value written must read back. A
// file that does not parse is set aside as "TeskSettings.xml.bad" and the
// store goes on empty. Errors the store reports as exceptions of its own
// (a date text that is no date) are allowed; a crash, a hang, a sanitizer
// report or a written value that reads back differently is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/rtti/Published.h"
#include "storage/StAppXMLStorage.h"

namespace {

enum TFuzzAlign { faLeft, faRight, faCenter };
using TFuzzAligns = std::bitset<3>;

}  // namespace

TESK_ENUM_INFO(TFuzzAlign, faLeft, faRight, faCenter)
TESK_SET_INFO(TFuzzAligns, TFuzzAlign)

namespace {

class TFuzzColumn : public TCollectionItem {
    TESK_CLASS(TFuzzColumn, TCollectionItem)
public:
    explicit TFuzzColumn(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TFuzzColumn*>(Source)) {
            FieldName = s->FieldName;
            Width = s->Width;
            Align = s->Align;
            Increment = s->Increment;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    AnsiString FieldName;
    int Width = 64;
    TFuzzAlign Align = faLeft;
    long double Increment = 1;
};

class TFuzzGrid : public TPersistent {
    TESK_CLASS(TFuzzGrid, TPersistent)
public:
    TFuzzGrid() : Columns(ItemClassOf<TFuzzColumn>) {}
    TCollection Columns;
    TFuzzAligns Aligns;
    TStringList Keys;
    TCollection* ColumnsProp() { return &Columns; }
    TStrings* KeysProp() { return &Keys; }
};

}  // namespace

TESK_PUBLISHED(TFuzzColumn) {
    Property("FieldName", &T::FieldName, &T::FieldName);
    Property("Width", &T::Width, &T::Width);
    Property("Align", &T::Align, &T::Align);
    Property("Increment", &T::Increment, &T::Increment);
}

TESK_PUBLISHED(TFuzzGrid) {
    Property("Columns", &T::ColumnsProp);
    Property("Aligns", &T::Aligns, &T::Aligns);
    Property("Keys", &T::KeysProp);
}

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto p = fuzzscratch::Root() / ("tesk-fuzz-settings-" + std::to_string(getpid()));
        std::filesystem::create_directories(p);
        SetProgramFolderForTests(p.string());
        return p;
    }();
    return folder;
}

std::unique_ptr<TStAppXMLFileStorage> Open() {
    auto s = std::make_unique<TStAppXMLFileStorage>(nullptr);
    s->SetComponentStateBits(csLoading);
    s->SetFileName("TeskSettings.xml");
    s->SetRootNodeName("Configuration");
    s->SetAutoFlush(true);
    s->SetAutoReload(true);
    s->Loaded();
    return s;
}

void Check(bool Condition, const char* What) {
    if (!Condition) {
        std::fprintf(stderr, "settings: %s\n", What);
        std::abort();
    }
}

template <class F>
void Allowing(F read) {
    try {
        read();
    } catch (const Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = Folder() / "TeskSettings.xml";
    std::filesystem::remove(file.string() + ".bad");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto store = Open();
    store->ReadInteger("frmMain\\FormVersion", 0);
    store->ReadInteger("frmMain\\ShowCmd", 0);
    store->ReadString("frmMain\\NormPos", "");
    store->ReadString("frmMain\\NormPos(1280x1024)", "");
    store->ReadBoolean("frmMain\\Flag", false);
    store->ReadFloat("frmMain\\Ratio", 0);
    Allowing([&] { store->ReadDateTime("frmMain\\When", 0); });
    const TFuzzAlign def = faRight;
    TFuzzAlign align = faLeft;
    store->ReadEnumeration("frmMain\\Align", TypeInfoOf<TFuzzAlign>(), &def, &align);
    Check(align >= faLeft && align <= faCenter, "an enumeration read outside its type");
    store->ReadSet("frmMain\\Aligns", TypeInfoOf<TFuzzAligns>(), {});
    store->StorageOptions()->SetAsString = true;
    store->ReadSet("frmMain\\Aligns", TypeInfoOf<TFuzzAligns>(), {});
    store->StorageOptions()->SetAsString = false;
    TStringList list;
    store->ReadStringList("frmMain\\List", &list);
    TFuzzGrid grid;
    grid.Columns.Add();
    Allowing([&] { store->ReadPersistent("frmSelectDB\\grdSelectDB_Columns", &grid); });
    Allowing([&] { store->ReadProperty("frmSelectDB\\grdSelectDB_Columns", &grid, "Columns", true, true); });
    for (int i = 0; i < grid.Columns.Count(); ++i) {
        auto* c = static_cast<TFuzzColumn*>(grid.Columns.Items(i));
        Check(c->Align >= faLeft && c->Align <= faCenter, "a column's enumeration outside its type");
    }
    TStringList names;
    Allowing([&] { store->GetStoredValues("frmMain", &names); });
    store->IsFolder("frmSelectDB\\grdSelectDB_Columns");

    // Whatever the file held, a value written reads back.
    // (Line breaks and blanks at the ends of a value are the file's layout, not the value.)
    AnsiString text;
    for (size_t i = 0; i < size && i < 40; ++i) text += data[i] < 0x20 || data[i] == 0x7F ? 'x' : char(data[i]);
    store->WriteString("frmMain\\Written", text);
    store->WriteInteger("frmMain\\Number", static_cast<int>(size));
    Check(Trim(store->ReadString("frmMain\\Written", "\n")) == Trim(text), "a written text read back differently");
    Check(store->ReadInteger("frmMain\\Number", -1) == static_cast<int>(size), "a written number read back differently");
    return 0;
}
