#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/classes/Lists.h"

namespace {

int values[6] = {0, 1, 2, 3, 4, 5};
void* P(int i) { return &values[i]; }

std::vector<int> Contents(const TList& list) {
    std::vector<int> result;
    for (int i = 0; i < list.Count(); ++i) result.push_back(static_cast<int>(static_cast<int*>(list.Items(i)) - values));
    return result;
}

// Records its own destruction in a shared log.
struct Tracked : TObject {
    Tracked(std::vector<int>& log, int id) : log_(log), id_(id) {}
    ~Tracked() override { log_.push_back(id_); }
    std::vector<int>& log_;
    int id_;
};

}  // namespace

TEST(TList, EditingOperations) {
    TList list;
    for (int i : {3, 1, 4}) list.Add(P(i));
    list.Insert(0, P(5));
    list.Insert(4, P(2));
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 3, 1, 4, 2}));
    list.Exchange(0, 4);
    list.Move(0, 2);
    EXPECT_EQ(Contents(list), (std::vector<int>{3, 1, 2, 4, 5}));
    EXPECT_EQ(list.Remove(P(1)), 1);
    EXPECT_EQ(list.Remove(P(0)), -1);
    EXPECT_EQ(list.Extract(P(4)), P(4));
    EXPECT_EQ(list.Extract(P(4)), nullptr);
    list.Delete(0);
    EXPECT_EQ(Contents(list), (std::vector<int>{2, 5}));
    EXPECT_EQ(list.First(), P(2));
    EXPECT_EQ(list.Last(), P(5));
    list.Add(nullptr);
    list.Add(P(0));
    list.Pack();
    EXPECT_EQ(Contents(list), (std::vector<int>{2, 5, 0}));
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 2, 5}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TList, OutOfBoundsIndexesRaiseListErrors) {
    TList list;
    list.Add(P(1));
    struct Case {
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {[&] { (void)list.Items(1); }, "List index out of bounds (1)"},
        {[&] { list.Delete(-1); }, "List index out of bounds (-1)"},
        {[&] { list.Insert(2, nullptr); }, "List index out of bounds (2)"},
        {[&] { list.Move(0, 1); }, "List index out of bounds (1)"},
        {[&] { list.Exchange(0, 7); }, "List index out of bounds (7)"},
        {[&] { TList empty; (void)empty.First(); }, "List index out of bounds (0)"},
        {[&] { TList empty; (void)empty.Last(); }, "List index out of bounds (-1)"},
        {[&] { list.SetCount(-2); }, "List count out of bounds (-2)"},
    };
    for (const auto& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << "no error, expected " << c.message;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(TObjectList, FreesOwnedObjectsButNotExtractedOnes) {
    std::vector<int> freed;
    auto* kept = new Tracked(freed, 2);
    {
        TObjectList list;
        for (int i = 0; i < 5; ++i) list.Add(i == 2 ? kept : new Tracked(freed, i));
        list.Delete(0);
        EXPECT_EQ(freed, (std::vector<int>{0}));
        EXPECT_EQ(list.Extract(kept), kept);
        list.Remove(list.Items(0));
        EXPECT_EQ(freed, (std::vector<int>{0, 1}));
        list.SetItem(0, new Tracked(freed, 9));  // the replaced object goes
        EXPECT_EQ(freed, (std::vector<int>{0, 1, 3}));
    }
    // The destructor frees the rest from the end.
    EXPECT_EQ(freed, (std::vector<int>{0, 1, 3, 4, 9}));
    delete kept;

    freed.clear();
    Tracked outside(freed, 7);
    {
        TObjectList borrowed(false);
        borrowed.Add(&outside);
        borrowed.Clear();
    }
    EXPECT_TRUE(freed.empty());
}

TEST(TThreadList, GuardsConcurrentAdds) {
    TThreadList list;
    std::vector<int> slots(400);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) list.Add(&slots[static_cast<size_t>(t * 100 + i)]);
        });
    for (auto& t : threads) t.join();
    list.Add(&slots[0]);  // dupIgnore: already there
    TList* locked = list.LockList();
    EXPECT_EQ(locked->Count(), 400);
    list.UnlockList();

    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add(&slots[1]), EListError);
    list.Remove(&slots[1]);
    EXPECT_EQ(list.LockList()->IndexOf(&slots[1]), -1);
    list.UnlockList();
}
