// The desktop's message box: whatever its text, the box lies inside the
// screen's work area with its buttons in view (a long text scrolls), and its
// keys and buttons answer as the request says.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <functional>
#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace {

// Runs Step on the box once it is shown; a box still open after it is closed
// by its escape key, so a test never waits for a user.
int WithShownBox(const std::function<void(QDialog*)>& Step, const AnsiString& Text, TMsgDlgButtons Buttons) {
    bool stepped = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        if (!stepped) {
            stepped = true;
            Step(box);
        }
        if (box->isVisible()) box->reject();
    });
    poll.start(10);
    UseNativeServices();
    const int answer = MessageDlg(Text, mtError, Buttons);
    SetDialogService(nullptr);
    EXPECT_TRUE(stepped) << "no box was shown";
    return answer;
}

QPushButton* Button(QDialog* box, const QString& caption) {
    for (auto* b : box->findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    ADD_FAILURE() << "no button " << caption.toStdString();
    return nullptr;
}

std::string Repeated(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

}  // namespace

TEST(MessageBox, EveryTextFitsTheScreenWithTheButtonsInView) {
    struct Case {
        const char* name;
        std::string text;
        bool scrolls;
    } const cases[] = {
        {"short", "Nothing to process", false},
        {"many lines", "The following identifiers do not exist or are empty in Empty.lng\r\r" +
                           Repeated("[EspionageIdentifiers] ESMetal\r", 700) + "\rTesk will now be terminated",
         true},
        {"one long word", "Invalid filter: " + std::string(6000, 'x'), true},
        {"long words", Repeated("Incorrect expression: Metal > 100000 AND ", 900), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int answer = WithShownBox(
            [&](QDialog* box) {
                const QRect area = box->screen()->availableGeometry();
                EXPECT_TRUE(area.contains(box->frameGeometry()))
                    << box->frameGeometry().width() << "x" << box->frameGeometry().height() << " on "
                    << area.width() << "x" << area.height();
                const auto buttons = box->findChildren<QPushButton*>();
                ASSERT_EQ(buttons.size(), 1);
                QPushButton* ok = buttons.front();
                const QRect shown(ok->mapToGlobal(QPoint(0, 0)), ok->size());
                EXPECT_TRUE(ok->isVisible());
                EXPECT_TRUE(area.contains(shown));
                EXPECT_TRUE(QRect(box->mapToGlobal(QPoint(0, 0)), box->size()).contains(shown));
                auto* text = box->findChild<QScrollArea*>();
                ASSERT_NE(text, nullptr);
                const bool scrolls = text->verticalScrollBar()->maximum() > 0 || text->horizontalScrollBar()->maximum() > 0;
                EXPECT_EQ(scrolls, c.scrolls);
                box->grab().save(QString("/tmp/tesk-message-box-%1.png").arg(QString(c.name).replace(' ', '-')));
                ok->click();
            },
            c.text, MsgDlgButtons({mbOK}));
        EXPECT_EQ(answer, mrOk);
    }
}

TEST(MessageBox, KeysAndButtonsAnswerAsTheRequestSays) {
    struct Case {
        const char* name;
        std::function<void(QDialog*)> act;
        int answer;
    } const cases[] = {
        {"Enter takes the default button", [](QDialog* box) {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(box, &enter);
         }, mrYes},
        {"Escape gives the cancel answer", [](QDialog* box) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(box, &escape);
         }, mrCancel},
        {"a click on No", [](QDialog* box) {
             if (QPushButton* no = Button(box, "&No")) no->click();
         }, mrNo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WithShownBox(c.act, "Save the changes?", mbYesNoCancel), c.answer);
    }
}
