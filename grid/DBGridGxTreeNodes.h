#pragma once
// Tree rows. A data set that shows its records as a tree offers ITreeNodesGx:
// the grid then draws the first column's indent with its connectors and node
// buttons, opens and closes a node on a press of its button (or on the
// numeric *, + and - keys), and drops moved records at a tree level.
//
// TTreeMemoryDataGx is such a data set: a memory table whose records name
// their parent by key (KeyFieldName, ParentFieldName; an empty or unknown
// parent makes a top-level node). Its rows are kept in tree order, each node
// followed by its subtree, and the records under a closed node are hidden
// from the view. Nodes start closed; records posted since the view was last
// filtered stay in it until a node opens or closes (or FullCollapse).
#include <map>
#include <set>
#include <string>
#include <vector>

#include "grid/DBGridGxCellFrames.h"
#include "platform/db/StMemoryDataset.h"

class ITreeNodesGx {
public:
    // Whether the records are shown as a tree now.
    virtual bool TreeViewActive() = 0;
    // The node of the data set's current record (the grid reads it for each row it draws).
    virtual void GetTreeNode(TTreeNodeRowGx& Node) = 0;
    // Opens (1), closes (0) or toggles (-1) the current record's node; answers
    // the bookmark of the record to make current.
    virtual TBookmarkStr SetNodeExpanded(int How) = 0;

protected:
    ~ITreeNodesGx() = default;
};

class TTreeMemoryDataGx : public TStMemoryData, public ITreeNodesGx {
public:
    explicit TTreeMemoryDataGx(TComponent* AOwner);
    const char* ClassName() const override { return "TTreeMemoryDataGx"; }

    const AnsiString& KeyFieldName() const { return keyFieldName_; }
    void SetKeyFieldName(const AnsiString& Value);
    const AnsiString& ParentFieldName() const { return parentFieldName_; }
    void SetParentFieldName(const AnsiString& Value);

    bool TreeViewActive() override;
    void GetTreeNode(TTreeNodeRowGx& Node) override;
    TBookmarkStr SetNodeExpanded(int How) override;
    bool NodeExpanded(const AnsiString& Key) const { return expanded_.count(Key) != 0; }
    // Opens or closes every node.
    void FullExpand();
    void FullCollapse();

    // Moves the records of Bookmarks (each with its subtree) after record
    // number Target, at tree level Level: as the first child of Target when
    // Level is one deeper than Target's, else as the next sibling of Target's
    // ancestor at that level. False when a record would move into its own subtree.
    bool MoveNodes(const std::vector<TBookmarkStr>& Bookmarks, int Target, int Level, bool OnlyTest);

protected:
    void InternalOpen() override;
    void InternalPost(bool Inserting) override;
    void InternalDelete() override;

private:
    struct TNodeInfo {
        std::string Parent;  // "" for a top-level node
        uint32_t Row = 0;
        int Level = 0;  // 0 until reached from a root
        std::vector<std::string> Children;
    };
    void NodeFilter(TDataSet* DataSet, bool& Accept);
    void RebuildNodes();
    const TNodeInfo* Node(const std::string& Key);
    std::string CurrentKey() const;
    void RefreshView();
    bool IsInSubtree(const std::string& Key, const std::string& Root);

    AnsiString keyFieldName_;
    AnsiString parentFieldName_;
    std::set<AnsiString> expanded_;
    std::map<std::string, TNodeInfo> nodes_;
    std::vector<std::string> roots_;
    bool nodesValid_ = false;
};

// Registers the tree table's class (so the feature registry can tell it from
// a plain memory table) and its feature object; calling it again does nothing.
void RegisterTreeMemoryData();
