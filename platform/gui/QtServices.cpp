// The desktop's message boxes, file dialogs, beep and browser.
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

#include "platform/gui/QtText_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"
#include "platform/gui/WinApi_p.h"

namespace {

QWidget* DialogParent() {
    if (TWndHandle* rec = HandleRecord(GetActiveWindow())) return rec->Frame;
    return QApplication::activeWindow();
}

// "Text files (*.txt)|*.txt;*.text|All|*.*" to Qt's "Text files (*.txt) (*.txt *.text);;All (*)".
QStringList QtFilters(const AnsiString& filter) {
    QStringList parts = ToQString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& m : masks) {
            m = m.trimmed();
            if (m == "*.*") m = "*";
        }
        out << parts[i] + " (" + masks.join(' ') + ")";
    }
    return out;
}

class TQtDialogService final : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest& r) override {
        QMessageBox box(DialogParent());
        box.setWindowTitle(ToQString(r.Caption));
        box.setText(ToQString(r.Text));
        switch (r.Type) {
            case mtWarning: box.setIcon(QMessageBox::Warning); break;
            case mtError: box.setIcon(QMessageBox::Critical); break;
            case mtInformation: box.setIcon(QMessageBox::Information); break;
            case mtConfirmation: box.setIcon(QMessageBox::Question); break;
            default: box.setIcon(QMessageBox::NoIcon); break;
        }
        std::vector<std::pair<QPushButton*, TMsgDlgBtn>> buttons;
        for (int b = mbYes; b <= mbHelp; ++b) {
            auto btn = static_cast<TMsgDlgBtn>(b);
            if (!HasButton(r.Buttons, btn)) continue;
            QPushButton* pb = box.addButton(ToQString(ButtonCaption(btn)), QMessageBox::ActionRole);
            buttons.emplace_back(pb, btn);
            if (btn == r.DefaultButton) box.setDefaultButton(pb);
            if (btn == r.CancelButton) box.setEscapeButton(pb);
        }
        box.exec();
        for (auto& [pb, btn] : buttons)
            if (box.clickedButton() == pb) return ModalResultOfButton(btn);
        return ModalResultOfButton(r.CancelButton);
    }

    bool FileDialog(TFileDialogRequest& r) override {
        QFileDialog dialog(DialogParent(), ToQString(r.Title));
        dialog.setAcceptMode(r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (r.Save) dialog.setFileMode(QFileDialog::AnyFile);
        else if (r.AllowMultiSelect) dialog.setFileMode(QFileDialog::ExistingFiles);
        else dialog.setFileMode(r.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!r.OverwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        QStringList filters = QtFilters(r.Filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            int index = r.FilterIndex - 1;
            if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
        }
        if (!r.InitialDir.empty()) dialog.setDirectory(ToQPath(r.InitialDir));
        if (!r.FileName.empty()) dialog.selectFile(ToQPath(r.FileName));
        if (!r.DefaultExt.empty()) dialog.setDefaultSuffix(ToQString(r.DefaultExt));
        if (dialog.exec() != QDialog::Accepted) return false;
        QStringList files = dialog.selectedFiles();
        if (files.isEmpty()) return false;
        r.Files.clear();
        for (const QString& f : files) r.Files.push_back(FromQPath(f));
        r.FileName = r.Files.front();
        int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
        if (chosen >= 0) r.FilterIndex = chosen + 1;
        return true;
    }
};

class TQtSystemService final : public ISystemService {
public:
    void Beep(UINT) override { QApplication::beep(); }
    bool OpenUrl(const AnsiString& Url) override {
        return QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(Url)));
    }
};

}  // namespace

void UseNativeServices() {
    SetDialogService(std::make_shared<TQtDialogService>());
    SetSystemService(std::make_shared<TQtSystemService>());
}
