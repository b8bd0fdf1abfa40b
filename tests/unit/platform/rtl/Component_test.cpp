#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace rtl;

namespace {

// Records every notification it hears and its own destruction.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TComponent(owner), FLog(log) {
        Name = std::move(name);
    }
    ~Probe() override { FLog.push_back("~" + Name); }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        FLog.push_back(Name + (operation == opInsert ? " +" : " -") + component->Name);
    }

private:
    std::vector<std::string>& FLog;
};

// Keeps a pointer to a sibling and drops it when the sibling leaves, as engine components do.
class Watcher : public TComponent {
public:
    using TComponent::TComponent;
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opInsert && component != this && !Partner)
            Partner = component;
        if (operation == opRemove && component == Partner)
            Partner = nullptr;
    }
    TComponent* Partner = nullptr;
};

} // namespace

TEST(Component, InsertNotifiesEverySiblingIncludingTheNewcomer) {
    std::vector<std::string> log;
    {
        TComponent owner(nullptr);
        Create<Probe>(&owner, "a", log);
        Create<Probe>(&owner, "b", log);
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(owner.Components(0)->Name, "a");
        EXPECT_EQ(owner.Components(1)->Name, "b");
        // Later siblings hear first: the owner walks its list from the end.
        const std::vector<std::string> expected = {"a +a", "b +b", "a +b"};
        EXPECT_EQ(log, expected);
        log.clear();
    }
    // The owner frees its components last created first; the one still alive hears of each.
    const std::vector<std::string> expected = {"~b", "a -b", "~a"};
    EXPECT_EQ(log, expected);
}

TEST(Component, SiblingDropsItsPointerWhenThePartnerIsFreed) {
    TComponent owner(nullptr);
    auto* screen = Create<TComponent>(&owner);
    auto* watcher = Create<Watcher>(&owner);
    EXPECT_EQ(watcher->Partner, nullptr); // inserted after the screen: sees only itself
    delete screen;
    auto* later = Create<TComponent>(&owner);
    EXPECT_EQ(watcher->Partner, later);
    delete later;
    EXPECT_EQ(watcher->Partner, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, ComponentsOutOfRangeRaisesListError) {
    TComponent owner(nullptr);
    EXPECT_THROW(owner.Components(0), EListError);
    Create<TComponent>(&owner);
    EXPECT_THROW(owner.Components(-1), EListError);
    EXPECT_THROW(owner.Components(1), EListError);
}

namespace {

class Item : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int Value = 0;
};

} // namespace

TEST(Collection, ItemsAreIndexedAndIdsAreNeverReused) {
    TTypedCollection<Item> list;
    list.Add()->Value = 1;
    list.Add()->Value = 2;
    list.Add()->Value = 3;
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(2)->Value, 3);
    EXPECT_EQ(list.Items(2)->Index(), 2);
    list.Delete(0);
    EXPECT_EQ(list.Items(0)->Value, 2);
    EXPECT_EQ(list.Items(0)->Index(), 0);
    EXPECT_EQ(list.Add()->ID(), 3);
    EXPECT_EQ(list.Items(0)->Collection(), &list);
}

TEST(Collection, IndexOutsideTheListRaisesWithTheIndex) {
    TTypedCollection<Item> list;
    list.Add();
    try {
        list.Items(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (5)");
    }
    EXPECT_THROW(list.Items(-1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}
