// Starts one offscreen Qt application for every drawing test (fonts and painters need it).
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <cstdlib>

namespace {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "graphics_tests";
    static char* argv[] = {name, nullptr};
    FApp = new QGuiApplication(argc, argv);
  }
  void TearDown() override {
    delete FApp;
    FApp = nullptr;
  }
 private:
  QGuiApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const gQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

}  // namespace
