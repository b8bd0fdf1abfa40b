#include "platform/rtl/Collection.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace rtl {

int TCollectionItem::Index() const {
    if (!FCollection)
        return -1;
    const auto& items = FCollection->FItems;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].get() == this)
            return static_cast<int>(i);
    }
    return -1;
}

std::string TCollectionItem::DisplayName() const {
    return std::string();
}

void TCollectionItem::Changed() {
    if (FCollection)
        FCollection->Update(this);
}

TCollection::TCollection(ItemFactory factory) : FFactory(std::move(factory)) {}

TCollection::~TCollection() {
    FItems.clear();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndexError(index);
    return FItems[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::Add() {
    std::unique_ptr<TCollectionItem> item = FFactory(this);
    item->FID = FNextID++;
    FItems.push_back(std::move(item));
    Update(nullptr);
    return FItems.back().get();
}

void TCollection::Delete(int index) {
    if (index < 0 || index >= Count())
        RaiseListIndexError(index);
    FItems.erase(FItems.begin() + index);
    Update(nullptr);
}

void TCollection::Clear() {
    if (FItems.empty())
        return;
    FItems.clear();
    Update(nullptr);
}

void TCollection::Exchange(TCollection& other) {
    FItems.swap(other.FItems);
    for (auto& item : FItems)
        item->FCollection = this;
    for (auto& item : other.FItems)
        item->FCollection = &other;
    // IDs stay unique in both: neither hands out one the other's items may carry.
    FNextID = other.FNextID = std::max(FNextID, other.FNextID);
    Update(nullptr);
    other.Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

} // namespace rtl
