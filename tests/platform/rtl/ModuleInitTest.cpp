// Module start-up: order of initialisation and finalisation, and unwinding a failed start.
#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ModuleInit.h"

namespace orv {
namespace {

class ModuleInit : public testing::Test {
 protected:
  void TearDown() override { FinalizeModules(); }
  void Add(const std::string& name, bool failInit = false, bool failFinal = false) {
    RegisterModule({name,
                    [this, name, failInit] {
                      Log.push_back("init " + name);
                      if (failInit) throw Exception("cannot start " + name);
                    },
                    [this, name, failFinal] {
                      Log.push_back("final " + name);
                      if (failFinal) throw Exception("cannot stop " + name);
                    }});
  }
  std::vector<std::string> Log;
};

TEST_F(ModuleInit, FinalizesInReverseOrderOnce) {
  Add("rtl");
  Add("classes");
  RegisterModule({"no hooks", {}, {}});
  Add("forms");
  EXPECT_FALSE(ModulesInitialized());
  InitializeModules();
  InitializeModules();   // runs each initialisation once
  EXPECT_TRUE(ModulesInitialized());
  EXPECT_THROW(Add("late"), Exception);
  FinalizeModules();
  FinalizeModules();
  EXPECT_EQ(Log, (std::vector<std::string>{"init rtl", "init classes", "init forms", "final forms",
                                           "final classes", "final rtl"}));
  EXPECT_FALSE(ModulesInitialized());
}

TEST_F(ModuleInit, FailingInitializationUnwindsThoseThatRan) {
  Add("a");
  Add("b");
  Add("c", /*failInit=*/true);
  Add("d");
  try {
    InitializeModules();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "cannot start c");
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"init a", "init b", "init c", "final b", "final a"}));
  EXPECT_FALSE(ModulesInitialized());
  // The list starts over.
  Log.clear();
  Add("e");
  InitializeModules();
  EXPECT_EQ(Log, (std::vector<std::string>{"init e"}));
}

TEST_F(ModuleInit, FailingFinalizationStillFinalizesTheRest) {
  Add("a");
  Add("b", false, /*failFinal=*/true);
  Add("c");
  InitializeModules();
  EXPECT_THROW(FinalizeModules(), Exception);
  EXPECT_EQ(Log, (std::vector<std::string>{"init a", "init b", "init c", "final c", "final b", "final a"}));
}

}  // namespace
}  // namespace orv
