#pragma once
// TKeyValueList: named filter expressions, sorted by name without regard to
// case, each name once (the first value stays), mirrored item for item into
// a linked combo box that the list does not own.
#include "platform/classes/Strings.h"
#include "platform/gui/StdCtrls.h"

class TValueString : public TObject {
public:
    explicit TValueString(const AnsiString& AValue) : Value(AValue) {}
    AnsiString Value;
};

class TKeyValueList : public TStringList {
public:
    TKeyValueList();
    ~TKeyValueList() override;

    // The index of the key; a key already present changes nothing.
    int AddKeyValue(const AnsiString& Key, const AnsiString& Value);
    // Empty for -1 or a missing key.
    AnsiString GetValueByIndex(int Index) const;
    AnsiString GetValueByKey(const AnsiString& Key) const;

    void Delete(int Index) override;
    void Clear() override;

    TComboBox* Combobox() const { return combobox_; }
    // Links the box and copies every key into it (sorted, as the list is).
    void SetCombobox(TComboBox* Value);

private:
    TComboBox* combobox_ = nullptr;
};
