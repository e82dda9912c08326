// The query dialog's published members and its form stream: what the form loader reads to build it.
#include "classlib/objects/formloader.h"
#include "dialogs/QvQBE.h"

KVR_PUBLISHED(TQBEForm, c) {
    c.Field("Panel2", &TQBEForm::Panel2);
    c.Field("cbTopRow", &TQBEForm::cbTopRow);
    c.Field("pnlCondition", &TQBEForm::pnlCondition);
    c.Field("lblCondition", &TQBEForm::lblCondition);
    c.Field("ToolBar1", &TQBEForm::ToolBar1);
    c.Field("btnInsert", &TQBEForm::btnInsert);
    c.Field("btnOpen", &TQBEForm::btnOpen);
    c.Field("btnDelete", &TQBEForm::btnDelete);
    c.Field("ToolButton1", &TQBEForm::ToolButton1);
    c.Field("lstCondition", &TQBEForm::lstCondition);
    c.Field("edRename", &TQBEForm::edRename);
    c.Field("mnList", &TQBEForm::mnList);
    c.Field("ViewIcon", &TQBEForm::ViewIcon);
    c.Field("ViewSmallIcon", &TQBEForm::ViewSmallIcon);
    c.Field("ViewList", &TQBEForm::ViewList);
    c.Field("ViewReport", &TQBEForm::ViewReport);
    c.Field("ExtPageControl1", &TQBEForm::ExtPageControl1);
    c.Field("TabSheet1", &TQBEForm::TabSheet1);
    c.Field("sg1", &TQBEForm::sg1);
    c.Field("moMsgLNG", &TQBEForm::moMsgLNG);
    c.Field("TabSheet2", &TQBEForm::TabSheet2);
    c.Field("cboField", &TQBEForm::cboField);
    c.Field("CbOperator", &TQBEForm::CbOperator);
    c.Field("cboValue", &TQBEForm::cboValue);
    c.Field("ckbValue", &TQBEForm::ckbValue);
    c.Field("rgLogic", &TQBEForm::rgLogic);
    c.Field("BBClear", &TQBEForm::BBClear);
    c.Field("BbAssign", &TQBEForm::BbAssign);
    c.Field("Memo1", &TQBEForm::Memo1);
    c.Field("chkBody", &TQBEForm::chkBody);
    c.Field("Label1", &TQBEForm::Label1);
    c.Field("ListBox1", &TQBEForm::ListBox1);
    c.Field("ListBox2", &TQBEForm::ListBox2);
    c.Field("btnSortAdd", &TQBEForm::btnSortAdd);
    c.Field("btnSortRemove", &TQBEForm::btnSortRemove);
    c.Field("TabSheet3", &TQBEForm::TabSheet3);
    c.Field("cboField2", &TQBEForm::cboField2);
    c.Field("CbOperator2", &TQBEForm::CbOperator2);
    c.Field("cboValue2", &TQBEForm::cboValue2);
    c.Field("ckbValue2", &TQBEForm::ckbValue2);
    c.Field("rgLogic2", &TQBEForm::rgLogic2);
    c.Field("BBClear2", &TQBEForm::BBClear2);
    c.Field("BbAssign2", &TQBEForm::BbAssign2);
    c.Field("Memo2", &TQBEForm::Memo2);
    c.Field("Panel1", &TQBEForm::Panel1);
    c.Field("BBOK", &TQBEForm::BBOK);
    c.Field("BBCancel", &TQBEForm::BBCancel);
    c.Field("cdsTemp", &TQBEForm::cdsTemp);
    c.Field("cdsTemp2", &TQBEForm::cdsTemp2);
    c.Field("dsTemp", &TQBEForm::dsTemp);
    c.Field("dsTemp2", &TQBEForm::dsTemp2);
    c.Method("FormCreate", &TQBEForm::FormCreate);
    c.Method("FormActivate", &TQBEForm::FormActivate);
    c.Method("FormShow", &TQBEForm::FormShow);
    c.Method("FormClose", &TQBEForm::FormClose);
    c.Method("FormDestroy", &TQBEForm::FormDestroy);
    c.Method("FormKeyPress", &TQBEForm::FormKeyPress);
    c.Method("ExtPageControl1Change", &TQBEForm::ExtPageControl1Change);
    c.Method("cbTopRowKeyPress", &TQBEForm::cbTopRowKeyPress);
    c.Method("sg1SelectCell", &TQBEForm::sg1SelectCell);
    c.Method("sg1PickListClick", &TQBEForm::sg1PickListClick);
    c.Method("sg1ValidateEdit", &TQBEForm::sg1ValidateEdit);
    c.Method("sg1KeyDown", &TQBEForm::sg1KeyDown);
    c.Method("sg1KeyPress", &TQBEForm::sg1KeyPress);
    c.Method("sg1CalcCellColors", &TQBEForm::sg1CalcCellColors);
    c.Method("sg1MouseDown", &TQBEForm::sg1MouseDown);
    c.Method("cboFieldChange", &TQBEForm::cboFieldChange);
    c.Method("cboField2Change", &TQBEForm::cboField2Change);
    c.Method("ForFloatKeyPress", &TQBEForm::ForFloatKeyPress);
    c.Method("cboValueExit", &TQBEForm::cboValueExit);
    c.Method("DateFieldDBComboDlgExit", &TQBEForm::DateFieldDBComboDlgExit);
    c.Method("cboFieldDrawItem", &TQBEForm::cboFieldDrawItem);
    c.Method("ListBox1MouseMove", &TQBEForm::ListBox1MouseMove);
    c.Method("ListBox2MouseDown", &TQBEForm::ListBox2MouseDown);
    c.Method("ListBox2MouseUp", &TQBEForm::ListBox2MouseUp);
    c.Method("TabSheet2MouseMove", &TQBEForm::TabSheet2MouseMove);
    c.Method("BbAssignClick", &TQBEForm::BbAssignClick);
    c.Method("BbAssign2Click", &TQBEForm::BbAssign2Click);
    c.Method("BBClearClick", &TQBEForm::BBClearClick);
    c.Method("BBClear2Click", &TQBEForm::BBClear2Click);
    c.Method("Memo1Change", &TQBEForm::Memo1Change);
    c.Method("Memo2Change", &TQBEForm::Memo2Change);
    c.Method("chkBodyClick", &TQBEForm::chkBodyClick);
    c.Method("ListBox1DblClick", &TQBEForm::ListBox1DblClick);
    c.Method("ListBox2DblClick", &TQBEForm::ListBox2DblClick);
    c.Method("BBOKClick", &TQBEForm::BBOKClick);
    c.Method("DoCondition", &TQBEForm::DoCondition);
    c.Method("btnInsertClick", &TQBEForm::btnInsertClick);
    c.Method("btnOpenClick", &TQBEForm::btnOpenClick);
    c.Method("btnDeleteClick", &TQBEForm::btnDeleteClick);
    c.Method("lstConditionKeyDown", &TQBEForm::lstConditionKeyDown);
    c.Method("edRenameKeyPress", &TQBEForm::edRenameKeyPress);
    c.Method("edRenameExit", &TQBEForm::edRenameExit);
    c.Method("ToolButton1Click", &TQBEForm::ToolButton1Click);
    c.Method("ViewIconExecute", &TQBEForm::ViewIconExecute);
    c.Method("ViewSmallIconExecute", &TQBEForm::ViewSmallIconExecute);
    c.Method("ViewListExecute", &TQBEForm::ViewListExecute);
    c.Method("ViewReportExecute", &TQBEForm::ViewReportExecute);
}

KVR_FORM_RESOURCE(TQBEForm, R"(inherited QBEForm: TQBEForm
  BorderStyle = bsDialog
  Caption = '设置查询条件'
  ClientHeight = 443
  ClientWidth = 618
  KeyPreview = True
  Position = poScreenCenter
  OnActivate = FormActivate
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnKeyPress = FormKeyPress
  OnShow = FormShow
  object Panel2: TPanel
    Left = 0
    Top = 0
    Width = 618
    Height = 33
    Align = alTop
    object cbTopRow: TQvComboBox
      Left = 120
      Top = 6
      Width = 80
      Height = 21
      Caption = '总信息笔数限制'
      Items.Strings = (
        '500'
        '0'
        '100'
        '200'
        '1000'
        '1500')
      OnKeyPress = cbTopRowKeyPress
    end
  end
  object pnlCondition: TPanel
    Left = 0
    Top = 33
    Width = 160
    Height = 370
    Align = alLeft
    object lblCondition: TLabel
      Left = 4
      Top = 4
      Caption = ' 查询方案'
    end
    object ToolBar1: TToolBar
      Left = 0
      Top = 20
      Width = 160
      Height = 25
      ShowCaptions = True
      object btnInsert: TToolButton
        Caption = '保存(&N)'
        OnClick = btnInsertClick
      end
      object btnOpen: TToolButton
        Caption = '开启(&O)'
        OnClick = btnOpenClick
      end
      object btnDelete: TToolButton
        Caption = '删除(&D)'
        OnClick = btnDeleteClick
      end
      object ToolButton1: TToolButton
        Caption = 'ViewIcon'
        DropdownMenu = mnList
        Style = tbsDropDown
        OnClick = ToolButton1Click
      end
    end
    object lstCondition: TListView
      Left = 0
      Top = 48
      Width = 160
      Height = 320
      OnDblClick = btnOpenClick
      OnKeyDown = lstConditionKeyDown
    end
    object edRename: TEdit
      Left = 0
      Top = 48
      Width = 160
      Height = 21
      Visible = False
      OnExit = edRenameExit
      OnKeyPress = edRenameKeyPress
    end
  end
  object ExtPageControl1: TExtPageControl
    Left = 160
    Top = 33
    Width = 458
    Height = 370
    TabHeight = 24
    OnChange = ExtPageControl1Change
    object TabSheet1: TTabSheet
      Caption = '一般选项'
      object sg1: TStringAlignGrid
        Left = 0
        Top = 0
        Width = 450
        Height = 330
        ColCount = 4
        RowCount = 2
        FixedCols = 0
        FixedRows = 1
        DefaultRowHeight = 20
        Color = 15532027
        OnKeyDown = sg1KeyDown
        OnKeyPress = sg1KeyPress
        OnMouseDown = sg1MouseDown
        OnSelectCell = sg1SelectCell
      end
      object moMsgLNG: TMemo
        Visible = False
        Lines.Strings = (
          '请输入条件值!'
          '查询方案保存失败!'
          '方案名'
          '日期'
          '查询方案开启失败!'
          '是否删除查询方案 '
          '日期格式不正确!'
          '年月格式不正确!'
          '方案名不可空白!'
          '方案名不可超过20个字符!'
          '方案名已存在!'
          '方案名更改失败: '
          '不是有效的数值: ')
      end
    end
    object TabSheet2: TTabSheet
      Caption = '高级设置'
      OnMouseMove = TabSheet2MouseMove
      object cboField: TComboBox
        Left = 4
        Top = 4
        Width = 140
        Height = 21
        Style = csOwnerDrawFixed
        OnChange = cboFieldChange
        OnDrawItem = cboFieldDrawItem
      end
      object CbOperator: TComboBox
        Left = 148
        Top = 4
        Width = 90
        Height = 21
        Style = csDropDownList
        Items.Strings = (
          '等于'
          '大于或等于'
          '小于或等于'
          '大于'
          '小于'
          '不等于'
          '起始于'
          '终止于'
          '包含')
      end
      object cboValue: TwwDBComboBox
        Left = 242
        Top = 4
        Width = 120
        Height = 21
        DataSource = dsTemp
        DataField = 'QBE'
        OnExit = cboValueExit
      end
      object ckbValue: TFDbCheckBox
        Left = 242
        Top = 4
        DataSource = dsTemp
        DataField = 'QBE'
        ValueChecked = 'Y'
        ValueUnchecked = 'N'
        Visible = False
      end
      object rgLogic: TRadioGroup
        Left = 4
        Top = 30
        Width = 140
        Height = 40
        Caption = '条件关系'
        Enabled = False
        Items.Strings = (
          'AND'
          'OR')
      end
      object BBClear: TButton
        Left = 150
        Top = 40
        Caption = '清除(&L)'
        OnClick = BBClearClick
      end
      object BbAssign: TButton
        Left = 230
        Top = 40
        Caption = '添加(&A)'
        OnClick = BbAssignClick
      end
      object Memo1: TMemo
        Left = 4
        Top = 74
        Width = 440
        Height = 120
        ReadOnly = True
        OnChange = Memo1Change
      end
      object chkBody: TBitCheckBox
        Left = 4
        Top = 198
        Caption = '含单身筛选条件'
        Visible = False
        OnClick = chkBodyClick
      end
      object Label1: TLabel
        Left = 4
        Top = 220
        Caption = '设置排序字段'
      end
      object ListBox1: TFCheckListBox
        Left = 4
        Top = 236
        Width = 190
        Height = 96
        CheckStyle = 0
        OnDblClick = ListBox1DblClick
        OnMouseMove = ListBox1MouseMove
      end
      object btnSortAdd: TSpeedButton
        Left = 200
        Top = 250
        Caption = '>'
        OnClick = ListBox1DblClick
      end
      object btnSortRemove: TSpeedButton
        Left = 200
        Top = 290
        Caption = '<'
        OnClick = ListBox2DblClick
      end
      object ListBox2: TFCheckListBox
        Left = 230
        Top = 236
        Width = 190
        Height = 96
        CheckStyle = 4
        OnDblClick = ListBox2DblClick
        OnMouseDown = ListBox2MouseDown
        OnMouseMove = ListBox1MouseMove
        OnMouseUp = ListBox2MouseUp
      end
    end
    object TabSheet3: TTabSheet
      Caption = '单身设置'
      object cboField2: TComboBox
        Left = 4
        Top = 4
        Width = 140
        Height = 21
        Style = csOwnerDrawFixed
        OnChange = cboField2Change
        OnDrawItem = cboFieldDrawItem
      end
      object CbOperator2: TComboBox
        Left = 148
        Top = 4
        Width = 90
        Height = 21
        Style = csDropDownList
        Items.Strings = (
          '等于'
          '大于或等于'
          '小于或等于'
          '大于'
          '小于'
          '不等于'
          '起始于'
          '终止于'
          '包含')
      end
      object cboValue2: TwwDBComboBox
        Left = 242
        Top = 4
        Width = 120
        Height = 21
        DataSource = dsTemp2
        DataField = 'QBE'
        OnExit = cboValueExit
      end
      object ckbValue2: TFDbCheckBox
        Left = 242
        Top = 4
        DataSource = dsTemp2
        DataField = 'QBE'
        ValueChecked = 'Y'
        ValueUnchecked = 'N'
        Visible = False
      end
      object rgLogic2: TRadioGroup
        Left = 4
        Top = 30
        Width = 140
        Height = 40
        Caption = '条件关系'
        Enabled = False
        Items.Strings = (
          'AND'
          'OR')
      end
      object BBClear2: TButton
        Left = 150
        Top = 40
        Caption = '清除(&L)'
        OnClick = BBClear2Click
      end
      object BbAssign2: TButton
        Left = 230
        Top = 40
        Caption = '添加(&A)'
        OnClick = BbAssign2Click
      end
      object Memo2: TMemo
        Left = 4
        Top = 74
        Width = 440
        Height = 250
        ReadOnly = True
        OnChange = Memo2Change
      end
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 403
    Width = 618
    Height = 40
    Align = alBottom
    object BBOK: TButton
      Left = 420
      Top = 8
      Caption = '确定(&O)'
      Default = True
      ModalResult = 1
      OnClick = BBOKClick
    end
    object BBCancel: TButton
      Left = 510
      Top = 8
      Cancel = True
      Caption = '取消(&C)'
      ModalResult = 2
    end
  end
  object mnList: TPopupMenu
    object ViewIcon: TMenuItem
      Caption = '大型图标(&G)'
      OnClick = ViewIconExecute
    end
    object ViewSmallIcon: TMenuItem
      Caption = '小型图标(&M)'
      OnClick = ViewSmallIconExecute
    end
    object ViewList: TMenuItem
      Caption = '清单(&L)'
      OnClick = ViewListExecute
    end
    object ViewReport: TMenuItem
      Caption = '详细信息(&D)'
      OnClick = ViewReportExecute
    end
  end
  object cdsTemp: TClientDataSet
  end
  object cdsTemp2: TClientDataSet
  end
  object dsTemp: TDataSource
    DataSet = cdsTemp
  end
  object dsTemp2: TDataSource
    DataSet = cdsTemp2
  end
end
)");
