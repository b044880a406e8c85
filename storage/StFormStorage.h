#pragma once
// Form placement: a component on a form that restores the form's window
// placement (normal rectangle, minimised and maximised positions, show state,
// active control) from a settings store every time the form is shown, and
// saves it when the form agrees to close (or, with nothing saved since the
// last restore, when it is destroyed). TStFormStorage adds published
// properties of the form's components ("Component.Property" lines) and named
// values. The form's OnShow, OnCloseQuery and OnDestroy are taken over in
// Loaded and given back by the destructor.
//
// A stored rectangle that would leave the window's title off every screen
// (a screen that is gone, a smaller desktop) is moved onto the primary
// screen and clipped to it.
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"
#include "storage/StAppStorage.h"
#include "storage/StWindowHook.h"

enum TPlacementOption { fpState, fpSize, fpLocation, fpActiveControl };
using TPlacementOptions = TEnumSet<TPlacementOption>;
TESK_ENUM_INFO(TPlacementOption, fpState, fpSize, fpLocation, fpActiveControl)
TESK_SET_INFO(TPlacementOptions, TPlacementOption)

enum TStFormPlacementVersionCheck { fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual };
TESK_ENUM_INFO(TStFormPlacementVersionCheck, fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual)

class TStFormPlacement;

// The window's tracking limits; a zero leaves the platform's own value.
class TStWinMinMaxInfo : public TPersistent {
    TESK_CLASS(TStWinMinMaxInfo, TPersistent)
public:
    explicit TStWinMinMaxInfo(TStFormPlacement* AOwner = nullptr) : owner_(AOwner) {}
    void Assign(TPersistent* Source) override;

    // Slots as in MINMAXINFO: reserved x, y, max size w, h, max position x, y,
    // min track w, h, max track w, h.
    int GetMinMaxInfo(int Index) const { return values_[Index]; }
    void SetMinMaxInfo(int Index, int Value);
    // All published values 0.
    bool DefaultMinMaxInfo() const;

    int MaxPosLeft() const { return values_[4]; }
    int MaxPosTop() const { return values_[5]; }
    int MaxSizeHeight() const { return values_[3]; }
    int MaxSizeWidth() const { return values_[2]; }
    int MaxTrackHeight() const { return values_[9]; }
    int MaxTrackWidth() const { return values_[8]; }
    int MinTrackHeight() const { return values_[7]; }
    int MinTrackWidth() const { return values_[6]; }

private:
    TStFormPlacement* owner_;
    int values_[10] = {};
};

// Told when the placement saved or restored. The program registers none.
class TStFormPlacementLink : public TObject {
public:
    const char* ClassName() const override { return "TStFormPlacementLink"; }
    TStFormPlacement* FormPlacement = nullptr;
    TNotifyEvent OnSave;
    TNotifyEvent OnLoad;
};

class TStFormPlacement : public TStComponent {
    TESK_CLASS(TStFormPlacement, TStComponent)
public:
    explicit TStFormPlacement(TComponent* AOwner);
    ~TStFormPlacement() override;
    void Loaded() override;

    void SaveFormPlacement();
    void RestoreFormPlacement();
    bool IsActive() const { return active_ && appStorage_; }
    virtual void SavePlacement();
    virtual void RestorePlacement();

    // Values under the placement's path; defaults without a store.
    AnsiString ReadString(const AnsiString& Ident, const AnsiString& Default = AnsiString());
    void WriteString(const AnsiString& Ident, const AnsiString& Value);
    bool ReadBoolean(const AnsiString& Ident, bool Default);
    void WriteBoolean(const AnsiString& Ident, bool Value);
    long double ReadFloat(const AnsiString& Ident, long double Default = 0);
    void WriteFloat(const AnsiString& Ident, long double Value);
    int ReadInteger(const AnsiString& Ident, int Default = 0);
    void WriteInteger(const AnsiString& Ident, int Value);
    TDateTime ReadDateTime(const AnsiString& Ident, TDateTime Default = 0);
    void WriteDateTime(const AnsiString& Ident, TDateTime Value);
    // The store's ConcatPaths, '' without a store.
    AnsiString ConcatPaths(std::initializer_list<AnsiString> Paths) const;

    void AddLink(TStFormPlacementLink* Link);
    void RemoveLink(TStFormPlacementLink* Link);

    // ---- published ----
    bool Active() const { return active_; }
    void SetActive(bool Value) { active_ = Value; }
    TStCustomAppStorage* AppStorage() const { return appStorage_; }
    void SetAppStorage(TStCustomAppStorage* Value);
    const AnsiString& AppStoragePath() const { return appStoragePath_; }
    // Ends in "\"; "%FORM_NAME%" becomes the owner form's name.
    void SetAppStoragePath(const AnsiString& Value);
    TStWinMinMaxInfo* MinMaxInfo() const { return winMinMaxInfo_; }
    void SetMinMaxInfo(TStWinMinMaxInfo* Value);
    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions Value) { options_ = Value; }
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool Value);
    int Version() const { return version_; }
    void SetVersion(int Value) { version_ = Value; }
    TStFormPlacementVersionCheck VersionCheck() const { return versionCheck_; }
    void SetVersionCheck(TStFormPlacementVersionCheck Value) { versionCheck_ = Value; }
    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    // Run when MinMaxInfo changes.
    void MinMaxInfoModified();
    TStWindowHook* WinHook() const { return winHook_; }
    bool SavedSinceRestore() const { return saved_; }
    bool Restored() const { return restored_; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void Save();
    virtual void Restore();
    TCustomForm* Form() const;
    void UpdatePlacement();
    void UpdateWinHook();
    void UpdatePreventResize();
    void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);
    void NotifyLinks(bool Saved);

    bool saved_ = false;
    bool restored_ = false;

private:
    void SetEvents();
    void RestoreEvents();
    void RestoreFromStore();
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormDestroy(TObject* Sender);
    AnsiString ValuePath(const AnsiString& Ident, bool Reading);

    bool active_ = true;
    TStCustomAppStorage* appStorage_ = nullptr;
    AnsiString appStoragePath_;
    TStWinMinMaxInfo* winMinMaxInfo_;
    TPlacementOptions options_;
    bool preventResize_ = false;
    int version_ = 0;
    TStFormPlacementVersionCheck versionCheck_ = fpvcCheckGreaterEqual;
    std::vector<TStFormPlacementLink*> links_;
    TStWindowHook* winHook_;
    bool defMaximize_ = false;
    bool destroying_ = false;
    bool eventsSet_ = false;
    TNotifyEvent saveFormShow_;
    TCloseQueryEvent saveFormCloseQuery_;
    TNotifyEvent saveFormDestroy_;
};

// ---------------------------------------------------------------------------
// Stored values

class TStFormStorage;
class TStStoredValue;
using TStStoredValueEvent = Delegate<void(TStStoredValue* Sender, Variant& Value)>;

class TStStoredValue : public TCollectionItem {
    TESK_CLASS(TStStoredValue, TCollectionItem)
public:
    explicit TStStoredValue(TCollection* Collection);
    void Assign(TPersistent* Source) override;
    void Save();
    void Restore();

    const AnsiString& Name() const { return name_; }
    // A name already used in the collection (ignoring case) raises EStkException.
    void SetName(const AnsiString& Value) { SetDisplayName(Value); }
    void SetDisplayName(const AnsiString& Value) override;
    Variant Value;
    AnsiString KeyString;
    TStStoredValueEvent OnSave;
    TStStoredValueEvent OnRestore;

protected:
    AnsiString GetDisplayName() const override;

private:
    TStFormStorage* Storage() const;
    AnsiString StoredValuePath() const;
    AnsiString name_;
};

class TStStoredValues : public TOwnedCollection {
    TESK_CLASS(TStStoredValues, TOwnedCollection)
public:
    explicit TStStoredValues(TPersistent* AOwner);
    TStStoredValue* Items(int Index) const { return static_cast<TStStoredValue*>(TCollection::Items(Index)); }
    // Ignoring letter case; -1 when absent.
    int IndexOf(const AnsiString& Name) const;
    TStStoredValue* StoredValue(const AnsiString& Name) const;
    virtual void SaveValues();
    virtual void RestoreValues();

    TStFormStorage* Storage = nullptr;
    AnsiString Path;
};

// ---------------------------------------------------------------------------
// The form storage

class TStFormStorage : public TStFormPlacement {
    TESK_CLASS(TStFormStorage, TStFormPlacement)
public:
    explicit TStFormStorage(TComponent* AOwner);
    ~TStFormStorage() override;
    void Loaded() override;

    void SavePlacement() override;
    void RestorePlacement() override;
    virtual void SaveProperties();
    virtual void RestoreProperties();

    TStrings* StoredProps() const { return storedProps_; }
    void SetStoredProps(TStrings* Value);
    TStStoredValues* StoredValues() const { return storedValues_; }
    void SetStoredValues(TStStoredValues* Value);
    const AnsiString& StoredPropsPath() const { return storedPropsPath_; }
    void SetStoredPropsPath(const AnsiString& Value) { storedPropsPath_ = Value; }
    const AnsiString& StoredValuesPath() const { return storedValues_->Path; }
    void SetStoredValuesPath(const AnsiString& Value) { storedValues_->Path = Value; }

protected:
    // Before the storage is written, each line names its component as the component is now called.
    void WriteState(TWriter& Writer) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TStringList* storedProps_;
    TStStoredValues* storedValues_;
    AnsiString storedPropsPath_;
};

// ---------------------------------------------------------------------------
// Stored properties

// The published properties of one object (all kinds but events), sorted by name.
class TStPropInfoList : public TObject {
public:
    explicit TStPropInfoList(TObject* AObject);
    const char* ClassName() const override { return "TStPropInfoList"; }
    int Count() const { return static_cast<int>(list_.size()); }
    const TPropInfo* Items(int Index) const { return list_[static_cast<size_t>(Index)]; }
    // Ignoring letter case; nullptr when absent.
    const TPropInfo* FindPropInfo(const AnsiString& Name) const;

private:
    std::vector<const TPropInfo*> list_;
};

// Saves or restores the "Component.Property" lines of one form.
class TStPropertyStorage : public TObject {
public:
    const char* ClassName() const override { return "TStPropertyStorage"; }
    virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Item, const AnsiString& Default);
    virtual void WriteString(const AnsiString& Section, const AnsiString& Item, const AnsiString& Value);
    virtual void EraseSection(const AnsiString& Section);
    virtual AnsiString GetItemName(const AnsiString& APropName) { return Prefix + APropName; }
    virtual TStPropertyStorage* CreateStorage();

    void StoreObjectsProps(TComponent* AOwner, TStrings* AList);
    void LoadObjectsProps(TComponent* AOwner, TStrings* AList);

    AnsiString Prefix;
    TStCustomAppStorage* AppStorage = nullptr;
    AnsiString Section;

private:
    using TPropertyAction = void (TStPropertyStorage::*)(const TPropInfo*);
    // Runs Action on each line's property, with object_ and Prefix set to its component.
    void ForEachStoredProperty(TComponent* AOwner, TStrings* AList, TPropertyAction Action);
    AnsiString PropertyPath(const TPropInfo* PropInfo, bool Reading);
    void StoreAnyProperty(const TPropInfo* PropInfo);
    void LoadAnyProperty(const TPropInfo* PropInfo);
    TPersistent* object_ = nullptr;
};

// "Comp.Prop" split at the first "."; both halves trimmed and non-empty.
bool ParseStoredItem(const AnsiString& Item, AnsiString& CompName, AnsiString& PropName);
AnsiString CreateStoredItem(const AnsiString& CompName, const AnsiString& PropName);
AnsiString ReplaceComponentName(const AnsiString& Item, const AnsiString& CompName);
// Drops lines that do not parse; FromNames resolves the component names into
// the lines' objects (dropping unknown names), otherwise the lines follow
// their objects' current names.
void UpdateStoredList(TComponent* AForm, TStrings* AStoredList, bool FromNames);

// ---------------------------------------------------------------------------
// Placement of a form in a store

void WriteFormPlacement(TCustomForm* Form, TStCustomAppStorage* AppStorage, const AnsiString& StorePath,
                        TPlacementOptions Options = TPlacementOptions{fpState, fpSize, fpLocation});
void ReadFormPlacement(TCustomForm* Form, TStCustomAppStorage* AppStorage, const AnsiString& StorePath,
                       TPlacementOptions Options = TPlacementOptions{fpState, fpSize, fpLocation});
// Value at Path + the screen-size suffix when stored, else at Path.
AnsiString ReadPosStr(TStCustomAppStorage* AppStorage, const AnsiString& Path);
void WritePosStr(TStCustomAppStorage* AppStorage, const AnsiString& Path, const AnsiString& Value);
// "(WxH)" of the primary screen.
AnsiString GetScreenSizeSuffix();
bool IsApplicationMinimized();

// Keeps a window's normal rectangle reachable: when the 32 pixels of its
// title do not lie on any of the work areas (at least 32 pixels wide), the
// rectangle is clipped to the primary work area and moved inside it.
TRect FitRectToWorkAreas(const TRect& Rect, const std::vector<TRect>& WorkAreas, const TRect& PrimaryWorkArea);
// The same with the screens the window system reports.
TRect FitRectToScreens(const TRect& Rect);
