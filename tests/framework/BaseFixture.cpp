#include "tests/framework/BaseFixture.h"

#include "classlib/dbctrls/dbctrls.h"

KVR_PUBLISHED(TdmBaseTest, c) {}

KVR_FORM_RESOURCE(TdmBaseTest, R"(inherited dmBaseTest: TdmBaseTest
  inherited cdsMain: TwwClientDataSet
    ProviderName = 'pvdMain'
    object cdsMainTA001: TStringField
      DisplayLabel = '代号'
      FieldName = 'TA001'
      Size = 4
    end
    object cdsMainTA002: TStringField
      DisplayLabel = '名称'
      FieldName = 'TA002'
      Size = 20
    end
    object cdsMainTA003: TFloatField
      DisplayLabel = '金额'
      FieldName = 'TA003'
    end
    object cdsMainTA004: TStringField
      DisplayLabel = '币种'
      FieldName = 'TA004'
      Size = 4
    end
    object cdsMainTA01: TFloatField
      FieldName = 'TA01'
    end
    object cdsMainTA011: TFloatField
      FieldName = 'TA011'
    end
    object cdsMainCREATOR: TStringField
      FieldName = 'CREATOR'
      Size = 10
    end
    object cdsMainUSR_GROUP: TStringField
      FieldName = 'USR_GROUP'
      Size = 10
    end
  end
end
)");

KVR_PUBLISHED(TfrmBaseTest, c) {
    c.Method("FormCreate", &TfrmBaseTest::FormCreate);
}

KVR_FORM_RESOURCE(TfrmBaseTest, R"(inherited frmBaseTest: TfrmBaseTest
  Width = 600
  Height = 400
  object edTA001: TDBEdit
    Left = 80
    Top = 40
    Width = 80
    Height = 21
    DataField = 'TA001'
    DataSource = dmBaseTest.dsMain
    TabOrder = 0
  end
  object edTA002: TDBEdit
    Left = 80
    Top = 70
    Width = 160
    Height = 21
    DataField = 'TA002'
    DataSource = dmBaseTest.dsMain
    TabOrder = 1
  end
  object edTA003: TDBEdit
    Left = 80
    Top = 100
    Width = 100
    Height = 21
    DataField = 'TA003'
    DataSource = dmBaseTest.dsMain
    TabOrder = 2
  end
end
)");

namespace {

Variant Row(const char* key, const char* name, double amount, const char* currency, const char* creator,
            const char* group) {
    return VarArrayOf({Variant(key), Variant(name), Variant(amount), Variant(currency), Variant(1.0),
                       Variant(2.0), Variant(creator), Variant(group)});
}

} // namespace

Variant BaseFormFixture::SysInfo() const {
    Variant info = VarArrayCreate({0, 1, 0, static_cast<int>(SysSettings.size()) - 1}, varVariant);
    int i = 0;
    for (const auto& [name, value] : SysSettings) {
        info.PutElement({0, i}, name);
        info.PutElement({1, i}, value);
        ++i;
    }
    return info;
}

Variant BaseFormFixture::CurrencyAnswer(const AnsiString& sql) const {
    for (const auto& [code, rows] : Currencies)
        if (sql.find("MF001='" + code + "'") != AnsiString::npos) return rows;
    return Variant();
}

TfrmBaseTest* BaseFormFixture::StartForm(const AnsiString& powerData, const AnsiString& exPower, Word mask) {
    Server = std::make_unique<TAppServerDouble>(0, Settings + "POWER_DATA=" + powerData +
                                                       "\r\nEX_POWER=" + exPower + "\r\n");
    Server->Server->OnValue("WhatIs", "20260105");
    Server->Server->OnValue("GetRecCount", 3);
    if (!FormatXml.empty()) Server->Server->OnValue("GetFormat", FormatXml);
    TMemoryAppServer* memory = Server->Schemes;
    Server->Server->On("AS_ApplyUpdates", [memory](TDispArgs args) { return memory->ApplyUpdates(args); });
    TMemoryProviderData& main = MainProvider();
    main.Fields = {{"TA001", ftString, 4, 0, {}},    {"TA002", ftString, 20, 0, {}},
                   {"TA003", ftFloat, 0, 0, {}},     {"TA004", ftString, 4, 0, {}},
                   {"TA01", ftFloat, 0, 0, {}},      {"TA011", ftFloat, 0, 0, {}},
                   {"CREATOR", ftString, 10, 0, {}}, {"USR_GROUP", ftString, 10, 0, {}}};
    main.KeyFields = "TA001";
    main.Rows = {Row("A1", "甲", 100, "USD", "DEMO", "IMP"), Row("A2", "乙", 200, "USD", "LIUF", "IMP"),
                 Row("A3", "丙", 300, "RMB", "ZHAO", "PUR")};
    Server->Schemes->Provider("pvdColor") = main;
    Server->ServeInProcess();
    BaseForm = new TfrmBaseTest(nullptr);
    BaseForm->SetModuleFileName("/opt/VORLAN/FWTEST01C.so");
    BaseForm->Broker->HostApp = Host;
    BaseForm->OperationMask = mask;
    BaseForm->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    BaseForm->Show();
    Application->ClearDialogs();
    return BaseForm;
}

std::vector<AnsiString> BaseFormFixture::DialogTexts() {
    std::vector<AnsiString> texts;
    for (const TDialogRecord& record : TakeDialogs())
        texts.push_back(record.Text);
    return texts;
}
