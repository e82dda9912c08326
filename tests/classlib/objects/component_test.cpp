#include <gtest/gtest.h>

#include "testclasses.h"

namespace {

// Records what it is told, and forgets a watched component when told it goes.
class TWatcher : public TComponent {
public:
    explicit TWatcher(TComponent* owner) : TComponent(owner) {}
    void Watch(TComponent* c) {
        Target = c;
        c->FreeNotification(this);
    }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        Log.push_back((operation == opInsert ? "+" : "-") + component->Name());
        if (operation == opRemove && component == Target) Target = nullptr;
    }
    TComponent* Target = nullptr;
    std::vector<AnsiString> Log;
};

} // namespace

TEST(Component, OwnerFreesWhatItOwnsInOrder) {
    auto* owner = new TComponent(nullptr);
    auto* a = new TTestControl(owner);
    auto* b = new TTestTimer(owner);
    auto* c = new TTestControl(a); // owned by a, not by owner
    a->SetName("a");
    b->SetName("b");
    c->SetName("c");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(c->Owner(), a);
    EXPECT_EQ(owner->FindComponent("B"), b);
    EXPECT_EQ(owner->FindComponent("c"), nullptr);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    b->SetComponentIndex(0);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_THROW(owner->Components(2), EListError);
    owner->Free(); // frees a, b and (through a) c; ASan reports any leak or double free
}

TEST(Component, RemoveAndInsertMoveOwnership) {
    TComponent first(nullptr), second(nullptr);
    auto* x = new TTestTimer(&first);
    x->SetName("x");
    first.RemoveComponent(x);
    EXPECT_EQ(x->Owner(), nullptr);
    EXPECT_EQ(first.ComponentCount(), 0);
    second.InsertComponent(x);
    EXPECT_EQ(x->Owner(), &second);
    auto* clash = new TTestTimer(nullptr);
    clash->SetName("X");
    EXPECT_THROW(second.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), nullptr);
    delete clash;
}

TEST(Component, NamesFollowTheRules) {
    TComponent owner(nullptr);
    auto* a = new TTestTimer(&owner);
    auto* b = new TTestTimer(&owner);
    a->SetName("btnOK");
    struct Case {
        const char* name;
        bool valid;
    } cases[] = {{"_x1", true},  {"x", true},    {"", true},     {"1x", false},
                 {"a b", false}, {"a.b", false}, {"确定", false}};
    for (const Case& c : cases) {
        if (c.valid)
            EXPECT_NO_THROW(b->SetName(c.name)) << c.name;
        else
            EXPECT_THROW(b->SetName(c.name), EComponentError) << c.name;
    }
    try {
        b->SetName("BTNok");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named BTNok already exists");
    }
    a->SetName("BTNOK"); // a component may change the case of its own name
    EXPECT_EQ(a->Name(), "BTNOK");
    TTestTimer loose(nullptr);
    loose.SetName("BTNOK"); // without an owner there is nobody to clash with
}

TEST(Component, FreeNotificationLeavesNoDanglingReference) {
    auto* formA = new TComponent(nullptr);
    auto* formB = new TComponent(nullptr);
    auto* watcher = new TWatcher(formA);
    auto* target = new TTestTimer(formB);
    target->SetName("target");
    watcher->Watch(target);
    auto* control = new TTestControl(formA);
    control->SetLink(target); // the control asks for a free notification in its setter
    target->Free();
    EXPECT_EQ(watcher->Target, nullptr);
    EXPECT_EQ(control->Link(), nullptr);
    EXPECT_EQ(watcher->Log, (std::vector<AnsiString>{"+", "-target"})); // "+": the control arrived, unnamed
    // The other way round: the watcher goes first, and the target's later freeing tells nobody.
    auto* target2 = new TTestTimer(formB);
    watcher->Watch(target2);
    watcher->Free();
    target2->Free();
    formA->Free();
    formB->Free();
}

TEST(Component, OwnerTellsEverythingItOwnsOfInsertAndRemove) {
    TComponent owner(nullptr);
    auto* watcher = new TWatcher(&owner);
    auto* x = new TTestTimer(nullptr);
    x->SetName("x");
    owner.InsertComponent(x);
    x->Free();
    EXPECT_EQ(watcher->Log, (std::vector<AnsiString>{"+x", "-x"}));
}

TEST(Component, DestroyingStateAndPlainDelete) {
    struct TProbe : public TComponent {
        explicit TProbe(TComponent* owner, bool* sawDestroying) : TComponent(owner), Saw(sawDestroying) {}
        void BeforeDestruction() override {
            TComponent::BeforeDestruction();
            *Saw = ComponentState().Contains(csDestroying);
        }
        bool* Saw;
    };
    bool saw = false;
    auto* owner = new TComponent(nullptr);
    new TProbe(owner, &saw);
    owner->Free();
    EXPECT_TRUE(saw);
    // delete works as well, children included
    auto* other = new TComponent(nullptr);
    new TTestControl(other);
    delete other;
    TTestControl* p = new TTestControl(nullptr);
    FreeAndNil(p);
    EXPECT_EQ(p, nullptr);
    FreeAndNil(p); // nil is fine
}

TEST(Component, PublishedFieldsFollowNamesAndFreeing) {
    TfrmTestBase form(nullptr, false);
    auto* b = new TTestButton(&form);
    EXPECT_EQ(form.btnOK, nullptr);
    b->SetName("btnOK");
    EXPECT_EQ(form.btnOK, b);
    b->SetName("btnOther");
    EXPECT_EQ(form.btnOK, nullptr);
    b->SetName("btnOK");
    auto* wrongClass = new TTestTimer(&form);
    wrongClass->SetName("pnlTop"); // a field of another class is left alone
    EXPECT_EQ(form.pnlTop, nullptr);
    b->Free();
    EXPECT_EQ(form.btnOK, nullptr);
}

TEST(Persistent, AssignWithoutAWayRaises) {
    TTestFont a, b;
    a.SetName("宋体");
    b.Assign(&a);
    EXPECT_EQ(b.Name(), "宋体");
    TStringList list;
    try {
        b.Assign(&list);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TStringList to a TTestFont");
    }
}
