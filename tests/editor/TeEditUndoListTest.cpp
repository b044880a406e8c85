// The undo list: change numbers and blocks, the size limit, group breaks, the
// unmodified marker, locking and copying.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/TeEditTextBuffer.h"

namespace {

void Change(TTeEditUndoList& list, TTeUndoReason reason = urInsert, const char* text = "t") {
    list.AddChange(reason, BufferCoord(1, 1), BufferCoord(2, 1), text, smNormal);
}

std::vector<int> ChangeNumbers(const TTeEditUndoList& list) {
    std::vector<int> result;
    for (int i = 0; i < list.ItemCount(); ++i) result.push_back(list.Items(i)->ChangeNumber());
    return result;
}

struct AddedCounter {
    int count = 0;
    void Added(TObject*) { ++count; }
};

}  // namespace

TEST(EditUndoList, ItemsKeepWhatWasRecorded) {
    TTeEditUndoList list;
    EXPECT_EQ(list.MaxUndo(), 1024);
    EXPECT_EQ(list.NextChangeNumber(), 1);
    EXPECT_FALSE(list.CanUndo());
    EXPECT_EQ(list.LastChangeReason(), urNothing);
    EXPECT_EQ(static_cast<int>(urNothing), 20);
    EXPECT_EQ(list.PeekItem(), nullptr);
    EXPECT_EQ(list.PopItem(), nullptr);

    list.AddChange(urDelete, BufferCoord(3, 2), BufferCoord(1, 4), "gone", smColumn);
    ASSERT_TRUE(list.CanUndo());
    TTeEditUndoItem* item = list.PeekItem();
    EXPECT_EQ(item->Reason(), urDelete);
    EXPECT_EQ(item->SelectionMode(), smColumn);
    EXPECT_EQ(item->StartPos(), BufferCoord(3, 2));
    EXPECT_EQ(item->EndPos(), BufferCoord(1, 4));
    EXPECT_EQ(item->Text(), "gone");
    EXPECT_EQ(item->ChangeNumber(), 1);
    EXPECT_EQ(list.LastChangeReason(), urDelete);

    std::unique_ptr<TTeEditUndoItem> popped(list.PopItem());
    EXPECT_EQ(popped.get(), item);
    EXPECT_EQ(list.ItemCount(), 0);

    TTeEditUndoItem copy;
    copy.Assign(popped.get());
    EXPECT_EQ(copy.Text(), "gone");
    EXPECT_EQ(copy.EndPos(), BufferCoord(1, 4));
    EXPECT_EQ(copy.ChangeNumber(), 1);
    EXPECT_THROW(copy.Assign(&list), EConvertError);
}

TEST(EditUndoList, ChangeNumbersAndBlocks) {
    TTeEditUndoList list;
    AddedCounter added;
    list.OnAddedUndo = TNotifyEvent(&added, &AddedCounter::Added);

    Change(list);
    Change(list);
    Change(list);
    EXPECT_EQ(ChangeNumbers(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(added.count, 3);

    // Nested blocks share the outer block's number; it moves on at the outermost end.
    list.BeginBlock();
    Change(list);
    list.BeginBlock();
    Change(list);
    list.EndBlock();
    EXPECT_EQ(list.NextChangeNumber(), 4);
    Change(list);
    EXPECT_EQ(list.BlockCount(), 1);
    EXPECT_EQ(list.BlockChangeNumber(), 4);
    EXPECT_EQ(added.count, 6);
    list.EndBlock();
    EXPECT_EQ(list.NextChangeNumber(), 5);
    EXPECT_EQ(list.BlockChangeNumber(), 0);
    EXPECT_EQ(added.count, 7);  // once more for the closed block
    EXPECT_EQ(ChangeNumbers(list), (std::vector<int>{1, 2, 3, 4, 4, 4}));

    // An empty block uses up a number and tells nobody.
    list.BeginBlock();
    list.EndBlock();
    EXPECT_EQ(added.count, 7);
    Change(list);
    EXPECT_EQ(list.PeekItem()->ChangeNumber(), 6);

    list.EndBlock();  // unbalanced: nothing happens
    EXPECT_EQ(list.BlockCount(), 0);
    EXPECT_EQ(list.NextChangeNumber(), 7);
}

TEST(EditUndoList, MaxUndoDropsTheOldest) {
    TTeEditUndoList list;
    for (int i = 0; i < 5; ++i) Change(list, urInsert, std::to_string(i).c_str());
    list.SetMaxUndo(2);
    EXPECT_EQ(list.ItemCount(), 2);
    EXPECT_EQ(list.Items(0)->Text(), "3");
    EXPECT_EQ(list.Items(1)->Text(), "4");
    EXPECT_TRUE(list.FullUndoImpossible());

    Change(list, urInsert, "5");
    EXPECT_EQ(ChangeNumbers(list), (std::vector<int>{5, 6}));

    list.Clear();
    EXPECT_FALSE(list.FullUndoImpossible());
    EXPECT_EQ(list.NextChangeNumber(), 7);  // counters survive Clear

    list.SetMaxUndo(-5);
    EXPECT_EQ(list.MaxUndo(), 0);
    AddedCounter added;
    list.OnAddedUndo = TNotifyEvent(&added, &AddedCounter::Added);
    Change(list);  // dropped at once
    list.AddGroupBreak();
    list.PushItem(new TTeEditUndoItem);
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(added.count, 2);
    EXPECT_TRUE(list.FullUndoImpossible());
}

TEST(EditUndoList, GroupBreaks) {
    TTeEditUndoList list;
    AddedCounter added;
    list.OnAddedUndo = TNotifyEvent(&added, &AddedCounter::Added);
    list.AddGroupBreak();
    list.AddGroupBreak();
    EXPECT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(list.LastChangeReason(), urGroupBreak);
    EXPECT_EQ(added.count, 0);
    Change(list);
    list.AddGroupBreak();
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(added.count, 1);
    EXPECT_EQ(ChangeNumbers(list), (std::vector<int>{1, 2, 3}));

    // PushItem keeps the rule: a pushed group break is not announced.
    std::unique_ptr<TTeEditUndoItem> item(list.PopItem());
    list.PushItem(item.release());
    EXPECT_EQ(added.count, 1);
    list.PushItem(nullptr);
    EXPECT_EQ(list.ItemCount(), 3);
}

TEST(EditUndoList, UnmodifiedMarker) {
    TTeEditUndoList list;
    EXPECT_TRUE(list.GetInitialState());
    list.SetInitialState(true);
    Change(list);
    EXPECT_FALSE(list.GetInitialState());
    delete list.PopItem();
    EXPECT_TRUE(list.GetInitialState());

    // Marking a later state: only that top item is unmodified.
    Change(list);
    Change(list);
    list.SetInitialState(true);
    EXPECT_EQ(list.InitialChangeNumber(), 3);
    EXPECT_TRUE(list.GetInitialState());
    delete list.PopItem();
    EXPECT_FALSE(list.GetInitialState());
    Change(list);
    EXPECT_FALSE(list.GetInitialState());

    // Forgetting the mark works only while standing on it.
    list.SetInitialState(false);
    EXPECT_EQ(list.InitialChangeNumber(), 3);
    list.SetInitialState(true);
    list.SetInitialState(false);
    EXPECT_EQ(list.InitialChangeNumber(), -1);
    EXPECT_FALSE(list.GetInitialState());

    list.Clear();
    EXPECT_FALSE(list.GetInitialState());
    list.SetInitialState(true);
    EXPECT_EQ(list.InitialChangeNumber(), 0);
    list.SetInitialState(false);
    EXPECT_EQ(list.InitialChangeNumber(), -1);
}

TEST(EditUndoList, LockAndUnlock) {
    TTeEditUndoList list;
    list.Lock();
    list.Lock();
    Change(list);
    list.AddGroupBreak();
    list.Unlock();
    Change(list);
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.NextChangeNumber(), 1);
    list.Unlock();
    list.Unlock();
    EXPECT_EQ(list.LockCount(), 0);
    Change(list);
    EXPECT_EQ(list.ItemCount(), 1);
}

TEST(EditUndoList, AssignCopiesItemsAndCounters) {
    TTeEditUndoList source;
    Change(source, urInsert, "a");
    Change(source, urDelete, "b");
    source.SetInitialState(true);
    source.BeginBlock();
    source.Lock();
    source.SetMaxUndo(7);
    source.SetRedoInProgress(true);

    TTeEditUndoList copy;
    Change(copy, urPaste, "old");
    copy.Assign(&source);
    ASSERT_EQ(copy.ItemCount(), 2);
    EXPECT_NE(copy.Items(0), source.Items(0));
    EXPECT_EQ(copy.Items(1)->Text(), "b");
    EXPECT_EQ(copy.Items(1)->Reason(), urDelete);
    EXPECT_EQ(copy.BlockCount(), 1);
    EXPECT_EQ(copy.BlockChangeNumber(), 3);
    EXPECT_EQ(copy.LockCount(), 1);
    EXPECT_EQ(copy.MaxUndo(), 7);
    EXPECT_EQ(copy.NextChangeNumber(), 3);
    EXPECT_TRUE(copy.RedoInProgress());
    EXPECT_EQ(copy.InitialChangeNumber(), 0);  // not copied

    copy.Assign(&copy);
    EXPECT_EQ(copy.ItemCount(), 2);
}

TEST(EditUndoList, AHandlerThatRaisesLeavesTheListWhole) {
    struct Raiser {
        void Added(TObject*) { throw Exception("handler failed"); }
    } raiser;
    TTeEditUndoList list;
    list.OnAddedUndo = TNotifyEvent(&raiser, &Raiser::Added);
    EXPECT_THROW(Change(list, urInsert, "kept"), Exception);
    ASSERT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(list.PeekItem()->Text(), "kept");

    list.SetMaxUndo(0);
    EXPECT_THROW(Change(list), Exception);
    EXPECT_EQ(list.ItemCount(), 0);
}
