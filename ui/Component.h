// Components: an owner tree, names, free notices and a loading state.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

class TComponent;

// An event: a callback with the sender first, called only when assigned.
template <class... Args>
using TEvent = std::function<void(TComponent* sender, Args...)>;
using TNotifyEvent = TEvent<>;

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  int Tag = 0;

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  // Case-insensitive, as window descriptions name things.
  TComponent* FindComponent(std::string_view name) const;

  // Asks to be told (Notification opRemove) when `other` is freed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // A window description placed this component inside `parent` (a menu
  // item inside its menu); controls get their parent through SetParent.
  virtual void SetParentComponent(TComponent*) {}

  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  // Ends the loading state of this component and its owned ones, then calls Loaded.
  void EndLoading();

protected:
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded() {}

private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool loading_ = false;
  bool destroying_ = false;
};
