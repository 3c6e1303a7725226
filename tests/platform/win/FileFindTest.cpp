// File attributes and the file search over a temporary folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include "platform/win/FileFind.h"
#include "platform/win/LastError.h"

namespace orv {
namespace {

class FileFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orv_find_XXXXXX";
    FDir = std::string(mkdtemp(pattern)) + "/";
    std::filesystem::create_directory(FDir + "Sub");
    for (const char* name : {"b.txt", "a.txt", "c.dat", ".hidden"}) std::ofstream(FDir + name) << "1234";
    ::chmod((FDir + "c.dat").c_str(), 0444);
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  std::string FDir;
};

TEST_F(FileFindTest, AttributesOfFilesAndFolders) {
  EXPECT_EQ(GetFileAttributesA(FDir + "Sub"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(FDir + "Sub/"), FILE_ATTRIBUTE_DIRECTORY) << "a trailing slash names the folder";
  EXPECT_EQ(GetFileAttributesA(FDir + "a.txt"), FILE_ATTRIBUTE_ARCHIVE);
  if (::geteuid() != 0) {
    EXPECT_EQ(GetFileAttributesA(FDir + "c.dat"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  }
  EXPECT_EQ(GetFileAttributesA(FDir + ".hidden"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA(FDir + "none"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileFindTest, SearchHandsOutMatchesInNameOrder) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(FDir + "*.txt", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.cFileName, "a.txt");
  EXPECT_EQ(data.nFileSize, 4);
  EXPECT_EQ(data.cAlternateFileName, "");
  ASSERT_TRUE(FindNextFileA(search, &data));
  EXPECT_EQ(data.cFileName, "b.txt");
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search)) << "a handle closes once";
  EXPECT_EQ(OpenFileSearchCount(), 0u);

  search = FindFirstFileA(FDir + "Sub", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "a plain name finds itself";
  EXPECT_EQ(data.cFileName, "Sub");
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(search);

  int count = 0;
  search = FindFirstFileA(FDir + "*", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    EXPECT_NE(data.cFileName, ".");
    EXPECT_NE(data.cFileName, "..");
    ++count;
  } while (FindNextFileA(search, &data));
  FindClose(search);
  EXPECT_EQ(count, 5);

  EXPECT_EQ(FindFirstFileA(FDir + "*.none", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA(FDir + "missing/x", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileA(FDir, &data), INVALID_HANDLE_VALUE) << "an empty last part matches nothing";
  EXPECT_EQ(OpenFileSearchCount(), 0u);
}

}  // namespace
}  // namespace orv
