// The desktop's message boxes, file dialogs, beep and browser.
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

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

// A message box never larger than the screen's work area: a text too long
// for it scrolls, and the buttons below it stay in view.
class TMessageBox final : public QDialog {
public:
    explicit TMessageBox(const TMessageDlgRequest& r) : QDialog(DialogParent()) {
        setWindowTitle(ToQString(r.Caption));
        setObjectName("MessageBox");
        auto* icon = new QLabel(this);
        if (QStyle::StandardPixmap kind; IconOf(r.Type, kind)) {
            const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
            icon->setPixmap(style()->standardIcon(kind, nullptr, this).pixmap(size, size));
        }
        icon->setAlignment(Qt::AlignTop);
        text_ = new QLabel(LinesOf(r.Text), this);
        text_->setTextFormat(Qt::PlainText);
        text_->setWordWrap(true);
        text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        scroll_ = new QScrollArea(this);
        scroll_->setObjectName("MessageText");
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setWidgetResizable(true);
        scroll_->setWidget(text_);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        auto* top = new QHBoxLayout();
        top->addWidget(icon, 0, Qt::AlignTop);
        top->addWidget(scroll_, 1);
        auto* row = new QHBoxLayout();
        row->addStretch(1);
        for (int b = mbYes; b <= mbHelp; ++b) {
            auto btn = static_cast<TMsgDlgBtn>(b);
            if (!HasButton(r.Buttons, btn)) continue;
            auto* pb = new QPushButton(ToQString(ButtonCaption(btn)), this);
            const int result = ModalResultOfButton(btn);
            QObject::connect(pb, &QPushButton::clicked, this, [this, result] { done(result); });
            if (btn == r.DefaultButton) {
                pb->setDefault(true);
                pb->setFocus();
            }
            row->addWidget(pb);
        }
        row->addStretch(1);
        auto* all = new QVBoxLayout(this);
        all->addLayout(top, 1);
        all->addLayout(row, 0);
        FitToScreen();
    }

private:
    static bool IconOf(TMsgDlgType type, QStyle::StandardPixmap& kind) {
        switch (type) {
            case mtWarning: kind = QStyle::SP_MessageBoxWarning; return true;
            case mtError: kind = QStyle::SP_MessageBoxCritical; return true;
            case mtInformation: kind = QStyle::SP_MessageBoxInformation; return true;
            case mtConfirmation: kind = QStyle::SP_MessageBoxQuestion; return true;
            default: return false;
        }
    }
    // The program ends its lines with CR (the desktop's boxes take CR, LF or both).
    static QString LinesOf(const AnsiString& text) {
        QString s = ToQString(text);
        s.replace("\r\n", "\n");
        s.replace('\r', '\n');
        return s;
    }
    // The text as wide as its longest line up to a reading width and as tall
    // as it wraps to; the whole box within the work area, less room for a
    // frame, so a longer text scrolls.
    void FitToScreen() {
        QScreen* screen = parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        const QSize room = area.size() - QSize(16, 48);
        const QFontMetrics metrics = text_->fontMetrics();
        int longest = 0;
        for (const QString& line : text_->text().split('\n')) longest = std::max(longest, metrics.horizontalAdvance(line));
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const int width = std::clamp(longest + 4, 240, std::max(240, std::min(640, room.width() - 120)));
        // The size the whole text asks for, then a small minimum, so that the
        // box may be made smaller than the text.
        scroll_->setMinimumSize(width + bar, text_->heightForWidth(width) + 2);
        const QSize natural = sizeHint();
        scroll_->setMinimumSize(std::min(width + bar, 120), metrics.height() * 2);
        setMaximumSize(room);
        resize(natural.boundedTo(room));
        // On the middle of the parent, or of the screen, inside the work area.
        const QRect over = parentWidget() ? parentWidget()->window()->frameGeometry() : area;
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(over.center());
        const QPoint last(area.right() + 1 - 16 - placed.width(), area.bottom() + 1 - 48 - placed.height());
        placed.moveLeft(std::clamp(placed.left(), area.left(), std::max(area.left(), last.x())));
        placed.moveTop(std::clamp(placed.top(), area.top(), std::max(area.top(), last.y())));
        move(placed.topLeft());
    }
    QLabel* text_ = nullptr;
    QScrollArea* scroll_ = nullptr;
};

class TQtDialogService final : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest& r) override {
        TMessageBox box(r);
        const int result = box.exec();
        // Closed without a button (Escape, the frame's close box).
        return result == QDialog::Rejected ? ModalResultOfButton(r.CancelButton) : result;
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
