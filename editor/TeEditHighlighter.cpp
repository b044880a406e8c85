#include "editor/TeEditHighlighter.h"

#include <algorithm>

#include "platform/classes/Registry.h"
#include "platform/rtti/Published.h"

TESK_PUBLISHED(TTeHighlighterAttributes) {
    Property("Background", TypeInfoTColor(), &T::Background, &T::SetBackground).Default(clNone);
    Property("Foreground", TypeInfoTColor(), &T::Foreground, &T::SetForeground).Default(clNone);
    Property("Style", &T::Style, &T::SetStyle);
}

void TTeHighlighterAttributes::Changed() {
    if (OnChange) OnChange(this);
}

void TTeHighlighterAttributes::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TTeHighlighterAttributes*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    name_ = src->name_;
    bool changed = background_ != src->background_ || foreground_ != src->foreground_ || !(style_ == src->style_);
    background_ = src->background_;
    foreground_ = src->foreground_;
    style_ = src->style_;
    if (changed) Changed();
}

void TTeHighlighterAttributes::SetBackground(TColor Value) {
    if (background_ == Value) return;
    background_ = Value;
    Changed();
}

void TTeHighlighterAttributes::SetForeground(TColor Value) {
    if (foreground_ == Value) return;
    foreground_ = Value;
    Changed();
}

void TTeHighlighterAttributes::SetStyle(TFontStyles Value) {
    if (style_ == Value) return;
    style_ = Value;
    Changed();
}

int TTeHighlighterAttributes::IntegerStyle() const { return style_.Bits & 0xF; }

void TTeHighlighterAttributes::SetIntegerStyle(int Value) { SetStyle(TFontStyles::FromBits(static_cast<unsigned>(Value))); }

bool TTeHighlighterAttributes::LoadFromRegistry(TRegistry* Reg) {
    AnsiString previous = Reg->CurrentPath();
    if (!Reg->OpenKeyReadOnly(name_)) return false;
    if (Reg->ValueExists("Background")) SetBackground(static_cast<TColor>(Reg->ReadInteger("Background")));
    if (Reg->ValueExists("Foreground")) SetForeground(static_cast<TColor>(Reg->ReadInteger("Foreground")));
    if (Reg->ValueExists("Style")) SetIntegerStyle(Reg->ReadInteger("Style"));
    Reg->OpenKeyReadOnly("\\" + previous);
    return true;
}

bool TTeHighlighterAttributes::SaveToRegistry(TRegistry* Reg) {
    AnsiString previous = Reg->CurrentPath();
    if (!Reg->OpenKey(name_, true)) return false;
    Reg->WriteInteger("Background", static_cast<int>(background_));
    Reg->WriteInteger("Foreground", static_cast<int>(foreground_));
    Reg->WriteInteger("Style", IntegerStyle());
    Reg->OpenKey("\\" + previous, false);
    return true;
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TTeCustomHighlighter) {
    Property("DefaultFilter", &T::DefaultFilter, &T::SetDefaultFilter).Stored(&T::IsFilterStored);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
}

TTeCustomHighlighter::TTeCustomHighlighter(TComponent* AOwner)
    : TComponent(AOwner), attrChangeHooks_(new TTeNotifyEventChain(this)) {
    for (unsigned char c : AnsiString("!\"'()*+,-./:;=?[\\]^{|}")) wordBreakChars_.set(c);
}

TTeCustomHighlighter::~TTeCustomHighlighter() {
    for (size_t i = attributes_.size(); i-- > 0;) delete attributes_[i];
    attributes_.clear();
    delete attrChangeHooks_;
}

void TTeCustomHighlighter::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TTeCustomHighlighter*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    for (TTeHighlighterAttributes* mine : attributes_) {
        for (int j = 0; j < src->GetAttribCount(); ++j) {
            TTeHighlighterAttributes* theirs = src->GetAttribute(j);
            if (theirs->Name() == mine->Name()) {
                mine->Assign(theirs);
                break;
            }
        }
    }
    if (src->StaticClassInfo() == StaticClassInfo() && typeid(*src) == typeid(*this)) {
        SetSampleSource(src->GetSampleSource());
        wordBreakChars_ = src->wordBreakChars_;
        SetDefaultFilter(src->GetDefaultFilter());
    }
    SetEnabled(src->enabled_);
}

void TTeCustomHighlighter::Loaded() {
    TComponent::Loaded();
    DefHighlightChange(this);
}

int TTeCustomHighlighter::GetAttribCount() const { return static_cast<int>(attributes_.size()); }

TTeHighlighterAttributes* TTeCustomHighlighter::GetAttribute(int Index) const {
    if (Index < 0 || Index >= GetAttribCount()) return nullptr;
    return attributes_[static_cast<size_t>(Index)];
}

TSysCharSet TTeCustomHighlighter::GetIdentChars() const {
    TSysCharSet s;
    for (int c = 33; c <= 255; ++c) s.set(static_cast<size_t>(c));
    return s;
}

void TTeCustomHighlighter::AddAttribute(TTeHighlighterAttributes* AAttrib) {
    auto at = std::lower_bound(attributes_.begin(), attributes_.end(), AAttrib,
                               [](TTeHighlighterAttributes* a, TTeHighlighterAttributes* b) {
                                   return AnsiCompareText(a->Name(), b->Name()) < 0;
                               });
    if (at != attributes_.end() && AnsiCompareText((*at)->Name(), AAttrib->Name()) == 0)
        throw EListError("String list does not allow duplicates");
    attributes_.insert(at, AAttrib);
    AAttrib->OnChange = TNotifyEvent(this, &TTeCustomHighlighter::DefHighlightChange);
}

void TTeCustomHighlighter::DefHighlightChange(TObject*) {
    if (updateCount_ > 0) {
        updateChange_ = true;
        return;
    }
    if (ComponentState() & csLoading) return;
    updateChange_ = false;
    attrChangeHooks_->Fire();
}

void TTeCustomHighlighter::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && updateChange_) DefHighlightChange(this);
}

void TTeCustomHighlighter::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    DefHighlightChange(this);
}

void TTeCustomHighlighter::NextToEol() {
    while (!GetEol()) Next();
}

void TTeCustomHighlighter::HookAttrChangeEvent(const TNotifyEvent& ANotifyEvent) { attrChangeHooks_->Add(ANotifyEvent); }

void TTeCustomHighlighter::UnhookAttrChangeEvent(const TNotifyEvent& ANotifyEvent) {
    attrChangeHooks_->Remove(ANotifyEvent);
}

bool TTeCustomHighlighter::LoadFromRegistry(uintptr_t RootKey, const AnsiString& Key) {
    TRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    bool result = true;
    for (TTeHighlighterAttributes* a : attributes_) result = a->LoadFromRegistry(&reg) && result;
    return result;
}

bool TTeCustomHighlighter::SaveToRegistry(uintptr_t RootKey, const AnsiString& Key) {
    TRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKey(Key, true)) return false;
    bool result = true;
    for (TTeHighlighterAttributes* a : attributes_) result = a->SaveToRegistry(&reg) && result;
    return result;
}

std::vector<const TClassInfo*>& GetPlaceableHighlighters() {
    static std::vector<const TClassInfo*> list;
    return list;
}
