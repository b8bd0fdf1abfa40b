#include "platform/rtl/Component.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace rtl {

TComponent::TComponent(TComponent* owner) {
    if (owner) {
        owner->FComponents.push_back(this);
        FOwner = owner;
    }
}

void TComponent::AfterConstruction() {
    if (FOwner)
        FOwner->Notification(this, opInsert);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    // Each owned component removes itself from FComponents while it is destroyed (telling the
    // siblings still alive, so none keeps a pointer to it), so always take the current last.
    while (!FComponents.empty())
        delete FComponents.back();
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        RaiseListIndexError(index);
    return FComponents[static_cast<size_t>(index)];
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    // Iterate by index from the end: a handler may remove components while we walk.
    for (size_t i = FComponents.size(); i-- > 0;) {
        if (i < FComponents.size())
            FComponents[i]->Notification(component, operation);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    // Notify while the component is still listed, so that it too hears of its own removal.
    // A handler may have changed the list, so look the component up again afterwards.
    Notification(component, opRemove);
    it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it != FComponents.end())
        FComponents.erase(it);
    component->FOwner = nullptr;
}

void TComponent::Free(TComponent* component) {
    delete component;
}

} // namespace rtl
