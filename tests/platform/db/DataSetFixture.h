// A people data set (NAME text, AGE integer, NOTE memo) over the in-memory engine, and helpers that
// read the browsing order back.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/platform/db/MemDataSet.h"

namespace orv::test {

class PeopleFixture : public ::testing::Test {
 protected:
  void SetUp() override { Define(Ds); }

  static void Define(TMemDataSet& ds) {
    ds.FieldDefs().Add("NAME", ftString, 12);
    ds.FieldDefs().Add("AGE", ftInteger);
    ds.FieldDefs().Add("NOTE", ftMemo);
  }

  void Fill(const std::vector<std::string>& names) {
    if (!Ds.Active()) Ds.Open();
    Integer age = 20;
    for (const auto& n : names) {
      Ds.Append();
      Ds.FieldByName("NAME")->SetAsString(n);
      Ds.FieldByName("AGE")->SetAsInteger(age++);
      Ds.Post();
    }
    Ds.First();
  }

  std::string Name() { return Ds.FieldByName("NAME")->AsString(); }

  std::string Forward() {
    std::string out;
    for (Ds.First(); !Ds.Eof(); Ds.Next()) out += Name() + " ";
    return out;
  }
  std::string Backward() {
    std::string out;
    for (Ds.Last(); !Ds.Bof(); Ds.Prior()) out += Name() + " ";
    return out;
  }

  TMemDataSet Ds;
};

}  // namespace orv::test
