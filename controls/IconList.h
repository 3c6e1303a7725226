// TIconList: a list of icons that tells its owner about every change and streams itself as one
// binary property, "Icons".
#pragma once
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Icon.h"

namespace orv {

// The list's operations are virtual, so a descendant sees every entry come and go, also those
// that Assign, Clear and the stream data add and remove.
class TIconList : public TPersistent {
 public:
  TIconList();
  ~TIconList() override;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  // Changes inside an update are reported once, when the outermost update finishes.
  void StartUpdate() { ++FUpdateCount; }
  void FinishUpdate();
  // Calls OnChange unless an update is running.
  virtual void NotifyChanged();

  // The icon of an entry; nullptr for an empty entry. Valid until the entry changes.
  virtual TIcon* Get(int index) const;
  virtual int IconCount() const { return static_cast<int>(FIcons.size()); }
  // An index equal to the count appends; an empty entry gets an icon; the icon assigns from graphic.
  virtual void Put(int index, TGraphic* graphic);
  // A new icon assigned from the graphic, appended; returns its index.
  virtual int Add(TGraphic* graphic);
  // A new icon with the module's icon resource of that name (empty when there is none).
  virtual int AddResource(HINSTANCE module, const AnsiString& name);
  virtual void Insert(int index, TGraphic* graphic);
  virtual void InsertResource(int index, HINSTANCE module, const AnsiString& name);
  virtual void Delete(int index);
  virtual void Clear();
  virtual void Exchange(int a, int b);
  virtual void Move(int from, int to);
  // The position of the icon object, or -1.
  virtual int FindIconIndex(const TIcon* icon) const;

  // nullptr clears; another icon list or an icon is copied; anything else is the assignment error.
  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler& filer) override;
  // The "Icons" data: a 32-bit count, then per entry a 32-bit size (0 or less: an empty entry) and
  // that many bytes of icon file. EReadError for counts and sizes the data cannot hold.
  virtual void ReadFromStream(TStream& stream);
  virtual void WriteToStream(TStream& stream);

  TNotifyEvent OnChange;

 private:
  std::unique_ptr<TIcon> NewIcon(TGraphic* graphic);
  std::unique_ptr<TIcon> NewResourceIcon(HINSTANCE module, const AnsiString& name);
  void CheckIndex(int index, bool allowEnd) const;
  std::vector<std::unique_ptr<TIcon>> FIcons;
  int FUpdateCount = 0;
};

}  // namespace orv
