#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/classes/Collections.h"

namespace {

class TColumn : public TCollectionItem {
public:
    explicit TColumn(TCollection* Collection) : TCollectionItem(Collection), indexAtBirth(Index()) {}
    const char* ClassName() const override { return "TColumn"; }
    void Assign(TPersistent* Source) override {
        if (auto* c = dynamic_cast<TColumn*>(Source)) {
            title = c->title;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    void SetTitle(const AnsiString& t) {
        title = t;
        Changed(false);
    }
    AnsiString title;
    int indexAtBirth;
};

// Records every Update and Notify; checks that announced items are fully built.
class TColumns : public TOwnedCollection {
public:
    explicit TColumns(TPersistent* AOwner) : TOwnedCollection(AOwner, &ItemClassOf<TColumn>) {}
    const char* ClassName() const override { return "TColumns"; }
    std::vector<std::string> log;

protected:
    void Update(TCollectionItem* Item) override {
        log.push_back(Item ? "update " + static_cast<TColumn*>(Item)->title : "update all");
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        static const char* names[] = {"added", "extracting", "deleting"};
        auto* column = dynamic_cast<TColumn*>(Item);
        log.push_back(std::string(names[Action]) + (column ? " column" : " partial item"));
    }
};

class TGrid : public TPersistent {
public:
    const char* ClassName() const override { return "TGrid"; }
    AnsiString GetNamePath() override { return "Form1.Grid1"; }
};

std::vector<AnsiString> Titles(const TCollection& c) {
    std::vector<AnsiString> result;
    for (int i = 0; i < c.Count(); ++i) result.push_back(static_cast<TColumn*>(c.Items(i))->title);
    return result;
}

TColumn* AddColumn(TCollection& c, const AnsiString& title) {
    auto* column = static_cast<TColumn*>(c.Add());
    column->title = title;
    return column;
}

}  // namespace

TEST(TCollection, NestedUpdatesEndInOneWholeUpdate) {
    TGrid grid;
    TColumns columns(&grid);
    columns.BeginUpdate();
    columns.BeginUpdate();
    AddColumn(columns, "a")->SetTitle("A");
    AddColumn(columns, "b");
    columns.Items(1)->SetIndex(0);
    columns.Delete(0);
    columns.EndUpdate();
    EXPECT_EQ(std::count(columns.log.begin(), columns.log.end(), "update all"), 0);
    columns.EndUpdate();
    EXPECT_EQ(columns.log, (std::vector<std::string>{"added column", "added column", "deleting column",
                                                     "extracting column", "update all"}));
    EXPECT_EQ(Titles(columns), (std::vector<AnsiString>{"A"}));

    // Outside an update each change is reported at once.
    columns.log.clear();
    static_cast<TColumn*>(columns.Items(0))->SetTitle("x");
    AddColumn(columns, "y");
    EXPECT_EQ(columns.log, (std::vector<std::string>{"update x", "added column", "update all"}));
}

TEST(TCollection, IndexMovesTheItem) {
    TColumns columns(nullptr);
    for (const char* t : {"a", "b", "c", "d"}) AddColumn(columns, t);
    EXPECT_EQ(static_cast<TColumn*>(columns.Items(3))->indexAtBirth, 3);  // joined before its constructor ended
    columns.log.clear();
    columns.Items(0)->SetIndex(2);
    EXPECT_EQ(Titles(columns), (std::vector<AnsiString>{"b", "c", "a", "d"}));
    columns.Items(3)->SetIndex(0);
    EXPECT_EQ(Titles(columns), (std::vector<AnsiString>{"d", "b", "c", "a"}));
    columns.Items(1)->SetIndex(1);  // no move, no notice
    EXPECT_EQ(columns.log, (std::vector<std::string>{"update all", "update all"}));
    EXPECT_THROW(columns.Items(0)->SetIndex(4), EListError);

    auto* inserted = static_cast<TColumn*>(columns.Insert(1));
    EXPECT_EQ(inserted->Index(), 1);
    EXPECT_EQ(columns.Count(), 5);
}

TEST(TCollection, IdsNamesAndPaths) {
    TGrid grid;
    TColumns columns(&grid);
    TCollectionItem* first = AddColumn(columns, "a");
    TCollectionItem* second = AddColumn(columns, "b");
    columns.Delete(0);
    TCollectionItem* third = AddColumn(columns, "c");
    EXPECT_EQ(second->ID(), 1);
    EXPECT_EQ(third->ID(), 2);  // IDs are never reused
    EXPECT_EQ(columns.FindItemID(2), third);
    EXPECT_EQ(columns.FindItemID(0), nullptr);
    (void)first;

    EXPECT_EQ(third->DisplayName(), "TColumn");
    EXPECT_EQ(columns.GetNamePath(), "TColumns");  // no property name known
    columns.SetPropName("Columns");
    EXPECT_EQ(columns.GetNamePath(), "Form1.Grid1.Columns");
    EXPECT_EQ(third->GetNamePath(), "Form1.Grid1.Columns[1]");
    EXPECT_EQ(columns.Owner(), &grid);

    TColumn loose(nullptr);
    EXPECT_EQ(loose.GetNamePath(), "TColumn");
    EXPECT_EQ(loose.Index(), -1);
}

TEST(TCollection, AssignCopiesItemsInsideOneUpdate) {
    TColumns source(nullptr), target(nullptr);
    for (const char* t : {"x", "y"}) AddColumn(source, t);
    AddColumn(target, "old");
    target.log.clear();
    target.Assign(&source);
    EXPECT_EQ(Titles(target), (std::vector<AnsiString>{"x", "y"}));
    EXPECT_EQ(target.log, (std::vector<std::string>{"extracting column", "added column", "added column", "update all"}));

    TGrid notACollection;
    try {
        target.Assign(&notACollection);
        FAIL() << "assigned a grid to a collection";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TGrid to a TColumns");
    }
}

TEST(TCollection, ItemsLeaveWithNoticesWhenFreedAndSilentlyWhenDeleted) {
    TColumns columns(nullptr);
    TColumn* a = AddColumn(columns, "a");
    TColumn* b = AddColumn(columns, "b");
    TColumn* c = AddColumn(columns, "c");
    columns.log.clear();
    FreeObject(a);
    EXPECT_EQ(columns.log, (std::vector<std::string>{"extracting column", "update all"}));
    delete b;  // no notice can reach a half-destroyed item
    EXPECT_EQ(columns.log.size(), 2u);
    EXPECT_EQ(Titles(columns), (std::vector<AnsiString>{"c"}));

    TColumns other(nullptr);
    c->SetCollection(&other);
    EXPECT_EQ(columns.Count(), 0);
    EXPECT_EQ(other.Count(), 1);
    EXPECT_EQ(c->Collection(), &other);
    columns.log.clear();
    columns.Clear();  // empty: nothing to report
    EXPECT_TRUE(columns.log.empty());
}
