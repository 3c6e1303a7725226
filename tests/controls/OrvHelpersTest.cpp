// The shared helpers of the extended controls: transparent and disabled drawing, the parent's
// background, text shortening, command tokens, file-name tests, memory helpers, queued messages,
// the "not implemented" report and the two screen cursors.
#include "tests/controls/ControlsFixture.h"

#include <filesystem>
#include <fstream>
#include "controls/OrvHelpers.h"
#include "platform/forms/Controls.h"
#include "platform/graphics/ImgList.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/WindowObjects.h"

namespace orv::test {
namespace {

std::unique_ptr<TBitmap> FilledBitmap(int w, int h, TColor colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

TColor At(TBitmap& b, int x, int y) { return static_cast<TColor>(b.PixelRGB(x, y)); }

class OrvHelpersTest : public ControlsTest {};

// ----- transparent drawing -----

TEST_F(OrvHelpersTest, MaskedStretchCopyLeavesTheTransparentColourOut) {
  // A red 2x2 square on magenta; the destination is blue.
  auto src = FilledBitmap(4, 4, clFuchsia);
  src->Canvas()->Brush()->SetColor(clRed);
  src->Canvas()->FillRect(Rect(1, 1, 3, 3));
  struct TCase {
    int W, H;
    std::vector<std::tuple<int, int, TColor>> Expect;
  };
  const TCase cases[] = {
      {4, 4, {{0, 0, clBlue}, {1, 1, clRed}, {2, 2, clRed}, {3, 3, clBlue}, {1, 3, clBlue}}},
      {8, 8, {{0, 0, clBlue}, {1, 1, clBlue}, {2, 2, clRed}, {5, 5, clRed}, {6, 6, clBlue}, {7, 2, clBlue}}},
  };
  for (const TCase& c : cases) {
    auto dest = FilledBitmap(c.W, c.H, clBlue);
    MaskedStretchCopy(dest->Canvas()->Handle(), 0, 0, c.W, c.H, src->Canvas()->Handle(), 0, 0, 4, 4, nullptr,
                      clFuchsia);
    for (auto [x, y, colour] : c.Expect)
      EXPECT_EQ(At(*dest, x, y), colour) << c.W << "x" << c.H << " at " << x << "," << y;
  }
}

TEST_F(OrvHelpersTest, StretchBitmapMaskedChoosesItsTransparentColour) {
  // Left half green, right half yellow, bottom-left pixel green.
  auto src = FilledBitmap(4, 2, clGreen);
  src->Canvas()->Brush()->SetColor(clYellow);
  src->Canvas()->FillRect(Rect(2, 0, 4, 2));
  struct TCase {
    const char* Name;
    TColor Transparent;
    TColor Left, Right;
  };
  const TCase cases[] = {
      {"none copies plainly", clNone, clGreen, clYellow},
      {"default is the bottom-left pixel", clDefault, clBlue, clYellow},
      {"a named colour", clYellow, clGreen, clBlue},
  };
  for (const TCase& c : cases) {
    auto dest = FilledBitmap(4, 2, clBlue);
    // Sizes below 1 take the bitmap's own.
    StretchBitmapMasked(*dest->Canvas(), *src, c.Transparent, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(At(*dest, 0, 0), c.Left) << c.Name;
    EXPECT_EQ(At(*dest, 3, 1), c.Right) << c.Name;
  }
  EXPECT_FALSE(src->Canvas()->LockCount()) << "the bitmap's canvas is unlocked again";
}

TEST_F(OrvHelpersTest, StretchBitmapMaskedTreatsWhiteOfAMonochromeBitmapAsTransparent) {
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  mono.Canvas()->SetPixels(1, 0, clWhite);
  int changes = 0;
  mono.OnChange = [&](TObject*) { ++changes; };
  auto dest = FilledBitmap(2, 1, clBlue);
  DrawBitmapPartTransparent(*dest->Canvas(), 0, 0, 2, 1, Rect(0, 0, 2, 1), mono, clRed);
  EXPECT_EQ(At(*dest, 0, 0), clBlack);
  EXPECT_EQ(At(*dest, 1, 0), clBlue);
  EXPECT_EQ(changes, 0) << "drawing from a bitmap reports no change of it";
}

// ----- disabled look -----

TEST_F(OrvHelpersTest, DisabledBitmapEmbossesTheOutlinePixels) {
  // One black pixel at (1, 1) on white.
  auto colour = FilledBitmap(4, 4, clWhite);
  colour->Canvas()->SetPixels(1, 1, clBlack);
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(4, 4);
  mono.Canvas()->Brush()->SetColor(clWhite);
  mono.Canvas()->FillRect(Rect(0, 0, 4, 4));
  mono.Canvas()->SetPixels(1, 1, clBlack);
  for (TBitmap* source : {colour.get(), &mono}) {
    SCOPED_TRACE(source->Monochrome() ? "monochrome" : "colour");
    auto out = MakeDisabledBitmap(*source, clBlack, clSilver, clWhite, clGray, true);
    EXPECT_EQ(out->Width(), 4);
    EXPECT_EQ(At(*out, 1, 1), clGray) << "the outline pixel in the shadow colour";
    EXPECT_EQ(At(*out, 2, 2), clWhite) << "its highlight one pixel down and right";
    EXPECT_EQ(At(*out, 0, 0), clSilver) << "everything else the back colour";
    EXPECT_EQ(At(*out, 3, 3), clSilver);
    auto flat = MakeDisabledBitmap(*source, clBlack, clSilver, clWhite, clGray, false);
    EXPECT_EQ(At(*flat, 2, 2), clSilver) << "no highlight without the flag";
    EXPECT_EQ(At(*flat, 1, 1), clGray);
  }
}

TEST_F(OrvHelpersTest, DisabledListImagePaintsTheOpaquePixels) {
  auto images = TCustomImageList::CreateSize(4, 4);
  auto image = FilledBitmap(4, 4, clFuchsia);
  image->Canvas()->SetPixels(1, 1, clRed);
  images->AddMasked(image.get(), clFuchsia);
  auto dest = FilledBitmap(8, 8, clBlue);
  dest->Canvas()->Brush()->SetColor(clAqua);
  DrawDisabledListImage(*images, *dest->Canvas(), 2, 2, 0, clWhite, clGray, true);
  EXPECT_EQ(At(*dest, 3, 3), clGray);
  EXPECT_EQ(At(*dest, 4, 4), clWhite);
  EXPECT_EQ(At(*dest, 2, 2), clBlue) << "transparent pixels leave the canvas alone";
  EXPECT_EQ(dest->Canvas()->Brush()->Color(), clAqua) << "the brush colour is restored";
}

// ----- the parent's background -----

class TTestBox : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  TColor Fill = clGreen;
  bool SawPaintCopy = false;
  int Paints = 0;
 protected:
  void Paint() override {
    ++Paints;
    SawPaintCopy = (ControlState() & csPaintCopy) != 0;
    Canvas().Brush()->SetColor(Fill);
    Canvas().FillRect(Rect(0, 0, Width(), Height()));
  }
};

class TTestParent : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  bool SawPaintCopy = false;
 protected:
  void Paint() override {
    SawPaintCopy = (ControlState() & csPaintCopy) != 0;
    Canvas().Brush()->SetColor(clYellow);
    Canvas().FillRect(Rect(8, 8, 12, 40));
  }
};

TEST_F(OrvHelpersTest, ParentBackgroundIsTheParentAndTheSiblingsBeforeTheControl) {
  auto* parent = new TTestParent(nullptr);
  parent->SetColor(clRed);
  parent->SetBounds(0, 0, 40, 40);
  auto* before = new TTestBox(parent);
  before->SetParent(parent);
  before->SetBounds(5, 5, 10, 10);
  auto* hidden = new TTestBox(parent);
  hidden->SetParent(parent);
  hidden->SetBounds(10, 10, 5, 5);
  hidden->Fill = clPurple;
  hidden->SetVisible(false);
  auto* control = new TTestBox(parent);
  control->SetParent(parent);
  control->SetBounds(10, 10, 20, 20);
  auto* after = new TTestBox(parent);
  after->SetParent(parent);
  after->SetBounds(12, 12, 4, 4);
  after->Fill = clBlue;

  auto dest = FilledBitmap(20, 20, clWhite);
  PaintParentBackground(control, *dest->Canvas());
  EXPECT_EQ(At(*dest, 3, 3), clGreen) << "the sibling before the control";
  EXPECT_EQ(At(*dest, 1, 10), clYellow) << "the parent's own painting";
  EXPECT_EQ(At(*dest, 15, 15), clRed) << "the parent's background colour";
  EXPECT_EQ(after->Paints, 0) << "siblings after the control are not painted";
  EXPECT_EQ(hidden->Paints, 0) << "hidden siblings are not painted";
  EXPECT_EQ(control->Paints, 0);
  EXPECT_TRUE(before->SawPaintCopy);
  EXPECT_TRUE(parent->SawPaintCopy);
  EXPECT_FALSE(parent->ControlState() & csPaintCopy) << "the marks are removed afterwards";
  EXPECT_FALSE(before->ControlState() & csPaintCopy);

  auto untouched = FilledBitmap(2, 2, clWhite);
  PaintParentBackground(parent, *untouched->Canvas());
  PaintParentBackground(nullptr, *untouched->Canvas());
  EXPECT_EQ(At(*untouched, 0, 0), clWhite) << "nothing without a parent";
  parent->Free();
}

// ----- text -----

TEST_F(OrvHelpersTest, ShortenTextCutsWithDotsUntilItFits) {
  auto b = FilledBitmap(10, 10, clWhite);
  TCanvas& canvas = *b->Canvas();
  canvas.Font()->SetName("DejaVu Sans");
  canvas.Font()->SetHeight(-11);
  const AnsiString longText = "A rather long caption for a small button";
  EXPECT_EQ(ShortenText("Send", canvas, 1000), "Send") << "a text that fits stays";
  EXPECT_EQ(ShortenText("W", canvas, 1), "...") << "one character that does not fit";
  EXPECT_EQ(ShortenText("", canvas, 0), "");
  const int max = canvas.TextWidth("A rather long");
  AnsiString cut = ShortenText(longText, canvas, max);
  EXPECT_LE(canvas.TextWidth(cut), max);
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_EQ(longText.rfind(cut.substr(0, cut.size() - 3), 0), 0u) << cut;
  // One character more before the dots would not fit.
  AnsiString longer = longText.substr(0, cut.size() - 2) + "...";
  EXPECT_GT(canvas.TextWidth(longer), max) << cut;
}

TEST_F(OrvHelpersTest, CommandTextTokens) {
  struct TCase {
    AnsiString Text;
    std::vector<AnsiString> Tokens;
    AnsiString First, Rest;
  };
  const TCase cases[] = {
      {"\"C:\\Program Files\\Orvinta\\orv.exe\" -send \"my list\" now",
       {"C:\\Program Files\\Orvinta\\orv.exe", "-send", "my list", "now"},
       "C:\\Program Files\\Orvinta\\orv.exe", "-send \"my list\" now"},
      {"  \t plain", {"plain"}, "plain", ""},
      {"\"\" a \"\" b", {"a", "b"}, "a", "b"},
      {"x\"y z\"w tail", {"xy zw", "tail"}, "xy zw", "tail"},
      {"\"unclosed quote", {"unclosed quote"}, "unclosed quote", ""},
      {"", {}, "", ""},
      {AnsiString("a\0b", 3), {"a"}, "a", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(CountCommandTokens(c.Text), static_cast<int>(c.Tokens.size()));
    for (std::size_t i = 0; i < c.Tokens.size(); ++i) EXPECT_EQ(CommandToken(c.Text, static_cast<int>(i)), c.Tokens[i]);
    EXPECT_EQ(CommandToken(c.Text, static_cast<int>(c.Tokens.size())), "") << "past the last token";
    AnsiString rest = "unset";
    EXPECT_EQ(SplitCommandText(c.Text, &rest), c.First);
    EXPECT_EQ(rest, c.Rest);
  }
  const AnsiString longToken(300, 'k');
  EXPECT_EQ(CommandToken("run " + longToken, 1), longToken) << "a token beyond 255 characters is kept whole";
  std::size_t next = 0;
  EXPECT_EQ(NextCommandToken("ab cd", 3, &next), "cd");
  EXPECT_EQ(next, 6u);
}

// ----- files -----

TEST_F(OrvHelpersTest, PathNamesAndFileTests) {
  const struct {
    AnsiString Name;
    bool Valid;
  } names[] = {{"", false},          {"a<b", false},  {"a>b", false},      {"say\"hi\"", false},
               {"list[1]", false},   {"x]", false},   {"pipe|", false},    {"wild*card?.txt", true},
               {"/tmp/mails.dat", true}};
  for (const auto& n : names) EXPECT_EQ(IsValidPathName(n.Name), n.Valid) << n.Name;
  EXPECT_TRUE(HasAnyOf("abc", "xc"));
  EXPECT_FALSE(HasAnyOf("abc", ""));

  const std::string dir = FDataDir + "Folder";
  std::filesystem::create_directory(dir);
  const std::string file = dir + "/Long File Name.txt";
  std::ofstream(file) << "x";
  EXPECT_TRUE(PathIsFolder(dir));
  EXPECT_TRUE(PathIsFolder(dir + "/"));
  EXPECT_FALSE(PathIsFolder(file));
  EXPECT_FALSE(PathIsFolder(dir + "/missing"));
  EXPECT_EQ(LongPathForm(file), "Long File Name.txt");
  EXPECT_EQ(ShortPathForm(file), "Long File Name.txt") << "no short names here: the long one stands in";
  EXPECT_EQ(LongPathForm(dir + "/missing.txt"), "");
  EXPECT_EQ(ShortPathForm(dir + "/missing.txt"), "");
}

// ----- memory -----

TEST_F(OrvHelpersTest, MemoryHelpers) {
  EXPECT_EQ(AllocZeroedBlock(0), nullptr);
  EXPECT_EQ(AllocZeroedBlock(-5), nullptr);
  void* block = AllocZeroedBlock(10);
  ASSERT_NE(block, nullptr);
  const Byte zeros[10] = {};
  EXPECT_TRUE(SameBytes(block, zeros, 10));
  FreeBlock(block);
  EXPECT_EQ(block, nullptr);
  FreeBlock(block);

  const Byte a[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (std::size_t diff = 0; diff < 9; ++diff) {
    Byte b[9];
    CopyBytes(b, a, 9);
    b[diff] ^= 0x40;
    EXPECT_FALSE(SameBytes(a, b, 9)) << "difference at " << diff;
    EXPECT_TRUE(SameBytes(a, b, diff)) << "equal before " << diff;
  }
  EXPECT_TRUE(SameBytes(nullptr, nullptr, 0));

  Byte overlap[6] = {1, 2, 3, 4, 5, 6};
  CopyBytes(overlap + 2, overlap, 4);
  EXPECT_EQ(std::vector<Byte>(overlap, overlap + 6), (std::vector<Byte>{1, 2, 1, 2, 3, 4}));
  EXPECT_EQ(OffsetPointer(overlap, 4), static_cast<void*>(overlap + 4));
  auto copy = NewCString("Orvinta");
  EXPECT_STREQ(copy.get(), "Orvinta");
  EXPECT_STREQ(NewCString("").get(), "");
}

// ----- messages, windows, the report -----

TEST_F(OrvHelpersTest, DiscardQueuedMessageTakesOneAndKeepsAQuit) {
  ClearMessageQueue();
  const UINT mine = WM_USER + 77;
  PostMessageA(HWND(), mine, 1, 0);
  PostMessageA(HWND(), mine, 2, 0);
  PostMessageA(HWND(), WM_USER + 78, 3, 0);
  DiscardQueuedMessage(HWND(), mine);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, HWND(), mine, mine, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u) << "the oldest one went";
  EXPECT_FALSE(PeekMessageA(&m, HWND(), mine, mine, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&m, HWND(), WM_USER + 78, WM_USER + 78, PM_NOREMOVE)) << "other numbers stay";
  ClearMessageQueue();

  PostQuitMessage(7);
  DiscardQueuedMessage(HWND(), WM_QUIT);
  ASSERT_TRUE(PeekMessageA(&m, HWND(), 0, 0, PM_REMOVE)) << "the quit message is posted again";
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  ClearMessageQueue();
}

TEST_F(OrvHelpersTest, ThreadOwnsActiveWindowFollowsTheActiveWindow) {
  const HWND previous = SetActiveWindowState(HWND());
  EXPECT_FALSE(ThreadOwnsActiveWindow()) << "no active window";
  auto* parent = new TTestParent(nullptr);
  SetActiveWindowState(parent->Handle());
  EXPECT_TRUE(ThreadOwnsActiveWindow());
  SetActiveWindowState(previous);
  parent->Free();
}

TEST_F(OrvHelpersTest, ReportNotImplementedInformsAndAbortsSilently) {
  Screen->SetCursor(crHourGlass);
  EXPECT_THROW(ReportNotImplemented(), EAbort);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  ASSERT_EQ(ColorDialogs.Asked.size(), 1u);
  EXPECT_EQ(ColorDialogs.Asked[0].Text, "Function not yet implemented");
  EXPECT_EQ(ColorDialogs.Asked[0].Flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(OrvHelpersTest, HandAndDragCursorsAreScreenCursors) {
  InitExtendedCursors();
  struct TCase {
    int Slot, HotX, HotY;
  };
  for (TCase c : {TCase{14000, 6, 16}, TCase{14001, 15, 16}}) {
    HCURSOR cursor = Screen->Cursors(c.Slot);
    ASSERT_TRUE(cursor) << c.Slot;
    ASSERT_EQ(cursor->Frames.size(), 1u);
    const QImage& image = cursor->Frames[0];
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(cursor->HotX, c.HotX);
    EXPECT_EQ(cursor->HotY, c.HotY);
    EXPECT_EQ(image.pixel(c.HotX, c.HotY), 0xFF000000u) << "the hot spot is on the drawing";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "outside the drawing is transparent";
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb p = image.pixel(x, y);
        EXPECT_TRUE(p == 0xFF000000u || p == 0xFFFFFFFFu || qAlpha(p) == 0) << "monochrome at " << x << "," << y;
      }
  }
  DoneExtendedCursors();
  EXPECT_FALSE(Screen->Cursors(14000));
  EXPECT_FALSE(Screen->Cursors(14001));
}

}  // namespace
}  // namespace orv::test
