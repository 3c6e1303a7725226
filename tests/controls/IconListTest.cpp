// The icon list: change reports through nested updates, entries, resources, its "Icons" stream
// data with empty entries, and malformed data.
#include "tests/controls/ControlsFixture.h"
#include "tests/controls/IconFilesSupport.h"

#include "controls/IconList.h"
#include "platform/classes/Filer.h"

namespace orv::test {
namespace {

class IconListTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    List.OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, &List);
      ++Changes;
    };
  }
  static std::unique_ptr<TIcon> Icon(int size, TColor colour) {
    auto icon = std::make_unique<TIcon>();
    TStringStream in(IconFile(size, colour));
    icon->LoadFromStream(in);
    return icon;
  }
  TIconList List;
  int Changes = 0;
};

// Records what a filer is asked to store.
class TRecordingFiler : public TFiler {
 public:
  explicit TRecordingFiler(TStream& stream) : TFiler(stream) {}
  void DefineProperty(const AnsiString&, const TReaderProc&, const TWriterProc&, bool) override {}
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc&, const TStreamProc&, bool hasData) override {
    Name = name;
    Stored = hasData;
  }
  AnsiString Name;
  bool Stored = false;
};

TEST_F(IconListTest, ChangesAreReportedOncePerOutermostUpdate) {
  auto red = Icon(16, clRed);
  EXPECT_EQ(List.Add(red.get()), 0);
  EXPECT_EQ(Changes, 1);
  List.StartUpdate();
  List.StartUpdate();
  List.Add(red.get());
  List.Add(red.get());
  List.FinishUpdate();
  EXPECT_EQ(Changes, 1) << "nothing while an update runs";
  List.FinishUpdate();
  EXPECT_EQ(Changes, 2);
  List.Get(1)->Assign(nullptr);
  EXPECT_EQ(Changes, 3) << "a change of an icon is a change of the list";
  List.Clear();
  EXPECT_EQ(Changes, 4) << "clearing reports once";
  EXPECT_EQ(List.IconCount(), 0);
}

TEST_F(IconListTest, EntriesMoveAndAreFound) {
  auto red = Icon(16, clRed), blue = Icon(24, clBlue), lime = Icon(32, clLime);
  List.Add(red.get());
  List.Add(blue.get());
  List.Insert(0, lime.get());
  EXPECT_EQ(List.Get(0)->Width(), 32);
  List.Exchange(0, 2);
  EXPECT_EQ(List.Get(0)->Width(), 24);
  List.Move(0, 2);
  EXPECT_EQ(List.Get(2)->Width(), 24);
  TIcon* middle = List.Get(1);
  EXPECT_EQ(List.FindIconIndex(middle), 1);
  EXPECT_EQ(List.FindIconIndex(red.get()), -1) << "the list holds copies";
  List.Put(3, red.get());
  EXPECT_EQ(List.IconCount(), 4) << "putting at the count appends";
  List.Put(3, lime.get());
  EXPECT_EQ(List.Get(3)->Width(), 32);
  List.Delete(1);
  EXPECT_EQ(List.IconCount(), 3);
  EXPECT_THROW(List.Get(3), EListError);
  EXPECT_THROW(List.Delete(-1), EListError);
  EXPECT_THROW(List.Put(5, red.get()), EListError);
}

TEST_F(IconListTest, AssignTakesAListOrOneIcon) {
  auto red = Icon(16, clRed);
  for (int i = 0; i < 3; ++i) List.Add(red.get());
  Changes = 0;
  List.Assign(red.get());
  EXPECT_EQ(List.IconCount(), 1) << "an icon assigned to three entries leaves one";
  EXPECT_EQ(Changes, 1);
  TIconList other;
  other.Assign(&List);
  EXPECT_EQ(other.IconCount(), 1);
  EXPECT_NE(other.Get(0), List.Get(0));
  List.Assign(nullptr);
  EXPECT_EQ(List.IconCount(), 0);
  TBitmap bitmap;
  EXPECT_THROW(List.Assign(&bitmap), EConvertError);
}

TEST_F(IconListTest, ADescendantSeesEveryEntryComeAndGo) {
  class TCounting : public TIconList {
   public:
    int Add(TGraphic* graphic) override {
      ++Added;
      return TIconList::Add(graphic);
    }
    void Delete(int index) override {
      ++Deleted;
      TIconList::Delete(index);
    }
    int Added = 0, Deleted = 0;
  };
  auto red = Icon(16, clRed), blue = Icon(24, clBlue);
  List.Add(red.get());
  List.Add(blue.get());
  TCounting list;
  list.Assign(&List);
  EXPECT_EQ(list.Added, 2) << "a list is taken entry by entry";
  list.Clear();
  EXPECT_EQ(list.Deleted, 2);
  list.Assign(&List);
  list.Added = list.Deleted = 0;
  // One of its own icons, which clearing frees: it is taken before it goes.
  list.Assign(list.Get(1));
  EXPECT_EQ(list.Deleted, 2);
  EXPECT_EQ(list.Added, 1);
  ASSERT_EQ(list.IconCount(), 1);
  EXPECT_EQ(list.Get(0)->Width(), 24);
}

TEST_F(IconListTest, ResourceIconsComeFromTheModule) {
  RegisterIconResource(HInstance(), "ORV_LISTICON", [] {
    const std::string f = IconFile(20, clPurple);
    return std::vector<Byte>(f.begin(), f.end());
  }());
  EXPECT_EQ(List.AddResource(HInstance(), "orv_listicon"), 0);
  EXPECT_EQ(List.Get(0)->Width(), 20);
  List.InsertResource(0, HInstance(), "NO_SUCH_ICON");
  EXPECT_TRUE(List.Get(0)->Empty()) << "a missing resource gives an empty icon";
  EXPECT_EQ(Changes, 2);
}

TEST_F(IconListTest, StreamDataKeepsEmptyEntries) {
  auto red = Icon(16, clRed), blue = Icon(32, clBlue);
  TIcon empty;
  List.Add(&empty);
  List.Add(red.get());
  List.Add(&empty);
  List.Add(blue.get());
  TMemoryStream data;
  List.WriteToStream(data);
  const auto* bytes = static_cast<const Byte*>(data.Memory());
  EXPECT_EQ(bytes[0], 4);
  EXPECT_EQ(bytes[4], 0) << "an empty entry is written with size 0";
  data.SetPosition(0);
  TIconList back;
  int changes = 0;
  back.OnChange = [&](TObject*) { ++changes; };
  back.ReadFromStream(data);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(back.IconCount(), 4);
  EXPECT_EQ(back.Get(0), nullptr);
  EXPECT_EQ(back.Get(2), nullptr);
  EXPECT_EQ(back.Get(1)->Width(), 16);
  EXPECT_EQ(back.Get(3)->Width(), 32);
}

TEST_F(IconListTest, StreamDataIsStoredWhenItDiffers) {
  TMemoryStream stream;
  TRecordingFiler filer(stream);
  List.DefineProperties(filer);
  EXPECT_EQ(filer.Name, "Icons");
  EXPECT_FALSE(filer.Stored) << "an empty list";
  auto red = Icon(16, clRed);
  List.Add(red.get());
  List.DefineProperties(filer);
  EXPECT_TRUE(filer.Stored);
  TIconList ancestor;
  ancestor.Add(red.get());
  filer.SetAncestor(&ancestor);
  List.DefineProperties(filer);
  EXPECT_TRUE(filer.Stored) << "the ancestor's entry is another icon";
  filer.SetAncestor(&List);
  List.DefineProperties(filer);
  EXPECT_FALSE(filer.Stored) << "the same icons as the ancestor";
}

TEST_F(IconListTest, MalformedStreamData) {
  const std::string icon = IconFile(16, clRed);
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  const TCase readErrors[] = {
      {"no count", "\x01\x00"},
      {"a negative count", U32Bytes(0xFFFFFFFF)},
      {"more entries than bytes", U32Bytes(1000000)},
      {"an entry larger than the data", U32Bytes(1) + U32Bytes(static_cast<std::uint32_t>(icon.size() + 1)) + icon},
      {"a size cut short", U32Bytes(2) + U32Bytes(0) + "\x05"},
  };
  for (const TCase& c : readErrors) {
    TStringStream in(c.Bytes);
    EXPECT_THROW(List.ReadFromStream(in), EReadError) << c.Name;
  }
  TStringStream bad(U32Bytes(1) + U32Bytes(6) + std::string("\0\0\x03\0\x01\0", 6));
  EXPECT_THROW(List.ReadFromStream(bad), EInvalidGraphic) << "an entry that is no icon";
}

TEST_F(IconListTest, TheIconsOfOneListShareOneBudget) {
  auto entries = [](const std::vector<std::string>& icons) {
    std::string s = U32Bytes(static_cast<std::uint32_t>(icons.size()));
    for (const std::string& icon : icons) s += U32Bytes(static_cast<std::uint32_t>(icon.size())) + icon;
    return s;
  };
  // 128 x 128 and 8192 x 8191 pixels: each alone fits the 8192 x 8192 of one list, both do not.
  TStringStream tooMany(entries({IconFile(128, clRed), MonochromeIconFile(8192, 8191)}));
  try {
    List.ReadFromStream(tooMany);
    ADD_FAILURE() << "read " << List.IconCount() << " icons";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Icon image is too large");
  }
  TStringStream fitting(entries({MonochromeIconFile(64, 32), IconFile(128, clRed), MonochromeIconFile(64, 32)}));
  List.ReadFromStream(fitting);
  ASSERT_EQ(List.IconCount(), 3);
  EXPECT_EQ(List.Get(0)->Width(), 64);
  EXPECT_EQ(List.Get(2)->Height(), 32);
}

}  // namespace
}  // namespace orv::test
