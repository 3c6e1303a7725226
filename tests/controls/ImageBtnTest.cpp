// The image button: the held picture while the mouse holds it, back outside and before the click,
// read from a window description.
#include "tests/controls/ControlsFixture.h"

#include "controls/ImageBtnUnit.h"
#include "platform/classes/ObjectText.h"

namespace orv::test {
namespace {

class TImageBtnForm : public TForm {
 public:
  explicit TImageBtnForm(TComponent* owner) : TForm(owner) {}
  TImageBtn* QuitBtn = nullptr;
  std::vector<std::string> Events;
  TImageBtn* Watched = nullptr;
  // What the click handler sees: the picture shown when it runs.
  void QuitBtnClick(TObject*) {
    Events.push_back("click " + std::to_string(QuitBtn->Picture()->Bitmap()->PixelRGB(0, 0)));
  }
};

// Two pictures in form data: 101 x 30 white ("up") and 90 x 20 black ("held").
AnsiString PictureData(int width, int height, COLORREF colour) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixelRGB(x, y, colour);
  TPicture picture;
  picture.Assign(&bitmap);
  TMemoryStream stream;
  picture.WriteData(stream);
  AnsiString hex;
  const auto* p = static_cast<const unsigned char*>(stream.Memory());
  static const char digits[] = "0123456789ABCDEF";
  for (Int64 i = 0; i < stream.Size(); ++i) {
    if (i % 32 == 0) hex += "\n      ";
    hex += digits[p[i] >> 4];
    hex += digits[p[i] & 15];
  }
  return hex;
}

class ImageBtnTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    RegisterClassType<TImageBtnForm, TForm>("TImageBtnForm")
        .Field("QuitBtn", &TImageBtnForm::QuitBtn)
        .Method("QuitBtnClick", &TImageBtnForm::QuitBtnClick);
    const AnsiString description =
        "object ImageBtnForm: TImageBtnForm\n  Width = 300\n  Height = 200\n"
        "  object QuitBtn: TImageBtn\n    Left = 8\n    Top = 6\n    Width = 101\n    Height = 30\n"
        "    Cursor = crHandPoint\n    AutoSize = True\n    Picture.Data = {" + PictureData(101, 30, 0xFFFFFF) +
        "}\n    Picture2.Data = {" + PictureData(90, 20, 0x000000) + "}\n    OnClick = QuitBtnClick\n  end\nend\n";
    FDescription = description;
    Form = MakeForm<TImageBtnForm>("TImageBtnForm", FDescription.c_str());
    Form->Show();
    Btn = Form->QuitBtn;
  }

  // Mouse events at a point of the button, through the form's window.
  void At(QEvent::Type type, QPoint p) { Mouse(Form->Widget(), type, p + QPoint(Btn->Left(), Btn->Top())); }
  COLORREF Shown() const { return Btn->Picture()->Bitmap()->PixelRGB(0, 0); }

  AnsiString FDescription;
  TImageBtnForm* Form = nullptr;
  TImageBtn* Btn = nullptr;
};

TEST_F(ImageBtnTest, HeldPictureShowsWhileTheMouseHoldsTheButton) {
  ASSERT_EQ(Shown(), 0xFFFFFFu);
  EXPECT_EQ(Btn->Width(), 101);
  EXPECT_EQ(Btn->Cursor(), crHandPoint);
  At(QEvent::MouseButtonPress, QPoint(10, 10));
  EXPECT_EQ(Shown(), 0u);
  EXPECT_TRUE(Btn->DownShown());
  EXPECT_EQ(Btn->Width(), 90) << "AutoSize follows the picture shown";
  At(QEvent::MouseButtonRelease, QPoint(10, 10));
  EXPECT_EQ(Shown(), 0xFFFFFFu);
  EXPECT_EQ(Btn->Width(), 101);
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click 16777215"})
      << "the normal picture is back before the click handler runs";
}

TEST_F(ImageBtnTest, DraggingOutAndBackSwapsThePicturesAndAReleaseOutsideDoesNotClick) {
  At(QEvent::MouseButtonPress, QPoint(10, 10));
  struct TStep {
    QPoint At;
    COLORREF Shown;
  };
  // Inside is 0 <= x < Width and 0 <= y < Height of the picture shown at the time.
  const TStep steps[] = {
    {QPoint(200, 10), 0xFFFFFF}, {QPoint(20, 10), 0x000000}, {QPoint(20, -1), 0xFFFFFF},
    {QPoint(89, 19), 0x000000},  {QPoint(90, 5), 0xFFFFFF},  {QPoint(5, 5), 0x000000},
  };
  for (const auto& s : steps) {
    At(QEvent::MouseMove, s.At);
    EXPECT_EQ(Shown(), s.Shown) << "at " << s.At.x() << "," << s.At.y();
  }
  At(QEvent::MouseMove, QPoint(150, 80));
  At(QEvent::MouseButtonRelease, QPoint(150, 80));
  EXPECT_EQ(Shown(), 0xFFFFFFu);
  EXPECT_TRUE(Form->Events.empty()) << "a release outside is no click";
  At(QEvent::MouseMove, QPoint(5, 5));
  EXPECT_EQ(Shown(), 0xFFFFFFu) << "moving without a held button swaps nothing";
}

TEST_F(ImageBtnTest, RepeatedPressKeepsTheFirstSavedPicture) {
  At(QEvent::MouseButtonPress, QPoint(10, 10));
  At(QEvent::MouseButtonPress, QPoint(10, 10));
  EXPECT_EQ(Shown(), 0u);
  At(QEvent::MouseButtonRelease, QPoint(10, 10));
  EXPECT_EQ(Shown(), 0xFFFFFFu) << "the normal picture, not the held one saved twice";
}

TEST_F(ImageBtnTest, WithoutAHeldPictureTheButtonShowsNothingWhileHeld) {
  auto* bare = new TImageBtn(Form);
  bare->SetParent(Form);
  bare->SetBounds(150, 100, 10, 10);
  TBitmap up(40, 12);
  bare->Picture()->Assign(&up);
  EXPECT_TRUE(bare->AutoSize());
  EXPECT_EQ(bare->Width(), 40);
  Mouse(Form->Widget(), QEvent::MouseButtonPress, QPoint(155, 105));
  EXPECT_EQ(bare->Picture()->Graphic(), nullptr);
  EXPECT_EQ(bare->Width(), 40) << "an empty picture keeps the size";
  Mouse(Form->Widget(), QEvent::MouseButtonRelease, QPoint(155, 105));
  ASSERT_NE(bare->Picture()->Graphic(), nullptr);
  EXPECT_EQ(bare->Picture()->Width(), 40);

  TPicture mine;
  TBitmap held(5, 5);
  mine.Assign(&held);
  bare->SetPicture2(&mine);
  mine.Assign(nullptr);
  EXPECT_EQ(bare->Picture2()->Width(), 5) << "Picture2 is a copy";
}

TEST_F(ImageBtnTest, WrittenDescriptionKeepsBothPictures) {
  const AnsiString text = WriteComponentToText(Form);
  EXPECT_NE(text.find("Picture2.Data"), AnsiString::npos);
  RegisterComponentResource("TImageBtnForm", text.c_str());
  auto* again = TCustomForm::Create<TImageBtnForm>(nullptr);
  FForms.push_back(again);
  EXPECT_EQ(again->QuitBtn->Picture2()->Width(), 90);
  EXPECT_EQ(again->QuitBtn->Picture()->Width(), 101);
}

}  // namespace
}  // namespace orv::test
