#include "foundation/libUDF.h"

#include <gtest/gtest.h>

namespace {
// Only a field's identity matters here: stand-ins that are never dereferenced.
alignas(8) char fieldA, fieldB, fieldC;
TField* const kFieldA = reinterpret_cast<TField*>(&fieldA);
TField* const kFieldB = reinterpret_cast<TField*>(&fieldB);
TField* const kFieldC = reinterpret_cast<TField*>(&fieldC);
} // namespace

TEST(LibUDFTest, EachUserDefinedFieldOwnsItsRelatedFields) {
    TUDFFields fields;
    TUDFField* first = fields.Add();
    first->UDFFieldName = "UDF01";
    first->QueryText = "SELECT MA002 FROM INVMA WHERE MA001 = :TA004";
    first->RelatedFields->Add()->LinkedFieldName = "TA004";
    TUDFField* second = fields.Add();
    ASSERT_EQ(fields.Count(), 2);
    EXPECT_EQ(fields.Items(0), first);
    EXPECT_EQ(fields.Items(1), second);
    ASSERT_NE(second->RelatedFields, nullptr);
    EXPECT_EQ(second->RelatedFields->Count(), 0);
    EXPECT_EQ(first->RelatedFields->Items(0)->LinkedFieldName, "TA004");
    EXPECT_EQ(first->RelatedFields->Items(0)->LinkedField, nullptr);
    // Deleting an item frees its related fields (the sanitizer build would report a leak).
    fields.Delete(0);
    EXPECT_EQ(fields.Items(0), second);
}

TEST(LibUDFTest, FindByFieldGivesTheFirstItemLinkedToTheField) {
    TUDFRelatedFields related;
    TUDFRelatedField* a = related.Add();
    a->LinkedField = kFieldA;
    TUDFRelatedField* b1 = related.Add();
    b1->LinkedField = kFieldB;
    TUDFRelatedField* b2 = related.Add();
    b2->LinkedField = kFieldB;
    related.Add(); // not linked yet

    EXPECT_EQ(related.FindByField(kFieldA), a);
    EXPECT_EQ(related.FindByField(kFieldB), b1);
    EXPECT_EQ(related.FindByField(kFieldC), nullptr);
    EXPECT_EQ(related.FindByField(nullptr), nullptr);
    related.Delete(1);
    EXPECT_EQ(related.FindByField(kFieldB), b2);
}
