// Byte-range locks between open files of one file: conflicts, the test for others' locks, release
// on unlock and on close of the holding file only.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include "platform/win/FileLocks.h"

namespace orv {
namespace {

TEST(FileLocks, OpenFileDescriptionLocks) {
  char name[] = "/tmp/orv_locks_XXXXXX";
  int a = mkstemp(name);
  ASSERT_GE(a, 0);
  int b = ::open(name, O_RDWR);
  EXPECT_EQ(LockFileRange(a, 0xEFFFFFFE, 1, false), lrLocked);
  EXPECT_EQ(LockFileRange(b, 0xEFFFFFFE, 1, false), lrViolation);
  EXPECT_EQ(LockFileRange(b, 0xEFFFFFFD, 1, false), lrLocked) << "neighbouring bytes are separate locks";
  // The test takes no lock and sees only other open files' locks, in any part of the range.
  EXPECT_TRUE(RangeLockedElsewhere(b, 0xEFFFFFFE, 1));
  EXPECT_TRUE(RangeLockedElsewhere(b, 0xEFFFFF00, 0x1000));
  EXPECT_FALSE(RangeLockedElsewhere(a, 0xEFFFFFFE, 1)) << "its own lock";
  EXPECT_FALSE(RangeLockedElsewhere(b, 0xEFFFFFFF, 16));
  EXPECT_EQ(LockFileRange(b, 0xEFFFFFFF, 16, false), lrLocked);
  EXPECT_TRUE(UnlockFileRange(b, 0xEFFFFFFF, 16));
  EXPECT_FALSE(RangeLockedElsewhere(-1, 0, 1));
  int c = ::open(name, O_RDONLY);
  ::close(c);  // closing another descriptor of the file keeps a's lock
  EXPECT_EQ(LockFileRange(b, 0xEFFFFFFE, 1, false), lrViolation);
  EXPECT_TRUE(UnlockFileRange(a, 0xEFFFFFFE, 1));
  EXPECT_EQ(LockFileRange(b, 0xEFFFFFFE, 1, true), lrLocked);
  ::close(b);  // closing the holder releases its locks
  EXPECT_EQ(LockFileRange(a, 0xEFFFFFFD, 1, false), lrLocked);
  EXPECT_EQ(LockFileRange(-1, 0, 1, false), lrFailed);
  ::close(a);
  std::remove(name);
}

}  // namespace
}  // namespace orv
