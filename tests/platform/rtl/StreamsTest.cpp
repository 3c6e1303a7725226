// Memory and file streams: exact reads, copying, 64-bit offsets and sharing modes between openers.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

class TempDir : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_rtl_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    FDir = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + FDir + "'").c_str()); }
  AnsiString Path(const char* name) const { return FDir + "/" + name; }
  AnsiString FDir;
};

TEST(MemoryStream, ReadWriteSeekAndGrow) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(10);   // writing past the end fills the gap with zeros
  m.WriteBuffer("Z", 1);
  ASSERT_EQ(m.Size(), 11);
  EXPECT_EQ(std::memcmp(m.Memory(), "abcdef\0\0\0\0Z", 11), 0);
  char buf[8] = {};
  EXPECT_EQ(m.Seek(-3, soEnd), 8);
  EXPECT_EQ(m.Read(buf, 8), 3);   // a short read returns what there is
  EXPECT_EQ(m.Read(buf, 8), 0);
  m.SetPosition(9);
  EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
  try {
    m.SetPosition(9);
    m.ReadBuffer(buf, 3);
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream-Read-Fehler");
  }
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
  EXPECT_THROW(m.Seek(INT64_MAX, soEnd), EStreamError);
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
}

TEST(MemoryStream, CopyFromWholeSourceOrPart) {
  TStringStream src("0123456789");
  src.SetPosition(7);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 10);   // 0 copies all of it from the start
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(dst.Memory()), 10), "0123456789");
  src.SetPosition(2);
  TStringStream part;
  EXPECT_EQ(part.CopyFrom(src, 3), 3);
  EXPECT_EQ(part.DataString(), "234");
  src.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(src, 5), EReadError);
}

TEST_F(TempDir, FileStreamCreatesReadsAndSeeksPast4GiB) {
  AnsiString name = Path("big.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("head", 4);
    const Int64 far = (Int64(5) << 30) + 3;   // sparse file, beyond 32-bit offsets
    EXPECT_EQ(f.Seek(far, soBeginning), far);
    f.WriteBuffer("tail", 4);
    EXPECT_EQ(f.Size(), far + 4);
  }
  TFileStream f(name, fmOpenRead);
  char buf[5] = {};
  f.ReadBuffer(buf, 4);
  EXPECT_STREQ(buf, "head");
  f.Seek(-4, soEnd);
  f.ReadBuffer(buf, 4);
  EXPECT_STREQ(buf, "tail");
  EXPECT_EQ(f.Read(buf, 4), 0);
}

TEST_F(TempDir, FileStreamErrorsNameTheFile) {
  try {
    TFileStream f(Path("missing.txt"), fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + Path("missing.txt") + "\". No such file or directory");
  }
  EXPECT_THROW(TFileStream(Path("no/such/dir.txt"), fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(FDir, fmOpenRead), EFOpenError);
  { TFileStream f(Path("ro.txt"), fmCreate); }
  TFileStream ro(Path("ro.txt"), fmOpenRead | fmShareDenyNone);
  EXPECT_THROW(ro.WriteBuffer("x", 1), EWriteError);
}

struct ShareCase { Word First; Word Second; bool SecondOpens; };

TEST_F(TempDir, SharingModesBetweenTwoOpenersInOneProcess) {
  const ShareCase cases[] = {
      {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
      {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
      {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
      {fmOpenReadWrite | fmShareDenyNone, fmOpenRead | fmShareDenyWrite, false},
      {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
      {fmOpenRead | fmShareDenyNone, fmOpenRead | fmShareExclusive, false},
      {fmOpenRead | fmShareCompat, fmOpenRead | fmShareDenyNone, false},
      {fmOpenWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
      {fmOpenWrite | fmShareDenyRead, fmOpenWrite | fmShareDenyNone, true},
      {fmOpenReadWrite | fmShareDenyNone, fmCreate, false},
  };
  AnsiString name = Path("shared.dat");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.First << " then " << c.Second);
    { TFileStream init(name, fmCreate); init.WriteBuffer("data", 4); }
    auto first = std::make_unique<TFileStream>(name, c.First);
    if (c.SecondOpens) {
      EXPECT_NO_THROW(TFileStream(name, c.Second));
    } else {
      EXPECT_THROW(TFileStream(name, c.Second), EStreamError);
      EXPECT_EQ(FileSizeOf(name), 4);   // a refused create leaves the data alone
    }
    first.reset();
    EXPECT_NO_THROW(TFileStream(name, c.Second));   // the locks go with the closed opener
  }
}

TEST_F(TempDir, SharingConflictWithAnotherProcess) {
  AnsiString name = Path("locked.dat");
  { TFileStream init(name, fmCreate); }
  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int rc = 1;
    try {
      TFileStream mine(name, fmOpenReadWrite | fmShareExclusive);
      char c = 'r';
      if (write(toParent[1], &c, 1) == 1 && read(toChild[0], &c, 1) == 1) rc = 0;
    } catch (...) {
    }
    _exit(rc);
  }
  char c;
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  try {
    TFileStream other(name, fmOpenRead | fmShareDenyNone);
    ADD_FAILURE() << "opened a file another process holds exclusively";
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find("being used by another process"), std::string::npos) << e.Message();
  }
  ASSERT_EQ(write(toChild[1], "x", 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NO_THROW(TFileStream(name, fmOpenRead | fmShareExclusive));
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) close(fd);
}

}  // namespace
}  // namespace orv
