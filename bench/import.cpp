// Benchmark: importing 100,000 lines of a text file into a new address table through the main
// window, against python3-dbf reading the same file and appending the same rows; both timed as
// whole processes.
#include <QApplication>
#include <filesystem>
#include <fstream>
#include "app/MainUnit.h"
#include "app/ProgramFolder.h"
#include "app/ProgramStart.h"
#include "bench/DbfBench.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/ModuleInit.h"

namespace {

constexpr int kLines = 100000;

// Chooses the one import file and answers every box with OK.
class TImportDialogs : public orv::IDialogService {
 public:
  explicit TImportDialogs(std::string file) : FFile(std::move(file)) {}
  int MessageBox(const orv::AnsiString&, const orv::AnsiString&, orv::Cardinal) override { return orv::IDOK; }
  bool ChooseFiles(const orv::TFileRequest&, std::vector<orv::AnsiString>& files) override {
    files = {FFile};
    return true;
  }
  bool ChooseColor(orv::TColor&) override { return false; }
  bool ChooseFont(orv::TFontChoice&) override { return false; }

 private:
  std::string FFile;
};

int Import(const std::string& dir, const std::string& file) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  orv::SetProgramPath(dir + "/orvinta");
  qputenv("XDG_DATA_HOME", (dir + "/xdg").c_str());
  TImportDialogs dialogs(file);
  orv::SetDialogService(&dialogs);
  orv::RegisterProgramModules();
  orv::InitializeModules();
  orv::Application->Initialize();
  orv::CreateProgramWindows();
  orv::TMainForm* form = orv::MainForm;
  form->FilenameEdit1->SetFileName(dir + "/imported.dbf");
  form->FilenameEdit1Change(nullptr);
  form->ImportBtnClick(nullptr);
  const int count = form->Table1->RecordCount();
  orv::SetDialogService(nullptr);
  return count == kLines ? 0 : 1;
}

const char* kPython = R"(
import sys, dbf
src, path = sys.argv[1], sys.argv[2]
t = dbf.Table(path, 'EMAIL C(50); LAST_NAME C(30); FIRST_NAME C(30); SALUTATION C(20); INFO_1 C(50); INFO_2 C(255)',
              dbf_type='db3', codepage='cp1252')
t.open(dbf.READ_WRITE)
with open(src, 'rb') as f:
    for raw in f:
        line = raw.rstrip(b'\r\n').decode('cp1252')
        if not line:
            continue
        pieces = line.replace(',', ';').split(';')[:6]
        t.append(tuple(pieces + [''] * (6 - len(pieces))))
t.close()
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "import") return Import(argv[2], argv[3]);
  const std::string dir = orv::bench::TempFolder("import");
  const std::string file = dir + "/addresses.txt";
  {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < kLines; ++i) {
      const std::string n = std::to_string(i);
      out << "user" << n << "@example.org;Lastname" << n << ",First" << n << ";" << (i % 2 ? "Mr" : "Ms")
          << ";Info " << n << ";Some longer remark for record " << n << "\r\n";
    }
  }
  const std::string script = dir + "/import.py";
  std::ofstream(script) << kPython;
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const double oursSecs = orv::bench::TimeProcess({self, "import", dir, file});
  const double theirSecs = orv::bench::TimeProcess({"/usr/bin/python3", script, file, dir + "/python.dbf"});
  std::printf("ours (main window import, whole process): %.3f s, %.0f lines/s\n", oursSecs, kLines / oursSecs);
  std::printf("python3-dbf (whole process): %.3f s, %.0f lines/s\n", theirSecs, kLines / theirSecs);
  std::filesystem::remove_all(dir);
  std::printf("import: %.2f\n", theirSecs / oursSecs);
  return 0;
}
