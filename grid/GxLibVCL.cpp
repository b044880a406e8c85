#include "grid/GxLibVCL.h"

#include <cstdlib>

#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

// ---------------------------------------------------------------------------
// Wrappers

void DummyProcGx() {}

int DrawTextGx(HDC DC, const AnsiString& Text, int Len, TRect& Rect, UINT Format) {
    return DrawText(DC, Text.c_str(), Len, &Rect, Format);
}

int DrawTextExGx(HDC DC, const AnsiString& Text, int Len, TRect& Rect, UINT Format, const DRAWTEXTPARAMS& Params) {
    DRAWTEXTPARAMS copy = Params;
    return DrawTextEx(DC, Text.c_str(), Len, &Rect, Format, &copy);
}

bool ExtTextOutGx(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const AnsiString& Text, const int* Dx) {
    return ExtTextOut(DC, X, Y, Options, Rect, Text.c_str(), static_cast<UINT>(Text.size()), Dx);
}

UINT GetOutlineTextMetricsGx(HDC DC, UINT Size, OUTLINETEXTMETRIC& Metrics) {
    return GetOutlineTextMetrics(DC, Size, &Metrics);
}

LRESULT SendMessageGx(HWND Wnd, UINT Msg, WPARAM WParam, const void* LParam) {
    return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(LParam));
}

LRESULT SendTextMessageGx(HWND Wnd, UINT Msg, WPARAM WParam, const AnsiString& Text) {
    return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(Text.c_str()));
}

BOOL SystemParametersInfoGx(UINT Action, UINT Param, void* PvParam, UINT WinIni) {
    return SystemParametersInfo(Action, Param, PvParam, WinIni);
}

BOOL InvalidateRectGx(HWND Wnd, const TRect* Rect, BOOL Erase) { return InvalidateRect(Wnd, Rect, Erase); }

BOOL ValidateRectGx(HWND Wnd, const TRect* Rect) { return ValidateRect(Wnd, Rect); }

int ScrollWindowExGx(HWND Wnd, int DX, int DY, const TRect* Scroll, const TRect* Clip, HRGN Update,
                     TRect* UpdateRect, UINT Flags) {
    return ScrollWindowEx(Wnd, DX, DY, Scroll, Clip, Update, UpdateRect, Flags);
}

void CopyMessageGx(const TMessage& Source, TMessage& Dest) { Dest = Source; }

void MessageToWMMouseGx(const TMessage& Source, TWMMouse& Dest) {
    Dest.Msg = Source.Msg;
    Dest.Keys = Source.WParamLo();
    Dest.XPos = static_cast<int16_t>(GET_X_LPARAM(Source.LParam));
    Dest.YPos = static_cast<int16_t>(GET_Y_LPARAM(Source.LParam));
    Dest.Result = Source.Result;
}

LPARAM SmallPointToLParamGx(TSmallPoint Point) { return MAKELPARAM(Point.x, Point.y); }

void RectLPtoDPGx(HDC DC, TRect& Rect) {
    TPoint points[2] = {Rect.TopLeft(), Rect.BottomRight()};
    LPtoDP(DC, points, 2);
    Rect = TRect(points[0], points[1]);
}

HRGN CreatePolygonRgnGx(const std::vector<TPoint>& Points, int FillMode) {
    return CreatePolygonRgn(Points.data(), static_cast<int>(Points.size()), FillMode);
}

LRESULT SendGetSelMessageGx(HWND Wnd, int* SelStart, int* SelEnd) {
    return SendMessage(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(SelStart), reinterpret_cast<LPARAM>(SelEnd));
}

AnsiString AnsiUpperCaseGx(const AnsiString& S) {
    AnsiString result = S;
    CharUpperBuff(result.data(), static_cast<unsigned>(result.size()));
    return result;
}

AnsiString AnsiLowerCaseGx(const AnsiString& S) {
    AnsiString result = S;
    CharLowerBuff(result.data(), static_cast<unsigned>(result.size()));
    return result;
}

namespace {
int Sign(int Value) { return Value < 0 ? -1 : (Value > 0 ? 1 : 0); }
}  // namespace

int AnsiCompareStrGx(const AnsiString& S1, const AnsiString& S2) { return Sign(AnsiCompareStr(S1, S2)); }

int AnsiCompareTextGx(const AnsiString& S1, const AnsiString& S2) { return Sign(AnsiCompareText(S1, S2)); }

void BitmapLoadFromResourceNameGx(TBitmap* Bitmap, HINSTANCE Instance, const AnsiString& ResName) {
    Bitmap->LoadFromResourceName(Instance, ResName);
}

HBITMAP LoadBitmapGx(HINSTANCE Instance, int BitmapId) { return LoadBitmap(Instance, BitmapId); }

HBITMAP LoadBitmapGx(HINSTANCE Instance, const AnsiString& BitmapName) {
    return LoadBitmap(Instance, BitmapName.c_str());
}

void VarArrayRedimGx(Variant& A, int HighBound) { VarArrayRedim(A, HighBound); }

TRect EmptyRectGx() { return TRect(0, 0, 0, 0); }

// ---------------------------------------------------------------------------
// TMemoryStreamGx

void* TMemoryStreamGx::Realloc(int64_t& NewCapacity) {
    if (NewCapacity > 0 && NewCapacity != Size()) {
        int64_t delta = 2 * static_cast<int64_t>(capacityStep_ > 0 ? capacityStep_ : 1);
        NewCapacity = (NewCapacity + delta - 1) / delta * delta;
    }
    void* result = Memory();
    if (NewCapacity != Capacity()) {
        if (NewCapacity == 0) {
            std::free(result);
            return nullptr;
        }
        void* grown = std::realloc(result, static_cast<size_t>(NewCapacity));
        if (!grown) throw EStreamError("Out of memory while expanding memory stream");
        result = grown;
    }
    return result;
}

// ---------------------------------------------------------------------------
// Interceptor registry

namespace {
struct TInterceptorPair {
    const TClassInfo* Target;
    TStoragePropertyInterceptorClass Interceptor;
};

std::vector<TInterceptorPair>& Interceptors() {
    static std::vector<TInterceptorPair> list;
    return list;
}
}  // namespace

void RegisterPropertyInterceptor(const TClassInfo* TargetClass, const TStoragePropertyInterceptorClass& Interceptor) {
    auto& list = Interceptors();
    for (size_t i = list.size(); i-- > 0;)
        if (list[i].Target == TargetClass) UnregisterPropertyInterceptor(TargetClass, list[i].Interceptor);
    list.push_back({TargetClass, Interceptor});
}

void UnregisterPropertyInterceptor(const TClassInfo* TargetClass, const TStoragePropertyInterceptorClass& Interceptor) {
    auto& list = Interceptors();
    for (size_t i = list.size(); i-- > 0;)
        if (list[i].Target == TargetClass && list[i].Interceptor == Interceptor)
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

TStoragePropertyInterceptorClass FindPropertyInterceptor(const TClassInfo* TargetClass) {
    for (const TClassInfo* c = TargetClass; c; c = c->ClassParent())
        for (const auto& pair : Interceptors())
            if (pair.Target == c) return pair.Interceptor;
    return {};
}

int PropertyInterceptorCount() { return static_cast<int>(Interceptors().size()); }

// ---------------------------------------------------------------------------
// TFormStoragePropertyInterceptor

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* Target)
    : TStoragePropertyInterceptor(Target) {
    TCustomForm* form = Form();
    if (!form) return;
    TRect bounds = form->BoundsRect();
    TWindowState state = form->WindowState();
    if (form->HandleAllocated() && state != wsNormal) {
        WINDOWPLACEMENT placement;
        if (GetWindowPlacement(form->Handle(), &placement)) bounds = placement.rcNormalPosition;
    }
    left_ = bounds.Left;
    top_ = bounds.Top;
    width_ = bounds.Width();
    height_ = bounds.Height();
    pixelsPerInch_ = form->PixelsPerInch();
    windowState_ = state;
    activeControl_ = form->ActiveControl();
}

TCustomForm* TFormStoragePropertyInterceptor::Form() const { return dynamic_cast<TCustomForm*>(Target()); }

int TFormStoragePropertyInterceptor::Height() const { return Form() ? height_ : 0; }
int TFormStoragePropertyInterceptor::Left() const { return Form() ? left_ : 0; }
int TFormStoragePropertyInterceptor::Top() const { return Form() ? top_ : 0; }
int TFormStoragePropertyInterceptor::Width() const { return Form() ? width_ : 0; }

void TFormStoragePropertyInterceptor::SetLeft(int Value) {
    left_ = Value;
    positionRead_ = true;
}

void TFormStoragePropertyInterceptor::SetTop(int Value) {
    top_ = Value;
    positionRead_ = true;
}

void TFormStoragePropertyInterceptor::AfterPropertiesRead() {
    TCustomForm* form = Form();
    if (!form) return;
    int screenPpi = Screen ? Screen->PixelsPerInch() : 96;
    // A placement stored without its resolution keeps its pixels.
    if (pixelsPerInch_ > 0 && pixelsPerInch_ != screenPpi) {
        width_ = MulDiv(width_, screenPpi, pixelsPerInch_);
        height_ = MulDiv(height_, screenPpi, pixelsPerInch_);
        left_ = MulDiv(left_, screenPpi, pixelsPerInch_);
        top_ = MulDiv(top_, screenPpi, pixelsPerInch_);
        pixelsPerInch_ = screenPpi;
    }
    form->SetWindowState(windowState_);
    form->SetActiveControl(activeControl_);
    TRect bounds = Bounds(left_, top_, width_, height_);
    if (form->HandleAllocated() && form->WindowState() != wsNormal) {
        WINDOWPLACEMENT placement;
        GetWindowPlacement(form->Handle(), &placement);
        placement.rcNormalPosition = bounds;
        SetWindowPlacement(form->Handle(), &placement);
    } else {
        form->SetBoundsRect(bounds);
    }
    if ((form->Position() == poScreenCenter || form->Position() == poDesktopCenter) &&
        !form->InState(csDesigning) && positionRead_)
        form->SetPosition(poDesigned);
}

TESK_PUBLISHED(TStoragePropertyInterceptor) {}

TESK_PUBLISHED(TFormStoragePropertyInterceptor) {
    Property("ActiveControl", &T::ActiveControl, &T::SetActiveControl);
    Property("Height", &T::Height, &T::SetHeight);
    Property("Left", &T::Left, &T::SetLeft);
    Property("PixelsPerInch", &T::PixelsPerInch, &T::SetPixelsPerInch);
    Property("Top", &T::Top, &T::SetTop);
    Property("Width", &T::Width, &T::SetWidth);
    Property("WindowState", &T::WindowState, &T::SetWindowState);
}

// ---------------------------------------------------------------------------
// Messages

AnsiString SInvalidTextFormatGx() { return FromUtf8Literal("Неверный формат текста"); }
AnsiString SInvalidVCLDBIFFormatGx() { return FromUtf8Literal("Неверный формат VCLDBIF"); }
AnsiString SErrorDuringInsertValueGx() { return FromUtf8Literal("Ошибка при вставки значения:"); }
AnsiString SIgnoreErrorGx() { return FromUtf8Literal("Игнорировать ошибку?"); }
AnsiString STextNotFoundGx() { return FromUtf8Literal("Строка \"%s\" не найдена."); }
AnsiString SFilterEmptiesGx() { return FromUtf8Literal("(Пустые)"); }
AnsiString SFilterNotEmptiesGx() { return FromUtf8Literal("(Не пустые)"); }
AnsiString SFilterAllGx() { return FromUtf8Literal("(Все)"); }
AnsiString SFilterClearGx() { return FromUtf8Literal("(Очистить фильтр)"); }
AnsiString SFilterSortDescendingGx() { return FromUtf8Literal("(Сортировка по убыванию)"); }
AnsiString SFilterSortAscendingGx() { return FromUtf8Literal("(Сортировка по возрастанию)"); }
AnsiString SClearSelectedCellsGx() { return FromUtf8Literal("Очистить выделенные ячейки?"); }
AnsiString SFindDialogCaptionGx() { return FromUtf8Literal("Поиск"); }
AnsiString SFindTextLabelGx() { return FromUtf8Literal("&Образец:"); }
AnsiString SFindInLabelGx() { return FromUtf8Literal("&Поиск в:"); }
AnsiString SFindMatchingLabelGx() { return FromUtf8Literal("&Совпадение:"); }
AnsiString SFindDirectionLabelGx() { return FromUtf8Literal("Прос&мотр:"); }
AnsiString SFindMatchAnyPartGx() { return FromUtf8Literal("С любой части поля"); }
AnsiString SFindMatchWholeGx() { return FromUtf8Literal("Поля целиком"); }
AnsiString SFindMatchFromStartGx() { return FromUtf8Literal("С начала поля"); }
AnsiString SFindDirectionUpGx() { return FromUtf8Literal("Вверх"); }
AnsiString SFindDirectionDownGx() { return FromUtf8Literal("Вниз"); }
AnsiString SFindDirectionAllGx() { return FromUtf8Literal("Все"); }
AnsiString SFindCharCaseGx() { return FromUtf8Literal("С учетом ре&гистра"); }
AnsiString SFindUseFormatGx() { return FromUtf8Literal("С у&четом формата"); }
AnsiString SFindNextGx() { return FromUtf8Literal("На&йти далее"); }
AnsiString SFindCloseGx() { return FromUtf8Literal("Закрыть"); }
AnsiString SFindAllColumnsGx() { return "<All>"; }
