// The two input formats of a paste: tab-separated text and the binary
// interchange format. Both come from outside the program (any clipboard
// owner can put them there), so neither trusts a length or a terminator.
#include <cstring>

#include "grid/DBGridGxImpExp.h"
#include "grid/GxLibVCL.h"
#include "platform/gui/Services.h"

template <class F>
void TDBGridGxImport::Guarded(F Assign) {
    try {
        Assign();
    } catch (EAbort&) {
        throw;
    } catch (Exception& e) {
        if (IgnoreAllErrors) return;
        const AnsiString text = SErrorDuringInsertValueGx() + "\n" + e.Message() + "\n\n" + SIgnoreErrorGx();
        const int answer = MessageDlg(text, mtError, MsgDlgButtons({mbYes, mbNo, mbAll}));
        if (answer == mrAll) IgnoreAllErrors = true;
        else if (answer != mrYes) Abort();  // No: the paste stops, values already set stay
    }
}

// ---------------------------------------------------------------------------
// Text

void TDBGridGxImportAsText::ImportFromStream(TStream* AStream, bool IsImportAll) {
    IgnoreAllErrors = false;
    ended_ = false;
    State = 3;
    TDBGridGxImport::ImportFromStream(AStream, IsImportAll);
}

// The text ends at its first zero byte or at the end of the block.
bool TDBGridGxImportAsText::ReadChar(char& C) {
    if (ended_ || Stream->Read(&C, 1) != 1 || C == '\0') {
        ended_ = true;
        return false;
    }
    return true;
}

void TDBGridGxImportAsText::CheckState() {
    char c;
    if (!ReadChar(c)) {
        State = 3;
        Eof = true;
        return;
    }
    Ch = c;
    if (c == '\t') {
        State = 1;
    } else if (c == '\r') {
        char next;
        if (!ReadChar(next) || next != '\n')
            throw Exception("TDBGridGxImportAsText.CheckState: " + SInvalidTextFormatGx());
        State = 2;
    } else {
        State = 0;
    }
}

void TDBGridGxImportAsText::ReadValue() {
    Value = AnsiString(1, Ch);
    for (;;) {
        CheckState();
        if (State != 0) break;
        Value += Ch;
    }
    if (State == 1) CheckState();
}

void TDBGridGxImportAsText::ReadRecord(TColumnsGxList* ColumnsList) {
    if (State == 3) return;
    int next = 0;
    auto give = [&](const AnsiString& Text) {
        Value = Text;
        if (next < ColumnsList->Count()) ReadDataCell(ColumnsList->Items(next));
        ++next;
    };
    if (State == 0) {
        ReadValue();
        give(Value);
    }
    while (State == 0 || State == 1) {
        if (State == 1) {
            CheckState();
            give("");
        } else {
            ReadValue();
            give(Value);
        }
    }
    if (State == 2) CheckState();
}

void TDBGridGxImportAsText::ReadDataCell(TColumnGx* Column) {
    const AnsiString value = Value;
    TField* field = Column->Field();
    TField* target = EditTarget(Column);
    if (!target) return;
    Guarded([&] {
        if (field->Lookup()) {
            TDataSet* list = field->LookupDataSet();
            if (list && list->Locate(field->LookupResultField(), value, {loCaseInsensitive, loPartialKey}))
                target->SetValue(list->FieldValues(field->LookupKeyFields()));
        } else if (Column->GetColumnType() == ctKeyPickList) {
            const int index = Column->PickList()->IndexOf(value);
            if (index >= 0 && index < Column->KeyList()->Count()) target->SetText(Column->KeyList()->Strings(index));
            else target->Clear();
        } else {
            target->SetText(value);
        }
    });
}

// ---------------------------------------------------------------------------
// The binary interchange format

namespace {

int32_t LE32(const uint8_t* P) {
    return static_cast<int32_t>(uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24);
}

}  // namespace

void TDBGridGxImportAsVCLDBIF::ImportFromStream(TStream* AStream, bool IsImportAll) {
    IgnoreAllErrors = false;
    HasColNames = false;
    ColNames.clear();
    Value = Variant();
    TDBGridGxImport::ImportFromStream(AStream, IsImportAll);
    ColNames.clear();
}

void TDBGridGxImportAsVCLDBIF::FormatError() {
    throw Exception("TDBGridGxImportAsVCLDBIF.ReadPrefix: " + SInvalidVCLDBIFFormatGx());
}

void TDBGridGxImportAsVCLDBIF::ReadExact(void* Buffer, int64_t Count) {
    if (Count < 0 || Stream->Read(Buffer, Count) != Count) FormatError();
}

void TDBGridGxImportAsVCLDBIF::ReadPrefix() {
    uint8_t head[12];
    ReadExact(head, sizeof head);
    std::memcpy(Prefix.Signature, head, 7);
    Prefix.Version = head[7];
    Prefix.ColCount = LE32(head + 8);
    if (std::memcmp(Prefix.Signature, "VCLDBIF", 7) != 0) FormatError();
    // Each column takes at least its flag and the name's terminator.
    const int64_t left = Stream->Size() - Stream->Position();
    if (Prefix.ColCount <= 0 || Prefix.ColCount > left / 2) FormatError();
    for (int32_t i = 0; i < Prefix.ColCount; ++i) {
        uint8_t flag;
        ReadExact(&flag, 1);
        AnsiString name;
        for (char c;;) {
            ReadExact(&c, 1);
            if (c == '\0') break;
            name += c;
        }
        if (!name.empty()) HasColNames = true;
        ColNames.emplace_back(name, flag);
    }
    CheckCells();
    ReadValue();
}

void TDBGridGxImportAsVCLDBIF::CheckCells() {
    const int64_t start = Stream->Position();
    const int64_t size = Stream->Size();
    for (;;) {
        uint8_t tag;
        ReadExact(&tag, 1);
        int64_t skip = 0;
        switch (tag) {
            case vdtEnd: Stream->SetPosition(start); return;
            case vdtInteger: skip = 4; break;
            case vdtFloat: skip = 8; break;
            case vdtText:
            case vdtBinary: {
                uint8_t length[4];
                ReadExact(length, 4);
                skip = LE32(length);
                break;
            }
            case vdtNull:
            case vdtNoValue: break;
            default: FormatError();
        }
        if (skip < 0 || skip > size - Stream->Position()) FormatError();
        Stream->Seek(skip, soCurrent);
    }
}

void TDBGridGxImportAsVCLDBIF::ReadValue() {
    if (Eof) return;
    uint8_t tag;
    ReadExact(&tag, 1);
    Value = Variant();
    switch (tag) {
        case vdtEnd: Eof = true; break;
        case vdtNull: Value = Null(); break;
        case vdtInteger: {
            uint8_t b[4];
            ReadExact(b, 4);
            Value = Variant(static_cast<int>(LE32(b)));
            break;
        }
        case vdtFloat: {
            uint8_t b[8];
            ReadExact(b, 8);
            uint64_t bits = 0;
            for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
            double d;
            std::memcpy(&d, &bits, sizeof d);
            Value = Variant(d);
            break;
        }
        case vdtText:
        case vdtBinary: {
            uint8_t b[4];
            ReadExact(b, 4);
            const int32_t length = LE32(b);
            if (length < 0 || length > Stream->Size() - Stream->Position()) FormatError();
            AnsiString text(static_cast<size_t>(length), '\0');
            ReadExact(text.data(), length);
            Value = Variant(text);
            break;
        }
        case vdtNoValue: break;
        default: FormatError();
    }
}

void TDBGridGxImportAsVCLDBIF::ReadRecord(TColumnsGxList* ColumnsList) {
    for (int32_t i = 0; i < Prefix.ColCount; ++i) ReadDataCell(i < ColumnsList->Count() ? ColumnsList->Items(i) : nullptr);
}

void TDBGridGxImportAsVCLDBIF::ReadDataCell(TColumnGx* Column) {
    if (!Value.IsEmpty() && Column) {
        TField* target = EditTarget(Column);
        if (target) {
            const Variant value = Value;
            Guarded([&] {
                if (value.IsNull()) target->Clear();
                else target->SetValue(value);
            });
        }
    }
    ReadValue();
}
