#pragma once
// The base of syntax highlighters: a scanner the painter feeds one line at a
// time and asks for tokens with their display attributes. Only the base is
// built (no highlighter exists): the attribute list, the change notification
// the editor hooks, registry persistence and the default answers.
#include <vector>

#include "editor/TeEditOptions.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"

class TTeHighlighterAttributes : public TPersistent {
    TESK_CLASS(TTeHighlighterAttributes, TPersistent)
public:
    explicit TTeHighlighterAttributes(const AnsiString& AName = "") : name_(AName) {}
    void Assign(TPersistent* Source) override;

    TColor Background() const { return background_; }
    void SetBackground(TColor Value);
    TColor Foreground() const { return foreground_; }
    void SetForeground(TColor Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    // Bold 1, italic 2, underline 4, strike-out 8.
    int IntegerStyle() const;
    void SetIntegerStyle(int Value);
    const AnsiString& Name() const { return name_; }
    // Reads (writes) Background, Foreground and Style under the subkey Name of
    // the registry's open key; false when the subkey does not open.
    bool LoadFromRegistry(class TRegistry* Reg);
    bool SaveToRegistry(class TRegistry* Reg);
    TNotifyEvent OnChange;

private:
    void Changed();
    TColor background_ = clNone;
    TColor foreground_ = clNone;
    TFontStyles style_;
    AnsiString name_;
};

// A token's kind as the highlighter numbers it.
using TTeTokenKind = int;
enum TTeHighlighterCapability { hcUserSettings, hcRegistry };

class TTeCustomHighlighter : public TComponent {
    TESK_CLASS(TTeCustomHighlighter, TComponent)
public:
    explicit TTeCustomHighlighter(TComponent* AOwner);
    ~TTeCustomHighlighter() override;
    void Assign(TPersistent* Source) override;
    void Loaded() override;

    virtual int GetAttribCount() const;
    virtual TTeHighlighterAttributes* GetAttribute(int Index) const;
    virtual TTeHighlighterAttributes* GetDefaultAttribute(int Index) = 0;
    virtual AnsiString GetDefaultFilter() const { return defaultFilter_; }
    virtual TSysCharSet GetIdentChars() const;
    virtual AnsiString GetSampleSource() const { return ""; }
    virtual bool IsFilterStored() const { return true; }
    virtual void SetDefaultFilter(const AnsiString& Value) { defaultFilter_ = Value; }
    virtual void SetSampleSource(const AnsiString&) {}
    virtual void SetWordBreakChars(const TSysCharSet& AChars) { wordBreakChars_ = AChars; }
    virtual int GetCapabilities() const { return 2; }
    virtual AnsiString GetLanguageName() const { return "<Unknown>"; }
    virtual bool GetEol() = 0;
    virtual void* GetRange() const { return nullptr; }
    virtual AnsiString GetToken() = 0;
    virtual TTeHighlighterAttributes* GetTokenAttribute() = 0;
    virtual TTeTokenKind GetTokenKind() = 0;
    virtual int GetTokenPos() = 0;
    virtual bool IsKeyword(const AnsiString&) { return false; }
    virtual void Next() = 0;
    virtual void SetLine(const AnsiString& NewValue, int LineNumber) = 0;
    virtual void SetRange(void*) {}
    virtual void ResetRange() {}
    virtual bool UseUserSettings(int) { return false; }
    virtual void EnumUserSettings(TStrings* Settings) { Settings->Clear(); }
    virtual bool LoadFromRegistry(uintptr_t RootKey, const AnsiString& Key);
    virtual bool SaveToRegistry(uintptr_t RootKey, const AnsiString& Key);

    void NextToEol();
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    const TSysCharSet& WordBreakChars() const { return wordBreakChars_; }
    AnsiString DefaultFilter() const { return GetDefaultFilter(); }
    void HookAttrChangeEvent(const TNotifyEvent& ANotifyEvent);
    void UnhookAttrChangeEvent(const TNotifyEvent& ANotifyEvent);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

protected:
    // Takes the attribute over.
    void AddAttribute(TTeHighlighterAttributes* AAttrib);
    void DefHighlightChange(TObject* Sender);

private:
    std::vector<TTeHighlighterAttributes*> attributes_;  // ordered by name
    TTeNotifyEventChain* attrChangeHooks_;
    int updateCount_ = 0;
    bool enabled_ = true;
    TSysCharSet wordBreakChars_;
    AnsiString defaultFilter_;
    bool updateChange_ = false;
};

// The highlighters a program makes known; none in ours.
std::vector<const TClassInfo*>& GetPlaceableHighlighters();
