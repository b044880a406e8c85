#include "platform/db/StMemoryDataset.h"

TStMemoryData::TStMemoryData(TComponent* AOwner) : TDataSet(AOwner) {}

void TStMemoryData::InternalOpen() {
    // Persistent fields define the columns when there are any.
    defsFromFields_ = false;
    if (FieldCount() > 0) {
        FieldDefs()->Clear();
        for (int i = 0; i < FieldCount(); ++i) {
            TField* f = Fields()->Fields(i);
            if (f->FieldKind() == fkData) FieldDefs()->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
        }
        defsFromFields_ = true;
    }
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        const TFieldDef& d = FieldDefs()->Items(i);
        switch (d.DataType) {
        case ftUnknown:
        case ftCursor:
        case ftADT:
        case ftArray:
        case ftReference:
        case ftDataSet:
        case ftVariant:
        case ftInterface:
        case ftIDispatch: DatabaseError("Field '" + d.Name + "' is of an unknown type");
        default: break;
        }
    }
    BindFields();
    autoIncValue_ = 1;
}

void TStMemoryData::InternalClose() {
    autoIncValue_ = 1;
    if (defsFromFields_) FieldDefs()->Clear();
    defsFromFields_ = false;
}

void TStMemoryData::InternalPost(bool Inserting) {
    if (!Inserting) return;
    bool used = false;
    for (int c = 0; c < StoreColumnCount(); ++c) {
        TField* f = StoreField(c);
        if (f && f->DataType() == ftAutoInc) {
            SetGeneratedValue(f, autoIncValue_);
            used = true;
        }
    }
    if (used) ++autoIncValue_;
}

bool TStMemoryData::Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    if (IsEmpty()) {
        CheckBrowseMode();
        return false;
    }
    return LocateRecord(KeyFields, KeyValues, Options, true);
}
