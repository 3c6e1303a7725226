// The component layer: TPersistent (assignment, stream-defined properties), TComponent (ownership,
// names, free notification, component state) and TCollection / TCollectionItem.
#pragma once
#include <functional>
#include <string_view>
#include <vector>
#include "platform/classes/Object.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypeInfo.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

class TFiler;
class TReader;
class TWriter;

// The application's exception handler: the forms layer sets it while an application exists, and
// layers beneath it hand it an exception they report rather than raise. Empty: nothing is reported.
// A plain pointer, set before any dynamic initialisation, so an application made at start-up keeps it.
using TExceptionHandler = void (*)(const std::exception&);
extern TExceptionHandler ApplicationHandleException;

// Errors of components: bad or duplicate names.
class EComponentError : public Exception { public: using Exception::Exception; };

class TPersistent : public TObject {
 public:
  // Copies source into this object. The default lets source->AssignTo(this) do it; when neither
  // side knows the other, EConvertError "%s kann nicht an %s zugewiesen werden" (source class, this
  // class; "nil" for no source).
  virtual void Assign(TPersistent* source);
  // Declares entries of the component stream beyond the published properties, through
  // filer.DefineProperty / DefineBinaryProperty. Overrides call the inherited step first.
  virtual void DefineProperties(TFiler& filer);
  // The object that owns this one in the stream's naming (a collection's owner, an item's
  // collection), or nullptr.
  virtual TPersistent* GetOwner() const { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
enum TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* child)>;

// Ownership: a component is owned by the component given to its constructor (or by nobody). The
// owner frees what it owns, exactly once, from the last to the first; a component freed on its own
// leaves its owner's list first. Every raw delete of a component is part of this model.
//
// Destruction order: C++ destroys the derived parts of an object before ~TComponent runs, so a
// class whose owned components reach back into it (children that know their parent) calls
// Destroying() and DestroyComponents() at the start of its own destructor.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  // Marks the component (and what it owns) as being destroyed, then deletes it.
  void Free();

  TComponent* Owner() const { return FOwner; }
  const AnsiString& Name() const { return FName; }
  // A name is empty or an identifier (letters, digits, "_"; no leading digit) unique among the
  // owner's components, case-insensitive. EComponentError
  // "'%s' ist kein gültiger Komponentenname" / "Eine Komponente namens %s existiert bereits".
  virtual void SetName(const AnsiString& name);
  Integer Tag() const { return FTag; }
  void SetTag(Integer tag) { FTag = tag; }

  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  // EListError "List index out of bounds (%d)" outside 0..ComponentCount()-1.
  TComponent* Components(Integer index) const;
  // Position in the owner's list, -1 without owner.
  Integer ComponentIndex() const;
  // Owned component by name, case-insensitive; nullptr for none or an empty name.
  TComponent* FindComponent(std::string_view name) const;
  // Takes over ownership of component (leaving its earlier owner); its name must be free here.
  // A designing owner makes the component designing too.
  void InsertComponent(TComponent* component);
  // Gives up ownership without freeing it.
  void RemoveComponent(TComponent* component);
  // Frees every owned component, the last first.
  void DestroyComponents();
  // Sets csDestroying on this component and everything it owns.
  void Destroying();

  TComponentState ComponentState() const { return FComponentState; }
  // Designing state of this component and, with children, of everything it owns.
  void SetDesigning(bool value, bool children = true);

  // component gets Notification(this, opRemove) when this component is destroyed, and the other
  // way round; the link is dropped when either side goes.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  // Called for every component inserted into or removed from the owner's tree and for free
  // notifications. The default passes the notification on to the owned components. A component
  // inserted by its constructor is still a bare TComponent then (its derived parts are not yet
  // built), and one removed by its destructor no longer has them.
  virtual void Notification(TComponent* component, TOperation operation);

  // Called once after a form description has been read and its references resolved; clears
  // csLoading. Overrides call the inherited step first.
  virtual void Loaded();
  // Reads this component's properties and children from reader (the default: reader.ReadData).
  virtual void ReadState(TReader& reader);
  // Writes this component (the default: writer.WriteData).
  virtual void WriteState(TWriter& writer);

  // The components written nested in this one. The default: for the root itself, the owned
  // components without a parent component. Windowed controls add their child controls.
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  // Components with a parent (controls) are written inside it; the reader sets the parent
  // through SetParentComponent before the component's properties are read.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent);

  // The interface of the object itself when the class does not override it.
  bool QueryInterface(const TGUID& iid, void** obj) override;

  // Used by the reader: component state while a description is read.
  void SetLoadingState(bool loading);
  void SetReadingState(bool reading);
  void SetWritingState(bool writing);

 protected:
  TComponentState FComponentState;

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void ClearOwnerField();
  void SetOwnerField();

  TComponent* FOwner = nullptr;
  AnsiString FName;
  Integer FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

class TCollection;

// An element of a collection; freeing it removes it from its collection.
class TCollectionItem : public TPersistent {
 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* collection);
  Integer Index() const;
  void SetIndex(Integer index);
  // Unique within the collection, never reused.
  Integer ID() const { return FID; }
  virtual AnsiString DisplayName() const;
  TPersistent* GetOwner() const override;

 protected:
  // Tells the collection the item (or with allItems, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An owned list of items of one class; the items are made by the factory given at construction.
class TCollection : public TPersistent {
 public:
  using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
  template <class TItem>
  static TItemFactory ItemsOf() {
    return [](TCollection* c) -> TCollectionItem* { return new TItem(c); };
  }

  TCollection(TPersistent* owner, TItemFactory itemFactory);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer index);
  void Delete(Integer index);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // EListError "List index out of bounds (%d)" outside 0..Count()-1.
  TCollectionItem* Items(Integer index) const;
  template <class TItem>
  TItem* ItemsAs(Integer index) const { return static_cast<TItem*>(Items(index)); }
  TCollectionItem* FindItemID(Integer id) const;
  TPersistent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }

  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  // Clears this collection and adds a copy (item->Assign) of each item of a source collection.
  void Assign(TPersistent* source) override;

 protected:
  // Called after a change of item (nullptr: of the whole collection) unless updates are held.
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TPersistent* FOwner = nullptr;
  TItemFactory FItemFactory;
  std::vector<TCollectionItem*> FItems;
  Integer FNextID = 0;
  Integer FUpdateCount = 0;
};

}  // namespace orv
