#pragma once
// Fixtures of the game-database tests: database files built from the shipped
// schema (or an older version of it) in a temporary folder, read back straight
// through the C API, and the data module with a scripted dialog service.
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/uDatamodule.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace datatest {

// A fresh folder for one test, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

// A file's bytes (empty when it cannot be read), and a file written whole.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// The shipped schema script.
const std::string& SchemaSql();

// Creates (or opens) a file and runs statements on it through the C API, with
// the program's name collation, or with the engine's own (ASCII-only) NOCASE
// as files of earlier builds were written.
void ExecSql(const std::string& file, const std::string& sql, bool plainCollation = false);
// Marks a file as indexed with the program's name collation, as the build's
// schema writer does.
std::string MarkIndexedSql();
// The first column of the first row as text; "<null>" for NULL, "<none>" without a row.
std::string QuerySql(const std::string& file, const std::string& sql);
// The column names of a table, upper-cased so that comparisons ignore case.
std::set<std::string> TableColumns(const std::string& file, const std::string& table);
// The file's change counter (header bytes 24..27): it moves with every
// committed write to the file.
uint32_t ChangeCounter(const std::string& file);

// The versions of the upgrade table that stored files carry, oldest first.
const std::vector<std::string>& StoredVersions();
// A database file as a program of the given schema version left it (the
// columns that later versions added are missing), holding the text Stored as
// its version: an alliance, a player and two planets rated 3. Its indexes are
// marked as built with the program's name collation.
void MakeDatabase(const std::string& file, const std::string& schemaVersion, const std::string& stored);

// The connection-string format that the settings supply by default.
inline const char* const kDefaultFormat = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Persist Security Info=False";

// A database of the current schema holding a small game:
//   alliances 1 "<none>", 2 "Evil", 3 "A's";
//   players 1 Vega (Evil), 2 Altair (<none>), 3 Rigel (Evil);
//   planets 1 Home [1:2:3] and moon 2 Moon [1:2:3] of Vega, 3 Far [2:5:7] of
//   Altair, 4 Rig [3:3:3] of Rigel.
// Extra statements run afterwards (to drop an index, add rows or a trigger).
void MakeGameDatabase(const std::string& file, const std::string& extraSql = "");

// A trigger that makes every statement of the kind (UPDATE, INSERT, DELETE) on
// the table fail with the message "refused".
std::string RefuseSql(const std::string& table, const std::string& kind);

// The data module's log lines.
struct LogLines {
    void Receive(TObject*, const AnsiString& Msg) { lines.push_back(Msg); }
    std::vector<std::string> lines;
};

// The clock stands still at 8 March 2024, 14:05:09, for the test's lifetime.
class FixedClock {
public:
    FixedClock();
    ~FixedClock();
    static TDateTime Time();
};

// Installs a scripted dialog service for the test's lifetime.
class ScriptedDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    TScriptedDialogService& operator*() const { return *service_; }
    TScriptedDialogService* operator->() const { return service_.get(); }

private:
    std::shared_ptr<TScriptedDialogService> service_;
};

// Drives a modal form of class Form from the application's idle time: one
// step per idle pass; once the steps are used up a form still open is closed
// with mrAbort, so a test never waits for a user.
template <class Form>
class ModalDriver {
public:
    using Step = std::function<void(Form*)>;
    explicit ModalDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        Application->OnIdle = MakeEvent(this, &ModalDriver::Idle);
    }
    ~ModalDriver() { Application->OnIdle = nullptr; }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    size_t StepsRun() const { return next_; }

private:
    void Idle(TObject*, bool& Done) {
        Done = false;
        Form* form = nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* f = dynamic_cast<Form*>(Screen->Forms(i)); f && f->Modal()) form = f;
        if (!form) return;
        if (next_ < steps_.size())
            steps_[next_++](form);
        else
            form->SetModalResult(mrAbort);
    }
    std::vector<Step> steps_;
    size_t next_ = 0;
};

// A left click in the middle of a control.
void ClickCentre(TWinControl* Control);

// The data module, freed the framework way.
struct DataModuleDeleter {
    void operator()(TdmMain* dm) const { FreeObject(dm); }
};
using DataModulePtr = std::unique_ptr<TdmMain, DataModuleDeleter>;
inline DataModulePtr MakeDataModule() { return DataModulePtr(new TdmMain(nullptr)); }

}  // namespace datatest
