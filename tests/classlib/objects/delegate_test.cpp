#include <gtest/gtest.h>

#include "testclasses.h"

namespace {
struct THandlers : public TObject {
    void A(TObject*) { ++a; }
    void B(TObject*) { ++b; }
    int Twice(int x) const { return 2 * x; }
    int a = 0, b = 0;
};
} // namespace

TEST(Delegate, NullableCallableComparable) {
    THandlers h1, h2;
    TNotifyEvent empty;
    EXPECT_FALSE(empty);
    EXPECT_TRUE(empty == nullptr);
    EXPECT_THROW(empty(nullptr), EInvalidOperation);
    TNotifyEvent a1(&h1, &THandlers::A), a1again(&h1, &THandlers::A), b1(&h1, &THandlers::B),
        a2(&h2, &THandlers::A);
    EXPECT_TRUE(a1);
    EXPECT_EQ(a1, a1again);
    EXPECT_FALSE(a1 == b1); // same object, other member
    EXPECT_FALSE(a1 == a2); // same member, other object
    a1(nullptr);
    b1(nullptr);
    EXPECT_EQ(h1.a, 1);
    EXPECT_EQ(h1.b, 1);
    TNotifyEvent copy = b1;
    copy = nullptr;
    EXPECT_FALSE(copy);
    TDelegate<int(int)> twice(&h1, &THandlers::Twice);
    EXPECT_EQ(twice(21), 42);
    EXPECT_EQ(a1.Object(), &h1);
}

TEST(Delegate, SavedByNameAndRestoredIsTheSameHandler) {
    // What a data layer does around a bulk walk: save the named events, clear them, put them back.
    TTestForm form(nullptr);
    TTestControl control(nullptr);
    control.SetName("ctl");
    control.SetOnClick(TNotifyEvent(&form, &TTestForm::FormClick));
    control.SetOnKey(TTestKeyEvent(&form, &TTestForm::KeyHandler));
    const char* names[] = {"OnClick", "OnKey", "OnMissing"};
    std::vector<std::pair<AnsiString, TMethod>> saved;
    for (const char* n : names) {
        if (!IsPublishedProp(&control, n)) {
            saved.push_back({"", TMethod()});
            continue;
        }
        saved.push_back({n, GetMethodProp(&control, n)});
        SetMethodProp(&control, n, TMethod());
    }
    EXPECT_FALSE(control.OnClick());
    EXPECT_FALSE(control.OnKey());
    control.Click();
    EXPECT_TRUE(form.Clicks.empty());
    for (auto& [n, m] : saved)
        if (!n.empty()) SetMethodProp(&control, n, m);
    EXPECT_EQ(control.OnClick(), TNotifyEvent(&form, &TTestForm::FormClick));
    EXPECT_EQ(control.OnKey(), TTestKeyEvent(&form, &TTestForm::KeyHandler));
    control.Click();
    EXPECT_EQ(form.Clicks, std::vector<AnsiString>{"FormClick:ctl"});
    int key = 13;
    control.OnKey()(&control, key, false);
    EXPECT_EQ(key, 0);
}

TEST(Delegate, BoundByPublishedNameEqualsBoundInCode) {
    TfrmTestBase form(nullptr, false);
    TMethod byName = form.MethodAddress("BTNOKCLICK");
    ASSERT_TRUE(byName.Assigned());
    EXPECT_EQ(TNotifyEvent::FromMethod(byName), TNotifyEvent(&form, &TfrmTestBase::btnOKClick));
    EXPECT_EQ(form.MethodName(byName.Code), "btnOKClick");
    EXPECT_EQ(form.MethodName(TNotifyEvent(&form, &TTestForm::FormClick).Method().Code),
              "FormClick"); // inherited
    EXPECT_FALSE(form.MethodAddress("NoSuchMethod").Assigned());
    EXPECT_EQ(PublishedMethod<TNotifyEvent>(&form, "btnokclick"),
              TNotifyEvent(&form, &TfrmTestBase::btnOKClick));
    EXPECT_FALSE(PublishedMethod<TNotifyEvent>(&form, "NoSuchMethod"));
    EXPECT_FALSE(PublishedMethod<TNotifyEvent>(nullptr, "btnOKClick"));
    EXPECT_THROW(PublishedMethod<TTestKeyEvent>(&form, "btnOKClick"), EInvalidOperation);
    EXPECT_THROW(TTestKeyEvent::FromMethod(byName), EInvalidOperation); // another signature
    EXPECT_FALSE(TTestKeyEvent::FromMethod(TMethod()));
}
