#include "app/uKeyValueList.h"

TKeyValueList::TKeyValueList() {
    SetCaseSensitive(false);
    SetSorted(true);
}

TKeyValueList::~TKeyValueList() {
    Clear();
    combobox_ = nullptr;
}

int TKeyValueList::AddKeyValue(const AnsiString& Key, const AnsiString& Value) {
    int index = 0;
    if (Find(Key, index)) return index;
    index = AddObject(Key, new TValueString(Value));
    if (combobox_) combobox_->Items()->Add(Key);
    return index;
}

AnsiString TKeyValueList::GetValueByIndex(int Index) const {
    if (Index < 0 || Index >= Count()) return "";
    auto* v = static_cast<TValueString*>(Objects(Index));
    return v ? v->Value : AnsiString();
}

AnsiString TKeyValueList::GetValueByKey(const AnsiString& Key) const {
    int index = 0;
    return Find(Key, index) ? GetValueByIndex(index) : AnsiString();
}

void TKeyValueList::Delete(int Index) {
    delete Objects(Index);
    if (combobox_ && Index < combobox_->Items()->Count()) combobox_->Items()->Delete(Index);
    TStringList::Delete(Index);
}

void TKeyValueList::Clear() {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

void TKeyValueList::SetCombobox(TComboBox* Value) {
    combobox_ = Value;
    if (!combobox_) return;
    combobox_->Items()->Clear();
    combobox_->SetSorted(true);
    for (int i = 0; i < Count(); ++i) combobox_->Items()->Add(Strings(i));
}
