#pragma once
// Fixtures of the main window's tests: a temporary program folder holding the
// shipped language file and an empty database made from the shipped schema,
// the data module and the main window built from their definitions, and a
// scripted dialog service and recording system service.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"
#include "tests/data/DataTestSupport.h"

namespace apptest {

// The game-database fixtures' temporary folder, raw statements and files.
using datatest::ExecSql;
using datatest::QuerySql;
using datatest::ReadFile;
using datatest::TempFolder;
using datatest::WriteFile;

// The shipped files of resources/.
std::string ShippedFile(const std::string& relative);
// A database file made from the shipped schema.
void MakeEmptyDatabase(const std::string& path);

// A program folder with "English.lng" and "Tesk.mdb", the data module on
// that file, and the services replaced by fakes. The window is made by Open.
class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();
    // Builds the main window (its FormCreate runs) without showing it.
    TfrmMain* Open();
    // Frees the window (without closing it) and the data module.
    void Free();
    // A start of the program on the folder: the window and data module of an
    // earlier start freed, fresh ones made and the window shown (its first
    // show reads the settings and opens the database).
    TfrmMain* Start();

    TempFolder folder;
    std::shared_ptr<TScriptedDialogService> dialogs;
    std::shared_ptr<TRecordingSystemService> system;
    TfrmMain* form = nullptr;
};

// The grid's column showing the field (names compared without regard to
// case); a missing one fails the test and gives nullptr.
TColumnGx* ColumnOf(TDBGridGx* Grid, const char* FieldName);

// The log pane's last line without its time stamp; empty when there is none.
std::string LastLog(TfrmMain* Form);

// Drives a modal form of class Form from the application's idle time, one
// step per idle pass; a form still open once the steps are used up is closed
// with mrAbort, so a test never waits for a user.
template <class Form>
class ModalDriver {
public:
    using Step = std::function<void(Form*)>;
    // The idle handler list, not OnIdle, which the window's application-events
    // component takes over.
    explicit ModalDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        Application->IdleHandlers.push_back(Delegate<void()>(this, &ModalDriver::Idle));
    }
    ~ModalDriver() {
        auto& handlers = Application->IdleHandlers;
        handlers.erase(std::remove(handlers.begin(), handlers.end(), Delegate<void()>(this, &ModalDriver::Idle)),
                       handlers.end());
    }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    size_t StepsRun() const { return next_; }

private:
    void Idle() {
        Form* form = nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* f = dynamic_cast<Form*>(Screen->Forms(i)); f && f->Modal()) form = f;
        if (!form) return;
        if (next_ < steps_.size())
            steps_[next_++](form);
        else
            form->SetModalResult(mrAbort);
        // Wake the modal loop, which waits for the next message.
        PostMessage(form->Handle(), WM_NULL, 0, 0);
    }
    std::vector<Step> steps_;
    size_t next_ = 0;
};

// Ends a requested application end, so that the next test starts afresh.
bool TakeTermination();

}  // namespace apptest
