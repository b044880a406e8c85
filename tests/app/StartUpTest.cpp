// The program's start-up registers every library: each class that a library
// publishes is found by name, and a form naming every control class loads.
// This test's main starts the way the program does (StartTesk), so a class
// missing from its library's registration call fails here, not in the field.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "grid/DBGridGx.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtti/FormText.h"
#include "tests/app/AppTestSupport.h"

namespace {

namespace fs = std::filesystem;
using apptest::ReadFile;

// The classes the program's sources give type information: TESK_PUBLISHED and
// the data-access and built-in class lists.
std::set<std::string> PublishedClassNames() {
    static const std::regex declaration(R"(^\s*TESK_(?:PUBLISHED|DB_CLASS|BUILTIN_CLASS)\((T\w+)[,)])");
    std::set<std::string> names;
    for (const char* folder : {"platform", "text", "grid", "data", "storage", "editor", "app"}) {
        fs::path root = fs::path(TESK_SOURCE_DIR) / folder;
        if (!fs::exists(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.path().extension() != ".cpp") continue;
            std::istringstream lines(ReadFile(entry.path()));
            std::string line;
            std::smatch m;
            while (std::getline(lines, line))
                if (std::regex_search(line, m, declaration)) names.insert(m[1]);
        }
    }
    return names;
}

// Controls that only their holder makes (a grid's editor, a navigator's
// buttons, drop-down windows and grips), never a form definition.
const std::set<std::string> kMadeByTheirHolder = {
    "TInplaceEdit",   "TNavButton",    "THintWindow",     "TSizeGripGx",
    "TEditButtonControlGx", "TPopupListboxGx", "TMRUListboxGx", "TPopupMonthCalendarGx",
    "TToolTipsWindow", "TPopupCalculatorGx", "TPopupDataGridGx", "TDBGridInplaceEdit",
    "TInplaceFilterEditGx"};

// A class a form definition may name as a control: it makes instances, is a
// control, is no form, is not a base for others and is not made by its holder.
bool IsFormControlClass(const TClassInfo* info) {
    std::string name = info->ClassName();
    return info->CanCreate() && info->InheritsFrom(ClassInfoOf<TControl>()) &&
           !info->InheritsFrom(ClassInfoOf<TCustomForm>()) && name.rfind("TCustom", 0) != 0 &&
           name != "TControl" && name != "TWinControl" && name != "TGraphicControl" && name != "TWidgetControl" &&
           name != "TButtonControl" && !kMadeByTheirHolder.count(name);
}

TEST(StartUp, EveryPublishedClassIsRegistered) {
    std::set<std::string> names = PublishedClassNames();
    ASSERT_GT(names.size(), 50u);  // the scan found the sources
    for (const std::string& name : names) EXPECT_NE(GetClass(name), nullptr) << name << " is not registered";
}

TEST(StartUp, AFormNamingEveryControlClassLoads) {
    const fs::path fixture = fs::path(TESK_FIXTURES_DIR) / "forms" / "TfrmEveryControl.form";
    const std::string text = ReadFile(fixture);
    ASSERT_FALSE(text.empty());

    // The fixture names every control class that the libraries register.
    for (const std::string& name : PublishedClassNames()) {
        const TClassInfo* info = GetClass(name);
        if (!info || !IsFormControlClass(info)) continue;
        EXPECT_NE(text.find(": " + name + "\n"), std::string::npos) << "the fixture names no " << name;
    }

    TForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NO_THROW(ReadComponentDefinition(form, text, "TfrmEveryControl.form"));
    // Every object of the definition became a component of the form.
    std::istringstream lines(text);
    std::string line;
    std::smatch m;
    static const std::regex object(R"(^\s+object (\w+): (T\w+)$)");
    int objects = 0;
    while (std::getline(lines, line)) {
        if (!std::regex_search(line, m, object)) continue;
        ++objects;
        TComponent* component = form->FindComponent(m[1].str());
        if (!component) {
            // Menu items and actions belong to the form too; anything else is missing.
            ADD_FAILURE() << m[1] << " was not created";
            continue;
        }
        EXPECT_EQ(std::string(component->ClassName()), m[2].str());
    }
    EXPECT_GT(objects, 30);
    EXPECT_EQ(form->Menu(), form->FindComponent("mnuMain"));
    auto* grid = dynamic_cast<TDBGridGx*>(form->FindComponent("grdMain"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Parent(), form);
    auto* pages = dynamic_cast<TPageControl*>(form->FindComponent("pcMain"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->PageCount(), 2);
    FreeObject(form);
}

}  // namespace
