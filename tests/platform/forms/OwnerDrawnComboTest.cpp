// The owner-drawn combo box: rows and the selection field painted through CN_DRAWITEM with the
// colours of a selected or an unselected item, OnDrawItem or the item text, and the row height.
#include "tests/platform/forms/FormsFixture.h"

#include <QAbstractItemView>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/StdCtrls.h"
#include "tests/platform/forms/ComboRowImage.h"

namespace orv::test {
namespace {

QColor Screen(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

class TDrawForm : public TForm {
 public:
  explicit TDrawForm(TComponent* owner) : TForm(owner) {}
};

struct TDrawn {
  Integer Index;
  TRect Rect;
  TOwnerDrawState State;
  TColor Brush, FontColor;
};

class OwnerDrawnComboTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TDrawForm, TForm>("TDrawForm");
    Form = MakeForm<TDrawForm>("TDrawForm", "object DrawForm: TDrawForm\n  Width = 300\n  Height = 200\nend\n");
    Combo = new TComboBox(Form);
    Combo->SetParent(Form);
    Combo->SetBounds(8, 8, 160, 24);
    Combo->SetStyle(csOwnerDrawFixed);
    for (const char* item : {"alpha", "beta", "gamma"}) Combo->Items().Add(item);
    Combo->SetItemIndex(1);
    Form->Show();
  }

  void Record() {
    Combo->OnDrawItem = [this](TWinControl*, Integer index, const TRect& rect, TOwnerDrawState state) {
      TCanvas& canvas = Combo->Canvas();
      Drawn.push_back({index, rect, state, canvas.Brush()->Color(), canvas.Font()->Color()});
      canvas.FillRect(rect);
    };
  }

  QImage DrawRow(int index, bool selected, QSize size = QSize(100, 16)) {
    return DrawComboRow(Combo, index, selected, size);
  }

  TDrawForm* Form = nullptr;
  TComboBox* Combo = nullptr;
  std::vector<TDrawn> Drawn;
};

TEST_F(OwnerDrawnComboTest, RowsAreDrawnByTheControlWithTheColoursOfTheirState) {
  Record();
  DrawRow(2, false, QSize(100, 16));
  DrawRow(0, true, QSize(100, 16));
  ASSERT_EQ(Drawn.size(), 2u);
  EXPECT_EQ(Drawn[0].Index, 2);
  EXPECT_EQ(Drawn[0].Rect, Rect(0, 0, 100, 16));
  EXPECT_FALSE(Drawn[0].State.Contains(odSelected));
  EXPECT_EQ(Drawn[0].Brush, Combo->Color()) << "an unselected row starts in the control's colour";
  EXPECT_EQ(Drawn[0].FontColor, Combo->Font().Color());
  EXPECT_TRUE(Drawn[1].State.Contains(odSelected));
  EXPECT_EQ(Drawn[1].Brush, clHighlight);
  EXPECT_EQ(Drawn[1].FontColor, clHighlightText);

  Combo->SetItemHeight(20);
  auto* qt = static_cast<QComboBox*>(Combo->Widget());
  EXPECT_EQ(qt->itemDelegate()->sizeHint(QStyleOptionViewItem(), qt->model()->index(0, 0)).height(), 20);
  Combo->SetStyle(csOwnerDrawVariable);
  Combo->OnMeasureItem = [](TWinControl*, Integer index, Integer& height) { height = 10 + index; };
  EXPECT_EQ(qt->itemDelegate()->sizeHint(QStyleOptionViewItem(), qt->model()->index(2, 0)).height(), 12);
}

TEST_F(OwnerDrawnComboTest, WithoutAHandlerTheItemTextIsDrawnOnTheFill) {
  const QImage selected = DrawRow(1, true);
  EXPECT_EQ(selected.pixelColor(0, 8), Screen(clHighlight));
  int text = 0;
  for (int x = 0; x < selected.width(); ++x)
    for (int y = 0; y < selected.height(); ++y) text += selected.pixelColor(x, y) == Screen(clHighlightText);
  EXPECT_GT(text, 5) << "the item text in the selected colour";
  EXPECT_EQ(DrawRow(1, false).pixelColor(0, 8), Screen(clWindow));
}

TEST_F(OwnerDrawnComboTest, SelectionFieldIsDrawnAsTheChosenItem) {
  Record();
  Combo->OnDrawItem = [this](TWinControl*, Integer index, const TRect& rect, TOwnerDrawState state) {
    Drawn.push_back({index, rect, state, 0, 0});
    Combo->Canvas().Brush()->SetColor(clLime);
    Combo->Canvas().FillRect(rect);
  };
  const QImage shot = Combo->Widget()->grab().toImage();
  ASSERT_FALSE(Drawn.empty());
  const TDrawn& field = Drawn.back();
  EXPECT_EQ(field.Index, 1);
  EXPECT_TRUE(field.State.Contains(odComboBoxEdit));
  EXPECT_GT(field.Rect.Width(), 100) << "the field spans the box but its arrow";
  const QPoint inside((field.Rect.Left + field.Rect.Right) / 2, (field.Rect.Top + field.Rect.Bottom) / 2);
  EXPECT_EQ(shot.pixelColor(inside), QColor(0, 255, 0));

  Combo->SetStyle(csDropDownList);
  Drawn.clear();
  (void)Combo->Widget()->grab();
  EXPECT_TRUE(Drawn.empty()) << "a plain pick list draws its own items";
}

}  // namespace
}  // namespace orv::test
