// The colour picker combo box: its colour list, the colour value and HTML colour writers, the
// "More..." entry through the colour dialog, and the drawing of an entry.
#include "controls/VorelColorComboBox.h"

#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

struct TEntry {
  TColor Color;
  // English, German, French; narrow text in the ANSI code page.
  const char* Names[3];
};

constexpr TEntry kEntries[TVorelColorComboBox::EntryCount] = {
  {0x000000, {"Black", "Schwarz", "Noir"}},
  {0x000080, {"Maroon", "Dunkelrot", "Rouge fonc\xE9"}},
  {0x008000, {"Green", "Gr\xFCn", "Vert"}},
  {0x008080, {"Olive", "Oliv", "Marron clair"}},
  {0x800000, {"Navy", "Dunkelblau", "Bleu fonc\xE9"}},
  {0x800080, {"Purple", "Purpur", "Violet"}},
  {0x808000, {"Teal", "Gr\xFCnblau", "Bleu-vert"}},
  {0x808080, {"Gray", "Grau", "Gris"}},
  {0xC0C0C0, {"Silver", "Silber", "Argent\xE9"}},
  {0x0000FF, {"Red", "Rot", "Rouge"}},
  {0x00FF00, {"Lime", "Hellgr\xFCn", "Vert"}},
  {0x00FFFF, {"Yellow", "Gelb", "Jaune"}},
  {0xFF0000, {"Blue", "Blau", "Bleu"}},
  {0xFF00FF, {"Fuchsia", "Rosa", "Fuchsia"}},
  {0xFFFF00, {"Aqua", "Hellblau", "Vert d'eau"}},
  {0xFFFFFF, {"White", "Wei\xDF", "Blanc"}},
  {0xFFFFFF, {"More...", "Mehr...", "Autres...."}},
};

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

}  // namespace

AnsiString ColorToHTML(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return "#" + IntToHex(GetRValue(rgb), 2) + IntToHex(GetGValue(rgb), 2) + IntToHex(GetBValue(rgb), 2);
}

TColor TVorelColorComboBox::EntryColor(Integer index) {
  if (index < 0 || index >= EntryCount) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return kEntries[index].Color;
}

AnsiString TVorelColorComboBox::EntryName(Integer index, TCLanguage language) {
  if (index < 0 || index >= EntryCount) return AnsiString();
  const int column = language == lgDeutsch ? 1 : (language == lgFrensh ? 2 : 0);
  return kEntries[index].Names[column];
}

TVorelColorComboBox::TVorelColorComboBox(TComponent* owner) : TComboBox(owner) {
  FStyle = csOwnerDrawFixed;
  FWidth = 120;
  FillList();
  SetItemIndex(0);
}

TVorelColorComboBox::~TVorelColorComboBox() = default;

void TVorelColorComboBox::FillList() {
  FItems->Clear();
  for (const TEntry& entry : kEntries) FItems->Add(ColorToString(entry.Color));
}

bool TVorelColorComboBox::ListIsComplete() const {
  if (FItems->Count() != EntryCount) return false;
  for (Integer i = 0; i < MoreIndex; ++i)
    if (FItems->Get(i) != ColorToString(kEntries[i].Color)) return false;
  return true;
}

void TVorelColorComboBox::Loaded() {
  TComboBox::Loaded();
  // A description that carried a list of its own cannot change the colours on offer.
  if (!ListIsComplete()) {
    FillList();
    SetColorValue(FColorValue);
  }
}

void TVorelColorComboBox::SetLanguage(TCLanguage value) {
  FLanguage = value;
  SetItemIndex(ItemIndex());
  Invalidate();
}

void TVorelColorComboBox::SetColorValue(TColor value) {
  const TColor previous = FColorValue;
  try {
    const AnsiString text = ColorToString(value);
    Integer found = -1;
    for (Integer i = 0; i < MoreIndex && i < FItems->Count(); ++i)
      if (FItems->Get(i) == text) found = i;
    if (found >= 0) {
      SetItemIndex(found);
    } else {
      FItems->Put(MoreIndex, text);
      SetItemIndex(MoreIndex);
    }
    FColorValue = value;
    SetHTMLcolor(ColorToHTML(value));
  } catch (const std::exception&) {
    FColorValue = previous;
  }
  Invalidate();
}

void TVorelColorComboBox::SetHTMLcolor(const AnsiString& text) {
  AnsiString t = UpperCase(text);
  if (t.empty()) t = "#000000";
  if (t.size() == 4 && t[0] == '#') t = AnsiString{'#', t[1], t[1], t[2], t[2], t[3], t[3]};
  if (t.size() != 7 || t[0] != '#') return;
  for (std::size_t i = 1; i < t.size(); ++i)
    if (!IsHexDigit(t[i])) return;
  auto byteAt = [&t](std::size_t i) { return static_cast<TColor>(HexValue(t[i]) * 16 + HexValue(t[i + 1])); };
  const TColor number = byteAt(1) | (byteAt(3) << 8) | (byteAt(5) << 16);
  if (number != FColorValue) SetColorValue(number);
  FHTMLcolor = t;
}

void TVorelColorComboBox::Change() {
  const Integer index = ItemIndex();
  if (index == MoreIndex) {
    auto* dialog = new TColorDialog(this);
    FColorDlg = dialog;
    struct TRelease {
      TVorelColorComboBox& Box;
      TColorDialog* Dialog;
      ~TRelease() {
        Box.FColorDlg = nullptr;
        Dialog->Free();
      }
    } release{*this, dialog};
    dialog->SetOptions(TColorDialogOptions{cdFullOpen});
    dialog->SetColor(FColorValue);
    if (dialog->Execute()) SetColorValue(dialog->Color());
  } else if (index >= 0 && index < MoreIndex) {
    SetColorValue(kEntries[index].Color);
  }
  TComboBox::Change();
}

void TVorelColorComboBox::DrawItem(Integer index, const TRect& rect, TOwnerDrawState /*state*/) {
  TCanvas& canvas = Canvas();
  const TColor remembered = canvas.Brush()->Color();
  canvas.FillRect(rect);

  TColor swatchColor = FColorValue;
  if (index != MoreIndex) {
    try {
      swatchColor = StringToColor(FItems->Get(index));
    } catch (const EConvertError&) {
      swatchColor = clBlack;  // an item text that names no colour; Loaded restores the list
    }
  }
  canvas.Brush()->SetColor(swatchColor);
  canvas.Pen()->SetColor(clBlack);
  canvas.Rectangle(Rect(rect.Left + 4, rect.Top + 1, 24, rect.Bottom - 1));

  TRect textRect = Rect(rect.Left + 30, rect.Top, rect.Right, rect.Bottom);
  const AnsiString name = index < EntryCount ? EntryName(index, FLanguage) : FItems->Get(index);
  canvas.Brush()->SetColor(remembered);
  DrawTextA(canvas.Handle(), name.c_str(), static_cast<int>(name.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace orv
