#include "Component.h"

#include <algorithm>
#include <cctype>

namespace {
bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}
void Erase(std::vector<TComponent*>& v, TComponent* c) {
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // Tell everyone who asked, then free owned components, last first.
  auto notifies = freeNotifies_;
  freeNotifies_.clear();
  for (TComponent* c : notifies) {
    Erase(c->freeNotifies_, this);
    c->Notification(this, TOperation::opRemove);
  }
  while (!components_.empty()) delete components_.back();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
  Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  Erase(components_, c);
  c->owner_ = nullptr;
  if (!destroying_) Notification(c, TOperation::opRemove);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  Erase(freeNotifies_, other);
  Erase(other->freeNotifies_, this);
}

void TComponent::EndLoading() {
  // By index: a Loaded may make new components of this owner.
  for (size_t i = 0; i < components_.size(); ++i)
    if (TComponent* c = components_[i]; c->loading_) c->EndLoading();
  loading_ = false;
  Loaded();
}

void TComponent::Notification(TComponent*, TOperation) {}
