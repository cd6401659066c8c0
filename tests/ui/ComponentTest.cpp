#include "Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> freed;

class TProbe : public TComponent {
public:
  TProbe(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
  ~TProbe() override { freed.push_back(Name()); }
  std::vector<TComponent*> removed;
  bool loaded = false;

protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == TOperation::opRemove) removed.push_back(c);
  }
  void Loaded() override { loaded = true; }
};
}  // namespace

TEST(Component, OwnerFreesOwnedComponentsLastFirst) {
  freed.clear();
  auto* root = new TProbe(nullptr, "root");
  new TProbe(root, "a");
  auto* b = new TProbe(root, "b");
  new TProbe(b, "b1");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->FindComponent("B"), b);
  EXPECT_EQ(root->FindComponent("b1"), nullptr);  // only direct components
  delete root;
  EXPECT_EQ(freed, (std::vector<std::string>{"root", "b", "b1", "a"}));
}

TEST(Component, FreeingOneTellsItsOwnerAndWatchers) {
  TProbe root(nullptr, "root");
  TProbe watcher(nullptr, "watcher");
  auto* child = new TProbe(&root, "child");
  child->FreeNotification(&watcher);
  delete child;
  EXPECT_EQ(root.ComponentCount(), 0);
  ASSERT_EQ(watcher.removed.size(), 1u);
  EXPECT_EQ(watcher.removed[0], child);
  ASSERT_EQ(root.removed.size(), 1u);
}

TEST(Component, EndLoadingCallsLoadedOnTheTree) {
  TProbe root(nullptr, "root");
  auto* child = new TProbe(&root, "child");
  root.BeginLoading();
  child->BeginLoading();
  EXPECT_TRUE(child->Loading());
  root.EndLoading();
  EXPECT_FALSE(child->Loading());
  EXPECT_TRUE(child->loaded);
  EXPECT_TRUE(root.loaded);
}

TEST(Component, EventsAreCalledOnlyWhenAssigned) {
  TEvent<int> onValue;
  int got = 0;
  TComponent* sender = nullptr;
  TProbe src(nullptr, "src");
  auto fire = [&](int v) { if (onValue) onValue(&src, v); };
  fire(1);
  EXPECT_EQ(got, 0);
  onValue = [&](TComponent* s, int v) { sender = s; got = v; };
  fire(5);
  EXPECT_EQ(got, 5);
  EXPECT_EQ(sender, &src);
}
