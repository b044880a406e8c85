// Library support: the growing memory stream, the interceptor registry, the
// form interceptor, locale comparisons and the library's messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "grid/GxLibVCL.h"
#include "platform/rtti/Published.h"

namespace {

TEST(MemoryStreamGx, GrowsInStepsOfTwiceTheCapacityStep) {
    struct {
        int Step;
        int64_t Size;      // written first
        int64_t Capacity;  // after one more byte
    } cases[] = {
        {4096, 100, 8192},     {4096, 8191, 8192}, {4096, 8192, 16384},
        {4096, 20000, 24576},  {1024, 100, 2048},  {1024, 3000, 4096},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "step " << c.Step << " size " << c.Size);
        TMemoryStreamGx s;
        s.SetCapacityStep(c.Step);
        std::vector<char> bytes(static_cast<size_t>(c.Size), 'x');
        s.WriteBuffer(bytes.data(), c.Size);
        char one = 'y';
        s.WriteBuffer(&one, 1);
        EXPECT_EQ(s.Capacity(), c.Capacity);
        EXPECT_EQ(s.Size(), c.Size + 1);
        // The data survives the reallocations.
        EXPECT_EQ(static_cast<char*>(s.Memory())[0], 'x');
        EXPECT_EQ(static_cast<char*>(s.Memory())[c.Size], 'y');
    }
}

TEST(MemoryStreamGx, ARequestForTheCurrentSizeIsExactAndZeroFrees) {
    TMemoryStreamGx s;
    std::vector<char> bytes(100, 'a');
    s.WriteBuffer(bytes.data(), 100);
    EXPECT_EQ(s.Capacity(), 8192);
    s.SetSize(100);
    EXPECT_EQ(s.Capacity(), 100);
    s.SetSize(0);
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStreamGx, AFailedAllocationRaisesTheStreamError) {
    TMemoryStreamGx s;
    s.WriteBuffer("abc", 3);
    try {
        s.SetSize(int64_t(1) << 60);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Out of memory while expanding memory stream");
    }
    // The stream is as it was.
    EXPECT_EQ(s.Size(), 3);
    EXPECT_EQ(std::string(static_cast<char*>(s.Memory()), 3), "abc");
}

class TInterceptorA : public TStoragePropertyInterceptor {
    TESK_CLASS(TInterceptorA, TStoragePropertyInterceptor)
public:
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
};
class TInterceptorB : public TStoragePropertyInterceptor {
    TESK_CLASS(TInterceptorB, TStoragePropertyInterceptor)
public:
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
};

}  // namespace

TESK_PUBLISHED(TInterceptorA) {}
TESK_PUBLISHED(TInterceptorB) {}

namespace {

TEST(PropertyInterceptors, ASecondRegistrationForATargetReplacesTheFirst) {
    const TClassInfo* target = ClassInfoOf<TPersistent>();
    int before = PropertyInterceptorCount();
    RegisterPropertyInterceptor(target, InterceptorClassOf<TInterceptorA>());
    EXPECT_EQ(FindPropertyInterceptor(target).Info, TInterceptorA::StaticClassInfo());
    RegisterPropertyInterceptor(target, InterceptorClassOf<TInterceptorB>());
    EXPECT_EQ(PropertyInterceptorCount(), before + 1);
    TStoragePropertyInterceptorClass found = FindPropertyInterceptor(target);
    ASSERT_EQ(found.Info, TInterceptorB::StaticClassInfo());
    TComponent object(nullptr);
    std::unique_ptr<TStoragePropertyInterceptor> made(found.Create(&object));
    EXPECT_EQ(made->Target(), &object);
    EXPECT_TRUE(made->Interceptable());

    // Unregistering a pair that was replaced changes nothing; the live pair goes.
    UnregisterPropertyInterceptor(target, InterceptorClassOf<TInterceptorA>());
    EXPECT_EQ(PropertyInterceptorCount(), before + 1);
    UnregisterPropertyInterceptor(target, InterceptorClassOf<TInterceptorB>());
    EXPECT_EQ(PropertyInterceptorCount(), before);
    EXPECT_EQ(FindPropertyInterceptor(target).Info, nullptr);

    // Forms come with their placement interceptor.
    EXPECT_EQ(FindPropertyInterceptor(ClassInfoOf<TCustomForm>()).Info,
              TFormStoragePropertyInterceptor::StaticClassInfo());
}

TEST(PropertyInterceptors, AFormPlacementReadAt120PpiIsScaledToTheScreen) {
    std::unique_ptr<TForm> form(new TForm(nullptr));
    form->SetBounds(10, 20, 300, 200);
    form->SetPosition(poScreenCenter);
    TFormStoragePropertyInterceptor interceptor(form.get());
    EXPECT_EQ(interceptor.Left(), 10);
    EXPECT_EQ(interceptor.Width(), 300);
    EXPECT_EQ(interceptor.PixelsPerInch(), 96);

    // What a store read back, through the published properties.
    SetOrdProp(&interceptor, "Left", 120);
    SetOrdProp(&interceptor, "Top", 240);
    SetOrdProp(&interceptor, "Width", 600);
    SetOrdProp(&interceptor, "Height", 360);
    SetOrdProp(&interceptor, "PixelsPerInch", 120);
    interceptor.AfterPropertiesRead();
    EXPECT_EQ(form->BoundsRect(), TRect(96, 192, 96 + 480, 192 + 288));
    // A position read back stays where it was put.
    EXPECT_EQ(form->Position(), poDesigned);

    // Not a form: every placement value reads 0 and reading back touches nothing.
    TComponent other(nullptr);
    TFormStoragePropertyInterceptor none(&other);
    none.SetLeft(50);
    EXPECT_EQ(none.Left(), 0);
    EXPECT_EQ(none.Width(), 0);
    none.AfterPropertiesRead();
}

TEST(LocaleWrappers, CompareAndCaseFollowTheCodePage) {
    // "Ёж" and "ёЖ" (1251) are equal ignoring case; "а" sorts before "б".
    const AnsiString yoz = "\xA8\xE6", yozLower = "\xB8\xC6";
    EXPECT_EQ(AnsiCompareTextGx(yoz, yozLower), 0);
    EXPECT_NE(AnsiCompareStrGx(yoz, yozLower), 0);
    EXPECT_EQ(AnsiCompareTextGx("\xE0", "\xE1"), -1);
    EXPECT_EQ(AnsiCompareStrGx("b", "a"), 1);
    EXPECT_EQ(AnsiUpperCaseGx("ab\xE0\xB8"), "AB\xC0\xA8");
    EXPECT_EQ(AnsiLowerCaseGx("AB\xC0\xA8"), "ab\xE0\xB8");
}

TEST(Messages, AreTheRussianTextsInTheCodePage) {
    EXPECT_EQ(STextNotFoundGx(), FromUtf8Literal("Строка \"%s\" не найдена."));
    // 1251 bytes, one per letter.
    EXPECT_EQ(SFilterAllGx(), "(\xC2\xF1\xE5)");
    EXPECT_EQ(SInvalidVCLDBIFFormatGx(), "\xCD\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xF4\xEE\xF0\xEC\xE0\xF2 VCLDBIF");
}

TEST(MessageWrappers, MouseRecordsAndPackedPoints) {
    TMessage m;
    m.Msg = WM_LBUTTONDOWN;
    m.WParam = MK_LBUTTON | MK_SHIFT;
    m.LParam = SmallPointToLParamGx({-5, 300});
    TWMMouse mouse;
    MessageToWMMouseGx(m, mouse);
    EXPECT_EQ(mouse.Msg, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(mouse.Keys, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(mouse.XPos, -5);
    EXPECT_EQ(mouse.YPos, 300);
    TMessage copy;
    CopyMessageGx(m, copy);
    EXPECT_EQ(copy.LParam, m.LParam);
    EXPECT_EQ(EmptyRectGx(), TRect(0, 0, 0, 0));
}

}  // namespace
