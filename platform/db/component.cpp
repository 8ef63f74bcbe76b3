#include "platform/db/component.h"

#include <algorithm>

namespace db {

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) {
        owner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    while (!free_notifies_.empty()) {
        TComponent* other = free_notifies_.back();
        free_notifies_.pop_back();
        Erase(other->free_notifies_, this);
        other->Notification(this, opRemove);
    }
    while (!components_.empty()) {
        delete components_.back();
    }
    if (owner_ != nullptr) {
        owner_->RemoveComponent(this);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->owner_ != nullptr) {
        component->owner_->RemoveComponent(component);
    }
    component->owner_ = this;
    components_.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, opRemove);
    Erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) {
        return;
    }
    if (std::find(free_notifies_.begin(), free_notifies_.end(), component) ==
        free_notifies_.end()) {
        free_notifies_.push_back(component);
    }
    if (std::find(component->free_notifies_.begin(), component->free_notifies_.end(), this) ==
        component->free_notifies_.end()) {
        component->free_notifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr) {
        return;
    }
    Erase(free_notifies_, component);
    Erase(component->free_notifies_, this);
}

void TComponent::EndLoad() {
    loading_ = false;
    Loaded();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component != nullptr) {
        RemoveFreeNotification(component);
    }
    // A copy: a component told may free another.
    std::vector<TComponent*> owned = components_;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        if (std::find(components_.begin(), components_.end(), *it) != components_.end()) {
            (*it)->Notification(component, operation);
        }
    }
}

}  // namespace db
