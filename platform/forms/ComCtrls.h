// The common controls: page control with tab sheets, status bar with (owner-drawn) panels,
// progress bar, list view in report style, up-down, and the rich edit.
#pragma once
#include <QImage>
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/RichText.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Streams.h"

class QPainter;
class QTextEdit;
class QTabWidget;
class QTreeWidget;

namespace orv {

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* pageControl);
  // Position among the page control's sheets (hidden ones count).
  Integer PageIndex() const;
  void SetPageIndex(Integer index);
  // A sheet whose tab is hidden is neither shown nor chosen.
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  Integer TabIndex() const;
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer value) { FImageIndex = value; }
  void SetParent(TWinControl* parent) override;

 protected:
  void TextToWidget() override;
  void InitWidget() override;
  void UpdateWidgetGeometry() override {}
  void ApplyVisibility() override {}
  void DestroyWnd() override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = -1;
};

using TTabChangingEvent = TEvent<TObject*, bool&>;

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
  TTabSheet* Pages(Integer index) const { return FPages.at(static_cast<std::size_t>(index)); }
  TTabSheet* ActivePage() const;
  // Choosing by code fires no OnChange, as the user's choice does.
  void SetActivePage(TTabSheet* page);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer index);
  // The sheet after (or before) current among the visible ones, wrapping around.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
  void SelectNextPage(bool goForward);
  TRect AlignClientRect() const override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  QTabWidget* Tabs() const;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void AttachSheetWidget(TTabSheet* page);
  void DetachSheetWidget(TTabSheet* page);
  void SyncTabs();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  bool FSyncing = false;
};

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
 public:
  explicit TStatusPanel(TCollection* collection);
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& text);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer width);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle style);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel bevel);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment alignment);
  void Assign(TPersistent* source) override;

 private:
  AnsiString FText;
  Integer FWidth = 50;
  TStatusPanelStyle FStyle = psText;
  TStatusPanelBevel FBevel = pbLowered;
  TAlignment FAlignment = taLeftJustify;
};

class TStatusPanels : public TCollection {
 public:
  explicit TStatusPanels(TStatusBar* owner);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(Integer index) const { return ItemsAs<TStatusPanel>(index); }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TStatusBar* FStatusBar;
};

using TDrawPanelEvent = TEvent<TStatusBar*, TStatusPanel*, const TRect&>;

// The bar is drawn into a kept image: a repaint renders the panels into it (owner-drawn panels
// through OnDrawPanel) and shows it; drawing on Canvas outside a repaint paints over that image and
// shows it without rendering the panels again.
class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;
  TStatusPanels* Panels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* panels);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  const AnsiString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const AnsiString& text);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value) { FSizeGrip = value; }
  // The rectangle of a panel inside its bevel, in client coordinates.
  TRect PanelRect(Integer index) const;
  // Valid until the next repaint; see the class comment.
  TCanvas& Canvas();
  void Invalidate() override;
  void Repaint() override;
  // The kept image (for tests and screenshots).
  const QImage& Image() const { return FImage; }

  TDrawPanelEvent OnDrawPanel;

 protected:
  void PaintWindow(QPainter& painter) override;
  void DestroyWnd() override;

 private:
  void Render();
  void EndOutsidePaint();
  std::unique_ptr<TStatusPanels> FPanels;
  std::unique_ptr<TCanvas> FCanvas;
  QImage FImage;
  bool FImageValid = false;
  bool FSimplePanel = false;
  AnsiString FSimpleText;
  bool FSizeGrip = true;
  struct TOutsidePaint;
  std::unique_ptr<TOutsidePaint> FOutside;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  Integer Min() const { return FMin; }
  void SetMin(Integer value);
  Integer Max() const { return FMax; }
  void SetMax(Integer value);
  // Kept within Min..Max.
  Integer Position() const { return FPosition; }
  void SetPosition(Integer value);
  Integer Step() const { return FStep; }
  void SetStep(Integer value) { FStep = value; }
  void StepIt() { SetPosition(FPosition + FStep); }
  void StepBy(Integer delta) { SetPosition(FPosition + delta); }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool value) { FSmooth = value; }
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation value);

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void UpdateBar();

  Integer FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
  bool FSmooth = false;
  TProgressBarOrientation FOrientation = pbHorizontal;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange { ctText, ctImage, ctState };

class TListView;
class TListItems;

class TListColumn : public TCollectionItem {
 public:
  explicit TListColumn(TCollection* collection);
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer width);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment alignment);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value) { FAutoSize = value; }
  void Assign(TPersistent* source) override;

 private:
  AnsiString FCaption;
  Integer FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
};

class TListColumns : public TCollection {
 public:
  explicit TListColumns(TListView* owner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(Integer index) const { return ItemsAs<TListColumn>(index); }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TListView* FListView;
};

// A row: its caption (first column), sub-items (the next columns), selection and a pointer the
// program keeps with it. Valid until it is deleted or the list is cleared.
class TListItem {
 public:
  TListItem(TListItems& owner);
  ~TListItem();
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption);
  TStringList& SubItems() { return *FSubItems; }
  const TStringList& SubItems() const { return *FSubItems; }
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  void SetFocused(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  void* Data() const { return FData; }
  void SetData(void* data) { FData = data; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer value) { FImageIndex = value; }
  Integer Index() const;
  TListView* ListView() const;
  void Delete();
  void MakeVisible(bool partialOk);

 private:
  friend class TListItems;
  friend class TListView;
  void UpdateRow();
  TListItems& FOwner;
  AnsiString FCaption;
  std::unique_ptr<TStringList> FSubItems;
  bool FSelected = false;
  bool FChecked = false;
  void* FData = nullptr;
  Integer FImageIndex = -1;
};

class TListItems {
 public:
  explicit TListItems(TListView& owner) : FOwner(owner) {}
  ~TListItems();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TListItem* Item(Integer index) const;
  TListItem* operator[](Integer index) const { return Item(index); }
  TListItem* Add();
  TListItem* Insert(Integer index);
  void Delete(Integer index);
  void Clear();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  Integer IndexOf(const TListItem* item) const;
  TListView& Owner() const { return FOwner; }

 private:
  friend class TListItem;
  friend class TListView;
  TListView& FOwner;
  std::vector<std::unique_ptr<TListItem>> FItems;
  Integer FUpdateCount = 0;
};

using TLVChangeEvent = TEvent<TObject*, TListItem*, TItemChange>;
using TLVSelectItemEvent = TEvent<TObject*, TListItem*, bool>;

class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* owner);
  ~TListView() override;
  TListColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TListColumns* columns);
  TListItems& Items() { return *FItems; }
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle style) { FViewStyle = style; }
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value) { FRowSelect = value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value) { FHideSelection = value; }
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool value) { FGridLines = value; }
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool value) { FColumnClick = value; }
  // The first selected row in list order, or nullptr.
  TListItem* Selected() const;
  void SetSelected(TListItem* item);
  Integer SelCount() const;
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* item);
  // The next row after start (nullptr: from the first) that is selected.
  TListItem* GetNextSelected(TListItem* start) const;
  TListItem* GetItemAt(Integer x, Integer y) const;
  void ClearSelection();
  void SelectAll();

  TLVChangeEvent OnChange;
  TLVSelectItemEvent OnSelectItem;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void DestroyWnd() override;
  QTreeWidget* Tree() const;

 private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumns;
  void SyncColumns();
  void SyncAllRows();
  void RowInserted(Integer index);
  void RowRemoved(Integer index);
  void WidgetSelectionChanged();
  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  TViewStyle FViewStyle = vsIcon;
  bool FMultiSelect = false;
  bool FReadOnly = false;
  bool FRowSelect = false;
  bool FHideSelection = true;
  bool FGridLines = false;
  bool FShowColumnHeaders = true;
  bool FColumnClick = true;
  bool FSyncing = false;
  std::unique_ptr<QObject> FViewportFilter;
};

enum TUDBtnType { btNext, btPrev };
enum TUDOrientation { udHorizontal, udVertical };
using TUDClickEvent = TEvent<TObject*, TUDBtnType>;
using TUDChangingEvent = TEvent<TObject*, bool&>;

class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* owner);
  SmallInt Min() const { return FMin; }
  void SetMin(SmallInt value) { FMin = value; SetPosition(FPosition); }
  SmallInt Max() const { return FMax; }
  void SetMax(SmallInt value) { FMax = value; SetPosition(FPosition); }
  SmallInt Position() const { return FPosition; }
  void SetPosition(SmallInt value);
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer value) { FIncrement = value; }
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value) { FWrap = value; }
  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* control);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation value) { FOrientation = value; }
  // What a press of the up (btNext) or down (btPrev) arrow does: the position moves, then the
  // control reports SB_THUMBPOSITION to itself (CN_VSCROLL, or CN_HSCROLL when horizontal), whose
  // handling fires OnClick, and ends with SB_ENDSCROLL.
  void ClickButton(TUDBtnType button);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MessageHandler(TMessage& message) override;

  SmallInt FMin = 0, FMax = 100, FPosition = 0;
  // The arrow of the step being reported.
  TUDBtnType FClickedButton = btNext;
  Integer FIncrement = 1;
  bool FWrap = false;
  TWinControl* FAssociate = nullptr;
  TUDOrientation FOrientation = udVertical;
};

class TRichEdit;

// Character attributes of a rich edit: of its selection (the first selected character, or what
// typing at the caret produces), or its defaults (text typed where nothing else gives a format).
class TTextAttributes {
 public:
  TTextAttributes(TRichEdit& edit, bool selection) : FEdit(edit), FSelection(selection) {}
  AnsiString Name() const { return Get().Name; }
  void SetName(const AnsiString& value);
  Integer Size() const { return Get().Size; }
  void SetSize(Integer value);
  TColor Color() const { return Get().Color; }
  void SetColor(TColor value);
  TFontStyles Style() const { return Get().Style; }
  void SetStyle(TFontStyles value);
  TRichCharFormat Get() const;

 private:
  TRichEdit& FEdit;
  bool FSelection;
};

// Paragraph attributes of the paragraphs the selection touches (read from the first).
class TParaAttributes {
 public:
  explicit TParaAttributes(TRichEdit& edit) : FEdit(edit) {}
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle value);

 private:
  TRichEdit& FEdit;
};

// Rich text editor over a Qt rich text editor. Positions count one per character and one per
// paragraph or line break, as Lines, Text and the selection do; setting Text or Lines edits only
// what changed, so text inserted into a line takes that line's formatting. The background colour is
// the control's own, not part of the rich text. It takes the focus, so entering and leaving it fire
// OnEnter and OnExit.
class TRichEdit : public TCustomMemo {
 public:
  explicit TRichEdit(TComponent* owner);
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool value) { FPlainText = value; }
  bool HideScrollBars() const { return FHideScrollBars; }
  void SetHideScrollBars(bool value) { FHideScrollBars = value; }
  void SetReadOnly(bool value) override;
  void SetWordWrap(bool value) override;
  void SetScrollBars(TScrollStyle value) override;

  TTextAttributes& SelAttributes() { return FSelAttributes; }
  TTextAttributes& DefAttributes() { return FDefAttributes; }
  TParaAttributes& Paragraph() { return FParagraph; }

  // The whole content as rich text, and replacing it (no OnChange or OnSelectionChange).
  TRichDocument RichText() const;
  void SetRichText(const TRichDocument& document);
  // RTF, or plain text in the ANSI code page when PlainText is set (a load then takes the bytes as
  // text even when they hold RTF). Loading fires neither OnChange nor OnSelectionChange.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

  Integer SelStart() const override;
  void SetSelStart(Integer value) override;
  Integer SelLength() const override;
  void SetSelLength(Integer value) override;
  AnsiString SelText() const override;
  void SetSelText(const AnsiString& text) override;
  void SelectAll() override;
  void Clear() override;

  TNotifyEvent OnSelectionChange;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  AnsiString TextFromWidget() const override;

 private:
  friend class TTextAttributes;
  friend class TParaAttributes;
  QTextEdit* RichWidget() const;
  QTextEdit* EnsureWidget();
  void ApplyRichSelection(Integer start, Integer length);
  void SelectionMoved();
  // Merges the properties of format named by mask into the selection (or the caret's format).
  void MergeSelFormat(const TRichCharFormat& format, unsigned mask);
  void DefFormatChanged();

  bool FPlainText = false;
  bool FHideScrollBars = true;
  bool FLoading = false;
  Integer FReportedStart = -1, FReportedLength = -1;
  TRichCharFormat FDefFormat;
  TTextAttributes FSelAttributes{*this, true};
  TTextAttributes FDefAttributes{*this, false};
  TParaAttributes FParagraph{*this};
};

}  // namespace orv
