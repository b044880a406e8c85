// TClipboard's backend on Qt's clipboard: all formats of one copy in one
// QMimeData, and change notices with the program's own copies recognised.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <vector>

#include "platform/gui/ClipboardWatch.h"

namespace {

// Our copies carry this format with a token of the process, so that a notice
// can tell them from another program's.
const char* const kOwnerFormat = "application/x-tesk-owner";

QByteArray OwnerToken() {
    static const QByteArray token = QByteArray::number(QCoreApplication::applicationPid()) + ":" +
                                    QByteArray::number(reinterpret_cast<quintptr>(&kOwnerFormat), 16);
    return token;
}

QClipboard* SystemClipboard() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    return QGuiApplication::clipboard();
}

struct TWatch {
    std::vector<TClipboardChangeEvent> Listeners;
    std::vector<HWND> Windows;
    bool Connected = false;
};

TWatch& Watch() {
    static TWatch w;
    return w;
}

bool IsOwnContent() {
    QClipboard* cb = SystemClipboard();
    if (!cb) return false;
    const QMimeData* data = cb->mimeData(QClipboard::Clipboard);
    return data && data->data(kOwnerFormat) == OwnerToken();
}

void Changed() {
    bool own = IsOwnContent();
    auto listeners = Watch().Listeners;
    for (auto& l : listeners) ProtectedCall([&] { l(own); });
    auto& windows = Watch().Windows;
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](HWND w) { return !IsWindow(w); }), windows.end());
    for (HWND w : windows) PostMessage(w, WM_CLIPBOARDUPDATE, own ? 1 : 0, 0);
}

void Connect() {
    TWatch& w = Watch();
    if (w.Connected) return;
    QClipboard* cb = SystemClipboard();
    if (!cb) return;
    // Only the clipboard proper; the X11 selection changes with every mouse selection.
    QObject::connect(cb, &QClipboard::dataChanged, cb, [] { Changed(); });
    w.Connected = true;
}

class TQtClipboardBackend final : public TClipboardBackend {
public:
    bool Open() override { return SystemClipboard() != nullptr; }
    void Close() override {}

    bool HasFormat(const std::string& MimeType) override {
        const QMimeData* d = Data();
        if (!d) return false;
        if (MimeType == "text/plain") return d->hasText();
        if (MimeType == "text/html") return d->hasHtml();
        return d->hasFormat(QString::fromStdString(MimeType));
    }

    bool GetData(const std::string& MimeType, std::string& Out) override {
        const QMimeData* d = Data();
        if (!d) return false;
        if (MimeType == "text/plain") {
            if (!d->hasText()) return false;
            Out = d->text().toStdString();
            return true;
        }
        if (MimeType == "text/html") {
            if (!d->hasHtml()) return false;
            Out = d->html().toStdString();
            return true;
        }
        QString type = QString::fromStdString(MimeType);
        if (!d->hasFormat(type)) return false;
        QByteArray bytes = d->data(type);
        Out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        return true;
    }

    void SetData(const std::map<std::string, std::string>& Formats) override {
        QClipboard* cb = SystemClipboard();
        if (!cb) return;
        if (Formats.empty()) {
            cb->clear(QClipboard::Clipboard);
            return;
        }
        auto* md = new QMimeData();
        for (const auto& [mime, bytes] : Formats) {
            if (mime == "text/plain") md->setText(QString::fromStdString(bytes));
            else if (mime == "text/html") md->setHtml(QString::fromStdString(bytes));
            else md->setData(QString::fromStdString(mime), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
        md->setData(kOwnerFormat, OwnerToken());
        cb->setMimeData(md, QClipboard::Clipboard);
    }

private:
    static const QMimeData* Data() {
        QClipboard* cb = SystemClipboard();
        return cb ? cb->mimeData(QClipboard::Clipboard) : nullptr;
    }
};

}  // namespace

void UseSystemClipboard() {
    SetClipboardBackend(std::make_shared<TQtClipboardBackend>());
    Connect();
}

void AddClipboardListener(TClipboardChangeEvent Listener) {
    Connect();
    Watch().Listeners.push_back(Listener);
}

void RemoveClipboardListener(TClipboardChangeEvent Listener) {
    auto& l = Watch().Listeners;
    l.erase(std::remove(l.begin(), l.end(), Listener), l.end());
}

BOOL AddClipboardFormatListener(HWND Wnd) {
    if (!IsWindow(Wnd)) return 0;
    Connect();
    auto& w = Watch().Windows;
    if (std::find(w.begin(), w.end(), Wnd) == w.end()) w.push_back(Wnd);
    return 1;
}

BOOL RemoveClipboardFormatListener(HWND Wnd) {
    auto& w = Watch().Windows;
    auto it = std::find(w.begin(), w.end(), Wnd);
    if (it == w.end()) return 0;
    w.erase(it);
    return 1;
}

void SetForeignClipboardText(const std::string& Utf8) {
    QClipboard* cb = SystemClipboard();
    if (!cb) return;
    auto* md = new QMimeData();
    md->setText(QString::fromStdString(Utf8));
    cb->setMimeData(md, QClipboard::Clipboard);
}
