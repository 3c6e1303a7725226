// The page control over QTabWidget: sheets in page order, hidden tabs, the active page and the
// change event for the user's choice of tab.
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include "platform/forms/ComCtrls.h"
#include "platform/forms/QtText.h"

namespace orv {

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  // A sheet paints itself in its colour, so that the controls on it that fill with the parent's
  // colour match it, whatever the style draws under the pages.
  FControlStyle |= csAcceptsControls | csOpaque;
  FVisible = true;
  FParentColor = true;
}

TTabSheet::~TTabSheet() {
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  auto* pc = dynamic_cast<TPageControl*>(parent);
  if (pc == FPageControl) return;
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  if (pc != nullptr) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

Integer TTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer index) {
  if (FPageControl == nullptr) return;
  auto& pages = FPageControl->FPages;
  pages.erase(std::find(pages.begin(), pages.end(), this));
  index = std::clamp<Integer>(index, 0, static_cast<Integer>(pages.size()));
  pages.insert(pages.begin() + index, this);
  FPageControl->SyncTabs();
}

Integer TTabSheet::TabIndex() const {
  if (FPageControl == nullptr || !FTabVisible) return -1;
  Integer index = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return index;
    if (p->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (FTabVisible == value) return;
  FTabVisible = value;
  if (FPageControl == nullptr) return;
  if (!value && FPageControl->FActivePage == this)
    FPageControl->SetActivePage(FPageControl->FindNextPage(this, true, true));
  FPageControl->SyncTabs();
}

void TTabSheet::TextToWidget() {
  if (FPageControl != nullptr) FPageControl->SyncTabs();
}

void TTabSheet::InitWidget() {
  if (FPageControl != nullptr) FPageControl->AttachSheetWidget(this);
}

void TTabSheet::DestroyWnd() {
  if (FPageControl != nullptr && HandleAllocated()) FPageControl->DetachSheetWidget(this);
  TWinControl::DestroyWnd();
}

// ----- TPageControl -----

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
  FControlStyle |= csAcceptsControls;
}

TPageControl::~TPageControl() {
  Destroying();
  // The sheets are children and go in the base destructor, after this part is gone.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

std::unique_ptr<IHostWidget> TPageControl::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QTabWidget>>(this, parentWidget);
}

QTabWidget* TPageControl::Tabs() const {
  return Host() != nullptr ? static_cast<QTabWidget*>(Host()->Widget()) : nullptr;
}

void TPageControl::InitWidget() {
  QTabWidget* tabs = Tabs();
  QObject::connect(tabs, &QTabWidget::currentChanged, [this](int index) { RunGuarded([&] {
    if (FSyncing || index < 0) return;
    QWidget* w = Tabs()->widget(index);
    for (TTabSheet* p : FPages) {
      if (p->HandleAllocated() && p->Host()->Widget() == w) {
        if (p == FActivePage) return;
        FActivePage = p;
        OnChange(this);
        return;
      }
    }
  }); });
  QObject::connect(tabs->tabBar(), &QTabBar::tabBarClicked, [this](int index) { RunGuarded([&] {
    bool allow = true;
    OnChanging(this, allow);
    (void)index;
  }); });
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  SyncTabs();
}

void TPageControl::InsertPage(TTabSheet* page) {
  page->FPageControl = this;
  // Until the tab widget lays it out, a sheet has the size of the page area under the tabs, so
  // its children's anchors are measured against that.
  if (page->FWidth == 0 && page->FHeight == 0) {
    page->FLeft = 4;
    page->FTop = 24;
    page->FWidth = std::max(FWidth - 8, 0);
    page->FHeight = std::max(FHeight - 28, 0);
  }
  FPages.push_back(page);
  if (FActivePage == nullptr && page->FTabVisible && !ComponentState().Contains(csLoading)) FActivePage = page;
  if (page->HandleAllocated()) AttachSheetWidget(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
  if (page->HandleAllocated()) DetachSheetWidget(page);
  FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
  page->FPageControl = nullptr;
  if (FActivePage == page) {
    FActivePage = nullptr;
    if (!ComponentState().Contains(csDestroying))
      for (TTabSheet* p : FPages)
        if (p->FTabVisible) { FActivePage = p; break; }
  }
  SyncTabs();
}

void TPageControl::AttachSheetWidget(TTabSheet* page) { (void)page; SyncTabs(); }

void TPageControl::DetachSheetWidget(TTabSheet* page) {
  QTabWidget* tabs = Tabs();
  if (tabs == nullptr || !page->HandleAllocated()) return;
  FSyncing = true;
  const int i = tabs->indexOf(page->Host()->Widget());
  if (i >= 0) tabs->removeTab(i);
  FSyncing = false;
}

void TPageControl::SyncTabs() {
  QTabWidget* tabs = Tabs();
  if (tabs == nullptr) return;
  FSyncing = true;
  // The tab widget holds the sheets with visible tabs, in page order.
  int position = 0;
  for (TTabSheet* p : FPages) {
    if (!p->HandleAllocated()) continue;
    QWidget* w = p->Host()->Widget();
    const int at = tabs->indexOf(w);
    if (!p->FTabVisible) {
      if (at >= 0) tabs->removeTab(at);
      w->hide();
      continue;
    }
    if (at != position) {
      if (at >= 0) tabs->removeTab(at);
      tabs->insertTab(position, w, ToQString(p->Caption()));
    } else {
      tabs->setTabText(position, ToQString(p->Caption()));
    }
    ++position;
  }
  if (FActivePage != nullptr && FActivePage->HandleAllocated() && FActivePage->FTabVisible)
    tabs->setCurrentWidget(FActivePage->Host()->Widget());
  FSyncing = false;
  // The tab widget shows a page it was given; keep ours in step when none was active.
  if (FActivePage == nullptr && tabs->currentIndex() >= 0) {
    QWidget* w = tabs->currentWidget();
    for (TTabSheet* p : FPages)
      if (p->HandleAllocated() && p->Host()->Widget() == w) FActivePage = p;
  }
}

TTabSheet* TPageControl::ActivePage() const { return FActivePage; }

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && page->FPageControl != this) return;
  if (page != nullptr && !page->FTabVisible) return;
  FActivePage = page;
  SyncTabs();
}

Integer TPageControl::ActivePageIndex() const { return FActivePage != nullptr ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer index) {
  if (index < 0 || index >= PageCount()) SetActivePage(nullptr);
  else SetActivePage(FPages[static_cast<std::size_t>(index)]);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
  if (FPages.empty()) return nullptr;
  const Integer count = PageCount();
  Integer start = current != nullptr ? current->PageIndex() : (goForward ? count - 1 : 0);
  if (start < 0) start = goForward ? count - 1 : 0;
  Integer i = start;
  for (Integer n = 0; n < count; ++n) {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* p = FPages[static_cast<std::size_t>(i)];
    if (p == current) break;
    if (!checkTabVisible || p->FTabVisible) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  TTabSheet* next = FindNextPage(FActivePage, goForward, true);
  if (next == nullptr || next == FActivePage) return;
  bool allow = true;
  OnChanging(this, allow);
  if (!allow) return;
  SetActivePage(next);
  OnChange(this);
}

TRect TPageControl::AlignClientRect() const { return ClientRect(); }

void TPageControl::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FActivePage) FActivePage = nullptr;
}

}  // namespace orv
