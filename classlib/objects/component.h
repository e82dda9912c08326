#pragma once
// TPersistent and TComponent: assignment, ownership, names and free notification.
//
// An owner frees the components it owns, last first. Freeing a component tells everyone who asked
// (FreeNotification) and everything its owner owns (Notification with opRemove), so that no reference
// to it remains; a component that keeps a pointer to another component clears it there. Free() does
// all of this in BeforeDestruction, while the whole object is still alive; a plain `delete` does it in
// TComponent's destructor, where overrides of the derived class no longer run.
#include <functional>
#include <vector>

#include "classlib/objects/object.h"

class TFiler;
class TReader;
class TWriter;

class TPersistent : public TObject {
    KVR_CLASS(TPersistent, TObject)
public:
    TPersistent() = default;
    // Copies source into this object; raises EConvertError when neither side knows the other.
    virtual void Assign(TPersistent* source);
    virtual AnsiString GetNamePath();
    virtual TPersistent* GetOwner() { return nullptr; }
    // Declares the properties that the class streams itself (TFiler::DefineProperty).
    virtual void DefineProperties(TFiler& filer);

protected:
    virtual void AssignTo(TPersistent* dest);
};

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
    KVR_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    void BeforeDestruction() override;

    TComponent* Owner() const { return FOwner; }
    const AnsiString& Name() const { return FName; }
    // A valid identifier or empty; unique among the owner's components without regard to case.
    virtual void SetName(const AnsiString& value);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const; // raises EListError out of range
    int ComponentIndex() const;
    void SetComponentIndex(int value);
    TComponent* FindComponent(const AnsiString& name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    void Destroying();

    // Asks to be told (Notification with opRemove) when component is freed; either side may go first.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState ComponentState() const { return FComponentState; }
    void SetDesigning(bool value);
    void SetInline(bool value);

    // The streaming hooks: a component with a parent (a control) is written under it.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}
    // The components written inside this one; a root lists the components it owns that have no parent.
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
    virtual void SetChildOrder(TComponent*, int) {}

    AnsiString GetNamePath() override { return FName; }
    TPersistent* GetOwner() override { return FOwner; }

    // Called once after the stream (and the streams of its ancestor classes) was read.
    virtual void Loaded();
    // Called on the root of a load once every component it read has had its Loaded: a form's or data
    // module's OnCreate belongs here, after its data sets were opened by their own Loaded.
    virtual void LoadCompleted() {}
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    virtual void ValidateRename(TComponent* component, const AnsiString& curName, const AnsiString& newName);
    virtual void ValidateContainer(TComponent* component);
    virtual void ValidateInsert(TComponent*) {}

private:
    friend class TReader;
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void SetReference(bool enable);
    void TearDown();

    TComponent* FOwner = nullptr;
    AnsiString FName;
    int FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    bool FTornDown = false;
};

using TComponentClass = TClass;

// A valid identifier: a letter or "_", then letters, digits or "_".
bool IsValidIdent(const AnsiString& ident);
