// Text form definitions: building a component tree, and the errors.
#include <gtest/gtest.h>

#include "platform/classes/UITypes.h"
#include "platform/rtti/FormText.h"
#include "platform/rtti/Resources.h"
#include "tests/platform/rtti/StreamClasses.h"

namespace {

const char* const kForm = R"(object frmTest: TTestForm
  Caption = 'Two'#13#10'lines, it''s '
    + 'Ярд'
  OnCreate = FormCreate
  object Panel1: TTestControl
    Caption = 'Panel'
    Color = $00FF8000
    Lines.Strings = (
      'first'
      'second')
    Partner = Grid1
    OnClick = Panel1Click
    object Grid1: TTestGridControl
      Partner = Panel1
      Ratio = 0.75
      Options = [tsItalic, tsStrikeOut]
      Columns = <
        item
          FieldName = 'Name'
          Title.Caption = 'Player'
          Title.Font.Style = [tsBold]
          Width = -1
          Footers = <
            item
              ValueType = vtCount
            end>
        end
        item
          FieldName = 'Score'
          Stamp = 45000.5d
          Visible = False
        end>
    end
  end
  object Extra: TTestControl
    Color = clBtnFace
  end
end
)";

}  // namespace

TEST(FormText, DefinitionBuildsTheComponentTree) {
    RegisterStreamTestClasses();
    gLoadedLog.clear();
    TTestForm form(nullptr);
    ReadComponentDefinition(&form, kForm, "test.form");

    EXPECT_EQ(form.Name(), "frmTest");
    EXPECT_EQ(form.Caption, "Two\r\nlines, it's " + FromUtf8Literal("Ярд"));
    ASSERT_EQ(form.ComponentCount(), 3);  // every component is owned by the root
    ASSERT_TRUE(form.Panel1);
    ASSERT_TRUE(form.Grid1);
    EXPECT_EQ(form.Components(0), form.Panel1);
    EXPECT_EQ(form.Components(1), form.Grid1);
    EXPECT_EQ(form.Components(2)->Name(), "Extra");
    EXPECT_EQ(static_cast<TTestControl*>(form.Components(2))->Color, clBtnFace);

    // Nesting gives the parent, before the properties are set.
    EXPECT_EQ(form.Panel1->ParentSeen, &form);
    EXPECT_EQ(form.Grid1->ParentSeen, form.Panel1);
    EXPECT_TRUE(form.Grid1->LoadingWhenParented);

    EXPECT_EQ(form.Panel1->Caption, "Panel");
    EXPECT_EQ(form.Panel1->Color, 0x00FF8000);
    EXPECT_EQ(form.Panel1->Lines()->Count(), 2);
    EXPECT_EQ(form.Panel1->Lines()->Strings(1), "second");
    EXPECT_EQ(form.Grid1->Ratio, 0.75);
    EXPECT_EQ(form.Grid1->Options, (TTestStyles{tsItalic, tsStrikeOut}));

    ASSERT_EQ(form.Grid1->Columns()->Count(), 2);
    auto* c0 = static_cast<TTestColumn*>(form.Grid1->Columns()->Items(0));
    auto* c1 = static_cast<TTestColumn*>(form.Grid1->Columns()->Items(1));
    EXPECT_EQ(c0->FieldName, "Name");
    EXPECT_EQ(c0->Title()->Caption, "Player");
    EXPECT_EQ(c0->Title()->Font()->Style, TTestStyles{tsBold});
    EXPECT_EQ(c0->Width, -1);
    ASSERT_EQ(c0->Footers()->Count(), 1);
    EXPECT_EQ(static_cast<TTestFooter*>(c0->Footers()->Items(0))->ValueType, vtCount);
    EXPECT_EQ(c1->Stamp, 45000.5);
    EXPECT_FALSE(c1->Visible);

    // References, the later one included, are resolved before any Loaded.
    EXPECT_EQ(form.Panel1->Partner, form.Grid1);
    EXPECT_EQ(form.Grid1->Partner, form.Panel1);
    EXPECT_TRUE(form.Panel1->PartnerAtLoaded);

    // Handlers are bound to the root.
    ASSERT_TRUE(form.Panel1->OnClick);
    form.Panel1->OnClick(form.Panel1);
    form.OnCreate(&form);
    EXPECT_EQ(form.clicks, (std::vector<AnsiString>{"Panel1Click", "FormCreate"}));

    // Loaded once per component, in creation order; nothing is left loading.
    EXPECT_EQ(gLoadedLog, (std::vector<AnsiString>{"frmTest", "Panel1", "Grid1", "Extra"}));
    for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_EQ(form.Components(i)->ComponentState(), 0u);
    EXPECT_EQ(form.ComponentState(), 0u);
}

TEST(FormText, FailuresNameTheCauseAndLine) {
    RegisterStreamTestClasses();
    struct Case {
        const char* what;
        std::string text;
        std::vector<const char*> inMessage;
    } cases[] = {
        {"unknown handler", "object f: TTestForm\n  object Panel1: TTestControl\n    OnClick = Panel1Clik\n  end\nend",
         {"Panel1Clik", "(3)", "TTestForm"}},
        {"unknown reference", "object f: TTestForm\n  object Panel1: TTestControl\n    Partner = Nobody\n  end\nend",
         {"Nobody", "(3)"}},
        {"unknown class", "object f: TTestForm\n  object X: TNoSuchControl\n  end\nend", {"TNoSuchControl", "(2)"}},
        {"unknown property", "object f: TTestForm\n  Caption = 'x'\n  Colour = 5\nend", {"Colour", "(3)"}},
        {"wrong root class", "object f: TTestWrapper\nend", {"TTestWrapper"}},
        {"duplicate name", "object f: TTestForm\n  object A: TTestControl\n  end\n  object a: TTestControl\n  end\nend",
         {"(4)"}},
        {"field of another class", "object f: TTestForm\n  object Grid1: TTestControl\n  end\nend", {"Grid1", "(2)"}},
        {"missing =", "object f: TTestForm\n  Caption 'x'\nend", {"'=' expected", "(2)"}},
        {"unterminated string", "object f: TTestForm\n  Caption = 'x\nend", {"Unterminated string", "(2)"}},
        {"missing end", "object f: TTestForm\n  Caption = 'x'\n", {"'end' expected"}},
        {"property after a child", "object f: TTestForm\n  object A: TTestControl\n  end\n  Caption = 'x'\nend",
         {"(4)"}},
        {"not a definition", "Caption = 'x'", {"'object' expected", "(1)"}},
        {"bad number", "object f: TTestForm\n  Tag = 12ab\nend", {"Invalid number"}},
        {"huge number", "object f: TTestForm\n  Tag = 99999999999999999999\nend", {"Number too large"}},
        {"text after end", "object f: TTestForm\nend\nend", {"(3)"}},
        {"deep nesting", "object f: TTestForm\n  Tag = " + std::string(100000, '(') + "\nend", {"nested too deep"}},
        {"identifier too long", "object f: TTestForm\n  Caption = " + std::string(256, 'x') + "\nend",
         {"Identifier too long", "(2)"}},
        // The child renames itself before the read fails: its field must not
        // keep pointing at it once it is freed.
        {"renamed, then bad", "object f: TTestForm\n  object Panel1: TTestControl\n    Name = 'Other'\n"
                              "    Colour = 1\n  end\nend",
         {"Colour", "(4)"}},
    };
    for (const Case& k : cases) {
        gLoadedLog.clear();
        TTestForm form(nullptr);
        try {
            ReadComponentDefinition(&form, k.text, "bad.form");
            ADD_FAILURE() << k.what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message().rfind("bad.form(", 0), 0u) << k.what << ": " << e.Message();
            for (const char* part : k.inMessage)
                EXPECT_NE(e.Message().find(part), std::string::npos) << k.what << ": " << e.Message();
        }
        // A failed load leaves no half-built children and no dangling fields.
        EXPECT_EQ(form.ComponentCount(), 0) << k.what;
        EXPECT_EQ(form.Panel1, nullptr) << k.what;
        EXPECT_EQ(form.Grid1, nullptr) << k.what;
        EXPECT_TRUE(gLoadedLog.empty()) << k.what;
        EXPECT_FALSE(form.InState(csLoading | csReading)) << k.what;
    }
}

TEST(FormText, TextAndBinaryFormsAgree) {
    RegisterStreamTestClasses();
    // The text converter writes the same stream the writer does for the same objects.
    TTestWrapper w(nullptr);
    TTestColumn* c = w.AddColumn();
    c->FieldName = "Name";
    c->Increment = 2.5;
    c->Title()->Font()->Style = {tsBold};
    TMemoryStream written;
    WriteComponent(&written, &w);

    TMemoryStream converted;
    ObjectTextToBinary("object TTestWrapper\n"
                       "  Columns = <\n"
                       "    item\n"
                       "      Alignment = taLeft\n"
                       "      FieldName = 'Name'\n"
                       "      Footers = <>\n"
                       "      Increment = 2.5\n"
                       "      Title.Font.Charset = DEFAULT_CHARSET\n"
                       "      Title.Font.Color = clBlack\n"
                       "      Title.Font.Height = -11\n"
                       "      Title.Font.Name = 'Arial'\n"
                       "      Title.Font.Style = [tsBold]\n"
                       "      Width = 64\n"
                       "    end>\n"
                       "end\n",
                       &converted);
    ASSERT_EQ(converted.Size(), written.Size());
    EXPECT_EQ(std::memcmp(converted.Memory(), written.Memory(), written.Size()), 0);
}

TEST(FormText, MissingResource) {
    RegisterStreamTestClasses();
    TTestForm form(nullptr);
    EXPECT_EQ(FormResourceName(&form), "TTestForm.form");
    EXPECT_TRUE(EmbeddedResource("no such file").empty());
    try {
        ReadComponentResource(&form);
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TTestForm.form not found");
    }
}
