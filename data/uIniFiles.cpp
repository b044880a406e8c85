#include "data/uIniFiles.h"

#include "platform/rtl/SysUtils.h"

AnsiString TMyIniFile::ReadFilled(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default,
                                  bool& Missing) {
    AnsiString value = TIniFile::ReadString(Section, Ident, "");
    Missing = value.empty();
    if (!Missing) return value;
    if (writeBackFailure_.empty()) {
        try {
            WriteString(Section, Ident, Default);
        } catch (const EIniFileException& e) {
            writeBackFailure_ = e.Message();
        }
    }
    return Default;
}

AnsiString TMyIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
    bool missing = false;
    AnsiString value = ReadFilled(Section, Ident, Default, missing);
    if (missing) {
        TStrings* list = GetMissingList();
        if (list->Count() == 0) {
            AnsiString name = FileName();
            size_t slash = name.find_last_of("/\\");
            if (slash != AnsiString::npos) name.erase(0, slash + 1);
            list->Add(Format("The following identifiers do not exist or are empty in %s", {FileNameAsText(name)}));
            list->Add("");
        }
        list->Add(Format("[%s] %s", {Section, Ident}));
    }
    return value;
}

AnsiString TMyIniFile::ReadOptionalString(const AnsiString& Section, const AnsiString& Ident,
                                          const AnsiString& Default) {
    bool missing = false;
    return ReadFilled(Section, Ident, Default, missing);
}

int TMyIniFile::GetMissingCount() const { return missing_ ? missing_->Count() : 0; }

TStrings* TMyIniFile::GetMissingList() {
    if (!missing_) missing_ = std::make_unique<TStringList>();
    return missing_.get();
}
