// Collections: an ordered list of items of one class, created by the collection itself.
// Indexing outside the list raises EListError rather than reading past the end.
#pragma once

#include "platform/rtl/Component.h"

#include <functional>
#include <memory>
#include <vector>

namespace rtl {

class TCollection;

class TCollectionItem : public TObject {
public:
    explicit TCollectionItem(TCollection* collection) : FCollection(collection) {}

    TCollection* Collection() const { return FCollection; }
    int Index() const;
    // Unique within its collection and never reused, unlike Index.
    int ID() const { return FID; }
    virtual std::string DisplayName() const;

protected:
    // Tells the collection this item changed (collections may react in Update).
    void Changed();

private:
    friend class TCollection;
    TCollection* FCollection;
    int FID = 0;
};

class TCollection : public TObject {
public:
    using ItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;

    explicit TCollection(ItemFactory factory);
    ~TCollection() override;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError outside 0 .. Count - 1.
    TCollectionItem* Items(int index) const;

    TCollectionItem* Add();
    void Delete(int index);
    void Clear();
    // Trades all items with other (a collection of the same item class), so a list can be
    // filled and checked aside and then put in place whole, or not at all.
    void Exchange(TCollection& other);

    // Called after any change; item is the changed item or nullptr for the whole list.
    virtual void Update(TCollectionItem* item);

private:
    friend class TCollectionItem;
    ItemFactory FFactory;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
    int FNextID = 0;
};

// A collection of one item type with typed access; T must derive from TCollectionItem and be
// constructible from TCollection*.
template <typename T>
class TTypedCollection : public TCollection {
public:
    TTypedCollection() : TCollection([](TCollection* c) { return std::make_unique<T>(c); }) {}
    T* Items(int index) const { return static_cast<T*>(TCollection::Items(index)); }
    T* Add() { return static_cast<T*>(TCollection::Add()); }
};

} // namespace rtl
