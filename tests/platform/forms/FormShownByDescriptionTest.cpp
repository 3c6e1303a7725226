// A form whose description says it is visible is shown once it is made, as a form shown by code is.
#include "tests/platform/forms/FormsFixture.h"

#include <QWidget>
#include "platform/classes/TypeInfo.h"

namespace orv::test {
namespace {

class TShownTestForm : public TForm {
 public:
  explicit TShownTestForm(TComponent* owner) : TForm(owner) {}
  int Shows = 0;
  void FormShow(TObject*) { ++Shows; }
};

class TQuietTestForm : public TForm {
 public:
  explicit TQuietTestForm(TComponent* owner) : TForm(owner) {}
};

class FormShownByDescriptionTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TShownTestForm, TForm>("TShownTestForm").Method("FormShow", &TShownTestForm::FormShow);
    RegisterComponentResource("TShownTestForm", "object ShownTestForm: TShownTestForm\n"
                                                "  Width = 240\n  Height = 120\n  Visible = True\n"
                                                "  OnShow = FormShow\nend\n");
    RegisterClassType<TQuietTestForm, TForm>("TQuietTestForm");
    RegisterComponentResource("TQuietTestForm", "object QuietTestForm: TQuietTestForm\n"
                                                "  Width = 240\n  Height = 120\nend\n");
  }
};

TEST_F(FormShownByDescriptionTest, VisibleInTheDescriptionShowsTheFormOnce) {
  auto* shown = TCustomForm::Create<TShownTestForm>(nullptr);
  EXPECT_TRUE(shown->Visible());
  EXPECT_TRUE(shown->Widget()->isVisible()) << "the description's Visible = True must show the window";
  EXPECT_EQ(shown->Shows, 1);
  shown->Free();

  auto* quiet = TCustomForm::Create<TQuietTestForm>(nullptr);
  EXPECT_FALSE(quiet->Visible());
  EXPECT_FALSE(quiet->HandleAllocated() && quiet->Widget()->isVisible());
  quiet->Free();
}

}  // namespace
}  // namespace orv::test
