// The shared fixture of the application's window tests: the program's modules and application
// started offscreen once per test executable, a temporary program folder per test, scripted
// dialogs and a recorded desktop, and the controls reached by their names.
#pragma once
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/EditKontenFUnit.h"
#include "app/MainUnit.h"
#include "app/NewsDesignFUnit.h"
#include "app/ProgramFolder.h"
#include "app/ProgramStart.h"
#include "app/ShellOpen.h"
#include "app/WriteMailFUnit.h"
#include "platform/classes/ComponentRes.h"
#include "platform/rtl/ModuleInit.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv::test {

class AppTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Another suite of this executable may have started the modules without the program's.
    if (!ComponentResourceExists("TMainForm")) {
      if (ModulesInitialized()) FinalizeModules();
      RegisterProgramModules();
      InitializeModules();
    }
    Application->Initialize();
    Application->SetTitle(ProgramTitle);
  }

  void SetUp() override {
    char pattern[] = "/tmp/orv_app_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    FProgramDir = std::string(dir) + "/";
    // The program "runs" from the temporary folder, so its data files land there.
    SetProgramPath(FProgramDir + "orvinta");
    qputenv("XDG_DATA_HOME", (FProgramDir + "xdg").c_str());
    SetDialogService(&Dialogs);
    SetShellOpenHandler([this](const AnsiString& url) {
      Opened.push_back(url);
      return true;
    });
  }

  void TearDown() override {
    FreeWindows();
    for (auto* f : FExtra) f->Free();
    FExtra.clear();
    Application->ProcessMessages();
    SetShellOpenHandler({});
    SetDialogService(nullptr);
    SetProgramPath("");
    std::string cmd = "rm -rf '" + FProgramDir + "'";
    (void)!system(cmd.c_str());
  }

  // The program's four windows, created as the program creates them, the main window shown.
  void StartWindows() {
    CreateProgramWindows();
    ASSERT_NE(MainForm, nullptr);
    MainForm->Show();
    Application->ProcessMessages();
  }

  // The program's four windows freed, as at the end of the program.
  void FreeWindows() {
    FreeWindow(NewsDesignForm);
    FreeWindow(EditKontenForm);
    FreeWindow(WriteMailForm);
    FreeWindow(MainForm);
  }

  // The program ended and started again over the same folder.
  void Restart() {
    FreeWindows();
    Application->ProcessMessages();
    StartWindows();
  }

  // A main window that is not the application's main form: closing it only hides it.
  TMainForm* ExtraMainWindow() {
    auto* form = TCustomForm::Create<TMainForm>(nullptr);
    FExtra.push_back(form);
    form->Show();
    Application->ProcessMessages();
    return form;
  }

  template <class T>
  static T* Find(TComponent* root, const char* name) {
    auto* c = dynamic_cast<T*>(root->FindComponent(name));
    EXPECT_NE(c, nullptr) << "no " << name << " of the expected class";
    return c;
  }

  template <class T>
  static void FreeWindow(T*& form) {
    if (form == nullptr) return;
    T* f = form;
    form = nullptr;
    f->Free();
  }

  TScriptedDialogs Dialogs;
  std::vector<AnsiString> Opened;
  std::string FProgramDir;
  std::vector<TCustomForm*> FExtra;
};

// The main window as it must be after every send run, however it ended: no run going on, the
// pages back, the button and the progress bar reset.
inline void ExpectIdleAfterSendRun(TMainForm* f) {
  EXPECT_FALSE(f->Sending());
  EXPECT_TRUE(f->TabSheet1->TabVisible());
  EXPECT_TRUE(f->TabSheet2->TabVisible());
  EXPECT_TRUE(f->TabSheet3->TabVisible());
  EXPECT_EQ(f->SendBtn->Caption(), "Send mails...");
  EXPECT_EQ(f->ProgressBar1->Position(), 0);
}

}  // namespace orv::test
