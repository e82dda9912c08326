#include <gtest/gtest.h>

#include "classlib/objects/lists.h"
#include "testclasses.h"

TEST(List, PointersAndBounds) {
    int a = 1, b = 2, c = 3;
    TList l;
    l.Add(&a);
    l.Add(&b);
    l.Insert(0, &c);
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[0], &c);
    EXPECT_EQ(l.IndexOf(&b), 2);
    EXPECT_EQ(l.Remove(&c), 0);
    EXPECT_EQ(l.Remove(&c), -1);
    l.Move(0, 1);
    EXPECT_EQ(l.First(), &b);
    l.Add(nullptr);
    l.Pack();
    EXPECT_EQ(l.Count(), 2);
    l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(l.Last(), &b);
    try {
        l.Get(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(l.Insert(-1, &a), EListError);
}

TEST(ObjectList, OwnsAndFreesItsObjects) {
    auto* l = new TObjectList;
    auto* kept = new TStringList;
    l->Add(new TStringList);
    l->Add(kept);
    l->Add(new TTestFont);
    EXPECT_EQ(l->Extract(kept), kept); // taken out, not freed
    l->Delete(0);                      // freed
    EXPECT_EQ(l->Count(), 1);
    l->Free(); // frees the font; ASan checks the rest
    delete kept;
    TObjectList borrowed(false);
    TStringList local;
    borrowed.Add(&local);
    borrowed.Clear();
}

TEST(Collection, ItemsOfItsClassOwnedAndMoved) {
    TOwnedCollection columns(nullptr, TTestColumn::StaticClass());
    auto* first = static_cast<TTestColumn*>(columns.Add());
    auto* second = static_cast<TTestColumn*>(columns.Add());
    first->SetCaption("A");
    second->SetCaption("B");
    EXPECT_EQ(columns.ItemClass(), TTestColumn::StaticClass());
    EXPECT_EQ(second->Index(), 1);
    EXPECT_EQ(columns.FindItemID(second->ID()), second);
    second->SetIndex(0);
    EXPECT_EQ(columns.Items(0), second);
    auto* inserted = columns.Insert(1);
    EXPECT_EQ(columns.Items(1), inserted);
    columns.Delete(1);
    EXPECT_EQ(columns.Count(), 2);
    TOwnedCollection copy(nullptr, TTestColumn::StaticClass());
    copy.Assign(&columns);
    EXPECT_EQ(static_cast<TTestColumn*>(copy.Items(0))->Caption(), "B");
    TOwnedCollection other(nullptr, TTestColumn::StaticClass());
    first->SetCollection(&other);
    EXPECT_EQ(columns.Count(), 1);
    EXPECT_EQ(other.Items(0), first);
    delete second; // an item freed alone leaves its collection
    EXPECT_EQ(columns.Count(), 0);
    EXPECT_THROW(columns.Items(0), EListError);
}

TEST(Stream, MemoryStringAndFileStreams) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    m.SetPosition(2);
    char buf[4] = {};
    EXPECT_EQ(m.Read(buf, 3), 3);
    EXPECT_EQ(AnsiString(buf, 3), "cde");
    EXPECT_EQ(m.Read(buf, 3), 1);
    EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
    m.Seek(0, soEnd);
    m.SetPosition(10);
    m.WriteBuffer("z", 1); // a gap is filled with zeros
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Memory()[7], '\0');
    m.SetSize(3);
    EXPECT_EQ(m.Position(), 3);
    TStringStream s("hello");
    EXPECT_EQ(s.ReadString(2), "he");
    s.WriteString("LLO!");
    EXPECT_EQ(s.DataString(), "heLLO!");
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(s, 0), 6);
    AnsiString file = ::testing::TempDir() + "stream_test.bin";
    copy.SaveToFile(file);
    {
        TFileStream f(file, fmOpenReadWrite);
        EXPECT_EQ(f.Size(), 6);
        f.Seek(0, soEnd);
        f.WriteBuffer("+", 1);
    }
    TMemoryStream back;
    back.LoadFromFile(file);
    EXPECT_EQ(AnsiString(back.Memory(), 7), "heLLO!+");
    std::remove(file.c_str());
    EXPECT_THROW(TFileStream(file, fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(::testing::TempDir() + "no/such/dir/x", fmCreate), EFCreateError);
}
