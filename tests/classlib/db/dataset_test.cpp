#include <functional>

#include "classlib/db/dsguard.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "dbfixture.h"

namespace {

struct TOperationCase {
    const char* Name;
    std::function<void(TClientDataSet*)> Prepare;
    std::function<void(TClientDataSet*)> Run;
    const char* Events;
    TDataSetState State;
};

void Nothing(TClientDataSet*) {}

TEST_F(TMasterDetailTest, OperationsRunTheirEventsInOrderAndLeaveTheirState) {
    const TOperationCase cases[] = {
        {"open", Nothing, [](TClientDataSet*) {}, "", dsBrowse},
        {"next", Nothing, [](TClientDataSet* d) { d->Next(); }, "BeforeScroll AfterScroll", dsBrowse},
        {"edit", Nothing, [](TClientDataSet* d) { d->Edit(); }, "BeforeEdit AfterEdit", dsEdit},
        {"edit twice", [](TClientDataSet* d) { d->Edit(); }, [](TClientDataSet* d) { d->Edit(); }, "",
         dsEdit},
        {"post a change",
         [](TClientDataSet* d) {
             d->Edit();
             d->FieldByName("TA018")->SetAsFloat(5);
         },
         [](TClientDataSet* d) { d->Post(); }, "BeforePost AfterPost", dsBrowse},
        {"post in browse is refused", Nothing,
         [](TClientDataSet* d) { EXPECT_THROW(d->Post(), EDatabaseError); }, "", dsBrowse},
        {"insert", Nothing, [](TClientDataSet* d) { d->Insert(); },
         "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll", dsInsert},
        {"append", Nothing, [](TClientDataSet* d) { d->Append(); },
         "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll", dsInsert},
        {"cancel an insert", [](TClientDataSet* d) { d->Insert(); }, [](TClientDataSet* d) { d->Cancel(); },
         "BeforeCancel BeforeScroll AfterCancel AfterScroll", dsBrowse},
        {"cancel an edit", [](TClientDataSet* d) { d->Edit(); }, [](TClientDataSet* d) { d->Cancel(); },
         "BeforeCancel AfterCancel", dsBrowse},
        {"delete", Nothing, [](TClientDataSet* d) { d->Delete(); },
         "BeforeDelete BeforeScroll AfterDelete AfterScroll", dsBrowse},
        {"scroll posts a changed row",
         [](TClientDataSet* d) {
             d->Edit();
             d->FieldByName("TA018")->SetAsFloat(5);
         },
         [](TClientDataSet* d) { d->Next(); }, "BeforePost AfterPost BeforeScroll AfterScroll", dsBrowse},
        {"scroll cancels an unchanged edit", [](TClientDataSet* d) { d->Edit(); },
         [](TClientDataSet* d) { d->Next(); }, "BeforeCancel AfterCancel BeforeScroll AfterScroll", dsBrowse},
        {"insert posts the edited row first",
         [](TClientDataSet* d) {
             d->Edit();
             d->FieldByName("TA018")->SetAsFloat(5);
         },
         [](TClientDataSet* d) { d->Insert(); },
         "BeforePost AfterPost BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll", dsInsert},
        {"first", Nothing, [](TClientDataSet* d) { d->First(); }, "BeforeScroll AfterScroll", dsBrowse},
        {"last", Nothing, [](TClientDataSet* d) { d->Last(); }, "BeforeScroll AfterScroll", dsBrowse},
        {"locate", Nothing, [](TClientDataSet* d) { d->Locate("TA002", "X3"); }, "BeforeScroll AfterScroll",
         dsBrowse},
        {"close while editing drops the edit", [](TClientDataSet* d) { d->Edit(); },
         [](TClientDataSet* d) { d->Close(); }, "BeforeClose AfterClose", dsInactive},
    };
    for (const TOperationCase& c : cases) {
        SCOPED_TRACE(c.Name);
        FillProvider(Provider());
        cdsMain->Close();
        FEvents->Hook(cdsMain);
        FEvents->Log.clear();
        cdsMain->Open();
        EXPECT_EQ(FEvents->Log, "BeforeOpen AfterOpen AfterScroll");
        c.Prepare(cdsMain);
        FEvents->Log.clear();
        c.Run(cdsMain);
        EXPECT_EQ(FEvents->Log, c.Events);
        EXPECT_EQ(cdsMain->State(), c.State);
    }
}

TEST_F(TMasterDetailTest, BofAndEofFollowTheClassLibraryRules) {
    cdsMain->Open();
    EXPECT_TRUE(cdsMain->Bof());
    EXPECT_FALSE(cdsMain->Eof());
    cdsMain->Prior(); // already at the beginning: no move
    EXPECT_TRUE(cdsMain->Bof());
    EXPECT_EQ(cdsMain->RecNo(), 1);
    cdsMain->Next();
    EXPECT_FALSE(cdsMain->Bof());
    EXPECT_FALSE(cdsMain->Eof());
    cdsMain->Next();
    EXPECT_FALSE(cdsMain->Eof()); // on the last row, but no move has failed yet
    cdsMain->Next();
    EXPECT_TRUE(cdsMain->Eof());
    EXPECT_EQ(cdsMain->RecNo(), 3);
    EXPECT_EQ(cdsMain->MoveBy(-5), -2);
    EXPECT_TRUE(cdsMain->Bof());
    cdsMain->Last();
    EXPECT_TRUE(cdsMain->Eof());
    EXPECT_FALSE(cdsMain->Bof());

    // Walking forward visits every row once; deleting from the end empties the set.
    int rows = 0;
    for (cdsMain->First(); !cdsMain->Eof(); cdsMain->Next())
        ++rows;
    EXPECT_EQ(rows, 3);
    cdsMain->Last();
    while (!cdsMain->Bof()) {
        cdsMain->Delete();
        cdsMain->Last();
    }
    EXPECT_TRUE(cdsMain->IsEmpty());
    EXPECT_TRUE(cdsMain->Bof() && cdsMain->Eof());
    cdsMain->First();
    EXPECT_TRUE(cdsMain->Bof() && cdsMain->Eof());
    EXPECT_THROW(cdsMain->Delete(), EDatabaseError);
}

class TAbortingHandlers : public TComponent {
public:
    using TComponent::TComponent;
    AnsiString SeenInValidate;
    void ValidateAmount(TField* field) {
        SeenInValidate = field->AsString();
        if (field->AsFloat() < 0) Abort();
    }
    void RefusePost(TDataSet*) { Abort(); }
    void FailPost(TDataSet* ds) { DatabaseError("no", ds); }
    void CancelNewLine(TDataSet* ds) { ds->Cancel(); }
};

TEST_F(TMasterDetailTest, SilentAbortInOnValidateKeepsTheOldValue) {
    auto* h = new TAbortingHandlers(FOwner);
    cdsMain->Open();
    cdsMain->FieldByName("TA018")->SetOnValidate(TFieldNotifyEvent(h, &TAbortingHandlers::ValidateAmount));
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(250);
    EXPECT_EQ(h->SeenInValidate, "250"); // the handler sees the new value
    EXPECT_THROW(cdsMain->FieldByName("TA018")->SetAsFloat(-1), EAbort);
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 250);
    EXPECT_EQ(cdsMain->State(), dsEdit);
    cdsMain->Post();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 250);
}

TEST_F(TMasterDetailTest, SilentAbortInBeforePostKeepsTheRowInEditing) {
    auto* h = new TAbortingHandlers(FOwner);
    cdsMain->Open();
    cdsMain->SetBeforePost(TDataSetNotifyEvent(h, &TAbortingHandlers::RefusePost));
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(9);
    EXPECT_THROW(cdsMain->Post(), EAbort);
    EXPECT_EQ(cdsMain->State(), dsEdit);
    EXPECT_TRUE(cdsMain->Modified());
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    // Leaving the row tries to post it and stops the same way: the cursor stays.
    EXPECT_THROW(cdsMain->Next(), EAbort);
    EXPECT_EQ(cdsMain->RecNo(), 1);
    cdsMain->Cancel();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 100);
}

TEST_F(TMasterDetailTest, PostErrorsGoThroughOnPostError) {
    struct THandler : TComponent {
        using TComponent::TComponent;
        TDataAction Action = daFail;
        int Calls = 0;
        void PostError(TDataSet*, EDatabaseError*, TDataAction& action) {
            ++Calls;
            action = Action;
        }
    };
    auto* h = new THandler(FOwner);
    cdsMain->Open();
    cdsMain->SetOnPostError(TDataSetErrorEvent(h, &THandler::PostError));
    cdsMain->FieldByName("TA001")->SetRequired(true);
    cdsMain->Edit();
    cdsMain->FieldByName("TA001")->Clear();
    try {
        cdsMain->Post();
        FAIL();
    } catch (const EAbort&) {
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsMain: Field 'TA001' must have a value");
    }
    h->Action = daAbort;
    EXPECT_THROW(cdsMain->Post(), EAbort);
    EXPECT_EQ(h->Calls, 2);
    EXPECT_EQ(cdsMain->State(), dsEdit);
}

TEST_F(TMasterDetailTest, CancelInOnNewRecordDropsTheNewRow) {
    auto* h = new TAbortingHandlers(FOwner);
    cdsMain->Open();
    cdsMain->SetOnNewRecord(TDataSetNotifyEvent(h, &TAbortingHandlers::CancelNewLine));
    cdsMain->Append();
    EXPECT_EQ(cdsMain->State(), dsBrowse);
    EXPECT_EQ(cdsMain->RecordCount(), 3);
}

TEST_F(TMasterDetailTest, FieldsAreFoundByNameAndKeepTheirOrder) {
    cdsMain->Open();
    EXPECT_EQ(cdsMain->FieldCount(), 5);
    EXPECT_EQ(cdsMain->FindField("ta002"), cdsMain->Fields()->Fields(1));
    EXPECT_EQ(cdsMain->FindField("nope"), nullptr);
    try {
        cdsMain->FieldByName("NOPE");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsMain: Field 'NOPE' not found");
    }
    TField* amount = cdsMain->FieldByName("TA018");
    amount->SetIndex(0);
    EXPECT_EQ(cdsMain->Fields()->Fields(0), amount);
    EXPECT_EQ(cdsMain->Fields()->Fields(1)->FieldName(), "TA001");
    EXPECT_EQ(amount->Index(), 0);
    EXPECT_THROW(amount->SetAsFloat(1), EDatabaseError); // not editing
    try {
        amount->SetAsFloat(1);
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsMain: Dataset not in edit or insert mode");
    }
}

TEST_F(TMasterDetailTest, PersistentFieldsDeclaredBeforeOpenBindToTheData) {
    auto* no = new TStringField(FOwner);
    no->SetName("cdsMainTA002");
    no->SetFieldName("TA002");
    no->SetSize(11);
    no->SetDataSet(cdsMain);
    auto* amount = new TFloatField(FOwner);
    amount->SetFieldName("TA018");
    amount->SetDisplayFormat("#,##0.00");
    amount->SetDataSet(cdsMain);
    auto* calc = new TStringField(FOwner);
    calc->SetFieldName("TA018C");
    calc->SetFieldKind(fkCalculated);
    calc->SetDataSet(cdsMain);
    struct TCalc : TComponent {
        using TComponent::TComponent;
        void Calc(TDataSet* ds) {
            ds->FieldByName("TA018C")->SetAsString(ds->FieldByName("TA002")->AsString() + "!");
        }
    };
    auto* h = new TCalc(FOwner);
    cdsMain->SetOnCalcFields(TDataSetNotifyEvent(h, &TCalc::Calc));
    cdsMain->Open();
    EXPECT_EQ(cdsMain->FieldCount(), 3); // only the declared fields
    EXPECT_EQ(calc->AsString(), "X1!");
    cdsMain->Next();
    EXPECT_EQ(calc->AsString(), "X2!");
    EXPECT_EQ(amount->DisplayText(), "200.00");
    EXPECT_EQ(amount->Text(), "200.00");
    amount->SetEditFormat("0");
    EXPECT_EQ(amount->Text(), "200");
    cdsMain->Close();
    EXPECT_EQ(cdsMain->FieldCount(), 3); // persistent fields stay
    auto* missing = new TStringField(FOwner);
    missing->SetFieldName("ZZZ");
    missing->SetDataSet(cdsMain);
    try {
        cdsMain->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsMain: Field 'ZZZ' not found");
    }
    EXPECT_FALSE(cdsMain->Active());
}

TEST_F(TMasterDetailTest, TextGoesThroughTheTextHandlers) {
    struct THandlers : TComponent {
        using TComponent::TComponent;
        void GetText(TField* f, AnsiString& text, bool display) {
            text = (display ? "<" : "[") + f->AsString() + (display ? ">" : "]");
        }
        void SetText(TField* f, const AnsiString& text) { f->SetAsString(UpperCase(text)); }
    };
    auto* h = new THandlers(FOwner);
    cdsMain->Open();
    TField* no = cdsMain->FieldByName("TA002");
    no->SetOnGetText(TFieldGetTextEvent(h, &THandlers::GetText));
    no->SetOnSetText(TFieldSetTextEvent(h, &THandlers::SetText));
    EXPECT_EQ(no->Text(), "[X1]");
    EXPECT_EQ(no->DisplayText(), "<X1>");
    cdsMain->Edit();
    no->SetText("abc");
    EXPECT_EQ(no->AsString(), "ABC");
}

TEST_F(TMasterDetailTest, StringFieldsRefuseTextLongerThanTheirSize) {
    cdsMain->Open();
    cdsMain->Edit();
    TField* type = cdsMain->FieldByName("TA001");
    type->SetAsString("ABCD");
    EXPECT_THROW(type->SetAsString("ABCDE"), EDatabaseError);
    EXPECT_EQ(type->AsString(), "ABCD");
    type->SetAsString("浏览"); // four bytes of code page 936
    EXPECT_EQ(type->AsString(), "浏览");
}

TEST_F(TMasterDetailTest, NumericFieldsConvertAndFormat) {
    cdsMain->Open();
    cdsMain->Edit();
    auto* amount = static_cast<TFloatField*>(cdsMain->FieldByName("TA018"));
    amount->SetAsString("1234.5");
    EXPECT_EQ(amount->AsInteger(), 1235);
    amount->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(amount->DisplayText(), "1,234.50");
    EXPECT_THROW(amount->SetAsString("12x"), EDatabaseError);
    EXPECT_EQ(amount->AsFloat(), 1234.5);
    amount->SetAsString("");
    EXPECT_TRUE(amount->IsNull());
    EXPECT_EQ(amount->DisplayText(), "");
    EXPECT_EQ(amount->Alignment(), taRightJustify);
}

TEST_F(TMasterDetailTest, LocateAndLookupFindRowsByKeyFields) {
    cdsMain->Open();
    EXPECT_TRUE(cdsMain->Locate("TA001;TA002", VarArrayOf({"A", "X2"})));
    EXPECT_EQ(cdsMain->RecNo(), 2);
    EXPECT_FALSE(cdsMain->Locate("TA002", "x3"));
    EXPECT_EQ(cdsMain->RecNo(), 2);
    EXPECT_TRUE(cdsMain->Locate("TA002", "x3", {loCaseInsensitive}));
    EXPECT_EQ(cdsMain->RecNo(), 3);
    EXPECT_TRUE(cdsMain->Locate("TA002", "X", {loPartialKey}));
    EXPECT_EQ(cdsMain->RecNo(), 1);
    EXPECT_TRUE(cdsMain->Locate("TA018", 300));
    EXPECT_EQ(cdsMain->Lookup("TA002", "X2", "TA018").AsFloat(), 200);
    EXPECT_TRUE(VarIsNull(cdsMain->Lookup("TA002", "X9", "TA018")));
    EXPECT_EQ(cdsMain->RecNo(), 3); // Lookup does not move
}

TEST_F(TMasterDetailTest, BookmarksReturnToTheirRow) {
    cdsMain->Open();
    cdsMain->Next();
    TBookmark mark = cdsMain->GetBookmark();
    cdsMain->Last();
    EXPECT_TRUE(cdsMain->BookmarkValid(mark));
    cdsMain->GotoBookmark(mark);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X2");
    cdsMain->Delete();
    EXPECT_FALSE(cdsMain->BookmarkValid(mark));
    EXPECT_THROW(cdsMain->GotoBookmark(mark), EDatabaseError);
    cdsMain->FreeBookmark(mark);
}

TEST_F(TMasterDetailTest, EventsAreSavedClearedAndRestoredByName) {
    FEvents->Hook(cdsMain);
    const char* names[] = {"AfterEdit",    "AfterInsert", "AfterOpen",  "AfterPost",    "BeforeEdit",
                           "BeforeInsert", "BeforeOpen",  "BeforePost", "BeforeScroll", "AfterScroll"};
    std::vector<TMethod> saved;
    for (const char* name : names) {
        saved.push_back(GetMethodProp(cdsMain, name));
        EXPECT_TRUE(saved.back().Assigned()) << name;
        SetMethodProp(cdsMain, name, TMethod());
    }
    cdsMain->Open();
    cdsMain->Next();
    EXPECT_EQ(FEvents->Log, ""); // all cleared (BeforeOpen too)
    for (std::size_t i = 0; i < std::size(names); ++i)
        SetMethodProp(cdsMain, names[i], saved[i]);
    cdsMain->Next();
    EXPECT_EQ(FEvents->Log, "BeforeScroll AfterScroll");
    EXPECT_EQ(GetPropText(cdsMain, "AfterScroll"), "AfterScroll");
    EXPECT_TRUE(IsPublishedProp(cdsMain, "OnCalcFields"));
    EXPECT_TRUE(IsPublishedProp(cdsMain, "OnReconcileError"));
    EXPECT_TRUE(IsPublishedProp(cdsMain, "OnPostError"));
}

TEST(DBFieldClasses, TheTwentySixStreamedClassesAreRegistered) {
    const auto& classes = DBFieldClasses();
    ASSERT_EQ(classes.size(), 26u);
    EXPECT_EQ(classes.front()->ClassName(), "TADTField");
    EXPECT_EQ(classes.back()->ClassName(), "TWordField");
    for (TClass cls : classes) {
        EXPECT_EQ(GetClass(cls->ClassName()), cls);
        EXPECT_TRUE(cls->InheritsFrom(TField::StaticClass()));
    }
    EXPECT_EQ(FieldClassOf(ftString), TStringField::StaticClass());
    EXPECT_EQ(FieldClassOf(ftDataSet), TDataSetField::StaticClass());
}

} // namespace

namespace {

TEST_F(TMasterDetailTest, InternalCalculatedAndLookupFields) {
    // The lines' quantity looked up by document number, and an internal total kept with each row.
    auto* lookup = new TClientDataSet(FOwner);
    lookup->FieldDefs()->Add("NO", ftString, 11);
    lookup->FieldDefs()->Add("NAME", ftString, 20);
    lookup->CreateDataSet();
    for (const char* no : {"X1", "X2"}) {
        lookup->Append();
        lookup->FieldByName("NO")->SetAsString(no);
        lookup->FieldByName("NAME")->SetAsString(AnsiString("name of ") + no);
        lookup->Post();
    }
    for (const char* name : {"TA001", "TA002", "TA018"}) {
        TField* f = std::string(name) == "TA018" ? static_cast<TField*>(new TFloatField(FOwner))
                                                 : static_cast<TField*>(new TStringField(FOwner));
        f->SetFieldName(name);
        f->SetDataSet(cdsMain);
    }
    auto* name = new TStringField(FOwner);
    name->SetFieldName("NAME");
    name->SetFieldKind(fkLookup);
    name->SetLookupDataSet(lookup);
    name->SetKeyFields("TA002");
    name->SetLookupKeyFields("NO");
    name->SetLookupResultField("NAME");
    name->SetDataSet(cdsMain);
    auto* twice = new TFloatField(FOwner);
    twice->SetFieldName("TWICE");
    twice->SetFieldKind(fkInternalCalc);
    twice->SetDataSet(cdsMain);
    struct TCalc : TComponent {
        using TComponent::TComponent;
        void Calc(TDataSet* ds) {
            ds->FieldByName("TWICE")->SetAsFloat(ds->FieldByName("TA018")->AsFloat() * 2);
        }
    };
    auto* h = new TCalc(FOwner);
    cdsMain->SetOnCalcFields(TDataSetNotifyEvent(h, &TCalc::Calc));
    cdsMain->Open();
    EXPECT_EQ(name->AsString(), "name of X1");
    EXPECT_EQ(twice->AsFloat(), 200);
    cdsMain->Last();
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(twice->AsFloat(), 600);
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(1);
    EXPECT_EQ(twice->AsFloat(), 2); // recalculated as the value changes
    cdsMain->Post();
    // Internal calculated values stay out of the delta and the packet.
    EXPECT_EQ(ReadPacketFields(cdsMain->Delta()).size(), 5u);
    EXPECT_EQ(ReadPacketFields(cdsMain->Data()).size(), 5u);
}

TEST(IntegerFields, AreClearedLikeEveryOtherField) {
    TClientDataSet data(nullptr);
    data.FieldDefs()->Add("QTY", ftInteger);
    data.CreateDataSet();
    data.Append();
    TField* qty = data.FieldByName("QTY");
    for (int way = 0; way < 3; ++way) {
        qty->SetAsInteger(5);
        if (way == 0) qty->Clear();
        if (way == 1) qty->SetValue(Null());
        if (way == 2) qty->SetAsString("");
        EXPECT_TRUE(qty->IsNull()) << way;
    }
}

} // namespace

TEST_F(TMasterDetailTest, AGuardPutsBackPositionHandlersAndControlsAfterAnException) {
    FEvents->Hook(cdsMain);
    cdsMain->Open();
    cdsMain->Next();
    FEvents->Log.clear();
    try {
        TDataSetGuard guard(cdsMain,
                            TDataSetGuard::dgControls | TDataSetGuard::dgPosition | TDataSetGuard::dgEvents);
        EXPECT_TRUE(cdsMain->ControlsDisabled());
        cdsMain->Last();
        EXPECT_EQ(FEvents->Log, ""); // the scroll handlers are off
        throw Exception("walk failed");
    } catch (const Exception&) {
    }
    EXPECT_FALSE(cdsMain->ControlsDisabled());
    EXPECT_EQ(cdsMain->RecNo(), 2);
    cdsMain->Next();
    EXPECT_EQ(FEvents->Log, "BeforeScroll AfterScroll"); // handlers back
}

TEST_F(TMasterDetailTest, AGuardOfNamedHandlersLeavesTheOthersAndMovesNothing) {
    FEvents->Hook(cdsMain);
    cdsMain->Open();
    FEvents->Log.clear();
    {
        TDataSetGuard guard(cdsMain, {"BeforeScroll", "NoSuchEvent", "FieldDefs"});
        cdsMain->Next();
        EXPECT_EQ(FEvents->Log, "AfterScroll");
        EXPECT_FALSE(cdsMain->ControlsDisabled());
    }
    EXPECT_EQ(cdsMain->RecNo(), 2); // no position kept: it stays where the work left it
    FEvents->Log.clear();
    cdsMain->Next();
    EXPECT_EQ(FEvents->Log, "BeforeScroll AfterScroll");
}
