#pragma once

#include <string>
#include <vector>

namespace db {

enum TOperation { opInsert, opRemove };

// Owner frees its components; a component that registered with FreeNotification is told
// when the other goes away, so that it can drop its reference.
// Components are made with new and an owner; the owner deletes them.
class TComponent {
  public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Both sides are told when either goes away.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // The "being loaded" flag: properties set meanwhile take effect in Loaded().
    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    void BeginLoad() { loading_ = true; }
    void EndLoad();

  protected:
    // Told about components inserted into or removed from the owner chain, and about
    // components registered with FreeNotification going away. Forwards to the owned ones.
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded() {}

  private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> free_notifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

}  // namespace db
