#include "tests/app/ImportTestSupport.h"

#include <gtest/gtest.h>

#include "app/uVocabulary.h"
#include "platform/classes/IniFiles.h"

namespace importtest {

void LoadShippedVocabulary() {
    TIniFile ini(AnsiString(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    ReadGameVocabulary(ini);
}

AnsiString Crlf(const std::string& Text) {
    AnsiString out;
    for (char c : Text) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c == '|' ? '\t' : c;
    }
    return out;
}

TDateTime At(int month, int day, int hour, int minute, int second) {
    return EncodeDate(2024, month, day) + EncodeTime(hour, minute, second, 0);
}

std::vector<std::string> Bodies(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        size_t p = l.find(" - ");
        out.push_back(p == std::string::npos ? l : l.substr(p + 3));
    }
    return out;
}

ImportDatabase::ImportDatabase(const std::string& ExtraSql) {
    SetClock([] { return At(7, 25, 12, 0, 0); });
    LoadShippedVocabulary();
    file_ = folder_.File("Tesk.mdb");
    datatest::ExecSql(file_, datatest::SchemaSql() + ExtraSql);
    dm_ = datatest::MakeDataModule();
    EXPECT_TRUE(dm_->OpenDatabase(file_, datatest::kDefaultFormat));
    dm_->OnLogMessage = MakeEvent(this, &ImportDatabase::Receive);
}

ImportDatabase::~ImportDatabase() {
    dm_.reset();
    SetClock(nullptr);
}

void ImportDatabase::RouteLog(std::vector<std::string>* Lines) { lines_ = Lines; }

}  // namespace importtest
