// Paged file: open modes and sharing, record counts from the file size, temporary exclusive
// access and byte-range locks between open files.
#include <fcntl.h>
#include <unistd.h>
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class PagedFile : public TTempDir {
 protected:
  std::unique_ptr<TPagedFile> Make(const std::string& name, TPagedFileMode mode, bool autoCreate = false) {
    auto f = std::make_unique<TPagedFile>(Path(name));
    f->SetMode(mode);
    f->SetAutoCreate(autoCreate);
    f->OpenFile();
    return f;
  }
};

TEST_F(PagedFile, MissingFile) {
  try {
    Make("none.dat", pfReadWriteOpen);
    FAIL() << "opened a missing file";
  } catch (const EDbfError&) {
    FAIL() << "the missing-file error is not a table error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Open: file not found: \"" + Path("none.dat") + "\".");
  }
  auto f = Make("none.dat", pfReadWriteOpen, true);
  EXPECT_EQ(f->Mode(), pfReadWriteCreate);
  EXPECT_TRUE(std::filesystem::exists(Path("none.dat")));
}

TEST_F(PagedFile, CreatingModesEmptyAnExistingFile) {
  for (TPagedFileMode mode : {pfExclusiveCreate, pfReadWriteCreate}) {
    WriteBytes("x.dat", std::vector<Byte>(100, 1));
    auto f = Make("x.dat", mode);
    EXPECT_EQ(f->StreamSize(), 0) << int(mode);
  }
}

TEST_F(PagedFile, RecordCountFromSize) {
  WriteBytes("x.dat", std::vector<Byte>(10, 1));
  auto f = Make("x.dat", pfReadWriteOpen);
  f->SetHeaderSize(32);
  f->SetRecordSize(8);
  EXPECT_EQ(f->RecordCount(), 0) << "a file shorter than its header has no records";
  WriteBytes("x.dat", std::vector<Byte>(32 + 8 * 3 + 1, 1));
  EXPECT_EQ(f->RecordCount(), 3) << "shared mode sees another writer's growth; the end byte is not a record";
}

TEST_F(PagedFile, SharingRules) {
  WriteBytes("s.dat", std::vector<Byte>(64, 0));
  {
    auto shared = Make("s.dat", pfReadWriteOpen);
    EXPECT_THROW(Make("s.dat", pfExclusiveOpen), EFOpenError);
    auto reader = Make("s.dat", pfReadOnly);
    auto another = Make("s.dat", pfReadWriteOpen);
  }
  {
    auto exclusive = Make("s.dat", pfExclusiveOpen);
    EXPECT_THROW(Make("s.dat", pfReadWriteOpen), EFOpenError);
    auto reader = Make("s.dat", pfReadOnly);
  }
}

TEST_F(PagedFile, TryExclusiveStaysSharedWhileOthersHoldTheFile) {
  WriteBytes("s.dat", std::vector<Byte>(64, 0));
  auto a = Make("s.dat", pfReadWriteOpen);
  {
    auto b = Make("s.dat", pfReadWriteOpen);
    a->TryExclusive();
    EXPECT_EQ(a->Mode(), pfReadWriteOpen);
    EXPECT_THROW(a->CheckExclusiveAccess(), EDbfError);
    a->EndExclusive();
  }
  a->TryExclusive();
  EXPECT_EQ(a->Mode(), pfExclusiveOpen);
  EXPECT_NO_THROW(a->CheckExclusiveAccess());
  a->EndExclusive();
  EXPECT_EQ(a->Mode(), pfReadWriteOpen);
  EXPECT_EQ(a->StreamSize(), 64) << "returning to shared mode must not truncate";
}

TEST_F(PagedFile, LocksConflictBetweenOpenFilesOnly) {
  WriteBytes("l.dat", std::vector<Byte>(64, 0));
  auto a = Make("l.dat", pfReadWriteOpen);
  auto b = Make("l.dat", pfReadWriteOpen);
  a->SetRecordSize(8);
  b->SetRecordSize(8);
  EXPECT_TRUE(a->LockPage(3, false));
  EXPECT_TRUE(a->LockPage(3, false)) << "the holder may lock again";
  EXPECT_FALSE(b->LockPage(3, false));
  EXPECT_TRUE(b->LockPage(4, false));
  {
    // Closing another descriptor of the same file keeps the locks (not process-wide locks).
    auto c = Make("l.dat", pfReadOnly);
  }
  EXPECT_FALSE(b->LockPage(3, false));
  a->UnlockPage(3);
  EXPECT_TRUE(b->LockPage(3, false));

  auto memory = std::make_unique<TPagedFile>("");
  memory->SetMode(pfMemoryCreate);
  memory->OpenFile();
  EXPECT_TRUE(memory->LockPage(1, false));
  auto ex = Make("e.dat", pfExclusiveCreate);
  EXPECT_TRUE(ex->LockPage(1, false)) << "exclusive files lock without asking the system";
}

// True when some open file other than fd holds a lock on the byte at offset.
bool LockedByOther(int fd, Int64 offset) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

TEST_F(PagedFile, LocksSitAtTheProtocolOffsets) {
  WriteBytes("o.dbf", std::vector<Byte>(600, 0));
  auto f = Make("o.dbf", pfReadWriteOpen);
  f->SetHeaderSize(64);
  f->SetRecordSize(16);
  int probe = ::open(Path("o.dbf").c_str(), O_RDONLY);
  ASSERT_GE(probe, 0);
  struct TCase { Integer Page; Int64 Offset; };
  const TCase cases[] = {{0, 0xEFFFFFFE}, {1, 0xEFFFFFFD}, {5, 0xEFFFFFFE - 5}, {100000, 0xEFFFFFFE - 100000}};
  for (const auto& c : cases) {
    ASSERT_TRUE(f->LockPage(c.Page, false));
    EXPECT_TRUE(LockedByOther(probe, c.Offset)) << "page " << c.Page;
    EXPECT_FALSE(LockedByOther(probe, c.Offset + 1)) << "page " << c.Page << " locks one byte";
    f->UnlockPage(c.Page);
    EXPECT_FALSE(LockedByOther(probe, c.Offset)) << "page " << c.Page;
  }
  // Memo and index files lock the page's real bytes.
  f->SetVirtualLocking(false);
  ASSERT_TRUE(f->LockPage(2, false));
  EXPECT_TRUE(LockedByOther(probe, 64 + 16));
  EXPECT_TRUE(LockedByOther(probe, 64 + 31));
  EXPECT_FALSE(LockedByOther(probe, 64 + 32));
  f->UnlockPage(2);
  ::close(probe);
}

TEST_F(PagedFile, ShortWriteIsAFailure) {
  auto f = Make("w.dat", pfReadWriteCreate);
  f->SetRecordSize(16);
  std::vector<Byte> rec(16, 'r');
  f->WriteRecord(1, rec.data());
  EXPECT_FALSE(f->WriteError());
  auto full = std::make_unique<TPagedFile>("/dev/full");
  full->SetMode(pfReadWriteOpen);
  full->OpenFile();
  full->SetRecordSize(16);
  full->WriteRecord(1, rec.data());
  EXPECT_TRUE(full->WriteError()) << "a write the disk refused was reported as success";
  full->ResetWriteError();
  EXPECT_FALSE(full->WriteError());
}

}  // namespace
}  // namespace orv::test
