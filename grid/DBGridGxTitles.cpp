#include "grid/DBGridGxTitles.h"

#include "grid/DBGridGxCellFrames.h"

namespace {

constexpr char kTitleDelimiter = '|';
// What each level of grouping takes from the cells below it.
constexpr int kGroupLevelHeight = 20;

std::vector<THeadTreeNode*> Ring(THeadTreeNode* First) {
    std::vector<THeadTreeNode*> nodes;
    if (!First) return nodes;
    THeadTreeNode* n = First;
    do {
        nodes.push_back(n);
        n = n->Next;
    } while (n != First);
    return nodes;
}

}  // namespace

// ---------------------------------------------------------------------------
// THeadTreeNode

THeadTreeNode::THeadTreeNode() : Next(this) {}

THeadTreeNode::THeadTreeNode(const AnsiString& AText, int AHeight, int AWidth)
    : Height(AHeight), Next(this), Text(AText), Width(AWidth) {}

THeadTreeNode::~THeadTreeNode() {
    if (!Host) FreeAllChild();
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* AAfter, const AnsiString& AText, int AHeight, int AWidth) {
    if (!AAfter || !Find(AAfter)) throw Exception("Node not in Tree");
    auto* node = new THeadTreeNode(AText, AHeight, AWidth);
    node->Host = AAfter->Host;
    node->Next = AAfter->Next;
    AAfter->Next = node;
    return node;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* ANode, const AnsiString& AText, int AHeight, int AWidth) {
    if (!ANode || !Find(ANode)) throw Exception("Node not in Tree");
    auto* node = new THeadTreeNode(AText, AHeight, AWidth);
    node->Host = ANode;
    if (!ANode->Child) {
        ANode->Child = node;
    } else {
        THeadTreeNode* last = ANode->Child;
        while (last->Next != ANode->Child) last = last->Next;
        last->Next = node;
        node->Next = ANode->Child;
    }
    return node;
}

void THeadTreeNode::FreeAllChild() {
    for (THeadTreeNode* n : Ring(Child)) {
        n->FreeAllChild();
        delete n;
    }
    Child = nullptr;
}

bool THeadTreeNode::Find(THeadTreeNode* ANode) {
    for (THeadTreeNode* n : Ring(this)) {
        if (n == ANode) return true;
        if (n->Child && n->Child->Find(ANode)) return true;
    }
    return false;
}

int THeadTreeNode::GetLevel() {
    int level = 0;
    for (THeadTreeNode* n = Host; n; n = n->Host) ++level;
    return level;
}

void THeadTreeNode::Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, const AnsiString& AText, int AHeight) {
    if (!AFrom || !Find(AFrom)) throw Exception("Node not in Tree");
    THeadTreeNode* first = AFrom->Host ? AFrom->Host->Child : AFrom;
    for (THeadTreeNode* n = AFrom; n != ATo;) {
        n = n->Next;
        if (n == first) throw Exception("ATo not in level");
    }

    THeadTreeNode* parent = Add(ATo, AText, AHeight, 0);
    parent->LineWidth = ATo->LineWidth;

    THeadTreeNode* before = AFrom;
    while (before->Next != AFrom) before = before->Next;
    before->Next = parent;
    if (AFrom->Host && AFrom->Host->Child == AFrom) AFrom->Host->Child = parent;
    parent->Child = AFrom;
    ATo->Next = AFrom;

    int sum = 0;
    for (THeadTreeNode* n : Ring(AFrom)) {
        n->Host = parent;
        n->Height -= AHeight;
        sum += n->Width + parent->LineWidth;
    }
    parent->Width = parent->LineWidth < 1 ? sum : sum - parent->LineWidth;
}

void THeadTreeNode::ForAllNodes(const THeadTreeProc& Proc, void* Data) {
    for (THeadTreeNode* n : Ring(Child)) {
        Proc(Data, n);
        n->ForAllNodes(Proc, Data);
    }
}

// ---------------------------------------------------------------------------
// Caption parts

int NthWordStart(int N, const AnsiString& S) {
    if (N < 1) return 0;
    const int len = static_cast<int>(S.size());
    int i = 0;
    int count = 0;
    while (i < len) {
        while (i < len && S[static_cast<size_t>(i)] == kTitleDelimiter) ++i;
        if (i >= len) break;
        if (++count == N) return i + 1;
        while (i < len && S[static_cast<size_t>(i)] != kTitleDelimiter) ++i;
    }
    return 0;
}

AnsiString NthWordWithPos(int N, const AnsiString& S, int& Pos) {
    Pos = NthWordStart(N, S);
    if (Pos == 0) return AnsiString();
    size_t start = static_cast<size_t>(Pos - 1);
    size_t end = S.find(kTitleDelimiter, start);
    return S.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
}

AnsiString NthWord(int N, const AnsiString& S) {
    int pos = 0;
    return NthWordWithPos(N, S, pos);
}

// ---------------------------------------------------------------------------
// Building the tree

void CreateMultiTitleTree(THeadTreeNode* Root, const std::vector<TMultiTitleColumnGx>& Columns, int TitleRowHeight,
                          bool ColLines, std::vector<THeadTreeNode*>& Leaves) {
    Root->FreeAllChild();
    Leaves.assign(Columns.size(), nullptr);
    for (size_t i = 0; i < Columns.size(); ++i) {
        const TMultiTitleColumnGx& c = Columns[i];
        int width = c.Visible ? c.Width : (ColLines ? -1 : 0);
        THeadTreeNode* leaf = Root->AddChild(Root, c.Caption, TitleRowHeight, width);
        leaf->Column = c.Column;
        leaf->SortMarkerWidth = c.SortMarked ? 16 : 0;
        leaf->LineWidth = ColLines ? 1 : 0;
        Leaves[i] = leaf;
    }

    const int count = static_cast<int>(Leaves.size());
    auto cut = [](THeadTreeNode* leaf, int chars) {
        leaf->Text = static_cast<size_t>(chars) < leaf->Text.size() ? leaf->Text.substr(static_cast<size_t>(chars))
                                                                     : AnsiString();
    };
    bool changed = true;
    while (changed) {
        changed = false;
        for (int i = 0; i < count; ++i) {
            THeadTreeNode* from = Leaves[static_cast<size_t>(i)];
            const int pos = NthWordStart(2, from->Text);
            if (pos == 0) continue;
            const AnsiString first = NthWord(1, from->Text);
            int j = i;
            while (j < count - 1 && NthWord(1, Leaves[static_cast<size_t>(j + 1)]->Text) == first) {
                cut(Leaves[static_cast<size_t>(j)], pos - 1);
                ++j;
            }
            THeadTreeNode* to = Leaves[static_cast<size_t>(j)];
            cut(to, pos - 1);
            changed = true;
            // A run whose ends sit at different levels loses its first part without a parent.
            if (from->GetLevel() == to->GetLevel()) {
                Root->Union(from, to, first, kGroupLevelHeight);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Painting the parent cells

void DrawTitleParentsGx(THeadTreeNode* Leaf, const TRect& C, const TTitleParentPaintGx& P) {
    TCanvas* canvas = P.Canvas;
    TRect childRect = C;
    THeadTreeNode* child = Leaf;
    for (THeadTreeNode* host = Leaf ? Leaf->Host : nullptr; host && host->Host; host = host->Host) {
        // Where the whole parent lies, worked out from this column's place among its siblings.
        TRect nr;
        nr.Bottom = childRect.Top - (P.RowLines ? 1 : 0);
        nr.Top = childRect.Top - host->Height;
        int before = 0;
        for (THeadTreeNode* n = host->Child; n && n != child; n = n->Next)
            before += n->Width + (P.ColLines ? 1 : 0);
        nr.Left = childRect.Left - before;
        nr.Right = nr.Left + host->Width;

        // The slice over this column; the extensions (<= 0) say how far the parent reaches beyond it.
        int leftExt = nr.Left - C.Left;
        int rightExt = C.Right - nr.Right;
        TRect slice(C.Left, nr.Top, C.Right, nr.Bottom);
        if (rightExt != 0 && !P.LastFrozenScrolled) {
            ++rightExt;
            ++slice.Right;  // over the column line, which a parent spans
        }
        TRect text = slice;
        if (P.Fixed3D) {
            ++text.Top;
            --text.Bottom;
        }
        const bool leftEdge = leftExt == 0;
        const bool rightEdge = rightExt == 0;
        if (leftEdge) {
            canvas->FillRect(TRect(text.Left, text.Top, text.Left + 2, text.Bottom));
            text.Left += 2;
        } else {
            leftExt += 2;
        }
        if (rightEdge) {
            canvas->FillRect(TRect(text.Right - 2, text.Top, text.Right, text.Bottom));
            text.Right -= 2;
        } else {
            rightExt += 2;
        }

        // Negative margins centre the caption over the whole parent while only this slice is painted.
        if (P.WriteText) {
            P.WriteText(text, true, 0, P.VertMargin, host->Text, taCenter, tlCenter, true, P.EndEllipsis, leftExt,
                        rightExt);
        } else {
            WriteCellText(canvas, text, true, 0, P.VertMargin, host->Text, taCenter, tlCenter, true, P.EndEllipsis,
                          leftExt, rightExt, false);
        }
        host->Drawn = true;

        if (P.Fixed3D) {
            if (P.DrawFrame)
                P.DrawFrame(slice, leftEdge, rightEdge);
            else
                DrawCellFrame3DGx(canvas, slice, P.Flat, leftEdge, rightEdge, false, false);
        }
        if (P.RowLines) {
            TColor saved = canvas->Pen()->Color();
            canvas->Pen()->SetColor(P.Flat ? TColor(0x808080) : clBlack);
            canvas->MoveTo(slice.Left, slice.Bottom);
            canvas->LineTo(slice.Right, slice.Bottom);
            canvas->Pen()->SetColor(saved);
        }

        child = host;
        childRect = nr;
    }
}
