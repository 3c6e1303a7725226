// The property registry: declaration order, kinds, accessor kinds, index, defaults, stored flags,
// inherits-from tests and making components by class name.
#include <gtest/gtest.h>
#include "Fixtures.h"
#include "platform/classes/ObjectText.h"

namespace orv::test {
namespace {

class TypeInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestClasses(); }
};

TEST_F(TypeInfoTest, PropertiesComeAncestorsFirstInDeclarationOrder) {
  std::vector<std::string> names;
  for (const TPropInfo* p : FindClass("TTestStatusBar")->Properties()) names.push_back(p->Name);
  std::vector<std::string> expected = {"Name", "Tag", "Left", "Top", "Width", "Caption", "Anchors", "Align",
                                       "Visible", "Font", "OnClick", "FocusControl", "PasswordChar", "Ratio",
                                       "Big", "WideCaption", "WChar", "Hint", "Color", "Panels"};
  EXPECT_EQ(names, expected);
}

TEST_F(TypeInfoTest, KindsFollowTheValueTypes) {
  struct Case { const char* Prop; TTypeKind Kind; };
  const Case cases[] = {
      {"Left", tkInteger},      {"Big", tkInt64},       {"Align", tkEnumeration}, {"Visible", tkEnumeration},
      {"Anchors", tkSet},       {"PasswordChar", tkChar}, {"WChar", tkWChar},     {"Ratio", tkFloat},
      {"Caption", tkString},    {"WideCaption", tkWString}, {"Font", tkClass},    {"FocusControl", tkClass},
      {"OnClick", tkMethod},    {"Panels", tkClass},
  };
  const TClassInfo* c = FindClass("TTestStatusBar");
  for (const Case& k : cases) {
    const TPropInfo* p = c->FindProperty(k.Prop);
    ASSERT_NE(p, nullptr) << k.Prop;
    EXPECT_EQ(p->Kind, k.Kind) << k.Prop;
  }
  EXPECT_EQ(c->FindProperty("Anchors")->EnumType()->Name, "TTestAnchor");
  EXPECT_EQ(c->FindProperty("Visible")->EnumType()->NameOf(1), "True");
  EXPECT_EQ(c->FindProperty("Font")->PropClass(), ClassInfoOf<TTestFont>());
}

TEST_F(TypeInfoTest, ReadersAndWritersAreFieldsMethodsOrVirtualSlots) {
  const TClassInfo* c = FindClass("TTestControl");
  const TPropInfo* caption = c->FindProperty("Caption");
  EXPECT_EQ(caption->Reader.Kind, akStatic);
  EXPECT_EQ(caption->Writer.Kind, akVirtual);
  EXPECT_GE(caption->Writer.Slot, 0);
  const TPropInfo* name = c->FindProperty("Name");
  EXPECT_EQ(name->Writer.Kind, akVirtual) << "SetName is virtual";
  EXPECT_NE(name->Writer.Slot, caption->Writer.Slot);
  EXPECT_EQ(c->FindProperty("Align")->Reader.Kind, akField);
  EXPECT_EQ(c->FindProperty("Align")->Writer.Kind, akField);
}

// A descendant overriding the virtual writer: setting through the registry reaches the override.
class TShoutingControl : public TTestControl {
 public:
  using TTestControl::TTestControl;
  void SetCaption(const AnsiString& value) override { TTestControl::SetCaption(value + "!"); }
};

TEST_F(TypeInfoTest, VirtualWriterDispatchesThroughTheInstance) {
  RegisterClassType<TShoutingControl, TTestControl>("TShoutingControl");
  TShoutingControl c(nullptr);
  const TPropInfo* p = GetPropInfo(&c, "caption");
  ASSERT_NE(p, nullptr);
  p->SetStr(&c, "Hallo");
  EXPECT_EQ(c.FCaption, "Hallo!");
  EXPECT_EQ(p->GetStr(&c), "Hallo!");
}

TEST_F(TypeInfoTest, IndexIsPassedToIndexedAccessors) {
  TTestControl c(nullptr);
  const TClassInfo* cls = c.ClassType();
  cls->FindProperty("Left")->SetOrd(&c, 11);
  cls->FindProperty("Top")->SetOrd(&c, 22);
  cls->FindProperty("Width")->SetOrd(&c, 33);
  EXPECT_EQ(c.FBounds[0], 11);
  EXPECT_EQ(c.FBounds[1], 22);
  EXPECT_EQ(c.FBounds[2], 33);
  EXPECT_EQ(cls->FindProperty("Top")->Index, 1);
  EXPECT_EQ(cls->FindProperty("Top")->GetOrd(&c), 22);
  EXPECT_FALSE(cls->FindProperty("Caption")->Index.has_value());
}

TEST_F(TypeInfoTest, DefaultsAreDeclaredOrNone) {
  const TClassInfo* c = FindClass("TTestControl");
  EXPECT_EQ(c->FindProperty("Visible")->Default, 1);
  EXPECT_EQ(c->FindProperty("Anchors")->Default, 0b11);
  EXPECT_EQ(c->FindProperty("Width")->Default, 0);
  EXPECT_FALSE(c->FindProperty("Left")->Default.has_value());
}

TEST_F(TypeInfoTest, StoredFlagIsComputedPerInstance) {
  TTestControl a(nullptr), b(nullptr);
  b.FHintFromAction = true;
  const TPropInfo* hint = a.ClassType()->FindProperty("Hint");
  EXPECT_TRUE(hint->IsStored(&a));
  EXPECT_FALSE(hint->IsStored(&b));
  EXPECT_FALSE(a.ClassType()->FindProperty("Name")->IsStored(&a));
}

TEST_F(TypeInfoTest, TypedAccessConvertsStringsAndRejectsOtherKinds) {
  TTestControl c(nullptr);
  const TClassInfo* cls = c.ClassType();
  cls->FindProperty("WideCaption")->SetStr(&c, "Gr\xF6\xDF" "e");
  EXPECT_EQ(c.FWideCaption, u"Gr\u00f6\u00dfe");
  EXPECT_EQ(cls->FindProperty("Caption")->GetWideStr(&c), u"");
  EXPECT_THROW(cls->FindProperty("Left")->GetStr(&c), EPropertyError);
  EXPECT_THROW(cls->FindProperty("Caption")->GetOrd(&c), EPropertyError);
  EXPECT_THROW(cls->FindProperty("Visible")->SetOrd(&c, 2), EReadError) << "a bool holds 0 or 1";
  EXPECT_THROW(cls->FindProperty("PasswordChar")->SetOrd(&c, 256), EReadError);
  EXPECT_THROW(cls->FindProperty("Align")->SetOrd(&c, 4), EReadError) << "only named values";
  cls->FindProperty("Align")->SetOrd(&c, 3);
  EXPECT_EQ(c.FAlign, alClient);
}

TEST_F(TypeInfoTest, InheritsFromFollowsTheRegisteredAncestors) {
  const TClassInfo* bar = FindClass("TTestStatusBar");
  EXPECT_TRUE(bar->InheritsFrom(ClassInfoOf<TTestControl>()));
  EXPECT_TRUE(bar->InheritsFrom("tcomponent"));
  EXPECT_TRUE(bar->InheritsFrom(bar));
  EXPECT_FALSE(bar->InheritsFrom(ClassInfoOf<TTestForm>()));
  EXPECT_FALSE(ClassInfoOf<TTestControl>()->InheritsFrom(bar));
  TTestStatusBar s(nullptr);
  EXPECT_TRUE(s.InheritsFrom("TTestControl"));
  EXPECT_EQ(s.ClassName(), "TTestStatusBar");
}

TEST_F(TypeInfoTest, ClassRegistryMakesComponentsByName) {
  TComponent owner(nullptr);
  TComponent* c = FindClass("ttestcontainer")->CreateComponent(&owner);
  EXPECT_EQ(c->Owner(), &owner);
  EXPECT_NE(dynamic_cast<TTestContainer*>(c), nullptr);
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  try {
    FindClass("TNoSuchClass");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Klasse TNoSuchClass nicht gefunden");
  }
  EXPECT_FALSE(FindClass("TTestFont")->CanCreate()) << "a persistent is no component";
}

// A subclass nobody registered keeps its base's published properties under its own name.
class TUnregisteredButton : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

TEST_F(TypeInfoTest, UnregisteredSubclassFallsBackToItsNearestRegisteredAncestor) {
  TUnregisteredButton b(nullptr);
  EXPECT_EQ(b.ClassType(), ClassInfoOf<TTestControl>());
  EXPECT_EQ(b.ClassName(), "TUnregisteredButton");
  EXPECT_TRUE(b.InheritsFrom("TTestControl"));
  ReadComponentFromText("object B: TUnregisteredButton\n  Caption = 'x'\nend\n", &b);
  EXPECT_EQ(b.FCaption, "x");
  struct TLocalThing : public TComponent { using TComponent::TComponent; };
  TLocalThing t(nullptr);
  EXPECT_EQ(t.ClassType(), ClassInfoOf<TComponent>());
}

}  // namespace
}  // namespace orv::test
