#pragma once
// A shown form holding one memo, and helpers that drive it as a user does.
#include <gtest/gtest.h>

#include <memory>

#include "editor/TeEdit.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"

namespace editortest {

class MemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClipboardBackend(std::make_shared<TMemoryClipboardBackend>());
        form = new TForm(nullptr);
        form->AfterConstruction();
        form->SetBounds(20, 20, 640, 400);
        memo = new TTeMemo(form);
        memo->SetParent(form);
        memo->SetBounds(0, 0, 600, 360);
        form->Show();
        memo->SetFocus();
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetClipboardBackend(nullptr);
    }
    void Key(WORD vk, TShiftState shift = 0) { SimulateKey(memo->Handle(), vk, shift); }
    void Type(const char* utf8) { SimulateTyping(memo->Handle(), utf8); }
    TForm* form = nullptr;
    TTeMemo* memo = nullptr;
};

inline ::testing::AssertionResult AtPos(const TBufferCoord& p, int ch, int line) {
    if (p.Char == ch && p.Line == line) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.Char << ", " << p.Line << ") instead of (" << ch << ", " << line
                                         << ")";
}

}  // namespace editortest
