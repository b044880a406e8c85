// Binary component streams: round trip, a hand-built golden stream, and damage.
#include <gtest/gtest.h>

#include "platform/classes/UITypes.h"
#include "platform/rtti/Streaming.h"
#include "tests/platform/rtti/StreamClasses.h"

namespace {

// Pieces of a hand-built stream.
std::string Str(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }
std::string Tag(TValueType t) { return std::string(1, static_cast<char>(t)); }
std::string Int8(int v) { return Tag(vaInt8) + std::string(1, static_cast<char>(v)); }
std::string Ident(const std::string& s) { return Tag(vaIdent) + Str(s); }
std::string String(const std::string& s) { return Tag(vaString) + Str(s); }
const std::string End(1, '\0');

std::string Bytes(TMemoryStream& m) { return std::string(static_cast<const char*>(m.Memory()), m.Size()); }

std::string Write(TComponent* c) {
    TMemoryStream m;
    WriteComponent(&m, c);
    return Bytes(m);
}

void Read(const std::string& bytes, TComponent* into) {
    TMemoryStream m;
    m.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    m.SetPosition(0);
    ReadComponent(&m, into);
}

// One column with a little of everything; the golden stream below is its encoding.
void FillGoldenColumn(TTestWrapper& w) {
    TTestColumn* c = w.AddColumn();
    c->Alignment = taRight;
    c->FieldName = "Name";
    static_cast<TTestFooter*>(c->Footers()->Add())->ValueType = vtSum;
    c->PickList()->Add("a");
    c->PickList()->Add("b");
    c->Title()->Caption = "Nm";
    c->Title()->Font()->Style = {tsBold, tsUnderline};
    c->Visible = false;
}

const std::string kGolden =
    "TPF0" + Str("TTestWrapper") + Str("") +
    Str("Columns") + Tag(vaCollection) +
        Tag(vaList) +
            Str("Alignment") + Ident("taRight") +
            Str("FieldName") + String("Name") +
            Str("Footers") + Tag(vaCollection) + Tag(vaList) + Str("ValueType") + Ident("vtSum") + End + End +
            Str("PickList.Strings") + Tag(vaList) + String("a") + String("b") + End +
            Str("Title.Caption") + String("Nm") +
            Str("Title.Font.Charset") + Ident("DEFAULT_CHARSET") +
            Str("Title.Font.Color") + Ident("clBlack") +
            Str("Title.Font.Height") + Int8(-11) +
            Str("Title.Font.Name") + String("Arial") +
            Str("Title.Font.Style") + Tag(vaSet) + Str("tsBold") + Str("tsUnderline") + End +
            Str("Visible") + Tag(vaFalse) +
            Str("Width") + Int8(64) +
        End +
    End +
    End + End;

}  // namespace

TEST(Streaming, WriterProducesTheGoldenBytes) {
    RegisterStreamTestClasses();
    TTestWrapper w(nullptr);
    FillGoldenColumn(w);
    EXPECT_EQ(Write(&w), kGolden);

    // An empty collection is the tag and the end marker.
    TTestWrapper empty(nullptr);
    EXPECT_EQ(Write(&empty), "TPF0" + Str("TTestWrapper") + Str("") + Str("Columns") + Tag(vaCollection) + End +
                                  End + End);
}

TEST(Streaming, GoldenStreamReadsBackToTheObjects) {
    RegisterStreamTestClasses();
    TTestWrapper w(nullptr);
    w.AddColumn()->FieldName = "stale";  // replaced, not merged
    Read(kGolden, &w);
    ASSERT_EQ(w.Columns()->Count(), 1);
    TTestColumn* c = w.Column(0);
    EXPECT_EQ(c->Alignment, taRight);
    EXPECT_EQ(c->FieldName, "Name");
    ASSERT_EQ(c->Footers()->Count(), 1);
    EXPECT_EQ(static_cast<TTestFooter*>(c->Footers()->Items(0))->ValueType, vtSum);
    EXPECT_EQ(c->PickList()->Text(), "a\r\nb\r\n");
    EXPECT_EQ(c->Title()->Caption, "Nm");
    EXPECT_EQ(c->Title()->Font()->Height, -11);
    EXPECT_EQ(c->Title()->Font()->Style, (TTestStyles{tsBold, tsUnderline}));
    EXPECT_FALSE(c->Visible);
    EXPECT_EQ(c->Width, 64);
    EXPECT_EQ(c->Increment, 1.0);
    EXPECT_FALSE(w.InState(csLoading | csReading));
}

TEST(Streaming, RoundTripOfEveryKind) {
    RegisterStreamTestClasses();
    TTestWrapper w(nullptr);
    auto* images = new TComponent(&w);  // a child component of the root
    images->SetName("Images1");
    FillGoldenColumn(w);
    TTestColumn* c = w.AddColumn();
    c->FieldName = std::string(300, 'x');  // a long string
    c->Width = 40000;                     // Int32
    c->Big = int64_t(1) << 40;            // Int64
    c->Increment = 0.1;                   // Extended
    c->Stamp = 45000.25;                  // TDateTime
    c->Title()->Font()->Height = -300;    // Int16
    c->Title()->Font()->Color = clInfoBk;
    c->Title()->Font()->Charset = 204;
    c->Title()->Alignment = taCenter;
    c->Images = images;
    for (int i = 0; i < 3; ++i) static_cast<TTestFooter*>(c->Footers()->Add())->Text = "f" + std::to_string(i);
    const Variant values[] = {Variant(7), Variant("seven"), Variant(7.5), Variant(true), Null(), VarFromDateTime(45000.5),
                              Variant(static_cast<long long>(1) << 40)};
    for (const Variant& v : values) static_cast<TTestFooter*>(c->Footers()->Add())->Value = v;
    static_cast<TTestFooter*>(c->Footers()->Items(0))->Sum = Currency::FromScaled(-123456789);
    w.AddColumn();  // all defaults

    const std::string bytes = Write(&w);
    TTestWrapper back(nullptr);
    Read(bytes, &back);
    ASSERT_EQ(back.Columns()->Count(), 3);
    EXPECT_EQ(Write(&back), bytes);
    TTestColumn* b = back.Column(1);
    EXPECT_EQ(b->FieldName, c->FieldName);
    EXPECT_EQ(b->Width, 40000);
    EXPECT_EQ(b->Big, int64_t(1) << 40);
    EXPECT_EQ(b->Increment, 0.1);
    EXPECT_EQ(b->Stamp, 45000.25);
    EXPECT_EQ(b->Title()->Font()->Height, -300);
    EXPECT_EQ(b->Title()->Font()->Color, clInfoBk);
    EXPECT_EQ(b->Title()->Font()->Charset, 204);
    EXPECT_NE(bytes.find(Ident("clInfoBk")), std::string::npos);
    EXPECT_NE(bytes.find(Ident("RUSSIAN_CHARSET")), std::string::npos);
    EXPECT_EQ(b->Title()->Alignment, taCenter);
    ASSERT_EQ(b->Footers()->Count(), 3 + std::size(values));
    EXPECT_EQ(static_cast<TTestFooter*>(b->Footers()->Items(2))->Text, "f2");
    EXPECT_EQ(static_cast<TTestFooter*>(b->Footers()->Items(0))->Sum, Currency::FromScaled(-123456789));
    for (size_t i = 0; i < std::size(values); ++i) {
        const Variant& v = static_cast<TTestFooter*>(b->Footers()->Items(3 + static_cast<int>(i)))->Value;
        EXPECT_EQ(v.VType(), values[i].VType()) << i;
        EXPECT_EQ(VarCompareValue(v, values[i]), vrEqual) << i;
    }
    ASSERT_EQ(back.ComponentCount(), 1);
    EXPECT_EQ(back.Components(0)->Name(), "Images1");
    EXPECT_EQ(b->Images, back.Components(0));
    EXPECT_EQ(back.Column(2)->Footers()->Count(), 0);
    EXPECT_TRUE(back.Column(2)->Visible);
}

TEST(Streaming, ReferencesResolveThroughTheRootAndGlobalFinders) {
    RegisterStreamTestClasses();
    TComponent form(nullptr);
    form.SetName("frmHost");
    auto* images = new TComponent(&form);
    images->SetName("Images1");
    int handle = RegisterFindGlobalComponent([&](const AnsiString& n) { return SameText(n, "frmHost") ? &form : nullptr; });

    TTestWrapper w(nullptr);
    w.AddColumn()->Images = images;
    const std::string bytes = Write(&w);
    // Owned by another root: written qualified with the owner's name.
    EXPECT_NE(bytes.find(Ident("frmHost.Images1")), std::string::npos);
    TTestWrapper back(nullptr);
    Read(bytes, &back);
    EXPECT_EQ(back.Column(0)->Images, images);
    // Nobody knows the name any more: a binary stream leaves the reference nil.
    UnRegisterFindGlobalComponent(handle);
    TTestWrapper again(nullptr);
    Read(bytes, &again);
    EXPECT_EQ(again.Column(0)->Images, nullptr);
}

TEST(Streaming, AlternativeEncodingsAreAccepted) {
    RegisterStreamTestClasses();
    auto stream = [](const std::string& prop, const std::string& value) {
        return "TPF0" + Str("TTestWrapper") + Str("") + Str("Columns") + Tag(vaCollection) + Tag(vaList) +
               Str(prop) + value + End + End + End + End;
    };
    auto le = [](uint64_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
        return s;
    };
    struct Case {
        const char* what;
        std::string prop, value;
        std::function<bool(TTestColumn*)> check;
    } cases[] = {
        {"Int16 width", "Width", Tag(vaInt16) + le(300, 2), [](TTestColumn* c) { return c->Width == 300; }},
        {"Int32 negative", "Width", Tag(vaInt32) + le(uint32_t(-70000), 4), [](TTestColumn* c) { return c->Width == -70000; }},
        {"Int64 width", "Width", Tag(vaInt64) + le(5, 8), [](TTestColumn* c) { return c->Width == 5; }},
        {"integer as float", "Increment", Int8(3), [](TTestColumn* c) { return c->Increment == 3.0; }},
        {"long string", "FieldName", Tag(vaLString) + le(2, 4) + "ab", [](TTestColumn* c) { return c->FieldName == "ab"; }},
        {"UTF-8 string", "FieldName", Tag(vaUTF8String) + le(2, 4) + "\xD0\xAF",
         [](TTestColumn* c) { return c->FieldName == "\xDF"; }},  // Cyrillic Ya in 1251
        {"wide string", "FieldName", Tag(vaWString) + le(1, 4) + le(0x42F, 2),
         [](TTestColumn* c) { return c->FieldName == "\xDF"; }},
        {"Boolean by tag", "Visible", Tag(vaFalse), [](TTestColumn* c) { return !c->Visible; }},
        {"enum name ignores case", "Alignment", Ident("TACENTER"), [](TTestColumn* c) { return c->Alignment == taCenter; }},
        {"nil reference", "Images", Tag(vaNil), [](TTestColumn* c) { return c->Images == nullptr; }},
        {"empty handler name", "OnClick", Ident(""), [](TTestColumn* c) { return !c->OnClick; }},
        {"colour by name", "Title.Font.Color", Ident("clBtnFace"),
         [](TTestColumn* c) { return c->Title()->Font()->Color == clBtnFace; }},
        {"colour by number", "Title.Font.Color", Tag(vaInt32) + le(0x80000005u, 4),
         [](TTestColumn* c) { return c->Title()->Font()->Color == clWindow; }},
        {"charset by number", "Title.Font.Charset", Tag(vaInt16) + le(204, 2),
         [](TTestColumn* c) { return c->Title()->Font()->Charset == 204; }},
    };
    for (const Case& k : cases) {
        TTestWrapper w(nullptr);
        ASSERT_NO_THROW(Read(stream(k.prop, k.value), &w)) << k.what;
        EXPECT_TRUE(k.check(w.Column(0))) << k.what;
    }
}

TEST(Streaming, DamagedStreamsRaiseReadErrors) {
    RegisterStreamTestClasses();
    auto col = [](const std::string& props) {
        return "TPF0" + Str("TTestWrapper") + Str("") + Str("Columns") + Tag(vaCollection) + Tag(vaList) + props +
               End + End + End + End;
    };
    struct Case {
        const char* what;
        std::string bytes;
        const char* inMessage;
    } cases[] = {
        {"bad signature", "TPF1" + kGolden.substr(4), "Invalid stream format"},
        {"empty", "", "Invalid stream format"},
        {"wrong class", "TPF0" + Str("TTestForm") + kGolden.substr(4 + 13), "TTestForm"},
        {"unknown property", col(Str("Colour") + Int8(1)), "Colour"},
        {"unknown sub-object", col(Str("Tittle.Caption") + String("x")), "Tittle"},
        {"unknown enum name", col(Str("Alignment") + Ident("taMiddle")), "taMiddle"},
        {"unknown set element", col(Str("Title.Font.Style") + Tag(vaSet) + Str("tsBlink") + End), "tsBlink"},
        {"string where a number belongs", col(Str("Width") + String("wide")), "Width"},
        {"bad value tag", col(Str("Width") + std::string(1, '\x55')), "Invalid stream format"},
        {"long string past the end", col(Str("FieldName") + Tag(vaLString) + "\xFF\xFF\xFF\x7F" + "ab"), "Stream read error"},
        {"unknown handler", col(Str("OnClick") + Ident("NoSuchHandler")), "NoSuchHandler"},
        {"unknown colour name", col(Str("Title.Font.Color") + Ident("clPlaid")), "clPlaid"},
        {"identifier for a plain integer", col(Str("Width") + Ident("clBlack")), "clBlack"},
        {"root name that is no identifier", "TPF0" + Str("TTestWrapper") + Str("no name") + End + End, "no name"},
    };
    for (const Case& k : cases) {
        TTestWrapper w(nullptr);
        try {
            Read(k.bytes, &w);
            ADD_FAILURE() << k.what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(k.inMessage), std::string::npos) << k.what << ": " << e.Message();
        }
    }
    // Components nested without end cannot exhaust the stack.
    std::string deep = "TPF0" + Str("TTestWrapper") + Str("") + End;
    for (int i = 0; i < 100000; ++i) deep += Str("TComponent") + Str("") + End;
    {
        TTestWrapper w(nullptr);
        try {
            Read(deep + std::string(100001, '\0'), &w);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find("too deep"), std::string::npos) << e.Message();
        }
        EXPECT_EQ(w.ComponentCount(), 0);
    }
    // Every truncation of a valid stream, inside the collection or elsewhere, fails cleanly.
    for (size_t n = 0; n < kGolden.size(); ++n) {
        TTestWrapper w(nullptr);
        EXPECT_THROW(Read(kGolden.substr(0, n), &w), EReadError) << "cut at " << n;
        EXPECT_FALSE(w.InState(csLoading | csReading));
    }
}
