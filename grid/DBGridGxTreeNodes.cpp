#include "grid/DBGridGxTreeNodes.h"

#include <algorithm>
#include <functional>

#include "grid/DBGridGx.h"
#include "grid/DBGridGxDatasetFeatures.h"
#include "platform/db/DbClassInfo.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

// ---------------------------------------------------------------------------
// The grid's tree rows

ITreeNodesGx* TCustomDBGridGx::TreeNodes() {
    return DataLinkActive() ? dynamic_cast<ITreeNodesGx*>(dataLink_->DataSet()) : nullptr;
}

bool TCustomDBGridGx::TreeViewActive() {
    ITreeNodesGx* tree = TreeNodes();
    return tree && tree->TreeViewActive();
}

void TCustomDBGridGx::DrawDataCellBackground(int, int, const TRect& ARect, TGridDrawState) {
    if (!TreeViewActive()) return;
    TTreeNodeRowGx node;
    TreeNodes()->GetTreeNode(node);
    DrawTreeIndentGx(Canvas(), ARect, node, Canvas()->Brush()->Color(), dbOptions_.Contains(dgRowLines), Color());
}

int TCustomDBGridGx::GetTreeIndent() {
    if (!TreeViewActive()) return 0;
    TTreeNodeRowGx node;
    TreeNodes()->GetTreeNode(node);
    return TreeIndentGx(node.Level);
}

bool TCustomDBGridGx::TreeNodeButtonClick(int X, int Y, bool OnlyTest) {
    if (!TreeViewActive()) return false;
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X != indicatorOffset_ || cell.Y < titleOffset_ || cell.Y - titleOffset_ >= dataLink_->RecordCount())
        return false;
    ITreeNodesGx* tree = TreeNodes();
    TTreeNodeRowGx node;
    ActivateDrawRow(cell.Y);
    tree->GetTreeNode(node);
    RestoreDrawRow();
    const TRect r = CellRect(cell.X, cell.Y);
    const int indent = TreeIndentGx(node.Level);
    if (X < r.Left || X >= r.Left + indent) return false;
    if (OnlyTest) return true;
    if (X >= r.Left + indent - kTreeIndentLevelGx && node.HasChildren) SetTreeNodeExpanded(cell.Y, -1);
    return true;
}

void TCustomDBGridGx::SetTreeNodeExpanded(int Row, int How) {
    ITreeNodesGx* tree = TreeNodes();
    if (!tree || !tree->TreeViewActive() || Row < titleOffset_ || Row - titleOffset_ >= dataLink_->RecordCount())
        return;
    // The node keeps its row on screen while the rows under it come or go.
    TDataSet* ds = dataLink_->DataSet();
    const int place = Row - titleOffset_;
    dataLink_->NotifyUpdateData();
    HideEditor();
    {
        TControlsDisabled<TDataSet> quiet(ds);
        dataLink_->MoveBy(Row - this->Row());
        const TBookmarkStr current = tree->SetNodeExpanded(How);
        ds->GotoBookmark(current);
        // To the window's edge and past it, so the window moves, then back.
        const int n = ds->ActiveRecord();
        int moved = 0;
        if (n > place) moved = ds->MoveBy(ds->BufferCount() - 1 - n) + ds->MoveBy(n - place);
        else if (n < place) moved = ds->MoveBy(-n) + ds->MoveBy(n - place);
        ds->MoveBy(-moved);
    }
    Invalidate();
    UpdateScrollBar();
}

// ---------------------------------------------------------------------------
// TTreeMemoryDataGx

TTreeMemoryDataGx::TTreeMemoryDataGx(TComponent* AOwner) : TStMemoryData(AOwner) {
    OnFilterRecord = TFilterRecordEvent(this, &TTreeMemoryDataGx::NodeFilter);
    SetFiltered(true);
}

void TTreeMemoryDataGx::SetKeyFieldName(const AnsiString& Value) {
    keyFieldName_ = Value;
    nodesValid_ = false;
}

void TTreeMemoryDataGx::SetParentFieldName(const AnsiString& Value) {
    parentFieldName_ = Value;
    nodesValid_ = false;
}

void TTreeMemoryDataGx::InternalOpen() {
    nodesValid_ = false;
    TStMemoryData::InternalOpen();
}

void TTreeMemoryDataGx::InternalPost(bool Inserting) {
    nodesValid_ = false;
    TStMemoryData::InternalPost(Inserting);
}

void TTreeMemoryDataGx::InternalDelete() {
    nodesValid_ = false;
    TStMemoryData::InternalDelete();
}

bool TTreeMemoryDataGx::TreeViewActive() {
    return Active() && FindField(keyFieldName_) && FindField(parentFieldName_);
}

void TTreeMemoryDataGx::RebuildNodes() {
    nodes_.clear();
    roots_.clear();
    nodesValid_ = true;
    TField* key = FindField(keyFieldName_);
    TField* parent = FindField(parentFieldName_);
    if (!Active() || !key || !parent) return;
    // Every stored row in the table's order, hidden ones too.
    std::vector<uint32_t> rows;
    for (uint32_t r = 0; r < StoreRowCount(); ++r)
        if (StoreRowLive(r)) rows.push_back(r);
    std::sort(rows.begin(), rows.end(),
              [this](uint32_t a, uint32_t b) { return CompareBookmarks(RowBookmark(a), RowBookmark(b)) < 0; });
    std::vector<std::string> order;
    for (uint32_t r : rows) {
        std::string k = VarToStr(StoreCellValue(key, r));
        if (nodes_.count(k)) continue;  // a repeated key is one node
        TNodeInfo& n = nodes_[k];
        n.Row = r;
        n.Parent = VarToStr(StoreCellValue(parent, r));
        order.push_back(k);
    }
    for (const std::string& k : order) {
        TNodeInfo& n = nodes_[k];
        auto p = nodes_.find(n.Parent);
        if (n.Parent.empty() || p == nodes_.end() || n.Parent == k) {
            n.Parent.clear();
            roots_.push_back(k);
        } else {
            p->second.Children.push_back(k);
        }
    }
    // Levels from the roots; a node caught in a parent loop becomes a root.
    std::function<void(const std::string&, int)> level = [&](const std::string& k, int l) {
        TNodeInfo& n = nodes_[k];
        n.Level = l;
        for (const std::string& c : n.Children) level(c, l + 1);
    };
    for (const std::string& r : roots_) level(r, 1);
    for (const std::string& k : order) {
        TNodeInfo& n = nodes_[k];
        if (n.Level > 0) continue;
        auto& siblings = nodes_[n.Parent].Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), k), siblings.end());
        n.Parent.clear();
        roots_.push_back(k);
        level(k, 1);
    }
}

const TTreeMemoryDataGx::TNodeInfo* TTreeMemoryDataGx::Node(const std::string& Key) {
    if (!nodesValid_) RebuildNodes();
    auto it = nodes_.find(Key);
    return it == nodes_.end() ? nullptr : &it->second;
}

std::string TTreeMemoryDataGx::CurrentKey() const {
    TField* key = FindField(keyFieldName_);
    return key ? key->AsString() : std::string();
}

void TTreeMemoryDataGx::NodeFilter(TDataSet*, bool& Accept) {
    if (!TreeViewActive()) return;
    const TNodeInfo* n = Node(CurrentKey());
    for (int guard = 0; n && !n->Parent.empty() && guard < 100000; ++guard) {
        if (!expanded_.count(n->Parent)) {
            Accept = false;
            return;
        }
        n = Node(n->Parent);
    }
}

void TTreeMemoryDataGx::GetTreeNode(TTreeNodeRowGx& Node) {
    Node = TTreeNodeRowGx();
    const std::string key = CurrentKey();
    const TNodeInfo* n = this->Node(key);
    if (!n) {
        Node.Level = 1;
        return;
    }
    Node.Level = n->Level;
    Node.HasChildren = !n->Children.empty();
    Node.Expanded = expanded_.count(key) != 0;
    auto hasNext = [this](const std::string& k) {
        const TNodeInfo* info = this->Node(k);
        const std::vector<std::string>& siblings = info->Parent.empty() ? roots_ : nodes_[info->Parent].Children;
        return !siblings.empty() && siblings.back() != k;
    };
    Node.HasNextSibling = hasNext(key);
    std::vector<bool> ancestors;
    for (std::string p = n->Parent; !p.empty() && ancestors.size() < 100000; p = this->Node(p)->Parent)
        ancestors.push_back(hasNext(p));
    Node.AncestorHasNext.assign(ancestors.rbegin(), ancestors.rend());
}

void TTreeMemoryDataGx::RefreshView() {
    // The filter runs again over every row; the node filter reads the open nodes.
    SetFilter(Filter());
}

TBookmarkStr TTreeMemoryDataGx::SetNodeExpanded(int How) {
    const TBookmarkStr current = Bookmark();
    const std::string key = CurrentKey();
    const TNodeInfo* n = Node(key);
    if (!n || n->Children.empty()) return current;
    const bool open = How < 0 ? !expanded_.count(key) : How > 0;
    if (open == (expanded_.count(key) != 0)) return current;
    if (open)
        expanded_.insert(key);
    else
        expanded_.erase(key);
    RefreshView();
    GotoBookmark(current);
    return current;
}

void TTreeMemoryDataGx::FullExpand() {
    if (!nodesValid_) RebuildNodes();
    for (const auto& [key, node] : nodes_)
        if (!node.Children.empty()) expanded_.insert(key);
    if (Active()) RefreshView();
}

void TTreeMemoryDataGx::FullCollapse() {
    expanded_.clear();
    if (Active()) RefreshView();
}

bool TTreeMemoryDataGx::IsInSubtree(const std::string& Key, const std::string& Root) {
    for (std::string k = Key; !k.empty();) {
        if (k == Root) return true;
        const TNodeInfo* n = Node(k);
        if (!n) return false;
        k = n->Parent;
    }
    return false;
}

bool TTreeMemoryDataGx::MoveNodes(const std::vector<TBookmarkStr>& Bookmarks, int Target, int Level, bool OnlyTest) {
    if (!TreeViewActive() || Bookmarks.empty() || Target < 1 || Target > RecordCount()) return false;
    if (ApplyMode() != amNone || !Sort().empty()) return false;
    CheckBrowseMode();
    const TBookmarkStr start = Bookmark();
    auto back = MakeScopeGuard([&] {
        if (BookmarkValid(start)) GotoBookmark(start);
    });
    SetRecNo(Target);
    const std::string target = CurrentKey();
    std::vector<std::string> moved;
    for (const TBookmarkStr& b : Bookmarks) {
        if (!BookmarkValid(b)) return false;
        GotoBookmark(b);
        moved.push_back(CurrentKey());
    }
    const TNodeInfo* t = Node(target);
    if (!t) return false;
    // The new parent, and the node whose subtree the moved ones follow.
    std::string parent, after = target;
    if (Level > t->Level) {
        parent = target;
    } else {
        for (int l = t->Level; l > std::max(Level, 1); --l) after = Node(after)->Parent;
        parent = Node(after)->Parent;
    }
    for (const std::string& m : moved)
        if (IsInSubtree(target, m) || IsInSubtree(parent, m)) return false;
    if (OnlyTest) return true;
    back.Dismiss();

    // Rows in tree order: each moved node with its subtree; the anchor is the
    // first row after the drop place that does not move.
    std::function<void(const std::string&, std::vector<std::string>&)> addSubtree =
        [&](const std::string& k, std::vector<std::string>& out) {
            out.push_back(k);
            for (const std::string& c : Node(k)->Children) addSubtree(c, out);
        };
    std::vector<std::string> order;
    for (const std::string& r : std::vector<std::string>(roots_)) addSubtree(r, order);
    std::vector<std::string> subtrees;
    for (const std::string& m : moved) addSubtree(m, subtrees);
    const std::set<std::string> moving(subtrees.begin(), subtrees.end());
    size_t pos = std::find(order.begin(), order.end(), after) - order.begin() + 1;
    if (parent != target)
        while (pos < order.size() && IsInSubtree(order[pos], after)) ++pos;
    std::string anchor;
    for (; pos < order.size(); ++pos)
        if (!moving.count(order[pos])) {
            anchor = order[pos];
            break;
        }
    std::vector<TBookmarkStr> rows;
    std::vector<bool> isRoot;
    for (const std::string& k : order)
        if (moving.count(k)) {
            rows.push_back(RowBookmark(Node(k)->Row));
            isRoot.push_back(std::find(moved.begin(), moved.end(), k) != moved.end());
        }
    const TBookmarkStr anchorRow = anchor.empty() ? TBookmarkStr() : RowBookmark(Node(anchor)->Row);
    const AnsiString parentValue = parent;
    TField* parentField = FieldByName(parentFieldName_);
    // Hidden rows take part: the filter is off while the rows move.
    TControlsDisabled<TDataSet> quiet(this);
    SetFiltered(false);
    auto refilter = MakeScopeGuard([this] { SetFiltered(true); });
    TBookmarkStr first = MoveDataSetRecords(this, rows, anchorRow, [&](size_t i) {
        if (isRoot[i]) {
            if (parentValue.empty())
                parentField->Clear();
            else
                parentField->SetAsString(parentValue);
        }
    });
    if (!parent.empty()) expanded_.insert(parent);
    refilter.Dismiss();
    SetFiltered(true);
    if (BookmarkValid(first)) GotoBookmark(first);
    return true;
}

// ---------------------------------------------------------------------------
// Registration and the tree's feature object

namespace {

// A tree keeps its rows in tree order: it is not sorted, its node filter
// stays on under the filter row's, and moved records take a level.
class TTreeDatasetFeaturesGx : public TTextDatasetFeaturesGx {
public:
    const char* ClassName() const override { return "TTreeDatasetFeaturesGx"; }
    void ApplySorting(TCustomDBGridGx*, TDataSet*, bool) override {}
    void ApplyFilter(TCustomDBGridGx* Grid, TDataSet* DataSet, bool) override {
        TRecordKeeper keeper(DataSet, true);
        DataSet->SetFilter(GridFilterText(Grid));
        keeper.Restore();
    }
    bool MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) override {
        auto* tree = dynamic_cast<TTreeMemoryDataGx*>(Grid->DataSource()->DataSet());
        if (!tree) return false;
        std::vector<TBookmarkStr> list;
        for (int i = 0; i < Bookmarks->Count(); ++i) list.push_back(Bookmarks->Strings(i));
        return tree->MoveNodes(list, Target, Offset, OnlyTest);
    }
};

}  // namespace

template <> void TClassBuilder<TTreeMemoryDataGx>::Build() {}

template <>
const TClassInfo* ClassInfoOf<TTreeMemoryDataGx>() {
    static const TClassInfo* info =
        TClassBuilder<TTreeMemoryDataGx>::Make("TTreeMemoryDataGx", ClassInfoOf<TStMemoryData>(), "DBGridGx");
    return info;
}

void RegisterTreeMemoryData() {
    static const bool done = [] {
        RegisterDBGridGxDatasetFeatures();
        RegisterClass(ClassInfoOf<TTreeMemoryDataGx>());
        RegisterDatasetFeatures(ClassInfoOf<TTreeMemoryDataGx>(), new TTreeDatasetFeaturesGx);
        return true;
    }();
    (void)done;
}
