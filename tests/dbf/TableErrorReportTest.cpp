// A table's reported error goes to the application's exception handler, and to nothing without one.
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "dbf/DbfTable.h"
#include "platform/classes/Classes.h"

namespace orv::test {
namespace {

class TReportingTable : public TDbfTable {
 public:
  using TDbfTable::InternalHandleException;
};

TEST(TableErrorReportTest, TheExceptionBeingHandledReachesTheApplicationHandler) {
  static std::vector<std::string> reported;
  const TExceptionHandler before = ApplicationHandleException;
  ApplicationHandleException = [](const std::exception& e) { reported.emplace_back(e.what()); };
  TReportingTable table;
  table.InternalHandleException();  // outside a handler: nothing to report
  try {
    throw Exception("Record is locked by another user.");
  } catch (...) {
    table.InternalHandleException();
  }
  try {
    throw 42;  // not an exception of ours
  } catch (...) {
    table.InternalHandleException();
  }
  ApplicationHandleException = nullptr;
  try {
    throw Exception("no handler");
  } catch (...) {
    table.InternalHandleException();
  }
  ApplicationHandleException = before;
  EXPECT_EQ(reported, std::vector<std::string>{"Record is locked by another user."});
}

}  // namespace
}  // namespace orv::test
