// Components: the ownership tree every engine piece lives in. An owner destroys what it owns
// (last created first) and tells its owned components about every sibling that arrives or
// leaves, which is how an image list finds the screen beside it without being told.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rtl {

// Root of every object an event can name as its sender.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TOperation { opInsert, opRemove };
using enum TOperation;

class TComponent : public TObject {
public:
    // Joins owner's list at once, so constructors can walk the owner chain. The siblings are
    // told of the newcomer only by AfterConstruction, once the object is whole: a notification
    // from inside this constructor would show them a half-built object.
    explicit TComponent(TComponent* owner);

    // Announces this component to its owner's components (opInsert). Create() calls it; code
    // that uses new directly must call it itself.
    virtual void AfterConstruction();
    // Frees the owned components, last first, then leaves the owner (notifying opRemove).
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError outside 0 .. ComponentCount - 1.
    TComponent* Components(int index) const;

    std::string Name;

    // Called on every component of an owner when a component joins or leaves that owner.
    // The base forwards the notification to the components this one owns.
    virtual void Notification(TComponent* component, TOperation operation);

    // Takes ownership of a component that was created without an owner (or moves it).
    void InsertComponent(TComponent* component);
    // Gives up ownership without destroying it.
    void RemoveComponent(TComponent* component);

    // Destroys every owned component, last first. Classes whose own teardown must outlive
    // their components (a form's window) call it first thing in their destructor.
    void DestroyComponents();

    // Destroys an owned component (or this one when it has no owner) by its owner's rules.
    static void Free(TComponent* component);

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents; // owned; raw because components unlink themselves
};

// Makes a component and announces it to its siblings.
template <typename T, typename... Args>
T* Create(TComponent* owner, Args&&... args) {
    T* component = new T(owner, std::forward<Args>(args)...);
    component->AfterConstruction();
    return component;
}

} // namespace rtl
