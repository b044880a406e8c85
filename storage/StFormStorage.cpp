#include "storage/StFormStorage.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>

#include "platform/gui/WinApi.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

TESK_PUBLISHED(TStWinMinMaxInfo) {
    IndexedProperty("MaxPosLeft", 4, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MaxPosTop", 5, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MaxSizeHeight", 3, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MaxSizeWidth", 2, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MaxTrackHeight", 9, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MaxTrackWidth", 8, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MinTrackHeight", 7, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
    IndexedProperty("MinTrackWidth", 6, &T::GetMinMaxInfo, &T::SetMinMaxInfo).Default(0);
}

TESK_PUBLISHED(TStFormPlacement) {
    Property("Active", &T::Active, &T::SetActive).Default(true);
    Property("AppStorage", &T::AppStorage, &T::SetAppStorage);
    Property("AppStoragePath", &T::AppStoragePath, &T::SetAppStoragePath);
    Property("MinMaxInfo", &T::MinMaxInfo, &T::SetMinMaxInfo);
    Property("Options", &T::Options, &T::SetOptions).Default(TPlacementOptions{fpState, fpSize, fpLocation});
    Property("PreventResize", &T::PreventResize, &T::SetPreventResize).Default(false);
    Property("Version", &T::Version, &T::SetVersion).Default(0);
    Property("VersionCheck", &T::VersionCheck, &T::SetVersionCheck).Default(fpvcCheckGreaterEqual);
    Property("OnSavePlacement", &T::OnSavePlacement, &T::OnSavePlacement);
    Property("OnRestorePlacement", &T::OnRestorePlacement, &T::OnRestorePlacement);
}

TESK_PUBLISHED(TStStoredValue) {
    Property("Name", &T::Name, &T::SetName);
    Property("Value", &T::Value, &T::Value);
    Property("KeyString", &T::KeyString, &T::KeyString);
    Property("OnSave", &T::OnSave, &T::OnSave);
    Property("OnRestore", &T::OnRestore, &T::OnRestore);
}

TESK_PUBLISHED(TStStoredValues) {}

TESK_PUBLISHED(TStFormStorage) {
    Property("StoredProps", &T::StoredProps, &T::SetStoredProps);
    Property("StoredValues", &T::StoredValues, &T::SetStoredValues);
    Property("StoredPropsPath", &T::StoredPropsPath, &T::SetStoredPropsPath);
    Property("StoredValuesPath", &T::StoredValuesPath, &T::SetStoredValuesPath);
}

namespace {

const char* const kFormNameMacro = "%FORM_NAME%";

bool OnlyActiveControl(TPlacementOptions Options) { return Options == TPlacementOptions{fpActiveControl}; }

void ChangeFormPosition(TCustomForm* Form, TPosition Position) {
    // Only the value changes: the window stays where the placement puts it.
    const bool designing = Form->InState(csDesigning);
    Form->SetComponentStateBits(csDesigning);
    {
        TScopeGuard notDesigning([&] {
            if (!designing) Form->ClearComponentStateBits(csDesigning);
        });
        Form->SetPosition(Position);
    }
}

int PosWord(const AnsiString& S, int N, int Default) {
    static const TSysCharSet delims = [] {
        TSysCharSet d;
        d.set(' ');
        d.set(',');
        return d;
    }();
    return StrToIntDef(Trim(ExtractWord(N, S, delims)), Default);
}

int SaturatedInt(int64_t Value) {
    return static_cast<int>(std::clamp<int64_t>(Value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

// ---------------------------------------------------------------------------
// TStWinMinMaxInfo

void TStWinMinMaxInfo::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStWinMinMaxInfo*>(Source)) {
        std::copy(std::begin(s->values_), std::end(s->values_), std::begin(values_));
        if (owner_) owner_->MinMaxInfoModified();
        return;
    }
    TPersistent::Assign(Source);
}

void TStWinMinMaxInfo::SetMinMaxInfo(int Index, int Value) {
    if (Index < 0 || Index >= 10 || values_[Index] == Value) return;
    values_[Index] = Value;
    if (owner_) owner_->MinMaxInfoModified();
}

bool TStWinMinMaxInfo::DefaultMinMaxInfo() const {
    for (int i = 2; i < 10; ++i)
        if (values_[i] != 0) return false;
    return true;
}

// ---------------------------------------------------------------------------
// TStFormPlacement

TStFormPlacement::TStFormPlacement(TComponent* AOwner)
    : TStComponent(AOwner), appStoragePath_(kFormNameMacro), winMinMaxInfo_(new TStWinMinMaxInfo(this)),
      winHook_(new TStWindowHook(this)) {
    if (dynamic_cast<TForm*>(AOwner)) options_ = TPlacementOptions{fpState, fpSize, fpLocation};
    winHook_->SetAfterMessage(TStHookMessageEvent(this, &TStFormPlacement::WndMessage));
}

TStFormPlacement::~TStFormPlacement() {
    for (TStFormPlacementLink* link : links_) link->FormPlacement = nullptr;
    links_.clear();
    if (!InState(csDesigning)) {
        winHook_->SetControl(nullptr);
        RestoreEvents();
    }
    delete winHook_;
    delete winMinMaxInfo_;
}

TCustomForm* TStFormPlacement::Form() const { return dynamic_cast<TCustomForm*>(Owner()); }

void TStFormPlacement::Loaded() {
    const bool loading = InState(csLoading);
    TStComponent::Loaded();
    if (InState(csDesigning)) return;
    if (loading) SetEvents();
    UpdateWinHook();
}

void TStFormPlacement::SetEvents() {
    TCustomForm* form = Form();
    if (!form || eventsSet_) return;
    saveFormShow_ = form->OnShow;
    form->OnShow = TNotifyEvent(this, &TStFormPlacement::FormShow);
    saveFormCloseQuery_ = form->OnCloseQuery;
    form->OnCloseQuery = TCloseQueryEvent(this, &TStFormPlacement::FormCloseQuery);
    saveFormDestroy_ = form->OnDestroy;
    form->OnDestroy = TNotifyEvent(this, &TStFormPlacement::FormDestroy);
    eventsSet_ = true;
    defMaximize_ = (form->BorderIcons() & BorderIconBit(biMaximize)) != 0;
    if (preventResize_) UpdatePreventResize();
}

void TStFormPlacement::RestoreEvents() {
    TCustomForm* form = Form();
    if (!form || !eventsSet_) return;
    // Only our own handlers are given back: someone may have chained onto them since.
    if (form->OnShow == TNotifyEvent(this, &TStFormPlacement::FormShow)) form->OnShow = saveFormShow_;
    if (form->OnCloseQuery == TCloseQueryEvent(this, &TStFormPlacement::FormCloseQuery))
        form->OnCloseQuery = saveFormCloseQuery_;
    if (form->OnDestroy == TNotifyEvent(this, &TStFormPlacement::FormDestroy)) form->OnDestroy = saveFormDestroy_;
    eventsSet_ = false;
}

void TStFormPlacement::FormShow(TObject* Sender) {
    if (IsActive()) {
        try {
            RestoreFormPlacement();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    if (saveFormShow_) saveFormShow_(Sender);
}

void TStFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
    if (saveFormCloseQuery_) saveFormCloseQuery_(Sender, CanClose);
    TCustomForm* form = Form();
    if (CanClose && IsActive() && form && form->HandleAllocated()) {
        try {
            SaveFormPlacement();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
}

void TStFormPlacement::FormDestroy(TObject* Sender) {
    if (IsActive() && !saved_) {
        destroying_ = true;
        try {
            SaveFormPlacement();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
        destroying_ = false;
    }
    if (saveFormDestroy_) saveFormDestroy_(Sender);
}

void TStFormPlacement::Notification(TComponent* AComponent, TOperation Operation) {
    TStComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == appStorage_) appStorage_ = nullptr;
}

void TStFormPlacement::SetAppStorage(TStCustomAppStorage* Value) {
    if (appStorage_ == Value) return;
    if (appStorage_) appStorage_->RemoveFreeNotification(this);
    appStorage_ = Value;
    if (appStorage_) appStorage_->FreeNotification(this);
}

void TStFormPlacement::SetAppStoragePath(const AnsiString& Value) {
    AnsiString path = Value;
    if (!path.empty() && path.back() != '\\') path += '\\';
    if (!InState(csDesigning))
        if (TCustomForm* form = Form()) {
            const AnsiString upper = AnsiUpperCase(path);
            const size_t at = upper.find(kFormNameMacro);
            if (at != AnsiString::npos) path.replace(at, std::char_traits<char>::length(kFormNameMacro), form->Name());
        }
    appStoragePath_ = path;
}

void TStFormPlacement::SetMinMaxInfo(TStWinMinMaxInfo* Value) {
    if (Value && Value != winMinMaxInfo_) winMinMaxInfo_->Assign(Value);
}

void TStFormPlacement::MinMaxInfoModified() {
    UpdatePlacement();
    if (!InState(csLoading)) UpdateWinHook();
}

void TStFormPlacement::SetPreventResize(bool Value) {
    if (!Form() || preventResize_ == Value) return;
    preventResize_ = Value;
    UpdatePlacement();
    UpdatePreventResize();
}

void TStFormPlacement::UpdatePreventResize() {
    TCustomForm* form = Form();
    if (InState(csDesigning) || !form) return;
    if (preventResize_) defMaximize_ = (form->BorderIcons() & BorderIconBit(biMaximize)) != 0;
    const bool saveActive = active_;
    active_ = false;
    TBorderIcons icons = form->BorderIcons();
    if (!preventResize_ && defMaximize_ && form->BorderStyle() != bsDialog)
        icons = icons | BorderIconBit(biMaximize);
    else
        icons = static_cast<TBorderIcons>(icons & ~BorderIconBit(biMaximize));
    form->SetBorderIcons(icons);
    active_ = saveActive;
    if (!InState(csLoading)) UpdateWinHook();
}

void TStFormPlacement::UpdateWinHook() {
    TCustomForm* form = Form();
    if (InState(csDesigning) || !form) return;
    if (!winMinMaxInfo_->DefaultMinMaxInfo() || preventResize_) winHook_->SetControl(form);
    else winHook_->SetControl(nullptr);
}

void TStFormPlacement::UpdatePlacement() {
    TCustomForm* form = Form();
    if (!form || !form->HandleAllocated() || InState(csLoading) || preventResize_ ||
        !winMinMaxInfo_->DefaultMinMaxInfo())
        return;
    WINDOWPLACEMENT wp;
    if (!GetWindowPlacement(form->Handle(), &wp)) return;
    if (!IsWindowVisible(form->Handle())) wp.showCmd = SW_HIDE;
    int metric = -1;
    switch (form->BorderStyle()) {
        case bsSingle:
        case bsToolWindow: metric = SM_CXBORDER; break;
        case bsSizeable:
        case bsSizeToolWin: metric = SM_CXFRAME; break;
        case bsDialog: metric = SM_CXDLGFRAME; break;
        default: break;
    }
    wp.ptMaxPosition = metric < 0 ? TPoint(0, 0) : TPoint(-GetSystemMetrics(metric), -GetSystemMetrics(metric + 1));
    SetWindowPlacement(form->Handle(), &wp);
}

void TStFormPlacement::WndMessage(TObject*, TMessage& Msg, bool&) {
    TCustomForm* form = Form();
    if (preventResize_ && form) {
        switch (Msg.Msg) {
            case WM_GETMINMAXINFO:
                if (form->HandleAllocated() && IsWindowVisible(form->Handle())) {
                    auto* mmi = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
                    mmi->ptMinTrackSize = TPoint(form->Width(), form->Height());
                    mmi->ptMaxTrackSize = TPoint(form->Width(), form->Height());
                    Msg.Result = 1;
                }
                break;
            case WM_NCHITTEST:
                if (Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
                break;
            case WM_INITMENUPOPUP:
                // The window menu: a form of fixed size cannot be sized or maximised from it.
                if (HIWORD(Msg.LParam) != 0) {
                    HMENU menu = reinterpret_cast<HMENU>(Msg.WParam);
                    EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
                    EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
                    Msg.Result = 1;
                }
                break;
            default: break;
        }
        return;
    }
    if (Msg.Msg != WM_GETMINMAXINFO) return;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
    if (!winMinMaxInfo_->DefaultMinMaxInfo()) {
        const TStWinMinMaxInfo& m = *winMinMaxInfo_;
        if (m.MinTrackWidth()) mmi->ptMinTrackSize.X = m.MinTrackWidth();
        if (m.MinTrackHeight()) mmi->ptMinTrackSize.Y = m.MinTrackHeight();
        if (m.MaxTrackWidth()) mmi->ptMaxTrackSize.X = m.MaxTrackWidth();
        if (m.MaxTrackHeight()) mmi->ptMaxTrackSize.Y = m.MaxTrackHeight();
        if (m.MaxSizeWidth()) mmi->ptMaxSize.X = m.MaxSizeWidth();
        if (m.MaxSizeHeight()) mmi->ptMaxSize.Y = m.MaxSizeHeight();
        if (m.MaxPosLeft()) mmi->ptMaxPosition.X = m.MaxPosLeft();
        if (m.MaxPosTop()) mmi->ptMaxPosition.Y = m.MaxPosTop();
    } else {
        mmi->ptMaxPosition = TPoint(0, 0);
    }
    Msg.Result = 1;
}

AnsiString TStFormPlacement::ValuePath(const AnsiString& Ident, bool Reading) {
    return appStorage_->ConcatPaths({appStoragePath_, appStorage_->TranslatePropertyName(this, Ident, Reading)});
}

AnsiString TStFormPlacement::ReadString(const AnsiString& Ident, const AnsiString& Default) {
    if (!appStorage_ || Ident.empty()) return Default;
    return appStorage_->ReadString(ValuePath(Ident, true), Default);
}

void TStFormPlacement::WriteString(const AnsiString& Ident, const AnsiString& Value) {
    if (appStorage_ && !Ident.empty()) appStorage_->WriteString(ValuePath(Ident, false), Value);
}

bool TStFormPlacement::ReadBoolean(const AnsiString& Ident, bool Default) {
    if (!appStorage_ || Ident.empty()) return Default;
    return appStorage_->ReadBoolean(ValuePath(Ident, true), Default);
}

void TStFormPlacement::WriteBoolean(const AnsiString& Ident, bool Value) {
    if (appStorage_ && !Ident.empty()) appStorage_->WriteBoolean(ValuePath(Ident, false), Value);
}

long double TStFormPlacement::ReadFloat(const AnsiString& Ident, long double Default) {
    if (!appStorage_ || Ident.empty()) return Default;
    return appStorage_->ReadFloat(ValuePath(Ident, true), Default);
}

void TStFormPlacement::WriteFloat(const AnsiString& Ident, long double Value) {
    if (appStorage_ && !Ident.empty()) appStorage_->WriteFloat(ValuePath(Ident, false), Value);
}

int TStFormPlacement::ReadInteger(const AnsiString& Ident, int Default) {
    if (!appStorage_ || Ident.empty()) return Default;
    return appStorage_->ReadInteger(ValuePath(Ident, true), Default);
}

void TStFormPlacement::WriteInteger(const AnsiString& Ident, int Value) {
    if (appStorage_ && !Ident.empty()) appStorage_->WriteInteger(ValuePath(Ident, false), Value);
}

TDateTime TStFormPlacement::ReadDateTime(const AnsiString& Ident, TDateTime Default) {
    if (!appStorage_ || Ident.empty()) return Default;
    return appStorage_->ReadDateTime(ValuePath(Ident, true), Default);
}

void TStFormPlacement::WriteDateTime(const AnsiString& Ident, TDateTime Value) {
    if (appStorage_ && !Ident.empty()) appStorage_->WriteDateTime(ValuePath(Ident, false), Value);
}

AnsiString TStFormPlacement::ConcatPaths(std::initializer_list<AnsiString> Paths) const {
    return appStorage_ ? TStCustomAppStorage::ConcatPaths(Paths) : AnsiString();
}

void TStFormPlacement::AddLink(TStFormPlacementLink* Link) {
    if (!Link || std::find(links_.begin(), links_.end(), Link) != links_.end()) return;
    if (Link->FormPlacement && Link->FormPlacement != this) Link->FormPlacement->RemoveLink(Link);
    links_.push_back(Link);
    Link->FormPlacement = this;
}

void TStFormPlacement::RemoveLink(TStFormPlacementLink* Link) {
    links_.erase(std::remove(links_.begin(), links_.end(), Link), links_.end());
    if (Link && Link->FormPlacement == this) Link->FormPlacement = nullptr;
}

void TStFormPlacement::NotifyLinks(bool Saved) {
    const std::vector<TStFormPlacementLink*> links = links_;
    for (TStFormPlacementLink* link : links) {
        if (Saved && link->OnSave) link->OnSave(this);
        if (!Saved && link->OnLoad) link->OnLoad(this);
    }
}

void TStFormPlacement::Save() {
    if (OnSavePlacement) OnSavePlacement(this);
}

void TStFormPlacement::Restore() {
    if (OnRestorePlacement) OnRestorePlacement(this);
}

void TStFormPlacement::SaveFormPlacement() {
    if (!appStorage_) return;
    TStCustomAppStorage* store = appStorage_;
    store->BeginBatch();
    try {
        WriteInteger("FormVersion", version_);
        Save();
        SavePlacement();
    } catch (...) {
        store->EndBatch(true);
        throw;
    }
    store->EndBatch(true);
    saved_ = true;
}

void TStFormPlacement::RestoreFormPlacement() {
    if (TStCustomAppStorage* store = appStorage_) {
        store->BeginBatch();
        try {
            RestoreFromStore();
        } catch (...) {
            store->EndBatch(false);
            throw;
        }
        store->EndBatch(false);
    }
    UpdatePlacement();
}

void TStFormPlacement::RestoreFromStore() {
    {
        saved_ = false;
        const int stored = ReadInteger("FormVersion", 0);
        const bool pass = versionCheck_ == fpvcNocheck ||
                          (versionCheck_ == fpvcCheckGreaterEqual && stored >= version_) ||
                          (versionCheck_ == fpvcCheckEqual && stored == version_);
        if (pass) {
            RestorePlacement();
            restored_ = true;
            Restore();
            TCustomForm* form = Form();
            if (options_.Contains(fpActiveControl) && form) {
                const AnsiString name =
                    appStorage_->ReadString(appStorage_->ConcatPaths({appStoragePath_, "ActiveControl"}), "");
                auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name));
                if (control && control->CanFocus()) form->SetActiveControl(control);
            }
        }
        restored_ = true;
    }
}

void TStFormPlacement::SavePlacement() {
    if (TCustomForm* form = Form()) {
        if (!OnlyActiveControl(options_)) {
            WriteFormPlacement(form, appStorage_, appStoragePath_, options_);
            if (options_.Contains(fpActiveControl) && form->ActiveControl())
                appStorage_->WriteString(appStoragePath_ + "ActiveControl", form->ActiveControl()->Name());
        }
    }
    NotifyLinks(true);
}

void TStFormPlacement::RestorePlacement() {
    if (TCustomForm* form = Form()) ReadFormPlacement(form, appStorage_, appStoragePath_, options_);
    NotifyLinks(false);
}

// ---------------------------------------------------------------------------
// Placement in a store

AnsiString GetScreenSizeSuffix() {
    return Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool IsApplicationMinimized() { return Application && IsIconic(Application->Handle()); }

AnsiString ReadPosStr(TStCustomAppStorage* AppStorage, const AnsiString& Path) {
    const AnsiString suffixed = Path + GetScreenSizeSuffix();
    if (AppStorage->ValueStored(suffixed)) return AppStorage->ReadString(suffixed, "");
    return AppStorage->ReadString(Path, "");
}

void WritePosStr(TStCustomAppStorage* AppStorage, const AnsiString& Path, const AnsiString& Value) {
    AppStorage->WriteString(Path + GetScreenSizeSuffix(), Value);
    AppStorage->WriteString(Path, Value);
}

void WriteFormPlacement(TCustomForm* Form, TStCustomAppStorage* AppStorage, const AnsiString& StorePath,
                        TPlacementOptions Options) {
    if (!Form || !AppStorage || OnlyActiveControl(Options)) return;
    WINDOWPLACEMENT wp;
    GetWindowPlacement(Form->Handle(), &wp);
    if (Application && Form == Application->MainForm() && IsApplicationMinimized()) wp.showCmd = SW_SHOWMINIMIZED;
    if (Form->FormStyle() == fsMDIChild && Form->WindowState() == wsMinimized) wp.flags |= WPF_SETMINPOSITION;
    const AnsiString base = StorePath + "\\";
    if (Options.Contains(fpState)) AppStorage->WriteInteger(base + "ShowCmd", static_cast<int>(wp.showCmd));
    if (Options.Contains(fpSize) || Options.Contains(fpLocation)) {
        AppStorage->WriteInteger(base + "Flags", static_cast<int>(wp.flags));
        AppStorage->WriteInteger(base + "PixelsPerInch", Screen ? Screen->PixelsPerInch() : 96);
        WritePosStr(AppStorage, base + "MinMaxPos",
                    Format("%d,%d,%d,%d", {wp.ptMinPosition.X, wp.ptMinPosition.Y, wp.ptMaxPosition.X,
                                           wp.ptMaxPosition.Y}));
        const TRect& r = wp.rcNormalPosition;
        WritePosStr(AppStorage, base + "NormPos", Format("%d,%d,%d,%d", {r.Left, r.Top, r.Right, r.Bottom}));
    }
}

void ReadFormPlacement(TCustomForm* Form, TStCustomAppStorage* AppStorage, const AnsiString& StorePath,
                       TPlacementOptions Options) {
    if (!Form || !AppStorage || OnlyActiveControl(Options)) return;
    const AnsiString base = StorePath + "\\";
    WINDOWPLACEMENT wp;
    GetWindowPlacement(Form->Handle(), &wp);
    if (!IsWindowVisible(Form->Handle())) wp.showCmd = SW_HIDE;
    const bool size = Options.Contains(fpSize), location = Options.Contains(fpLocation);
    if (size || location) {
        bool found = false;
        AnsiString s = ReadPosStr(AppStorage, base + "MinMaxPos");
        if (!s.empty()) {
            found = true;
            if (location) wp.ptMinPosition = TPoint(PosWord(s, 1, 0), PosWord(s, 2, 0));
            if (size) wp.ptMaxPosition = TPoint(PosWord(s, 3, 0), PosWord(s, 4, 0));
        }
        s = ReadPosStr(AppStorage, base + "NormPos");
        if (!s.empty()) {
            found = true;
            TRect& r = wp.rcNormalPosition;
            // Stored numbers may be anything: sizes are worked out in 64 bits
            // and the result kept within what a rectangle can hold.
            const int64_t storedLeft = PosWord(s, 1, Form->Left());
            const int64_t storedTop = PosWord(s, 2, Form->Top());
            const int64_t left = location ? storedLeft : Form->Left();
            const int64_t top = location ? storedTop : Form->Top();
            int64_t width = Form->Width(), height = Form->Height();
            if (size) {
                // A damaged right or bottom keeps the form's own width or height.
                width = PosWord(s, 3, SaturatedInt(storedLeft + Form->Width())) - storedLeft;
                height = PosWord(s, 4, SaturatedInt(storedTop + Form->Height())) - storedTop;
            }
            r.Left = static_cast<int>(left);
            r.Top = static_cast<int>(top);
            r.Right = SaturatedInt(left + width);
            r.Bottom = SaturatedInt(top + height);
        }
        if (found) {
            const int ppi = Screen ? Screen->PixelsPerInch() : 96;
            found = AppStorage->ReadInteger(base + "PixelsPerInch", ppi) == ppi;
        }
        if (found) {
            TRect& r = wp.rcNormalPosition;
            if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin)
                r = TRect(r.Left, r.Top, SaturatedInt(int64_t(r.Left) + Form->Width()),
                          SaturatedInt(int64_t(r.Top) + Form->Height()));
            if (r.Right > r.Left) {
                if (!Form->InState(csDesigning)) {
                    if (size && location) ChangeFormPosition(Form, poDesigned);
                    else if (size) {
                        if (Form->Position() == poDefault) ChangeFormPosition(Form, poDefaultPosOnly);
                    } else if (Form->Position() == poDefault) {
                        ChangeFormPosition(Form, poDefaultSizeOnly);
                    } else if (Form->Position() != poDesigned) {
                        ChangeFormPosition(Form, poDesigned);
                    }
                }
                r = FitRectToScreens(r);
                SetWindowPlacement(Form->Handle(), &wp);
            }
        }
    }
    if (Options.Contains(fpState)) {
        const bool mainOrNone = !Application || !Application->MainForm() || Application->MainForm() == Form;
        TWindowState state = wsNormal;
        if (mainOrNone && (Form->FormStyle() == fsMDIForm ||
                           (Form->FormStyle() == fsNormal && Form->Position() == poDefault)))
            state = wsMaximized;
        switch (AppStorage->ReadInteger(base + "ShowCmd", 0)) {
            case SW_SHOWNORMAL:
            case SW_SHOW:
            case SW_RESTORE: state = wsNormal; break;
            case SW_SHOWMINIMIZED:
            case SW_MINIMIZE:
            case SW_SHOWMINNOACTIVE: state = wsMinimized; break;
            case SW_SHOWMAXIMIZED: state = wsMaximized; break;
            default: break;
        }
        if (state == wsMinimized && mainOrNone) {
            Form->SetWindowStateField(wsNormal);
            if (Application) PostMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (Form->FormStyle() == fsMDIChild || Form->FormStyle() == fsMDIForm) {
            Form->SetWindowStateField(state);
        } else {
            Form->SetWindowState(state);
        }
    }
    Form->Update();
}

namespace {

// A rectangle in 64 bits, so that its sizes and moves cannot overflow.
struct TWideRect {
    int64_t Left, Top, Width, Height;
    explicit TWideRect(const TRect& R)
        : Left(R.Left), Top(R.Top), Width(std::max<int64_t>(int64_t(R.Right) - R.Left, 0)),
          Height(std::max<int64_t>(int64_t(R.Bottom) - R.Top, 0)) {}
    // No larger than Area; moved into it when it had to shrink.
    void LimitTo(const TRect& Area) {
        const int64_t areaWidth = int64_t(Area.Right) - Area.Left, areaHeight = int64_t(Area.Bottom) - Area.Top;
        if (Width > areaWidth) {
            Width = areaWidth;
            Left = std::clamp<int64_t>(Left, Area.Left, Area.Right - Width);
        }
        if (Height > areaHeight) {
            Height = areaHeight;
            Top = std::clamp<int64_t>(Top, Area.Top, Area.Bottom - Height);
        }
    }
    bool TitleReachable(const TRect& Area, int64_t Title) const {
        const int64_t w = std::min<int64_t>(Left + Width, Area.Right) - std::max<int64_t>(Left, Area.Left);
        const int64_t h = std::min<int64_t>(Top + std::min(Height, Title), Area.Bottom) - std::max<int64_t>(Top, Area.Top);
        return w >= Title && h >= Title;
    }
    TRect ToRect() const {
        return TRect(SaturatedInt(Left), SaturatedInt(Top), SaturatedInt(Left + Width), SaturatedInt(Top + Height));
    }
};

}  // namespace

TRect FitRectToWorkAreas(const TRect& Rect, const std::vector<TRect>& WorkAreas, const TRect& PrimaryWorkArea) {
    const int kTitle = 32;
    for (const TRect& area : WorkAreas) {
        if (area.Right <= area.Left || area.Bottom <= area.Top) continue;
        TWideRect r(Rect);
        r.LimitTo(area);
        if (r.TitleReachable(area, kTitle)) return r.ToRect();
    }
    const TRect& a = PrimaryWorkArea;
    TWideRect r(Rect);
    if (a.Right <= a.Left || a.Bottom <= a.Top) return r.ToRect();
    r.LimitTo(a);
    r.Left = std::clamp<int64_t>(r.Left, a.Left, a.Right - r.Width);
    r.Top = std::clamp<int64_t>(r.Top, a.Top, a.Bottom - r.Height);
    return r.ToRect();
}

TRect FitRectToScreens(const TRect& Rect) {
    std::vector<TRect> areas;
    TRect primary;
    const int count = GetMonitorCount();
    for (int i = 0; i < count; ++i) {
        const TMonitorInfo info = GetMonitorInfoAt(i);
        areas.push_back(info.WorkArea);
        if (info.Primary || i == 0) primary = info.WorkArea;
    }
    if (areas.empty()) return Rect;
    return FitRectToWorkAreas(Rect, areas, primary);
}

// ---------------------------------------------------------------------------
// Stored values

TStStoredValue::TStStoredValue(TCollection* Collection) : TCollectionItem(Collection) {}

void TStStoredValue::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStStoredValue*>(Source)) {
        Value = s->Value.IsEmpty() ? Variant() : s->Value;
        SetName(s->Name());
        KeyString = s->KeyString;
        return;
    }
    TCollectionItem::Assign(Source);
}

AnsiString TStStoredValue::GetDisplayName() const { return name_.empty() ? TCollectionItem::GetDisplayName() : name_; }

void TStStoredValue::SetDisplayName(const AnsiString& Value) {
    auto* values = dynamic_cast<TStStoredValues*>(Collection());
    if (!Value.empty() && !AnsiSameText(Value, name_) && values && values->IndexOf(Value) >= 0)
        throw EStkException("String list does not allow duplicates");
    name_ = Value;
    TCollectionItem::SetDisplayName(Value);
}

TStFormStorage* TStStoredValue::Storage() const {
    auto* values = dynamic_cast<TStStoredValues*>(Collection());
    return values ? values->Storage : nullptr;
}

AnsiString TStStoredValue::StoredValuePath() const {
    auto* values = dynamic_cast<TStStoredValues*>(Collection());
    return TStCustomAppStorage::ConcatPaths({values ? values->Path : AnsiString(), name_});
}

void TStStoredValue::Save() {
    TStFormStorage* storage = Storage();
    if (!storage || name_.empty()) return;
    Variant v = Value;
    if (OnSave) OnSave(this, v);
    const AnsiString path = StoredValuePath();
    if (!KeyString.empty()) {
        storage->WriteString(path, XorEncode(KeyString, VarToStr(v)));
        return;
    }
    const int type = v.VType() & varTypeMask;
    if (VarIsInt(v)) storage->WriteInteger(path, static_cast<int>(v.AsInt64()));
    else if (type == varSingle || type == varDouble || type == varCurrency)
        storage->WriteFloat(path, v.AsDouble());
    else if (type == varDate) storage->WriteDateTime(path, v.AsDouble());
    else if (type == varBoolean) storage->WriteBoolean(path, v.AsBoolean());
    else storage->WriteString(path, VarToStr(v));
}

void TStStoredValue::Restore() {
    TStFormStorage* storage = Storage();
    if (!storage || name_.empty()) return;
    const AnsiString path = StoredValuePath();
    Variant v;
    if (!KeyString.empty()) {
        const AnsiString s = storage->ReadString(path, XorEncode(KeyString, VarToStr(Value)));
        v = Variant(XorDecode(KeyString, s));
    } else {
        const int type = Value.VType() & varTypeMask;
        if (VarIsInt(Value)) v = Variant(storage->ReadInteger(path, static_cast<int>(Value.AsInt64())));
        else if (type == varSingle || type == varDouble || type == varCurrency)
            v = Variant(static_cast<double>(storage->ReadFloat(path, Value.AsDouble())));
        else if (type == varDate) v = VarFromDateTime(storage->ReadDateTime(path, Value.AsDouble()));
        else if (type == varBoolean) v = Variant(storage->ReadBoolean(path, Value.AsBoolean()));
        else v = Variant(storage->ReadString(path, VarToStr(Value)));
    }
    if (OnRestore) OnRestore(this, v);
    Value = v;
}

TStStoredValues::TStStoredValues(TPersistent* AOwner) : TOwnedCollection(AOwner, ItemClassOf<TStStoredValue>) {}

int TStStoredValues::IndexOf(const AnsiString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), Name)) return i;
    return -1;
}

TStStoredValue* TStStoredValues::StoredValue(const AnsiString& Name) const {
    const int i = IndexOf(Name);
    return i < 0 ? nullptr : Items(i);
}

void TStStoredValues::SaveValues() {
    for (int i = 0; i < Count(); ++i) Items(i)->Save();
}

void TStStoredValues::RestoreValues() {
    for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// ---------------------------------------------------------------------------
// TStFormStorage

TStFormStorage::TStFormStorage(TComponent* AOwner)
    : TStFormPlacement(AOwner), storedProps_(new TStringList), storedValues_(new TStStoredValues(this)) {
    storedValues_->Storage = this;
}

TStFormStorage::~TStFormStorage() {
    delete storedValues_;
    delete storedProps_;
}

void TStFormStorage::Loaded() {
    TStFormPlacement::Loaded();
    if (!InState(csDesigning)) UpdateStoredList(Owner(), storedProps_, true);
}

void TStFormStorage::WriteState(TWriter& Writer) {
    UpdateStoredList(Owner(), storedProps_, false);
    TStFormPlacement::WriteState(Writer);
}

void TStFormStorage::SetStoredProps(TStrings* Value) {
    if (!Value || Value == storedProps_) return;
    storedProps_->Assign(Value);
    for (int i = 0; i < storedProps_->Count(); ++i)
        if (auto* c = dynamic_cast<TComponent*>(storedProps_->Objects(i))) c->FreeNotification(this);
}

void TStFormStorage::SetStoredValues(TStStoredValues* Value) {
    if (Value && Value != storedValues_) storedValues_->Assign(Value);
}

void TStFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
    TStFormPlacement::Notification(AComponent, Operation);
    if (Operation != opRemove || InState(csDestroying) || !storedProps_) return;
    for (int i = storedProps_->Count() - 1; i >= 0; --i)
        if (storedProps_->Objects(i) == AComponent) storedProps_->Delete(i);
}

void TStFormStorage::SavePlacement() {
    TStFormPlacement::SavePlacement();
    if (auto* aware = dynamic_cast<IStStorageAware*>(Owner())) aware->WriteToStorage(AppStorage(), AppStoragePath());
    SaveProperties();
    storedValues_->SaveValues();
}

void TStFormStorage::RestorePlacement() {
    TStFormPlacement::RestorePlacement();
    restored_ = true;
    if (auto* aware = dynamic_cast<IStStorageAware*>(Owner())) aware->ReadFromStorage(AppStorage(), AppStoragePath());
    RestoreProperties();
    storedValues_->RestoreValues();
}

void TStFormStorage::SaveProperties() {
    TStPropertyStorage storage;
    storage.Section = AppStorage() ? TStCustomAppStorage::ConcatPaths({AppStoragePath(), storedPropsPath_}) : "";
    storage.AppStorage = AppStorage();
    storage.StoreObjectsProps(Owner(), storedProps_);
}

void TStFormStorage::RestoreProperties() {
    TStPropertyStorage storage;
    storage.Section = AppStorage() ? TStCustomAppStorage::ConcatPaths({AppStoragePath(), storedPropsPath_}) : "";
    storage.AppStorage = AppStorage();
    try {
        storage.LoadObjectsProps(Owner(), storedProps_);
    } catch (...) {
        // A property that cannot be restored keeps the value it has.
    }
}

// ---------------------------------------------------------------------------
// Stored properties

TStPropInfoList::TStPropInfoList(TObject* AObject) {
    list_ = GetPropList(AObject, tkAny & ~TypeKinds({tkUnknown, tkMethod}));
    std::stable_sort(list_.begin(), list_.end(),
                     [](const TPropInfo* a, const TPropInfo* b) { return AnsiCompareText(a->Name, b->Name) < 0; });
}

const TPropInfo* TStPropInfoList::FindPropInfo(const AnsiString& Name) const {
    for (const TPropInfo* p : list_)
        if (AnsiSameText(p->Name, Name)) return p;
    return nullptr;
}

AnsiString TStPropertyStorage::ReadString(const AnsiString& Section, const AnsiString& Item,
                                          const AnsiString& Default) {
    if (!AppStorage) return Default;
    return AppStorage->ReadString(
        TStCustomAppStorage::ConcatPaths({Section, AppStorage->TranslatePropertyName(nullptr, Item, true)}), Default);
}

void TStPropertyStorage::WriteString(const AnsiString& Section, const AnsiString& Item, const AnsiString& Value) {
    if (!AppStorage) return;
    AppStorage->WriteString(
        TStCustomAppStorage::ConcatPaths({Section, AppStorage->TranslatePropertyName(nullptr, Item, false)}), Value);
}

void TStPropertyStorage::EraseSection(const AnsiString& Section) {
    if (AppStorage) AppStorage->DeleteSubTree(Section);
}

TStPropertyStorage* TStPropertyStorage::CreateStorage() {
    auto* s = new TStPropertyStorage;
    s->AppStorage = AppStorage;
    return s;
}

AnsiString TStPropertyStorage::PropertyPath(const TPropInfo* PropInfo, bool Reading) {
    return TStCustomAppStorage::ConcatPaths(
        {Section, AppStorage->TranslatePropertyName(object_, GetItemName(PropInfo->Name), Reading)});
}

void TStPropertyStorage::StoreAnyProperty(const TPropInfo* PropInfo) {
    if (!AppStorage) return;
    AppStorage->WriteProperty(PropertyPath(PropInfo, false), object_, PropInfo->Name, true);
}

void TStPropertyStorage::LoadAnyProperty(const TPropInfo* PropInfo) {
    if (!AppStorage) return;
    const AnsiString path = PropertyPath(PropInfo, true);
    if (AppStorage->ValueStored(path) || AppStorage->IsFolder(path, false))
        AppStorage->ReadProperty(path, object_, PropInfo->Name, true, true);
}

namespace {

// One property list per component, by name, for the lines of a form.
using TInfoLists = std::map<AnsiString, std::unique_ptr<TStPropInfoList>>;

TInfoLists CreateInfoLists(TComponent* AOwner, TStrings* AList) {
    UpdateStoredList(AOwner, AList, false);
    TInfoLists lists;
    for (int i = 0; i < AList->Count(); ++i)
        if (auto* c = dynamic_cast<TComponent*>(AList->Objects(i))) {
            const AnsiString key = AnsiUpperCase(c->Name());
            if (!lists.count(key)) lists.emplace(key, std::make_unique<TStPropInfoList>(c));
        }
    return lists;
}

}  // namespace

void TStPropertyStorage::ForEachStoredProperty(TComponent* AOwner, TStrings* AList, TPropertyAction Action) {
    TInfoLists lists = CreateInfoLists(AOwner, AList);
    for (int i = 0; i < AList->Count(); ++i) {
        AnsiString comp, prop;
        if (!ParseStoredItem(AList->Strings(i), comp, prop)) continue;
        auto* c = dynamic_cast<TComponent*>(AList->Objects(i));
        if (!c) continue;
        object_ = c;
        Prefix = c->Name();
        auto it = lists.find(AnsiUpperCase(Prefix));
        if (it == lists.end()) continue;
        Prefix += "_";
        if (const TPropInfo* info = it->second->FindPropInfo(prop)) (this->*Action)(info);
    }
}

void TStPropertyStorage::StoreObjectsProps(TComponent* AOwner, TStrings* AList) {
    ForEachStoredProperty(AOwner, AList, &TStPropertyStorage::StoreAnyProperty);
}

void TStPropertyStorage::LoadObjectsProps(TComponent* AOwner, TStrings* AList) {
    ForEachStoredProperty(AOwner, AList, &TStPropertyStorage::LoadAnyProperty);
}

bool ParseStoredItem(const AnsiString& Item, AnsiString& CompName, AnsiString& PropName) {
    const size_t dot = Item.find('.');
    if (dot == AnsiString::npos) return false;
    CompName = Trim(Item.substr(0, dot));
    PropName = Trim(Item.substr(dot + 1));
    return !CompName.empty() && !PropName.empty();
}

AnsiString CreateStoredItem(const AnsiString& CompName, const AnsiString& PropName) {
    if (CompName.empty() || PropName.empty()) return AnsiString();
    return CompName + "." + PropName;
}

AnsiString ReplaceComponentName(const AnsiString& Item, const AnsiString& CompName) {
    AnsiString comp, prop;
    if (!ParseStoredItem(Item, comp, prop)) return AnsiString();
    return CreateStoredItem(CompName, prop);
}

void UpdateStoredList(TComponent* AForm, TStrings* AStoredList, bool FromNames) {
    if (!AStoredList) return;
    for (int i = AStoredList->Count() - 1; i >= 0; --i) {
        AnsiString comp, prop;
        if (!ParseStoredItem(AStoredList->Strings(i), comp, prop)) {
            AStoredList->Delete(i);
            continue;
        }
        if (FromNames) {
            TComponent* c = AForm ? AForm->FindComponent(comp) : nullptr;
            if (!c) AStoredList->Delete(i);
            else AStoredList->SetObjects(i, c);
        } else {
            auto* c = dynamic_cast<TComponent*>(AStoredList->Objects(i));
            if (!c) AStoredList->Delete(i);
            else AStoredList->SetStrings(i, ReplaceComponentName(AStoredList->Strings(i), c->Name()));
        }
    }
}
