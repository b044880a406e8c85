#pragma once
// Fixtures of the import tests: the shipped language file's words, a fresh
// database from the shipped schema behind the data module, a clock standing
// at 25 July 2024 12:00:00, and fakes of the window's log and sounds.
#include <string>
#include <vector>

#include "app/uImportHost.h"
#include "tests/data/DataTestSupport.h"

namespace importtest {

// Reads the game words of resources/lang/English.lng into the vocabulary.
void LoadShippedVocabulary();

// A page as the game's pages are copied: "\n" becomes CR LF and "|" a TAB.
AnsiString Crlf(const std::string& Text);

// "07-23 14:05:09"-style texts of the fixtures lie in this year.
TDateTime At(int month, int day, int hour, int minute, int second);

// The log lines without their time stamp ("Message: ...", "Warning: ...").
std::vector<std::string> Bodies(const std::vector<std::string>& lines);

class RecordingHost : public virtual IImportHost {
public:
    void AddToLog(const AnsiString& Line) override { Log.push_back(Line); }
    void Beep(UINT SoundType) override { Beeps.push_back(SoundType); }
    std::vector<std::string> Log;
    std::vector<UINT> Beeps;
};

// An empty game database opened by a data module; the data module's own log
// lines go to Log as well.
class ImportDatabase {
public:
    explicit ImportDatabase(const std::string& ExtraSql = "");
    ~ImportDatabase();
    TdmMain* dm() const { return dm_.get(); }
    std::string Query(const std::string& Sql) const { return datatest::QuerySql(file_, Sql); }
    void Exec(const std::string& Sql) const { datatest::ExecSql(file_, Sql); }
    const std::string& File() const { return file_; }
    void RouteLog(std::vector<std::string>* Lines);

private:
    void Receive(TObject*, const AnsiString& Msg) {
        if (lines_) lines_->push_back(Msg);
    }
    datatest::TempFolder folder_;
    std::string file_;
    datatest::ScriptedDialogs dialogs_;
    datatest::DataModulePtr dm_;
    std::vector<std::string>* lines_ = nullptr;

public:
    TScriptedDialogService& Dialogs() { return *dialogs_; }
};

}  // namespace importtest
