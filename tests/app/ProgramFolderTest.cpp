// The program's folder and the data folder rule: beside the program when it can be written, else
// in the user's data folder.
#include "tests/app/AppFixture.h"

#include <sys/stat.h>

namespace orv::test {
namespace {

TEST(ProgramFolderTest, FolderOfAPathEndsInOneSlash) {
  struct TCase {
    const char* Path;
    const char* Folder;
  };
  const TCase cases[] = {
    {"/opt/orvinta/orvinta", "/opt/orvinta/"},
    {"/opt/orvinta/", "/opt/orvinta/"},  // already ends in one: no second
    {"/orvinta", "/"},
    {"orvinta", "./"},
    {"bin/orvinta", "bin/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramFolderOf(c.Path), c.Folder) << c.Path;
}

class DataFolderTest : public AppTest {
 protected:
  void TearDown() override {
    if (!FSavedHome.empty()) setenv("HOME", FSavedHome.c_str(), 1);
    AppTest::TearDown();
  }
  void SetHome(const std::string& home) {
    if (const char* h = std::getenv("HOME")) FSavedHome = h;
    setenv("HOME", home.c_str(), 1);
  }
  std::string FSavedHome;
};

TEST_F(DataFolderTest, WritableProgramFolderHoldsTheData) {
  EXPECT_EQ(DataFolderFor(FProgramDir), FProgramDir);
}

TEST_F(DataFolderTest, UnwritableProgramFolderMovesTheDataToTheUsersFolder) {
  const AnsiString missing = FProgramDir + "no/such/folder/";
  struct TCase {
    const char* Name;
    std::string Xdg;       // empty: unset
    std::string Expected;
  };
  const TCase cases[] = {
    {"XDG data folder", FProgramDir + "xdg", FProgramDir + "xdg/orvinta/"},
    {"relative XDG folder is ignored", "relative/xdg", FProgramDir + "home/.local/share/orvinta/"},
    {"no XDG folder", "", FProgramDir + "home/.local/share/orvinta/"},
    {"user folder cannot be made", "/proc/orvinta-none", missing},
  };
  SetHome(FProgramDir + "home");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Xdg.empty()) unsetenv("XDG_DATA_HOME");
    else setenv("XDG_DATA_HOME", c.Xdg.c_str(), 1);
    EXPECT_EQ(DataFolderFor(missing), c.Expected);
    if (c.Expected != missing) {
      struct stat st {};
      EXPECT_EQ(stat(c.Expected.c_str(), &st), 0) << "the user's folder is created";
    }
  }
}

TEST_F(DataFolderTest, MainWindowTakesTheProgramsFolderFromItsPath) {
  SetProgramPath(FProgramDir + "no/such/folder/orvinta");
  StartWindows();
  EXPECT_EQ(MainForm->AppDir(), FProgramDir + "xdg/orvinta/");
  EXPECT_EQ(MainForm->FilenameEdit1->GetFileName(), FProgramDir + "xdg/orvinta/mailaddies.dbf");
}

}  // namespace
}  // namespace orv::test
