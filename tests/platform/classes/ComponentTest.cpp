// Ownership, names, free notification and state of components; collections; assignment;
// interfaces by GUID.
#include <gtest/gtest.h>
#include "Fixtures.h"

namespace orv::test {
namespace {

// Records its own destruction and every notification it gets.
class TWatched : public TComponent {
 public:
  TWatched(TComponent* owner, const char* name, std::vector<std::string>& log) : TComponent(owner), FLog(log) {
    SetName(name);
  }
  ~TWatched() override { FLog.push_back("free " + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    FLog.push_back(Name() + (op == opInsert ? " +" : " -") + c->Name());
  }
  std::vector<std::string>& FLog;
};

TEST(ComponentTest, OwnerFreesWhatItOwnsOnceLastFirst) {
  std::vector<std::string> log;
  auto* owner = new TWatched(nullptr, "Owner", log);
  new TWatched(owner, "A", log);
  auto* b = new TWatched(owner, "B", log);
  new TWatched(owner, "C", log);
  delete b;  // leaves the owner's list: the owner must not free it again
  EXPECT_EQ(owner->ComponentCount(), 2);
  log.clear();
  owner->Free();
  // The owner's own destructor body runs first; its components go after it, the last first.
  EXPECT_EQ(log, (std::vector<std::string>{"free Owner", "free C", "free A"}));
}

TEST(ComponentTest, InsertAndRemoveAreNotifiedThroughTheOwnersTree) {
  std::vector<std::string> log;
  TWatched owner(nullptr, "Owner", log);
  auto* a = new TWatched(&owner, "A", log);
  log.clear();
  auto* b = new TWatched(nullptr, "B", log);
  owner.InsertComponent(b);
  EXPECT_EQ(log, (std::vector<std::string>{"A +B", "B +B", "Owner +B"}));
  log.clear();
  owner.RemoveComponent(b);
  EXPECT_EQ(log, (std::vector<std::string>{"A -B", "B -B", "Owner -B"}));
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_EQ(a->ComponentIndex(), 0);
  delete b;
}

TEST(ComponentTest, FreeNotificationReachesComponentsOfOtherOwnersWhileDestroying) {
  RegisterTestClasses();
  Log().clear();
  TComponent formA(nullptr), formB(nullptr);
  auto* label = new TTestControl(&formA);
  label->SetName("Label1");
  auto* edit = new TTestControl(&formB);
  edit->SetName("Edit1");
  label->SetFocusControl(edit);
  delete edit;
  EXPECT_EQ(label->FFocusControl, nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"Destroy:Edit1", "Notify:Label1:Edit1:destroying"}));
  // The link is dropped both ways: freeing the label later must not touch the freed edit.
}

TEST(ComponentTest, FreeNotificationLinkIsDroppedWhenTheWatcherGoesFirst) {
  RegisterTestClasses();
  TComponent owner(nullptr);
  auto* watcher = new TTestControl(nullptr);
  auto* target = new TTestControl(&owner);
  watcher->SetFocusControl(target);
  delete watcher;
  delete target;  // must not notify the freed watcher (ASan reports it otherwise)
  SUCCEED();
}

TEST(ComponentTest, NamesAreIdentifiersUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName("Button1");
  auto* b = new TComponent(&owner);
  struct Case { const char* Name; const char* Message; };
  const Case cases[] = {
      {"button1", "Eine Komponente namens button1 existiert bereits"},
      {"1Button", "'1Button' ist kein g\xFCltiger Komponentenname"},
      {"Send Btn", "'Send Btn' ist kein g\xFCltiger Komponentenname"},
      {"S\xE4nden", "'S\xE4nden' ist kein g\xFCltiger Komponentenname"},
  };
  for (const Case& c : cases) {
    try {
      b->SetName(c.Name);
      ADD_FAILURE() << "accepted " << c.Name;
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  b->SetName("_Button2");
  a->SetName("BUTTON1");  // its own name in another case is no clash
  EXPECT_EQ(owner.FindComponent("button2"), nullptr);
  EXPECT_EQ(owner.FindComponent("_button2"), b);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  c->SetName("_Button2");
  EXPECT_THROW(owner.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_THROW(owner.Components(2), EListError);
}

TEST(ComponentTest, DesigningAndDestroyingStatesReachOwnedComponents) {
  TComponent owner(nullptr);
  auto* child = new TComponent(&owner);
  owner.SetDesigning(true);
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
  owner.SetDesigning(false, false);
  EXPECT_FALSE(owner.ComponentState().Contains(csDesigning));
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
  owner.SetDesigning(true, false);
  auto* late = new TComponent(&owner);
  EXPECT_TRUE(late->ComponentState().Contains(csDesigning)) << "a designing owner's new component";
  owner.Destroying();
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
}

TEST(CollectionTest, ItemsAreOwnedNumberedAndAssigned) {
  RegisterTestClasses();
  TComponent owner(nullptr);
  TTestPanels panels(&owner);
  auto* a = static_cast<TTestPanel*>(panels.Add());
  a->FText = "a";
  auto* b = static_cast<TTestPanel*>(panels.Add());
  b->FText = "b";
  EXPECT_EQ(panels.Count(), 2);
  EXPECT_EQ(a->Collection(), &panels);
  EXPECT_EQ(a->GetOwner(), &panels);
  EXPECT_EQ(panels.Owner(), &owner);
  EXPECT_EQ(b->Index(), 1);
  b->SetIndex(0);
  EXPECT_EQ(panels.Items(0), b);
  EXPECT_EQ(panels.FindItemID(a->ID()), a);
  delete b;  // leaves the collection
  EXPECT_EQ(panels.Count(), 1);
  EXPECT_EQ(panels.Items(0), a);
  EXPECT_THROW(panels.Items(1), EListError);

  TTestPanels copy(nullptr);
  copy.Add();
  copy.Add();
  copy.Updates = 0;
  copy.Assign(&panels);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.ItemsAs<TTestPanel>(0)->FText, "a");
  EXPECT_NE(copy.Items(0), a);
  EXPECT_EQ(copy.Updates, 1) << "an assignment is one change";
}

TEST(PersistentTest, AssignBetweenUnrelatedClassesRaises) {
  RegisterTestClasses();
  TTestFont font;
  TTestPanels panels(nullptr);
  try {
    font.Assign(&panels);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "TTestPanels kann nicht an TTestFont zugewiesen werden");
  }
  try {
    font.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "nil kann nicht an TTestFont zugewiesen werden");
  }
}

struct ITestText : public IInterface {
  static inline const TGUID IID = TGUID::FromString("{59D0AE37-8161-4AD6-9102-14B28E5761EB}");
};

class TTextHolder : public TComponent, public ITestText {
 public:
  using TComponent::TComponent;
  bool QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == ITestText::IID) {
      *obj = static_cast<ITestText*>(this);
      return true;
    }
    return TComponent::QueryInterface(iid, obj);
  }
};

TEST(InterfaceTest, ObjectsHandOutTheInterfacesTheyImplement) {
  TTextHolder holder(nullptr);
  TComponent plain(nullptr);
  EXPECT_EQ(Supports<ITestText>(&holder), static_cast<ITestText*>(&holder));
  EXPECT_EQ(Supports<ITestText>(&plain), nullptr);
  EXPECT_FALSE(Supports(nullptr, ITestText::IID));
  EXPECT_EQ(ITestText::IID.ToString(), "{59D0AE37-8161-4AD6-9102-14B28E5761EB}");
  EXPECT_EQ(TGUID::FromString("{59d0ae37-8161-4ad6-9102-14b28e5761eb}"), ITestText::IID);
  for (const char* bad : {"", "59D0AE37-8161-4AD6-9102-14B28E5761EB", "{59D0AE37-8161-4AD6-9102-14B28E5761EG}",
                          "{59D0AE3708161-4AD6-9102-14B28E5761EB}"})
    EXPECT_THROW(TGUID::FromString(bad), EConvertError) << bad;
}

}  // namespace
}  // namespace orv::test
