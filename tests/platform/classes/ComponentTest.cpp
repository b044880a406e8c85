#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

namespace {

using Log = std::vector<std::string>;

// Logs its destruction and the notices it hears; may watch another component.
class TProbe : public TComponent {
public:
    TProbe(TComponent* AOwner, const char* name, Log& log) : TComponent(AOwner), log_(log) { SetName(name); }
    ~TProbe() override {
        log_.push_back("free " + Name());
        // Whatever it still watches must be alive.
        if (watched) watched->RemoveFreeNotification(this);
    }
    const char* ClassName() const override { return "TProbe"; }
    void Watch(TComponent* other) {
        watched = other;
        other->FreeNotification(this);
    }
    void Loaded() override {
        TComponent::Loaded();
        log_.push_back("loaded " + Name());
    }
    TComponent* watched = nullptr;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        log_.push_back(Name() + (Operation == opInsert ? " hears insert " : " hears remove ") + AComponent->Name());
        if (Operation == opRemove && AComponent == watched) watched = nullptr;
    }

private:
    Log& log_;
};

int Count(const Log& log, const std::string& entry) {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

}  // namespace

TEST(TComponent, OwnerFreesItsComponentsLastFirst) {
    Log log;
    auto* form = new TProbe(nullptr, "Form", log);
    new TProbe(form, "A", log);
    auto* b = new TProbe(form, "B", log);
    new TProbe(b, "B1", log);
    new TProbe(form, "C", log);
    EXPECT_EQ(form->ComponentCount(), 3);
    EXPECT_EQ(b->ComponentIndex(), 1);
    log.clear();
    FreeObject(form);
    std::vector<std::string> frees;
    for (const auto& e : log)
        if (e.rfind("free ", 0) == 0) frees.push_back(e);
    // Owned components go after the owner's own destructor body, newest first.
    EXPECT_EQ(frees, (std::vector<std::string>{"free Form", "free C", "free B", "free B1", "free A"}));
}

TEST(TComponent, FindComponentIgnoresCaseAndNamesStayUnique) {
    Log log;
    TProbe form(nullptr, "Form", log);
    auto* edit = new TProbe(&form, "edtName", log);
    EXPECT_EQ(form.FindComponent("EDTNAME"), edit);
    EXPECT_EQ(form.FindComponent("edtname"), edit);
    EXPECT_EQ(form.FindComponent(""), nullptr);
    EXPECT_EQ(form.FindComponent("other"), nullptr);

    auto* other = new TProbe(&form, "Other", log);
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"EdtName", "A component named EdtName already exists"},
        {"1st", "'1st' is not a valid component name"},
        {"two words", "'two words' is not a valid component name"},
    };
    for (const auto& c : cases) {
        try {
            other->SetName(c.name);
            ADD_FAILURE() << "renamed to " << c.name;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(other->Name(), "Other");
    }
    edit->SetName("EDTNAME");  // its own name in another case is fine
    other->SetName("");
    EXPECT_EQ(form.FindComponent("edtname"), edit);
}

TEST(TComponent, FreeNotificationsReachWatchersInEveryDirection) {
    Log log;
    auto* formA = new TProbe(nullptr, "FormA", log);
    auto* formB = new TProbe(nullptr, "FormB", log);
    auto* source = new TProbe(formA, "Source", log);
    auto* grid = new TProbe(formB, "Grid", log);
    grid->Watch(source);

    log.clear();
    FreeObject(source);
    EXPECT_EQ(Count(log, "Grid hears remove Source"), 1);
    EXPECT_EQ(grid->watched, nullptr);
    // The owner passes the removal on to the other owned components.
    EXPECT_EQ(Count(log, "FormA hears remove Source"), 1);

    // After RemoveFreeNotification nothing is heard.
    auto* list = new TProbe(formA, "List", log);
    grid->Watch(list);
    list->RemoveFreeNotification(grid);
    grid->watched = nullptr;
    log.clear();
    FreeObject(list);
    EXPECT_EQ(Count(log, "Grid hears remove List"), 0);

    FreeObject(formA);
    FreeObject(formB);
}

TEST(TComponent, SiblingsHearOfEachOtherWhenTheOwnerGoes) {
    Log log;
    auto* form = new TProbe(nullptr, "Form", log);
    auto* grid = new TProbe(form, "Grid", log);
    auto* source = new TProbe(form, "Source", log);  // created later, freed first
    grid->Watch(source);
    log.clear();
    FreeObject(form);
    // Grid lets go of Source before Source is freed, and its destructor finds nothing to unhook.
    auto heard = std::find(log.begin(), log.end(), "Grid hears remove Source");
    auto freed = std::find(log.begin(), log.end(), "free Source");
    ASSERT_NE(heard, log.end());
    EXPECT_LT(heard - log.begin(), freed - log.begin());
}

TEST(TComponent, InsertRemoveAndLoading) {
    Log log;
    TProbe form(nullptr, "Form", log);
    TProbe loose(nullptr, "Loose", log);
    log.clear();
    form.InsertComponent(&loose);
    EXPECT_EQ(loose.Owner(), &form);
    form.RemoveComponent(&loose);
    EXPECT_EQ(loose.Owner(), nullptr);
    // The owner passes both notices on to its components, the newcomer included.
    EXPECT_EQ(log, (Log{"Loose hears insert Loose", "Form hears insert Loose", "Loose hears remove Loose",
                        "Form hears remove Loose"}));

    loose.SetComponentStateBits(csLoading | csReading);
    EXPECT_TRUE(loose.InState(csLoading));
    loose.Loaded();
    EXPECT_FALSE(loose.InState(csLoading));
    EXPECT_TRUE(loose.InState(csReading));
    EXPECT_FALSE(loose.InState(csDesigning));
}

TEST(TComponent, DestroyingIsSetBeforeTheDestructorsRun) {
    class TWatcher : public TComponent {
    public:
        using TComponent::TComponent;
        bool sawDestroying = false;
        void BeforeDestruction() override {
            TComponent::BeforeDestruction();
            sawDestroying = InState(csDestroying) && Components(0)->InState(csDestroying);
            *out = sawDestroying;
        }
        bool* out = nullptr;
    };
    bool saw = false;
    auto* owner = new TWatcher(nullptr);
    owner->out = &saw;
    new TComponent(owner);
    FreeObject(owner);
    EXPECT_TRUE(saw);
}

TEST(TPersistent, AssignErrorsAndNamePaths) {
    TComponent form(nullptr);
    form.SetName("frmMain");
    TPersistent plain;
    try {
        plain.Assign(&form);
        FAIL() << "assigned";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TPersistent");
    }
    try {
        plain.Assign(nullptr);
        FAIL() << "assigned nil";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TPersistent");
    }

    class TFont : public TPersistent {
    public:
        explicit TFont(TPersistent* owner) : owner_(owner) {}
        const char* ClassName() const override { return "TFont"; }

    protected:
        TPersistent* GetOwner() override { return owner_; }

    private:
        TPersistent* owner_;
    };
    TFont font(&form);
    EXPECT_EQ(font.GetNamePath(), "frmMain.TFont");
    EXPECT_EQ(form.GetNamePath(), "frmMain");
    TFont orphan(nullptr);
    EXPECT_EQ(orphan.GetNamePath(), "TFont");
}
