#include "editor/TeEditMarks.h"

#include "editor/TeEdit.h"

TTeEditMark::TTeEditMark(TCustomTeEdit* AOwner) : edit_(AOwner) {}

TCustomTeEdit* TTeEditMark::GetEdit() {
    if (edit_ && (!edit_->Marks() || edit_->Marks()->IndexOf(this) < 0)) edit_ = nullptr;
    return edit_;
}

void TTeEditMark::InvalidateGutterLine(int ALine) {
    if (TCustomTeEdit* e = GetEdit()) e->InvalidateGutterLines(ALine, ALine);
}

void TTeEditMark::SetLine(int Value) {
    if (visible_ && GetEdit()) {
        if (line_ > 0) InvalidateGutterLine(line_);
        line_ = Value;
        InvalidateGutterLine(line_);
    } else {
        line_ = Value;
    }
}

void TTeEditMark::SetImage(int Value) {
    imageIndex_ = Value;
    if (visible_ && GetEdit()) InvalidateGutterLine(line_);
}

void TTeEditMark::SetInternalImage(bool Value) {
    internalImage_ = Value;
    if (visible_ && GetEdit()) InvalidateGutterLine(line_);
}

void TTeEditMark::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    if (GetEdit()) InvalidateGutterLine(line_);
}

TTeEditMarkList::~TTeEditMarkList() {
    for (int i = 0; i < list_.Count(); ++i) delete Items(i);
    list_.Clear();
}

void TTeEditMarkList::DoChange() {
    if (OnChange) OnChange(this);
}

int TTeEditMarkList::Add(TTeEditMark* Item) {
    int i = list_.Add(Item);
    DoChange();
    return i;
}

int TTeEditMarkList::Remove(TTeEditMark* Item) {
    int i = list_.Remove(Item);
    DoChange();
    return i;
}

void TTeEditMarkList::ClearMarks() {
    for (int i = list_.Count() - 1; i >= 0; --i) delete Items(i);
    list_.Clear();
    DoChange();
}

void TTeEditMarkList::GetMarksForLine(int Line, TTeEditMark* (&Marks)[kMaxMarksPerLine]) const {
    for (TTeEditMark*& m : Marks) m = nullptr;
    int j = 0;
    for (int i = 0; i < list_.Count() && j < kMaxMarksPerLine; ++i)
        if (Items(i)->Line() == Line) Marks[j++] = Items(i);
}
