// Bitmaps, the JPEG picture, our built-in pictures and cursors, image lists.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "GraphicsTestSupport.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kGray = RGB(128, 128, 128);
const COLORREF kTeal = RGB(0, 128, 128);
const COLORREF kYellow = RGB(255, 255, 0);

const char* AboutPicture() { return TESK_SOURCE_DIR "/resources/about.jpg"; }

std::vector<char> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

AnsiString WriteTemp(const char* name, const std::vector<char>& bytes) {
    AnsiString path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(Jpeg, TheAboutPictureDecodesTo640By480) {
    TPicture picture;
    picture.LoadFromFile(AboutPicture());
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 640);
    EXPECT_EQ(picture.Height(), 480);
    // A real picture: dark sky in a corner, and far from a single colour.
    TBitmap* pixels = static_cast<TJPEGImage*>(picture.Graphic())->Bitmap();
    TColor corner = pixels->Canvas()->Pixels(2, 2);
    EXPECT_LT(GetRValue(corner) + GetGValue(corner) + GetBValue(corner), 150);
    TSurface copy(1, 1);
    copy.Bitmap.Assign(picture.Graphic());
    EXPECT_EQ(copy.Bitmap.Width(), 640);
    EXPECT_NE(copy.Ink(static_cast<COLORREF>(corner)), TRect());

    // Drawing it scales into the rectangle.
    TSurface target(64, 48);
    target.Bitmap.Canvas()->StretchDraw(TRect(0, 0, 64, 48), picture.Graphic());
    EXPECT_NE(target.At(1, 1), kWhite);
}

TEST(Jpeg, DamagedDataRaisesAClearError) {
    std::vector<char> good = ReadAll(AboutPicture());
    ASSERT_GT(good.size(), 1000u);
    std::vector<char> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<char> scrambled = good;
    for (size_t i = good.size() / 3; i < good.size() / 3 + 400; ++i) scrambled[i] = static_cast<char>(0xFF);
    std::vector<char> header(good.begin(), good.begin() + 20);
    struct {
        const char* Name;
        std::vector<char> Bytes;
    } cases[] = {
        {"truncated", truncated},
        {"scrambled", scrambled},
        {"header only", header},
        {"not a JPEG", std::vector<char>{'B', 'M', 0, 0, 1, 2, 3}},
        {"empty", {}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TJPEGImage jpeg;
        try {
            jpeg.LoadFromBytes(c.Bytes.data(), c.Bytes.size());
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphic& e) {
            EXPECT_NE(e.Message().find("JPEG"), AnsiString::npos) << e.Message();
        }
        EXPECT_TRUE(jpeg.Empty());
    }

    // A picture that fails to load keeps what it had.
    TPicture picture;
    picture.LoadFromFile(AboutPicture());
    EXPECT_THROW(picture.LoadFromFile(WriteTemp("broken.jpg", truncated)), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 640);
    EXPECT_THROW(picture.LoadFromFile(WriteTemp("picture.gif", good)), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(testing::TempDir() + "missing.jpg"), EFOpenError);
}

TEST(Resources, OurPicturesLoadByName) {
    struct {
        const char* Name;
        int Width, Height;
        COLORREF Background;  // the colour the users mask out
    } cases[] = {
        {"DBGARROWGX", 8, 10, kWhite},    {"DBEDITGX", 8, 10, kWhite},     {"DBINSERTGX", 8, 10, kWhite},
        {"DBMULTIDOTGX", 8, 10, kWhite},  {"DBMULTIARROWGX", 8, 10, kWhite}, {"DBGARROWGXW", 8, 10, kTeal},
        {"DBSMDOWNGX", 12, 10, RGB(255, 0, 255)}, {"DBSMUPGX", 12, 10, RGB(255, 0, 255)},
        {"TeEditInternalImages", 110, 14, RGB(192, 192, 192)}, {"TeEditWrapped", 15, 14, RGB(0, 255, 0)},
        {"teeditwrapped", 15, 14, RGB(0, 255, 0)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSurface s(1, 1);
        s.Bitmap.LoadFromResourceName(nullptr, c.Name);
        EXPECT_EQ(s.Bitmap.Width(), c.Width);
        EXPECT_EQ(s.Bitmap.Height(), c.Height);
        EXPECT_EQ(s.At(0, 0), c.Background);
        EXPECT_NE(s.Ink(c.Background), TRect()) << "a picture, not a blank";
    }
    // The indicator pictures fit the 11-pixel indicator column less its 3-D
    // frame and margin; the sort markers fit the 16 pixels a title keeps free.
    TBitmap b;
    b.LoadFromResourceName(nullptr, "DBGARROWGX");
    EXPECT_LE(b.Width() + 1, 11 - 2);
    b.LoadFromResourceName(nullptr, "DBSMDOWNGX");
    EXPECT_LE(b.Width() + 2, 16);

    HBITMAP sheet = LoadBitmap(nullptr, OBM_CHECKBOXES);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->Width() / 4, 13);
    EXPECT_EQ(sheet->Height() / 3, 13);
    DeleteObject(sheet);

    try {
        b.LoadFromResourceName(nullptr, "NOSUCHPICTURE");
        ADD_FAILURE() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NOSUCHPICTURE not found");
    }
}

TEST(Resources, CursorsLoadByName) {
    for (const char* name : {"DOWNCURGX", "RIGHTCURGX", "LEFTCURGX"}) {
        SCOPED_TRACE(name);
        HCURSOR c = LoadCursor(nullptr, name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(LoadCursor(nullptr, name), c);
        ASSERT_NE(c->Image, nullptr);
        EXPECT_EQ(c->Image->Width(), 32);
        EXPECT_EQ(c->Image->Height(), 32);
        // The hot spot sits on the arrow's tip: drawn, next to see-through pixels.
        QImage img = ToQImage(c->Image);
        EXPECT_GT(qAlpha(img.pixel(c->HotSpot.X, c->HotSpot.Y)), 0);
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        QCursor q = ToQCursor(c);
        EXPECT_EQ(q.hotSpot(), QPoint(c->HotSpot.X, c->HotSpot.Y));
    }
    EXPECT_EQ(LoadCursor(nullptr, "NOSUCHCURSOR"), nullptr);
}

// Three 4 x 4 images side by side: a black square on white, each in a
// different column band.
void ThreeImages(TBitmap& b) {
    b.SetSize(12, 4);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 12, 4));
    c->Brush()->SetColor(clBlack);
    for (int i = 0; i < 3; ++i) c->FillRect(TRect(i * 4 + i, 1, i * 4 + i + 1, 3));
}

TEST(ImageLists, MaskedImagesDrawOverWhatIsThere) {
    std::unique_ptr<TCustomImageList> list(TCustomImageList::CreateSize(4, 4));
    TBitmap b;
    ThreeImages(b);
    EXPECT_EQ(list->AddMasked(&b, clWhite), 0);
    EXPECT_EQ(list->Count(), 3);

    TSurface s(10, 10, kGray);
    list->Draw(s.Bitmap.Canvas(), 3, 3, 1);
    // Image 1 has its dot in its second column; the white around it is see-through.
    EXPECT_EQ(s.Ink(kGray), TRect(4, 4, 5, 6));
    EXPECT_EQ(s.At(4, 4), kBlack);

    // With a background colour the masked parts take it.
    list->SetBkColor(clYellow);
    s.Clear(kGray);
    list->Draw(s.Bitmap.Canvas(), 3, 3, 1);
    EXPECT_EQ(s.Ink(kGray), TRect(3, 3, 7, 7));
    EXPECT_EQ(s.At(3, 3), kYellow);
    EXPECT_EQ(s.At(4, 4), kBlack);

    // Disabled: embossed in the shadow and highlight colours, nothing black.
    list->SetBkColor(clNone);
    s.Clear(kGray);
    list->Draw(s.Bitmap.Canvas(), 3, 3, 1, false);
    EXPECT_EQ(s.At(4, 4), kGray);
    EXPECT_EQ(s.At(5, 5), kWhite);
    EXPECT_EQ(s.Ink(kGray), TRect(5, 5, 6, 7));

    // An index out of range draws nothing.
    s.Clear(kGray);
    list->Draw(s.Bitmap.Canvas(), 0, 0, 7);
    EXPECT_EQ(s.Ink(kGray), TRect());
    EXPECT_THROW(list->Delete(3), EInvalidOperation);
    list->Delete(0);
    EXPECT_EQ(list->Count(), 2);

    // A mask bitmap: white is see-through.
    TBitmap mask;
    mask.SetSize(4, 4);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(TRect(0, 0, 4, 4));
    mask.Canvas()->SetPixels(0, 0, clWhite);
    TBitmap solid;
    solid.SetSize(4, 4);
    solid.Canvas()->Brush()->SetColor(clRed);
    solid.Canvas()->FillRect(TRect(0, 0, 4, 4));
    int at = list->Add(&solid, &mask);
    s.Clear(kGray);
    list->Draw(s.Bitmap.Canvas(), 0, 0, at);
    EXPECT_EQ(s.At(0, 0), kGray);
    EXPECT_EQ(s.At(1, 0), RGB(255, 0, 0));
}

TEST(ImageLists, RecolouringThroughABackgroundColour) {
    // The outlined arrow's white parts take the list's background colour when
    // it is rendered back onto its own bitmap; masked by teal it then keeps
    // only the arrow.
    TBitmap arrow;
    arrow.LoadFromResourceName(nullptr, "DBGARROWGXW");
    std::unique_ptr<TCustomImageList> temp(TCustomImageList::CreateSize(arrow.Width(), arrow.Height()));
    temp->SetBkColor(clYellow);
    temp->AddMasked(&arrow, clWhite);
    temp->Draw(arrow.Canvas(), 0, 0, 0);
    TSurface probe(1, 1);
    probe.Bitmap.Assign(&arrow);
    EXPECT_EQ(probe.Ink(kTeal), TRect(1, 0, 6, 9));
    bool yellow = false, white = false;
    for (int y = 0; y < arrow.Height(); ++y)
        for (int x = 0; x < arrow.Width(); ++x) {
            yellow = yellow || probe.At(x, y) == kYellow;
            white = white || probe.At(x, y) == kWhite;
        }
    EXPECT_TRUE(yellow);
    EXPECT_FALSE(white);

    std::unique_ptr<TCustomImageList> indicators(TCustomImageList::CreateSize(arrow.Width(), arrow.Height()));
    indicators->AddMasked(&arrow, static_cast<TColor>(0x808000));
    TSurface s(arrow.Width(), arrow.Height(), kGray);
    indicators->Draw(s.Bitmap.Canvas(), 0, 0, 0);
    EXPECT_EQ(s.At(0, 0), kGray);
    EXPECT_EQ(s.Ink(kGray), TRect(1, 0, 6, 9));
}

TEST(ImageLists, ChangeLinksHearOfChanges) {
    auto* list = new TCustomImageList(nullptr);
    list->SetWidth(4);
    list->SetHeight(4);
    int heard = 0;
    struct TListener {
        int* Heard;
        void Changed(TObject*) { ++*Heard; }
    } listener{&heard};
    auto* link = new TChangeLink;
    link->OnChange = TNotifyEvent(&listener, &TListener::Changed);
    list->RegisterChanges(link);
    EXPECT_EQ(link->Sender, list);
    TBitmap b;
    ThreeImages(b);
    list->AddMasked(&b, clWhite);
    list->Delete(0);
    list->SetBkColor(clRed);
    EXPECT_EQ(heard, 3);

    // A link that goes first takes itself off the list; a list that goes first lets its links go.
    delete link;
    list->Clear();
    EXPECT_EQ(heard, 3);
    auto* second = new TChangeLink;
    list->RegisterChanges(second);
    delete list;
    EXPECT_EQ(second->Sender, nullptr);
    delete second;
}

TEST(Bitmaps, ResizingKeepsPixelsAndTheCanvas) {
    TSurface s(4, 3, RGB(10, 20, 30));
    TCanvas* c = s.Bitmap.Canvas();
    c->SetPixels(1, 1, clRed);
    s.Bitmap.SetSize(8, 6);
    EXPECT_EQ(s.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(s.At(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(s.At(6, 5), kWhite);
    // The same canvas now draws on the larger picture.
    c->Brush()->SetColor(clBlue);
    c->FillRect(TRect(0, 0, 8, 6));
    EXPECT_EQ(s.At(7, 5), RGB(0, 0, 255));
    s.Bitmap.SetHeight(2);
    EXPECT_EQ(s.Bitmap.Height(), 2);
    EXPECT_EQ(s.At(7, 1), RGB(0, 0, 255));

    // A copy is a picture of its own.
    TBitmap copy;
    copy.Assign(&s.Bitmap);
    c->SetPixels(0, 0, clLime);
    EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clBlue);
}

TEST(Bitmaps, TransparentDrawingAndBrushCopy) {
    TBitmap glyph;
    glyph.SetSize(3, 2);
    glyph.Canvas()->Brush()->SetColor(clLime);
    glyph.Canvas()->FillRect(TRect(0, 0, 3, 2));
    glyph.Canvas()->SetPixels(1, 0, clBlack);

    TSurface s(6, 4, kGray);
    glyph.SetTransparent(true);  // the bottom-left pixel's colour: lime
    s.Bitmap.Canvas()->Draw(1, 1, &glyph);
    EXPECT_EQ(s.Ink(kGray), TRect(2, 1, 3, 2));

    // BrushCopy: the colour gives way to the brush, or to the pixels below with a clear brush.
    s.Clear(kGray);
    TCanvas* c = s.Bitmap.Canvas();
    c->Brush()->SetColor(clYellow);
    c->BrushCopy(TRect(0, 0, 3, 2), &glyph, TRect(0, 0, 3, 2), clLime);
    EXPECT_EQ(s.At(0, 0), kYellow);
    EXPECT_EQ(s.At(1, 0), kBlack);
    s.Clear(kGray);
    c->Brush()->SetStyle(bsClear);
    c->BrushCopy(TRect(0, 0, 3, 2), &glyph, TRect(0, 0, 3, 2), clLime);
    EXPECT_EQ(s.At(0, 0), kGray);
    EXPECT_EQ(s.At(1, 0), kBlack);

    // CopyRect copies opaque, scaled to the destination.
    s.Clear(kGray);
    c->CopyRect(TRect(0, 0, 6, 4), glyph.Canvas(), TRect(0, 0, 3, 2));
    EXPECT_EQ(s.At(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(s.At(2, 1), kBlack);
    EXPECT_EQ(s.At(3, 1), kBlack);
    EXPECT_EQ(s.At(3, 2), RGB(0, 255, 0));
}

}  // namespace
