// The XML document: writing, parsing, errors, escaping and the node lists.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "storage/StSimpleXml.h"
#include "text/UtStrings.h"

namespace {

AnsiString Crlf(std::initializer_list<const char*> lines) {
    AnsiString out;
    for (const char* l : lines) out += AnsiString(l) + "\r\n";
    return out;
}

// A small document built in code.
void Fill(TStSimpleXML& xml) {
    xml.Root()->SetName("cfg");
    TStSimpleXMLElem* form = xml.Root()->Items()->Add("form");
    form->Properties()->Add("id", "1");
    form->Items()->Add("Width", "640");
    form->Items()->Add("Empty");
    xml.Root()->Items()->Add("v", "a<b");
}

AnsiString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EStSimpleXMLError& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST(StSimpleXml, WritesGoldenBytes) {
    TStSimpleXML xml;
    Fill(xml);
    EXPECT_EQ(xml.SaveToString(), Crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>",
                                        "<cfg>",
                                        "  <form id=\"1\">",
                                        "    <Width>640</Width>",
                                        "    <Empty/>",
                                        "  </form>",
                                        "  <v>a&lt;b</v>",
                                        "</cfg>"}));

    xml.SetOptions({sxoDoNotSaveProlog});  // no indenting, no escaping
    EXPECT_EQ(xml.SaveToString(), Crlf({"<cfg>", "<form id=\"1\">", "<Width>640</Width>", "<Empty/>", "</form>",
                                        "<v>a<b</v>", "</cfg>"}));

    xml.SetOptions({sxoAutoIndent});
    xml.SetIndentString("\t");
    xml.Prolog()->FindHeader()->SetStandalone(true);
    xml.Prolog()->FindHeader()->SetEncoding("");
    EXPECT_EQ(xml.SaveToString(), Crlf({"<?xml version=\"1.0\" standalone=\"yes\"?>", "<cfg>", "\t<form id=\"1\">",
                                        "\t\t<Width>640</Width>", "\t\t<Empty/>", "\t</form>", "\t<v>a<b</v>",
                                        "</cfg>"}));
}

TEST(StSimpleXml, EmptyDocumentWritesOnlyTheDeclaration) {
    TStSimpleXML xml;
    EXPECT_EQ(xml.SaveToString(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n");
    // The declaration made for writing stays in the prolog.
    EXPECT_EQ(xml.Prolog()->Count(), 1);
    EXPECT_EQ(xml.Prolog()->Item(0)->Name(), "xml");
}

TEST(StSimpleXml, IndentStringTakesOnlyBlanksAndTabs) {
    TStSimpleXML xml;
    xml.SetIndentString("x");
    EXPECT_EQ(xml.IndentString(), "  ");
    xml.SetIndentString(" \t");
    EXPECT_EQ(xml.IndentString(), " \t");
    xml.SetIndentString("");
    EXPECT_EQ(xml.IndentString(), "");
}

TEST(StSimpleXml, RoundTripKeepsPrologCommentsCDataAndAttributes) {
    const AnsiString input =
        "<?xml version=\"1.1\" encoding=\"windows-1251\" standalone=\"yes\"?>\r\n"
        "<!-- before -->\r\n"
        "<!DOCTYPE cfg [ <!ENTITY x \"y>\"> ]>\r\n"
        "<?xml-stylesheet type=\"text/xsl\" href='s.xsl'?>\r\n"
        "<ns:cfg a=\"1\" ns:b='say \"hi\"'>\r\n"
        "  <!-- inside - with a dash -->\r\n"
        "  <code><![CDATA[if (a < b) x = ]] ; ]]></code>\r\n"
        "  <item n = \"2\" >text</item>\r\n"
        "  <item/>\r\n"
        "</NS:CFG>\r\n";
    TStSimpleXML xml;
    xml.LoadFromString(input);

    TStSimpleXMLElemHeader* header = xml.Prolog()->FindHeader();
    EXPECT_EQ(header->Version(), "1.1");
    EXPECT_EQ(header->Encoding(), "windows-1251");
    EXPECT_TRUE(header->Standalone());
    ASSERT_EQ(xml.Prolog()->Count(), 4);
    EXPECT_EQ(xml.Prolog()->Item(1)->Value(), " before ");
    EXPECT_EQ(xml.Prolog()->Item(2)->Value(), "cfg [ <!ENTITY x \"y>\"> ]");
    EXPECT_EQ(xml.Prolog()->Item(3)->Properties()->Value("href"), "s.xsl");

    TStSimpleXMLElem* root = xml.Root();
    EXPECT_EQ(root->Name(), "cfg");
    EXPECT_EQ(root->NameSpace(), "ns");
    EXPECT_EQ(root->Properties()->Item(1)->NameSpace(), "ns");
    EXPECT_EQ(root->Properties()->Value("b"), "say \"hi\"");
    ASSERT_EQ(root->Items()->Count(), 4);
    EXPECT_EQ(root->Items()->Item(0)->Value(), " inside - with a dash ");
    EXPECT_EQ(root->Items()->ItemNamed("code")->Items()->Item(0)->Value(), "if (a < b) x = ]] ; ");
    EXPECT_EQ(root->Items()->Item(2)->Value(), "text");
    EXPECT_EQ(root->Items()->Item(2)->Properties()->Value("n"), "2");

    const AnsiString expected = Crlf({"<?xml version=\"1.1\" encoding=\"windows-1251\" standalone=\"yes\"?>",
                                      "<!-- before -->",
                                      "<!DOCTYPE cfg [ <!ENTITY x \"y>\"> ]>",
                                      "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>",
                                      "<ns:cfg a=\"1\" ns:b=\"say &quot;hi&quot;\">",
                                      "  <!-- inside - with a dash -->",
                                      "  <code>",
                                      "    <![CDATA[if (a < b) x = ]] ; ]]>",
                                      "  </code>",
                                      "  <item n=\"2\">text</item>",
                                      "  <item/>",
                                      "</ns:cfg>"});
    EXPECT_EQ(xml.SaveToString(), expected);
    TStSimpleXML again;
    again.LoadFromString(expected);
    EXPECT_EQ(again.SaveToString(), expected);
}

TEST(StSimpleXml, CommentBeforeRootGetsTheDeclarationFirst) {
    TStSimpleXML xml;
    xml.SetOptions({sxoAutoIndent});
    xml.LoadFromString("<!--c--><a/>");
    EXPECT_EQ(xml.SaveToString(), Crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>", "<!--c-->", "<a/>"}));
}

TEST(StSimpleXml, TextContent) {
    TStSimpleXML xml;
    // A single word is the value; mixed content keeps a text node with its trailing blank.
    xml.LoadFromString("<r><a>word</a><b> word <c/></b></r>");
    TStSimpleXMLElems* items = xml.Root()->Items();
    EXPECT_EQ(items->ItemNamed("a")->Value(), "word");
    EXPECT_EQ(items->ItemNamed("a")->Items()->Count(), 0);
    TStSimpleXMLElem* b = items->ItemNamed("b");
    ASSERT_EQ(b->Items()->Count(), 2);
    EXPECT_NE(dynamic_cast<TStSimpleXMLElemText*>(b->Items()->Item(0)), nullptr);
    EXPECT_EQ(b->Items()->Item(0)->Value(), "word ");
    EXPECT_EQ(b->Items()->Item(1)->Name(), "c");
    EXPECT_EQ(b->Value(), "");
}

TEST(StSimpleXml, EndTagsIgnoreLetterCase) {
    TStSimpleXML xml;
    xml.LoadFromString("<A>1</a>");
    EXPECT_EQ(xml.Root()->Name(), "A");
    EXPECT_EQ(xml.Root()->Value(), "1");
}

TEST(StSimpleXml, ParseErrors) {
    struct Case {
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"x", "Invalid Document: Unexpected text in file prolog"},
        {"<?foo?><a/>", "Invalid Document: Unexpected text in file prolog"},
        {"<!x><a/>", "Invalid Document: Unexpected text in file prolog"},
        {"< a/>", "Invalid XML Element: malformed tag found (no valid name)"},
        {"<a/x", "Invalid XML Element: Expected end of tag but \"x\" found"},
        {"<a></b>", "Invalid XML Element: Erroneous end of tag, expecting </a> but </b> found"},
        {"<p:a></p:b>", "Invalid XML Element: Erroneous end of tag, expecting </a> but </p:b> found"},
        {"<a><b>", "Invalid XML Element: Erroneous end of tag, expecting </b> but </> found"},
        {"<a .b='1'/>", "Invalid XML Element: Unexpected character in property declaration (\".\" found)"},
        {"<a b c='1'/>", "Invalid XML Element: Unexpected character in property declaration (\"c\" found)"},
        {"<a b=1/>",
         "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but \"1\"  found"},
        {"<!-- a -- b --><a/>", "Invalid Comment: \"--\" not allowed inside comments"},
        {"<!-- a", "Invalid Comment: Unexpected end of data"},
        {"<a><![CDATA [x]]></a>", "Invalid CDATA: expected \"[\" but found \" \""},
        {"<a><![CDATA[x]]", "Invalid CDATA: Unexpected end of data"},
        {"<?xml version=\"1.0\"><a/>", "Invalid Header: expected \"?\" but found \">\""},
        {"<?xml version=\"1.0\"", "Invalid Comment: Unexpected end of data"},
        {"<!DOCTYPE a [ > ", "Invalid Comment: Unexpected end of data"},
        {"<?xml-stylesheet href=\"a\"/>", "Invalid Stylesheet: expected \"?\" but found \"/\""},
        {"<?xml-stylesheet href=\"a\"", "Invalid Stylesheet: Unexpected end of data"},
    };
    for (const Case& c : cases) {
        TStSimpleXML xml;
        EXPECT_EQ(ErrorOf([&] { xml.LoadFromString(c.input); }), c.message) << c.input;
    }

    // Prefixes the document never hands to the wrong loader, checked on the node loaders.
    struct NodeCase {
        TStSimpleXMLElem* node;
        const char* input;
        const char* message;
    };
    TStSimpleXMLElemClassic classic(nullptr);
    TStSimpleXMLElemComment comment(nullptr);
    TStSimpleXMLElemDocType docType(nullptr);
    TStSimpleXMLElemHeader header(nullptr);
    const NodeCase nodeCases[] = {
        {&classic, "x", "Invalid XML Element: Expected beginning of tag but \"x\" found"},
        {&comment, "<!-x", "Invalid Comment: expected \"-\" but found \"x\""},
        {&docType, "<!DOCTYPX", "Invalid Header: expected \"E\" but found \"X\""},
        {&header, "<?XML ?>", "Invalid Header: expected \"x\" but found \"X\""},
    };
    for (const NodeCase& c : nodeCases) {
        TStringStream stream(c.input);
        EXPECT_EQ(ErrorOf([&] { c.node->LoadFromStream(&stream); }), c.message) << c.input;
    }
}

TEST(StSimpleXml, ErrorsKeepWhatWasAppended) {
    TStSimpleXML xml;
    xml.Root()->SetName("old");
    EXPECT_THROW(xml.LoadFromString("<r><a/><b x=1/></r>"), EStSimpleXMLError);
    EXPECT_EQ(xml.Root()->Name(), "old");
    ASSERT_EQ(xml.Root()->Items()->Count(), 1);
    EXPECT_EQ(xml.Root()->Items()->Item(0)->Name(), "a");
}

TEST(StSimpleXml, UnterminatedStartTagRaisesNothing) {
    TStSimpleXML xml;
    xml.Root()->SetName("keep");
    xml.LoadFromString("<abc");
    EXPECT_EQ(xml.Root()->Name(), "keep");
    xml.LoadFromString("");
    EXPECT_EQ(xml.Root()->Name(), "keep");
}

TEST(StSimpleXml, DeepNestingIsRefused) {
    AnsiString deep;
    for (int i = 0; i < 5000; ++i) deep += "<a>";
    TStSimpleXML xml;
    EXPECT_EQ(ErrorOf([&] { xml.LoadFromString(deep); }), "Invalid XML Element: elements nested too deeply");
    AnsiString fine;
    for (int i = 0; i < 200; ++i) fine += "<a>";
    for (int i = 0; i < 200; ++i) fine += "</a>";
    xml.LoadFromString(fine);
    EXPECT_EQ(xml.Root()->GetChildsCount(), 200);
}

TEST(StSimpleXml, StreamIsLeftAfterWhatWasRead) {
    {
        TStringStream stream("  <a>x</a>tail");
        TStSimpleXML xml;
        xml.LoadFromStream(&stream);
        EXPECT_EQ(stream.Position(), 10);
    }
    {
        // A document larger than one chunk, loaded from the middle of a stream.
        AnsiString body;
        for (int i = 0; i < 3000; ++i) body += "<item n=\"" + std::to_string(i) + "\">v</item>";
        const AnsiString doc = "<r>" + body + "</r>";
        TStringStream stream("head" + doc + "<after/>");
        stream.Seek(4, soBeginning);
        TStSimpleXML xml;
        xml.LoadFromStream(&stream);
        EXPECT_EQ(stream.Position(), static_cast<int64_t>(4 + doc.size()));
        EXPECT_EQ(xml.Root()->Items()->Count(), 3000);
        EXPECT_EQ(xml.Root()->Items()->Item(2999)->Properties()->Value("n"), "2999");
    }
    {
        // The prolog stops at the '<' that ends it; an attribute list before '/', '>' or '?'.
        TStringStream stream(" <!--c--> <a/>");
        TStSimpleXMLElemsProlog prolog;
        prolog.LoadFromStream(&stream);
        EXPECT_EQ(stream.Position(), 10);
        TStringStream attributes(" a='1' b=\"2\" />");
        TStSimpleXMLProps props(nullptr);
        props.LoadFromStream(&attributes);
        EXPECT_EQ(attributes.Position(), 13);
        EXPECT_EQ(props.Count(), 2);
    }
    {
        // A tag longer than what the reader keeps in memory is read again from the stream.
        const AnsiString name(20000, 'n');
        TStringStream stream("<r><" + name + " k='v'>x</" + name + "></r>!");
        TStSimpleXML xml;
        xml.LoadFromStream(&stream);
        ASSERT_EQ(xml.Root()->Items()->Count(), 1);
        EXPECT_EQ(xml.Root()->Items()->Item(0)->Name(), name);
        EXPECT_EQ(xml.Root()->Items()->Item(0)->Value(), "x");
        EXPECT_EQ(stream.Position(), stream.Size() - 1);
    }
    {
        TStringStream stream("<a><b/></a><c/>");
        TStSimpleXMLElemClassic a(nullptr);
        a.LoadFromStream(&stream);
        EXPECT_EQ(stream.Position(), 11);
    }
}

TEST(StSimpleXml, Escaping) {
    struct Case {
        AnsiString (*f)(const AnsiString&);
        AnsiString in, out;
    };
    const Case cases[] = {
        {EntityEncode, "\"&'<>", "&quot;&amp;&apos;&lt;&gt;"},
        {EntityEncode, "\xE9\x01", "\xE9\x01"},
        {SimpleXMLEncode, "a<\xE9\x80\x01 #$%()=", "a&lt;&#xE9;&#x80;\x01 #$%()="},
        {EntityDecode, "&AMP;&lt;&Gt;&apos;&quot;", "&<>'\""},
        {EntityDecode, "&#65; &x; &amp", "&#65; &x; &amp"},
        {SimpleXMLDecode, "&#65;&#x42;&#X43;&#321;", "ABCA"},
        {SimpleXMLDecode, "&#0; &#65 &#6a; &#; &#x; &#-1;", "&#0; &#65 &#6a; &#; &#x; &#-1;"},
        {SimpleXMLDecode, "&#99999999999; &amp;", "&#99999999999; &"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.f(c.in), c.out) << c.in;
    for (int ch = 0; ch < 256; ++ch) {
        const AnsiString s(1, static_cast<char>(ch));
        EXPECT_EQ(SimpleXMLDecode(SimpleXMLEncode(s)), s) << ch;
        EXPECT_EQ(EntityDecode(EntityEncode(s)), s) << ch;
    }
}

TEST(StSimpleXml, ValuesEscapedByOptions) {
    TStSimpleXML xml;  // sxoAutoEncodeValue
    xml.Root()->SetName("r");
    TStSimpleXMLElem* v = xml.Root()->Items()->Add("v", "a<b&c\xE9 &lt;");
    v->Properties()->Add("p", "\"&\"");
    const AnsiString text = xml.SaveToString();
    EXPECT_NE(text.find("<v p=\"&quot;&amp;&quot;\">a&lt;b&amp;c&#xE9; &amp;lt;</v>"), AnsiString::npos) << text;
    TStSimpleXML back;
    back.LoadFromString(text);
    // Read back once: a stored "&lt;" stays "&lt;".
    EXPECT_EQ(back.Root()->Items()->ItemNamed("v")->Value(), "a<b&c\xE9 &lt;");
    EXPECT_EQ(back.Root()->Items()->ItemNamed("v")->Properties()->Value("p"), "\"&\"");

    // Without escaping, values go out and come in verbatim.
    TStSimpleXML raw;
    raw.SetOptions({sxoAutoIndent});
    raw.LoadFromString("<r><v>a&amp;b</v></r>");
    EXPECT_EQ(raw.Root()->Items()->ItemNamed("v")->Value(), "a&amp;b");
    raw.Root()->Items()->ItemNamed("v")->SetValue("x<y");
    EXPECT_NE(raw.SaveToString().find("<v>x<y</v>"), AnsiString::npos);

    // An event replaces the built-in escaping both ways.
    struct Hooks {
        void Up(TObject*, AnsiString& s) { s = AnsiUpperCase(s); }
        void Down(TObject*, AnsiString& s) { s = AnsiLowerCase(s); }
    } hooks;
    TStSimpleXML custom;
    custom.OnEncodeValue = MakeEvent(&hooks, &Hooks::Up);
    custom.OnDecodeValue = MakeEvent(&hooks, &Hooks::Down);
    custom.LoadFromString("<r><v>AbC</v></r>");
    EXPECT_EQ(custom.Root()->Items()->ItemNamed("v")->Value(), "abc");
    EXPECT_NE(custom.SaveToString().find("<V>ABC</V>"), AnsiString::npos);
}

TEST(StSimpleXml, ChildListLookupAndChanges) {
    TStSimpleXML xml;
    TStSimpleXMLElems* items = xml.Root()->Items();
    TStSimpleXMLElem* first = items->Add("Dup", "1");
    TStSimpleXMLElem* second = items->Add("dup", "2");
    EXPECT_EQ(items->ItemNamed("DUP"), second);  // the last of equal names, any letter case
    EXPECT_EQ(items->ItemNamed("missing"), nullptr);
    EXPECT_EQ(items->Item(5), nullptr);
    EXPECT_EQ(items->Item(-1), nullptr);

    second->SetName("other");  // the lookup follows a rename
    EXPECT_EQ(items->ItemNamed("dup"), first);
    EXPECT_EQ(items->ItemNamed("OTHER"), second);

    items->DeleteByName("dup");
    EXPECT_EQ(items->Count(), 1);
    EXPECT_EQ(items->ItemNamed("dup"), nullptr);
    items->Delete(7);  // out of range: nothing
    EXPECT_EQ(items->Count(), 1);

    xml.SetOptions({sxoAutoCreate});
    TStSimpleXMLElem* made = items->ItemNamedDefault("made", "dflt");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Value(), "dflt");
    EXPECT_EQ(items->Count(), 2);
    TStSimpleXMLProp* prop = made->Properties()->ItemNamedDefault("p", "q");
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(prop->Value(), "q");
    EXPECT_THROW(made->Properties()->Item(3), EListError);

    // Moving a node takes it out of its old list.
    xml.SetOptions({});
    TStSimpleXMLElem* target = items->Add("target");
    target->Items()->Add(made);
    EXPECT_EQ(items->ItemNamed("made"), nullptr);
    EXPECT_EQ(target->Items()->ItemNamed("made"), made);
    EXPECT_EQ(made->Parent(), target);
    EXPECT_EQ(made->GetSimpleXML(), &xml);
    items->Delete(items->Count() - 1);  // frees target and the moved node with it
    EXPECT_EQ(items->Count(), 1);
}

TEST(StSimpleXml, ElementValuesAndCopies) {
    TStSimpleXMLElemClassic e(nullptr);
    e.SetIntValue(-42);
    EXPECT_EQ(e.Value(), "-42");
    EXPECT_EQ(e.IntValue(), -42);
    e.SetValue("12a");
    EXPECT_EQ(e.IntValue(), -1);
    e.SetValue("$10");
    EXPECT_EQ(e.IntValue(), -1);
    e.SetBoolValue(true);
    EXPECT_EQ(e.Value(), "-1");
    EXPECT_TRUE(e.BoolValue());
    e.SetValue("fAlSe");
    EXPECT_FALSE(e.BoolValue());
    e.SetValue("yes?");
    EXPECT_FALSE(e.BoolValue());
    e.SetValue("7");
    EXPECT_TRUE(e.BoolValue());
    e.SetNameSpace("ns");
    e.SetName("n");
    EXPECT_EQ(e.FullName(), "ns:n");
    e.SetName("");  // ignored
    EXPECT_EQ(e.Name(), "n");

    TStSimpleXML xml;
    xml.LoadFromString("<r a='1'><x p:q='2'>v</x><!--c--><y><z/></y></r>");
    TStSimpleXMLElemClassic copy(nullptr);
    copy.Assign(xml.Root());
    EXPECT_EQ(copy.Name(), "r");
    EXPECT_EQ(copy.GetChildsCount(), xml.Root()->GetChildsCount());
    EXPECT_EQ(copy.GetChildsCount(), 5);
    EXPECT_NE(dynamic_cast<TStSimpleXMLElemComment*>(copy.Items()->Item(1)), nullptr);
    EXPECT_EQ(copy.Items()->ItemNamed("x")->Properties()->Item(0)->NameSpace(), "");  // prefixes are not copied
    EXPECT_EQ(copy.Items()->ItemNamed("y")->Items()->Item(0)->Parent(), copy.Items()->ItemNamed("y"));

    // Assigning a node from inside its own subtree.
    TStSimpleXMLElem* y = xml.Root()->Items()->ItemNamed("y");
    xml.Root()->Assign(y);
    EXPECT_EQ(xml.Root()->Name(), "y");
    EXPECT_EQ(xml.Root()->GetChildsCount(), 2);

    TStSimpleXMLElemHeader h1(nullptr), h2(nullptr);
    h1.SetVersion("2.0");
    h1.SetStandalone(true);
    h2.Assign(&h1);
    EXPECT_EQ(h2.Version(), "2.0");
    EXPECT_TRUE(h2.Standalone());
}

TEST(StSimpleXml, StreamEventsAndProgress) {
    struct Hooks {
        std::vector<std::pair<int, int>> saves, loads;
        std::vector<AnsiString> tags;
        void Save(TObject*, int p, int t) { saves.emplace_back(p, t); }
        void Load(TObject*, int p, int t) { loads.emplace_back(p, t); }
        void Tag(TObject*, const AnsiString& n) { tags.push_back(n); }
        // A reversible transformation of the whole text.
        void Encode(TObject*, TStream* in, TStream* out) {
            char c;
            while (in->Read(&c, 1) == 1) {
                c = static_cast<char>(c ^ 0x55);
                out->Write(&c, 1);
            }
        }
    } hooks;
    TStSimpleXML xml;
    Fill(xml);
    xml.OnSaveProgress = MakeEvent(&hooks, &Hooks::Save);
    xml.OnEncodeStream = MakeEvent(&hooks, &Hooks::Encode);
    const AnsiString encoded = xml.SaveToString();
    EXPECT_EQ(encoded.find("<cfg>"), AnsiString::npos);
    // Root and four descendants, plus the declaration: total 5, then 6 written nodes.
    ASSERT_FALSE(hooks.saves.empty());
    EXPECT_EQ(hooks.saves.front(), std::make_pair(0, 5));
    EXPECT_EQ(hooks.saves.back(), std::make_pair(5, 5));
    EXPECT_EQ(hooks.saves.size(), 2u + 6u);

    TStSimpleXML back;
    back.OnDecodeStream = MakeEvent(&hooks, &Hooks::Encode);
    back.OnLoadProgress = MakeEvent(&hooks, &Hooks::Load);
    back.OnTagParsed = MakeEvent(&hooks, &Hooks::Tag);
    back.LoadFromString(encoded);
    EXPECT_EQ(back.Root()->Items()->ItemNamed("form")->Items()->ItemNamed("width")->Value(), "640");
    ASSERT_GE(hooks.loads.size(), 2u);
    // The last report: the stream stands after "</cfg>", before the final line end.
    EXPECT_EQ(hooks.loads.back(), std::make_pair(static_cast<int>(encoded.size()) - 2, static_cast<int>(encoded.size())));
    EXPECT_EQ(hooks.tags, std::vector<AnsiString>{"cfg"});
}

TEST(StSimpleXml, FilesAndFileName) {
    const auto dir = std::filesystem::temp_directory_path() / ("stxml_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const AnsiString name = (dir / "doc.xml").string();
    {
        TStSimpleXML xml;
        Fill(xml);
        xml.SaveToFile(name);
        xml.Root()->Items()->Clear();
        xml.Root()->Items()->Add("only");
        xml.SaveToFile(name);  // replaces the longer file whole
    }
    TStSimpleXML xml;
    xml.SetFileName(name);
    EXPECT_EQ(xml.FileName(), name);
    EXPECT_EQ(xml.Root()->Items()->Count(), 1);
    EXPECT_EQ(FileToString(name), xml.SaveToString());
    EXPECT_THROW(xml.LoadFromFile((dir / "missing.xml").string()), EStreamError);
    EXPECT_THROW(xml.SaveToFile((dir / "no" / "such" / "dir.xml").string()), EStreamError);
    std::filesystem::remove_all(dir);
}

TEST(StSimpleXml, PublishedProperties) {
    const TClassInfo* info = TStSimpleXML::StaticClassInfo();
    const char* names[] = {"FileName", "IndentString", "Options", "OnSaveProgress", "OnLoadProgress", "OnTagParsed",
                           "OnValueParsed", "OnEncodeValue", "OnDecodeValue", "OnEncodeStream", "OnDecodeStream"};
    ASSERT_EQ(info->OwnPropCount(), 11);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(info->OwnProps[static_cast<size_t>(i)]->Name, names[i]);
    TStSimpleXML xml;
    EXPECT_TRUE(IsDefaultPropValue(&xml, info->FindProp("Options")));
    EXPECT_EQ(GetOrdProp(&xml, "Options"), 14);
}

}  // namespace
