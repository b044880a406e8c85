#pragma once
// Support shared by the grid library: thin wrappers over the drawing, message
// and locale calls (so the controls never reach the platform directly), a
// memory stream that grows in large steps, the registry of property
// interceptors and the library's own user messages.
#include <cstdint>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gdi.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/WinApi.h"
#include "platform/rtl/Variants.h"
#include "platform/rtti/TypInfo.h"

// ---------------------------------------------------------------------------
// Message records the wrappers copy between.

struct TSmallPoint {
    int16_t x = 0;
    int16_t y = 0;
};

// A mouse message as its handlers read it.
struct TWMMouse {
    UINT Msg = 0;
    WORD Keys = 0;
    int16_t XPos = 0;
    int16_t YPos = 0;
    LRESULT Result = 0;
    TSmallPoint Pos() const { return {XPos, YPos}; }
};

// ---------------------------------------------------------------------------
// Wrappers: each makes exactly one call and answers its result.

void DummyProcGx();

int DrawTextGx(HDC DC, const AnsiString& Text, int Len, TRect& Rect, UINT Format);
// The parameters are copied, so the caller's record is left as it was.
int DrawTextExGx(HDC DC, const AnsiString& Text, int Len, TRect& Rect, UINT Format, const DRAWTEXTPARAMS& Params);
bool ExtTextOutGx(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const AnsiString& Text, const int* Dx);
UINT GetOutlineTextMetricsGx(HDC DC, UINT Size, OUTLINETEXTMETRIC& Metrics);

LRESULT SendMessageGx(HWND Wnd, UINT Msg, WPARAM WParam, const void* LParam);
LRESULT SendTextMessageGx(HWND Wnd, UINT Msg, WPARAM WParam, const AnsiString& Text);
BOOL SystemParametersInfoGx(UINT Action, UINT Param, void* PvParam, UINT WinIni);
BOOL InvalidateRectGx(HWND Wnd, const TRect* Rect, BOOL Erase);
BOOL ValidateRectGx(HWND Wnd, const TRect* Rect);
int ScrollWindowExGx(HWND Wnd, int DX, int DY, const TRect* Scroll, const TRect* Clip, HRGN Update,
                     TRect* UpdateRect, UINT Flags);
void CopyMessageGx(const TMessage& Source, TMessage& Dest);
void MessageToWMMouseGx(const TMessage& Source, TWMMouse& Dest);
LPARAM SmallPointToLParamGx(TSmallPoint Point);
void RectLPtoDPGx(HDC DC, TRect& Rect);
HRGN CreatePolygonRgnGx(const std::vector<TPoint>& Points, int FillMode);
// EM_GETSEL into the two given places.
LRESULT SendGetSelMessageGx(HWND Wnd, int* SelStart, int* SelEnd);

AnsiString AnsiUpperCaseGx(const AnsiString& S);
AnsiString AnsiLowerCaseGx(const AnsiString& S);
// -1, 0 or 1 in the user's locale order.
int AnsiCompareStrGx(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareTextGx(const AnsiString& S1, const AnsiString& S2);

void BitmapLoadFromResourceNameGx(TBitmap* Bitmap, HINSTANCE Instance, const AnsiString& ResName);
HBITMAP LoadBitmapGx(HINSTANCE Instance, int BitmapId);
HBITMAP LoadBitmapGx(HINSTANCE Instance, const AnsiString& BitmapName);
void VarArrayRedimGx(Variant& A, int HighBound);
TRect EmptyRectGx();

// ---------------------------------------------------------------------------
// A memory stream that reallocates in steps of twice CapacityStep.

class TMemoryStreamGx : public TMemoryStream {
public:
    TMemoryStreamGx() = default;
    const char* ClassName() const override { return "TMemoryStreamGx"; }
    int CapacityStep() const { return capacityStep_; }
    void SetCapacityStep(int Value) { capacityStep_ = Value; }

protected:
    void* Realloc(int64_t& NewCapacity) override;

private:
    int capacityStep_ = 4096;
};

// ---------------------------------------------------------------------------
// Property interceptors: objects that offer pseudo-properties of a target to
// a property store.

class TStoragePropertyInterceptor : public TPersistent {
    TESK_CLASS(TStoragePropertyInterceptor, TPersistent)
public:
    explicit TStoragePropertyInterceptor(TObject* Target) : target_(Target) {}
    TObject* Target() const { return target_; }
    // Whether the interceptor serves its target; every one does unless it says otherwise.
    virtual bool Interceptable() const { return true; }
    // Called once the store has set every property read.
    virtual void AfterPropertiesRead() {}

private:
    TObject* target_;
};

// Makes an interceptor for a target object.
using TStoragePropertyInterceptorCreate = TStoragePropertyInterceptor* (*)(TObject* Target);

// An interceptor class: its published properties and how to make one.
struct TStoragePropertyInterceptorClass {
    const TClassInfo* Info = nullptr;
    TStoragePropertyInterceptorCreate Create = nullptr;
    friend bool operator==(const TStoragePropertyInterceptorClass& A, const TStoragePropertyInterceptorClass& B) {
        return A.Info == B.Info;
    }
};

template <class T>
TStoragePropertyInterceptorClass InterceptorClassOf() {
    return {T::StaticClassInfo(), [](TObject* Target) -> TStoragePropertyInterceptor* { return new T(Target); }};
}

// Replaces every pair registered for TargetClass by the new one.
void RegisterPropertyInterceptor(const TClassInfo* TargetClass, const TStoragePropertyInterceptorClass& Interceptor);
// Removes every pair equal to both.
void UnregisterPropertyInterceptor(const TClassInfo* TargetClass, const TStoragePropertyInterceptorClass& Interceptor);
// The interceptor class registered for a target class or, failing that, its
// nearest ancestor that has one; an empty one when none has.
TStoragePropertyInterceptorClass FindPropertyInterceptor(const TClassInfo* TargetClass);
int PropertyInterceptorCount();

// The placement of a form as a store keeps it.
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
    TESK_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TFormStoragePropertyInterceptor(TObject* Target);
    void AfterPropertiesRead() override;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* Value) { activeControl_ = Value; }
    int Height() const;
    void SetHeight(int Value) { height_ = Value; }
    int Left() const;
    void SetLeft(int Value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) { pixelsPerInch_ = Value; }
    int Top() const;
    void SetTop(int Value);
    int Width() const;
    void SetWidth(int Value) { width_ = Value; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState Value) { windowState_ = Value; }

private:
    TCustomForm* Form() const;
    TWinControl* activeControl_ = nullptr;
    int height_ = 0;
    int left_ = 0;
    int pixelsPerInch_ = 0;
    bool positionRead_ = false;
    int top_ = 0;
    int width_ = 0;
    TWindowState windowState_ = wsNormal;
};

// ---------------------------------------------------------------------------
// The library's messages, in the active code page.

AnsiString SInvalidTextFormatGx();          // pasting text into a grid
AnsiString SInvalidVCLDBIFFormatGx();       // pasting grid data
AnsiString SErrorDuringInsertValueGx();     // a pasted value failed
AnsiString SIgnoreErrorGx();                // asked after a paste error
AnsiString STextNotFoundGx();               // find: "%s" is the text
AnsiString SFilterEmptiesGx();              // filter row list items
AnsiString SFilterNotEmptiesGx();
AnsiString SFilterAllGx();
AnsiString SFilterClearGx();
AnsiString SFilterSortDescendingGx();
AnsiString SFilterSortAscendingGx();
AnsiString SClearSelectedCellsGx();         // asked before clearing cells
// The grid's find dialog.
AnsiString SFindDialogCaptionGx();
AnsiString SFindTextLabelGx();
AnsiString SFindInLabelGx();
AnsiString SFindMatchingLabelGx();
AnsiString SFindDirectionLabelGx();
AnsiString SFindMatchAnyPartGx();
AnsiString SFindMatchWholeGx();
AnsiString SFindMatchFromStartGx();
AnsiString SFindDirectionUpGx();
AnsiString SFindDirectionDownGx();
AnsiString SFindDirectionAllGx();
AnsiString SFindCharCaseGx();
AnsiString SFindUseFormatGx();
AnsiString SFindNextGx();
AnsiString SFindCloseGx();
AnsiString SFindAllColumnsGx();
