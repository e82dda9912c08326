-- Demo data of company DEMO (上海瑞禾进出口有限公司): enough to issue letters of credit in program
-- KVRX58 against open purchase orders of several suppliers, factories and currencies.
-- Users: DEMO (all rights), LIUF (query and print), ZHAOL (no rights for KVRX58).

------------------------------------------------------------------------------------------------------
-- Company, users, groups and rights
------------------------------------------------------------------------------------------------------

INSERT INTO QVNMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011) VALUES
 ('DEMO', '上海瑞禾进出口有限公司', 'DEMO', '上海市浦东新区张杨路500号华润时代广场18楼', '021-5550-8888',
  '91310115MA1K4R7X2D', '936', '', '', '', '');

INSERT INTO QVNMC (MC001, MC002) VALUES
 ('IMP', '进口业务组'),
 ('PUR', '采购组'),
 ('FIN', '财务组');

INSERT INTO QVNMA (COMPANY, CREATOR, CREATE_DATE, MA001, MA002, MA003, MA004, MA005, MA006, MA007) VALUES
 ('DEMO', 'DEMO', '20260105090000000', 'DEMO',  '王明', 'IMP', 'Wang Ming', 'wangming@ruihe.example', 'Y', 'Y'),
 ('DEMO', 'DEMO', '20260105090000000', 'LIUF',  '刘芳', 'IMP', 'Liu Fang',  'liufang@ruihe.example',  'Y', 'N'),
 ('DEMO', 'DEMO', '20260105090000000', 'ZHAOL', '赵磊', 'PUR', 'Zhao Lei',  'zhaolei@ruihe.example',  'Y', 'N');

INSERT INTO QVNMF (MF001, MF002) VALUES
 ('DEMO', 'IMP'), ('DEMO', 'FIN'), ('LIUF', 'IMP'), ('ZHAOL', 'PUR');

-- POWER_DATA: ",录入,按记录控制,操作12位(2更改 3删除 4审核 5取消审核 6打印 7-8栏位 9新增 10整批 11 12作废),
--              同组记录7位,他组记录7位"
INSERT INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'KVRX58', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('DEMO', 'BYVX31', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('DEMO', 'BYVX37', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('DEMO', 'KVRX71', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('LIUF', 'KVRX58', ',Y,N,NNNNNYNNNNNN,NNNNNNN,NNNNNNN', '', 'N');

-- 群组权限: 用户没有自己的权限时使用 (本组记录可改, 他组记录只读)
INSERT INTO QVNME (ME001, ME002, ME003, ME004) VALUES
 ('IMP', 'KVRX58', ',Y,Y,YYYYYYYYYYYY,YYYYYYY,NNNNNNN', ''),
 ('FIN', 'KVRX58', ',Y,Y,NYYYYYNNNNNN,NNNNNNN,NNNNNNN', '');

------------------------------------------------------------------------------------------------------
-- System settings of the company (GetSysInfo)
------------------------------------------------------------------------------------------------------

INSERT INTO QVNMS (MS001, MS002, MS003, MS004) VALUES
 ('DEMO', 'SYS001', '1',      '日期显示方式: 1 年月日 2 月日年 3 日月年 4/5 民国年'),
 ('DEMO', 'SYS002', '/',      '日期分隔符'),
 ('DEMO', 'SYS003', 'RMB',    '本币'),
 ('DEMO', 'SYS011', '202601', '关账年月: 早于此年月的单据不得录入'),
 ('DEMO', 'SYS024', '1',      '单位方式: 1 单一单位 2 双单位 3 包装单位'),
 ('DEMO', 'SYS025', '1',      '审核日期: 1 取系统日期 其他 取单据日期'),
 ('DEMO', 'SYS042', 'N',      '显示传送次数'),
 ('DEMO', 'SYS053', '1',      '品号录入方式: 1 直接录入 2/3 开窗查询'),
 ('DEMO', 'SYS054', '1',      '客户录入方式: 1 直接录入 2/3 开窗查询'),
 ('DEMO', 'SYS055', '1',      '供应商录入方式: 1 直接录入 2/3 开窗查询'),
 ('DEMO', 'SYS056', '1',      '成本中心录入方式: 1 直接录入 2/3 开窗查询'),
 ('DEMO', 'SYS060', 'N',      '启用电子签核'),
 ('DEMO', 'SYS068', '3',      '数量小数位数'),
 ('DEMO', 'SYS070', 'N',      '启用计价单位'),
 ('DEMO', 'SYS150', 'Y',      '查询使用选择列表'),
 ('DEMO', 'SYS151', '500',    '查询笔数上限'),
 ('DEMO', 'SYS174', 'N',      '使用外部签核系统'),
 ('DEMO', 'QVN002', '演示账套', '窗口标题中括号内的文字');

------------------------------------------------------------------------------------------------------
-- Program catalogue and the server settings of KVRX58
------------------------------------------------------------------------------------------------------

INSERT INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('KVRX58', '信用证开证作业', 'KVRX71', '', '', '', '', '', 'Y', 'W', 'Letter of Credit Issuance', '信用狀開證作業', 'KVR', 'KVRX58C'),
 ('KVRX71', '信用证开证打印', '', '', '', '', '', '', 'Y', 'Z', 'Letter of Credit Issuance Print', '信用狀開證列印', 'KVR', ''),
 ('BYVX31', '供应商信息查询', '', '', '', '', '', '', 'Y', 'E', 'Supplier Inquiry', '供應商資訊查詢', 'BYV', ''),
 ('BYVX37', '采购单查询', '', '', '', '', '', '', 'Y', 'E', 'Purchase Order Inquiry', '採購單查詢', 'BYV', '');

-- The select lists are the dialect of the clients (the query dialog cuts them at commas, so no expression
-- holds a comma); the provider runs them with the query's condition and sort.
INSERT INTO WOQMS (MS001, MS002, MS003) VALUES
 ('KVRX58', 'M11_TABLE', 'KVRTA'),
 ('KVRX58', 'M11_KEY', 'TA001,TA002'),
 ('KVRX58', 'M11_SELECT',
  'SELECT KVRTA.*, TAZMQ.MQ002 AS TA001C, BYVMA.MA002 AS TA005C, CASE WHEN TAZMO.MO001 IS NULL THEN GIMMA.MA002 ELSE TAZMO.MO002 END AS TA006C, '
  || 'TAZMB.MB002 AS TA036C, QVNMA.MA002 AS TA043C, KVRTA.TA018 + KVRTA.TA019 AS TA019C '
  || 'FROM $$KVRTA KVRTA '
  || 'LEFT JOIN $$TAZMQ TAZMQ ON TAZMQ.MQ001 = KVRTA.TA001 '
  || 'LEFT JOIN $$BYVMA BYVMA ON BYVMA.MA001 = KVRTA.TA005 '
  || 'LEFT JOIN $$TAZMO TAZMO ON TAZMO.MO001 = KVRTA.TA006 '
  || 'LEFT JOIN $$GIMMA GIMMA ON GIMMA.MA001 = KVRTA.TA006 '
  || 'LEFT JOIN $$TAZMB TAZMB ON TAZMB.MB001 = KVRTA.TA036 '
  || 'LEFT JOIN $$QVNMA QVNMA ON QVNMA.MA001 = KVRTA.TA043'),
 ('KVRX58', 'D11_TABLE', 'KVRTB'),
 ('KVRX58', 'D11_KEY', 'TB001,TB002,TB003'),
 ('KVRX58', 'D11_SELECT',
  'SELECT KVRTB.*, RUXMC.MC002 AS TD007C, BYVTD.TD004 AS TD004C, BYVTD.TD005 AS TD005C, BYVTD.TD006 AS TD006C, '
  || 'BYVTD.TD008 AS TD008C, BYVTD.TD008 - BYVTD.TD015 AS TD015C, BYVTD.TD009 AS TD009C, '
  || 'BYVTD.TD039 AS TD039C, BYVTD.TD038 AS TD038C, BYVTD.TD010 AS TD010C, BYVTD.TD011 AS TD011C, '
  || 'BYVTD.TD012 AS TD012C, BYVTD.TD030 AS TD030C, BYVTD.TD032 AS TD032C, BYVTD.TD031 AS TD031C '
  || 'FROM $$KVRTB KVRTB '
  || 'LEFT JOIN $$BYVTD BYVTD ON BYVTD.TD001 = KVRTB.TB004 AND BYVTD.TD002 = KVRTB.TB005 AND BYVTD.TD003 = KVRTB.TB006 '
  || 'LEFT JOIN $$RUXMC RUXMC ON RUXMC.MC001 = KVRTB.TB007'),
 ('KVRX58', 'MAX_RECORD', '20'),
 ('KVRX58', 'SEQ_DATE', 'TA008'),
 ('KVRX58', 'M11_CONFIRM', 'TA038'),
 ('KVRX58', 'D11_CONFIRM', 'TB009');

-- 用户设定 (GetUserDefine): 录入后继续新增、切换至第一页
INSERT INTO QVNMU (MU001, MU002, MU003, MU004, MU005) VALUES
 ('DEMO', 'DEMO', 'KVRX58', 'InputSettings001/IsFocusPageOne', 'True'),
 ('DEMO', 'DEMO', 'KVRX58', 'InputSettings002/IsKeepOnAdd', 'True'),
 ('DEMO', 'DEMO', '********************', 'InputSettings003/IsColorManage', 'False');

-- 保存的查询方案: 十二月开证的信用证
INSERT INTO DOCUS (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, VCONDITION, ActivePage) VALUES
 ('本月开证', 'DEMO', 'KVRX58', '20261201',
  '500' || char(7) || '开证日期' || char(13, 10) || '大于或等于' || char(13, 10) || '2026/12/01' || char(13, 10)
  || 'AND' || char(8), 0);

INSERT INTO WOQMD (MD001, MD002, MD003, MD004) VALUES
 ('KVRTA', 'UDF01', '合同编号', 'Contract No.'),
 ('KVRTA', 'UDF02', '报关单号', 'Customs Declaration No.'),
 ('KVRTA', 'UDF51', '保证金', 'Margin Deposit'),
 ('KVRTB', 'UDF01', '唛头', 'Shipping Marks');

INSERT INTO NUMFD (FD001, FD002, FD003, FD004) VALUES
 ('KVRTA', 'TA010', 5, 0),  ('KVRTA', 'TA017', 13, 7), ('KVRTA', 'TA018', 21, 6), ('KVRTA', 'TA019', 21, 6),
 ('KVRTA', 'TA020', 21, 6), ('KVRTA', 'TA021', 7, 4),  ('KVRTA', 'TA022', 21, 6), ('KVRTA', 'TA023', 21, 6),
 ('KVRTA', 'TA024', 21, 6), ('KVRTA', 'TA025', 21, 6), ('KVRTA', 'TA026', 21, 6), ('KVRTA', 'TA027', 21, 6),
 ('KVRTA', 'TA028', 21, 6), ('KVRTA', 'TA029', 21, 6), ('KVRTA', 'TA033', 21, 6), ('KVRTA', 'TA034', 21, 6),
 ('KVRTA', 'TA035', 21, 6), ('KVRTA', 'TA040', 21, 6), ('KVRTA', 'TA041', 3, 0),  ('KVRTA', 'TA045', 3, 0),
 ('KVRTB', 'TB008', 21, 6);

INSERT INTO WARRANT (NT001, NT002) VALUES
 ('KVRX71-01', '信用证开证申请书(标准格式)'),
 ('KVRX71-02', '信用证开证申请书(银行格式)');

INSERT INTO WOQMP (MP001, MP002, MP003) VALUES
 ('', '0001', '海运'),
 ('', '0002', '空运'),
 ('', '0003', '海空联运'),
 ('', '0004', '铁路运输'),
 ('', '0005', '允许分批装运, 不允许转运'),
 ('', '0006', '装船后七日内通知开证行'),
 ('DEMO', '0001', '单据须经我司确认后方可议付');

------------------------------------------------------------------------------------------------------
-- Master data
------------------------------------------------------------------------------------------------------

INSERT INTO TAZMQ (COMPANY, MQ001, MQ002, MQ003, MQ004, MQ005, MQ006, MQ007, MQ008, MQ009, MQ010, MQ011, MQ012, MQ013) VALUES
 ('DEMO', '5101', '即期信用证', 'A1', '1', 3, '即期开证', 'KVR', 'KVRX71', 'Y', '按开证日期每日自动编号', 'N', 'N', 'N'),
 ('DEMO', '5102', '手工信用证', 'A1', '4', 0, '手工开证', 'KVR', 'KVRX71', 'Y', '单号由经办人按银行编号录入', 'N', 'N', 'N'),
 ('DEMO', '5103', '远期信用证', 'A1', '2', 5, '远期开证', 'KVR', 'KVRX71', 'Y', '按开证月份自动编号', 'N', 'N', 'N'),
 ('DEMO', '5107', '审印信用证', 'A1', '1', 3, '即审即印', 'KVR', 'KVRX71', 'Y', '存档后随即审核并打印', 'N', 'Y', 'Y'),
 ('DEMO', '5109', '停用信用证', 'A1', '1', 3, '停用', 'KVR', 'KVRX71', 'N', '旧单别, 已停用', 'N', 'N', 'N'),
 ('DEMO', '3301', '国外采购单', 'B1', '1', 3, '国外采购', 'BYV', 'BYVX71', 'Y', '', 'N', 'N', 'N'),
 ('DEMO', '3302', '国内采购单', 'B1', '1', 3, '国内采购', 'BYV', 'BYVX71', 'Y', '', 'N', 'N', 'N');

INSERT INTO TAZMF (COMPANY, MF001, MF002, MF003, MF004, MF005, MF006, MF007) VALUES
 ('DEMO', 'RMB', '人民币', 4, 2, 4, 2, '¥'),
 ('DEMO', 'USD', '美元',   4, 2, 4, 2, '$'),
 ('DEMO', 'EUR', '欧元',   4, 2, 4, 2, '€'),
 ('DEMO', 'JPY', '日元',   2, 0, 2, 0, 'J¥'),
 ('DEMO', 'HKD', '港币',   4, 2, 4, 2, 'HK$');

INSERT INTO TAZMG (COMPANY, MG001, MG002, MG003, MG004, MG005, MG006) VALUES
 ('DEMO', 'RMB', '20000101', 1, 1, 1, 1),
 ('DEMO', 'USD', '20260102', 7.1020, 7.1304, 7.1150, 7.1150),
 ('DEMO', 'USD', '20260401', 7.1680, 7.1966, 7.1800, 7.1800),
 ('DEMO', 'USD', '20260701', 7.1430, 7.1716, 7.1560, 7.1560),
 ('DEMO', 'USD', '20261001', 7.0966, 7.1250, 7.1100, 7.1100),
 ('DEMO', 'USD', '20261201', 7.0830, 7.1114, 7.0950, 7.0950),
 ('DEMO', 'EUR', '20260102', 7.7315, 7.7936, 7.7600, 7.7600),
 ('DEMO', 'EUR', '20260401', 7.8402, 7.9032, 7.8700, 7.8700),
 ('DEMO', 'EUR', '20260701', 7.8110, 7.8738, 7.8400, 7.8400),
 ('DEMO', 'EUR', '20261001', 7.7498, 7.8120, 7.7800, 7.7800),
 ('DEMO', 'EUR', '20261201', 7.7260, 7.7881, 7.7550, 7.7550),
 ('DEMO', 'JPY', '20260102', 0.0482, 0.0486, 0.0484, 0.0484),
 ('DEMO', 'JPY', '20260701', 0.0475, 0.0479, 0.0477, 0.0477),
 ('DEMO', 'JPY', '20261201', 0.0471, 0.0475, 0.0473, 0.0473),
 ('DEMO', 'HKD', '20260102', 0.9094, 0.9130, 0.9110, 0.9110),
 ('DEMO', 'HKD', '20260701', 0.9138, 0.9175, 0.9150, 0.9150),
 ('DEMO', 'HKD', '20261201', 0.9067, 0.9103, 0.9080, 0.9080);

INSERT INTO TAZMO (COMPANY, MO001, MO002, MO003, MO004, MO005, MO006, MO007, MO008) VALUES
 ('DEMO', 'B001', '华信银行上海分行', '华信上海', 'HXBKCNSHXXX', '上海市浦东新区陆家嘴环路1000号', '021-5550-1000', '张伟', 50000000),
 ('DEMO', 'B002', '东方商业银行浦东支行', '东方浦东', 'EACBCNSHPDG', '上海市浦东新区世纪大道88号', '021-5550-2000', '刘洋', 30000000),
 ('DEMO', 'B003', '长江实业银行上海分行', '长江上海', 'CJIBCNSHXXX', '上海市黄浦区中山东一路18号', '021-5550-3000', '王芳', 20000000);

INSERT INTO GIMMA (COMPANY, MA001, MA002, MA003, MA004, MA005, MA006, MA007) VALUES
 ('DEMO', 'A001', '华信银行美元户', 'B001', '3101 0000 5550 1234', 'USD', '20200301', 'Y'),
 ('DEMO', 'A002', '华信银行人民币基本户', 'B001', '3101 0000 5550 5678', 'RMB', '20150106', 'Y'),
 ('DEMO', 'A003', '东方商业银行欧元户', 'B002', '4402 8800 5550 0011', 'EUR', '20190415', 'Y'),
 ('DEMO', 'A004', '长江实业银行日元户', 'B003', '6217 0031 5550 0077', 'JPY', '20211020', 'Y');

INSERT INTO TAZMB (COMPANY, MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008) VALUES
 ('DEMO', 'F01', '上海总厂', '总厂', '上海市闵行区莘庄工业区春东路508号', '021-5550-6600', '赵建国', 'Y', '20150101'),
 ('DEMO', 'F02', '苏州工厂', '苏州厂', '江苏省苏州市工业园区星湖街328号', '0512-5550-7700', '钱立新', 'N', '20180601'),
 ('DEMO', 'F03', '昆山工厂', '昆山厂', '江苏省昆山市开发区前进东路99号', '0512-5550-8800', '孙海', 'N', '20210301');

INSERT INTO BYVMA (COMPANY, MA001, MA002, MA003, MA004, MA005, MA006, MA007, MA008, MA009, MA010, MA011, MA012, MA013, MA014) VALUES
 ('DEMO', 'S0001', '海森机械', '德国海森机械制造有限公司', 'Klaus Weber', '李娜', '+49-711-5550-123', '+49-711-5550-124',
  'sales@heissen-mb.example', 'Industriestraße 12, 70565 Stuttgart', '德国', 'EUR', '即期信用证', 'Y', 'B002'),
 ('DEMO', 'S0002', '奥兰电子', '美国奥兰电子股份有限公司', 'Michael Orlan', '陈晓', '+1-408-5550-198', '+1-408-5550-199',
  'orders@orlan-elec.example', '2100 Zanker Road, San Jose, CA 95131', '美国', 'USD', '90天远期信用证', 'Y', 'B001'),
 ('DEMO', 'S0003', '樱川精工', '日本樱川精工株式会社', '山田健一', '周丽', '+81-6-5550-7788', '+81-6-5550-7789',
  'export@sakuragawa-seiko.example', '大阪府东大阪市高井田元町2-8', '日本', 'JPY', '即期信用证', 'Y', 'B003'),
 ('DEMO', 'S0004', '恒泰贸易', '香港恒泰贸易有限公司', '黄志强', '黄志强', '+852-5550-3366', '+852-5550-3367',
  'trade@hengtai-hk.example', '香港九龙观塘道388号创纪之城1座', '中国香港', 'HKD', '即期信用证', 'Y', 'B001'),
 ('DEMO', 'S0005', '北欧材料', '瑞典北欧特种材料公司', 'Anders Lind', '孙伟', '+46-8-5550-4411', '+46-8-5550-4412',
  'info@nordic-materials.example', 'Sveavägen 44, 111 34 Stockholm', '瑞典', 'USD', '即期信用证', 'N', '');

INSERT INTO RUXMC (COMPANY, MC001, MC002, MC003, MC004) VALUES
 ('DEMO', 'W01', '原料仓', 'F01', '总厂一号仓库'),
 ('DEMO', 'W02', '进口物料仓', 'F01', '总厂保税仓库'),
 ('DEMO', 'W03', '苏州原料仓', 'F02', '苏州工厂仓库'),
 ('DEMO', 'W04', '昆山备件仓', 'F03', '昆山工厂备件库');

INSERT INTO RUXMB (COMPANY, MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009) VALUES
 ('DEMO', 'M-1001', '数控车床主轴', 'HS-SP80 Φ80mm', 'PCS', 'W02', 'CTN', 'PCS', 'DOC-M1001', 'B'),
 ('DEMO', 'M-1002', '交流伺服电机', 'HS-SV20 2.0kW 380V', 'SET', 'W02', 'CTN', 'SET', 'DOC-M1002', 'A'),
 ('DEMO', 'E-2001', '工业控制芯片', 'OL-MCU32 LQFP64', 'PCS', 'W02', 'BOX', 'PCS', '', ''),
 ('DEMO', 'E-2002', '高速光耦合器', 'OL-OC10 SOP8', 'PCS', 'W02', 'BOX', 'PCS', '', ''),
 ('DEMO', 'C-5001', '工业传感器套件', 'OL-SK8 8通道', 'SET', 'W02', 'CTN', 'SET', 'DOC-C5001', 'A'),
 ('DEMO', 'P-3001', '精密滚珠丝杆', 'SK-BS2510 C3级', 'PCS', 'W04', 'CTN', 'PCS', '', ''),
 ('DEMO', 'P-3002', '直线导轨', 'SK-LG25 L=1200mm', 'PCS', 'W04', 'CTN', 'PCS', '', ''),
 ('DEMO', 'R-4001', '不锈钢冷轧板', 'SUS304 1.0×1219×2438', 'TON', 'W01', 'PLT', 'TON', '', ''),
 ('DEMO', 'E-2003', '开关电源模块', 'OL-PS24 24V 10A', 'PCS', 'W02', 'CTN', 'PCS', 'DOC-E2003', 'A'),
 ('DEMO', 'E-2004', '板对板连接器', 'OL-BB40 40Pin 0.5mm', 'PCS', 'W02', 'BOX', 'PCS', '', ''),
 ('DEMO', 'C-5002', '温湿度传感器', 'OL-TH2 I2C 3.3V', 'PCS', 'W02', 'BOX', 'PCS', '', '');

------------------------------------------------------------------------------------------------------
-- Purchase orders: confirmed, open lines of several suppliers, factories and currencies
------------------------------------------------------------------------------------------------------

INSERT INTO BYVTC (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008,
                   TC009, TC010, TC011, TC012, TC013, TC014, TC015, TC016) VALUES
 ('DEMO', 'ZHAOL', 'PUR', '20261105101500000', '3301', '20261105001', '20261105', 'S0001', 'EUR', 7.8120, '即期信用证', 'CIF 上海',
  '机床主轴及伺服系统', 'F01', 'ZHAOL', 'DEMO', '20261106', 'Y', 89325, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261110093000000', '3301', '20261110001', '20261110', 'S0002', 'USD', 7.1250, '90天远期信用证', 'FOB 旧金山',
  '控制芯片与传感器', 'F01', 'ZHAOL', 'DEMO', '20261111', 'Y', 77300, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261110094500000', '3301', '20261110002', '20261110', 'S0002', 'USD', 7.1250, '90天远期信用证', 'FOB 旧金山',
  '苏州工厂备货', 'F02', 'ZHAOL', 'DEMO', '20261111', 'Y', 23350, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261118140000000', '3301', '20261118001', '20261118', 'S0003', 'JPY', 0.0479, '即期信用证', 'CIF 上海',
  '昆山工厂传动部件', 'F03', 'ZHAOL', 'DEMO', '20261119', 'Y', 7774000, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261120110000000', '3301', '20261120001', '20261120', 'S0004', 'HKD', 0.9175, '即期信用证', 'CIF 上海',
  '不锈钢板材', 'F01', 'ZHAOL', 'DEMO', '20261121', 'Y', 297500, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261201090000000', '3301', '20261201001', '20261201', 'S0001', 'EUR', 7.7881, '即期信用证', 'CIF 上海',
  '苏州工厂扩产设备', 'F02', 'ZHAOL', 'DEMO', '20261202', 'Y', 29480, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261203100000000', '3301', '20261203001', '20261203', 'S0002', 'USD', 7.1114, '90天远期信用证', 'FOB 旧金山',
  '电源模块与连接器', 'F01', 'ZHAOL', 'DEMO', '20261204', 'Y', 42473, 0),
 ('DEMO', 'ZHAOL', 'PUR', '20261208150000000', '3301', '20261208001', '20261208', 'S0002', 'USD', 7.1114, '90天远期信用证', 'FOB 旧金山',
  '待审核', 'F01', 'ZHAOL', '', '', 'N', 9440, 0);

INSERT INTO BYVTD (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, TD001, TD002, TD003, TD004, TD005, TD006, TD007, TD008, TD009,
                   TD010, TD011, TD012, TD013, TD014, TD015, TD016, TD018, TD030, TD031, TD032, TD038, TD039) VALUES
 ('DEMO', 'ZHAOL', 'PUR', '20261105101500000', '3301', '20261105001', '0001', 'M-1001', '数控车床主轴', 'HS-SP80 Φ80mm', 'W02',
  10, 'PCS', 4850, 48500, '20270115', '20270115', '', 0, 'N', 'Y', 10, 0, 'CTN', 'PCS', 10),
 ('DEMO', 'ZHAOL', 'PUR', '20261105101500000', '3301', '20261105001', '0002', 'M-1002', '交流伺服电机', 'HS-SV20 2.0kW 380V', 'W02',
  20, 'SET', 1260, 25200, '20270115', '20270115', '', 0, 'N', 'Y', 5, 0, 'CTN', 'SET', 20),
 ('DEMO', 'ZHAOL', 'PUR', '20261105101500000', '3301', '20261105001', '0003', 'P-3001', '精密滚珠丝杆', 'SK-BS2510 C3级', 'W02',
  50, 'PCS', 312.5, 15625, '20270120', '20270120', '首批10支已空运到货', 10, 'N', 'Y', 5, 1, 'CTN', 'PCS', 50),
 ('DEMO', 'ZHAOL', 'PUR', '20261110093000000', '3301', '20261110001', '0001', 'E-2001', '工业控制芯片', 'OL-MCU32 LQFP64', 'W02',
  5000, 'PCS', 3.85, 19250, '20270110', '20270110', '', 0, 'N', 'Y', 5, 0, 'BOX', 'PCS', 5000),
 ('DEMO', 'ZHAOL', 'PUR', '20261110093000000', '3301', '20261110001', '0002', 'E-2002', '高速光耦合器', 'OL-OC10 SOP8', 'W02',
  8000, 'PCS', 0.62, 4960, '20270110', '20270110', '', 0, 'N', 'Y', 8, 0, 'BOX', 'PCS', 8000),
 ('DEMO', 'ZHAOL', 'PUR', '20261110093000000', '3301', '20261110001', '0003', 'C-5001', '工业传感器套件', 'OL-SK8 8通道', 'W02',
  40, 'SET', 1180, 47200, '20270125', '20270125', '', 0, 'N', 'Y', 4, 0, 'CTN', 'SET', 40),
 ('DEMO', 'ZHAOL', 'PUR', '20261110093000000', '3301', '20261110001', '0004', 'E-2002', '高速光耦合器', 'OL-OC10 SOP8', 'W02',
  9500, 'PCS', 0.62, 5890, '20261201', '20261201', '规格变更, 本行结案', 0, 'Y', 'Y', 10, 0, 'BOX', 'PCS', 9500),
 ('DEMO', 'ZHAOL', 'PUR', '20261110094500000', '3301', '20261110002', '0001', 'E-2001', '工业控制芯片', 'OL-MCU32 LQFP64', 'W03',
  3000, 'PCS', 3.85, 11550, '20270118', '20270118', '', 0, 'N', 'Y', 3, 0, 'BOX', 'PCS', 3000),
 ('DEMO', 'ZHAOL', 'PUR', '20261110094500000', '3301', '20261110002', '0002', 'C-5001', '工业传感器套件', 'OL-SK8 8通道', 'W03',
  10, 'SET', 1180, 11800, '20270118', '20270118', '', 0, 'N', 'Y', 1, 0, 'CTN', 'SET', 10),
 ('DEMO', 'ZHAOL', 'PUR', '20261118140000000', '3301', '20261118001', '0001', 'P-3001', '精密滚珠丝杆', 'SK-BS2510 C3级', 'W04',
  80, 'PCS', 45800, 3664000, '20270128', '20270128', '', 0, 'N', 'Y', 8, 0, 'CTN', 'PCS', 80),
 ('DEMO', 'ZHAOL', 'PUR', '20261118140000000', '3301', '20261118001', '0002', 'P-3002', '直线导轨', 'SK-LG25 L=1200mm', 'W04',
  60, 'PCS', 68500, 4110000, '20270128', '20270128', '', 0, 'N', 'Y', 6, 0, 'CTN', 'PCS', 60),
 ('DEMO', 'ZHAOL', 'PUR', '20261120110000000', '3301', '20261120001', '0001', 'R-4001', '不锈钢冷轧板', 'SUS304 1.0×1219×2438', 'W01',
  12.5, 'TON', 23800, 297500, '20270105', '20270105', '分两批装运', 0, 'N', 'Y', 5, 0, 'PLT', 'TON', 12.5),
 ('DEMO', 'ZHAOL', 'PUR', '20261201090000000', '3301', '20261201001', '0001', 'M-1002', '交流伺服电机', 'HS-SV20 2.0kW 380V', 'W03',
  8, 'SET', 1260, 10080, '20270220', '20270220', '', 0, 'N', 'Y', 2, 0, 'CTN', 'SET', 8),
 ('DEMO', 'ZHAOL', 'PUR', '20261201090000000', '3301', '20261201001', '0002', 'M-1001', '数控车床主轴', 'HS-SP80 Φ80mm', 'W03',
  4, 'PCS', 4850, 19400, '20270220', '20270220', '', 0, 'N', 'Y', 4, 0, 'CTN', 'PCS', 4),
 ('DEMO', 'ZHAOL', 'PUR', '20261203100000000', '3301', '20261203001', '0001', 'E-2003', '开关电源模块', 'OL-PS24 24V 10A', 'W02',
  1250, 'PCS', 24.7, 30875, '20270215', '20270215', '', 0, 'N', 'Y', 25, 0, 'CTN', 'PCS', 1250),
 ('DEMO', 'ZHAOL', 'PUR', '20261203100000000', '3301', '20261203001', '0002', 'E-2004', '板对板连接器', 'OL-BB40 40Pin 0.5mm', 'W02',
  6000, 'PCS', 0.35, 2100, '20270215', '20270215', '', 0, 'N', 'Y', 6, 0, 'BOX', 'PCS', 6000),
 ('DEMO', 'ZHAOL', 'PUR', '20261203100000000', '3301', '20261203001', '0003', 'C-5002', '温湿度传感器', 'OL-TH2 I2C 3.3V', 'W02',
  600, 'PCS', 15.83, 9498, '20270220', '20270220', '样品100只已随空运到货', 100, 'N', 'Y', 6, 1, 'BOX', 'PCS', 600),
 ('DEMO', 'ZHAOL', 'PUR', '20261208150000000', '3301', '20261208001', '0001', 'C-5001', '工业传感器套件', 'OL-SK8 8通道', 'W02',
  8, 'SET', 1180, 9440, '20270301', '20270301', '', 0, 'N', 'N', 1, 0, 'CTN', 'SET', 8);

------------------------------------------------------------------------------------------------------
-- Letters of credit already issued: one confirmed, one waiting for confirmation
------------------------------------------------------------------------------------------------------

INSERT INTO KVRTA (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE, FLAG,
                   TA001, TA002, TA003, TA004, TA005, TA006, TA007, TA008, TA009, TA010, TA011, TA012, TA013, TA014,
                   TA015, TA016, TA017, TA018, TA019, TA020, TA021, TA022, TA023, TA024, TA025, TA026, TA027, TA028,
                   TA029, TA033, TA036, TA037, TA038, TA039, TA040, TA042, TA043, TA044, TA045, UDF01) VALUES
 ('DEMO', 'DEMO', 'IMP', '20261108103000000', 'DEMO', '20261109091500000', 2,
  '5101', '20261108001', '1', 'LC88026110801', 'S0001', 'B002', 'A', '20261108', '20270228', 0, 'JKXK-2026-0871',
  '20270131', '海运', '20270110', '20270208', 'EUR', 7.8120, 73700, 0, 0, 0.1, 7370, 57574.44, 1200, 0, 0, 150, 0,
  0, 1350, 'F01', '机床主轴及伺服电机, 即期', 'Y', 'N', 73700, '20261109', 'DEMO', 'N', 0, 'RH-HS-2026-031'),
 ('DEMO', 'DEMO', 'IMP', '20261112143000000', '', '', 1,
  '5101', '20261112001', '1', 'LC11026111201', 'S0002', 'A001', 'B', '20261112', '20270331', 90, 'JKXK-2026-0915',
  '20270115', '空运', '20270105', '20270107', 'USD', 7.1250, 66450, 0, 0, 0.15, 9967.5, 71018.44, 800, 320, 0, 80, 0,
  0, 1200, 'F01', '芯片及传感器, 90天远期', 'N', 'N', 66450, '20261112', '', 'N', 0, 'RH-OL-2026-044');

INSERT INTO KVRTB (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, FLAG, TB001, TB002, TB003, TB004, TB005, TB006, TB007, TB008, TB009) VALUES
 ('DEMO', 'DEMO', 'IMP', '20261108103000000', 1, '5101', '20261108001', '0001', '3301', '20261105001', '0001', 'W02', 37888.20, 'Y'),
 ('DEMO', 'DEMO', 'IMP', '20261108103000000', 1, '5101', '20261108001', '0002', '3301', '20261105001', '0002', 'W02', 19686.24, 'Y'),
 ('DEMO', 'DEMO', 'IMP', '20261112143000000', 1, '5101', '20261112001', '0001', '3301', '20261110001', '0001', 'W02', 20573.44, 'N'),
 ('DEMO', 'DEMO', 'IMP', '20261112143000000', 1, '5101', '20261112001', '0002', '3301', '20261110001', '0003', 'W02', 50445.00, 'N');

-- The confirm date the transaction manager stamps on a confirmed letter of credit.
INSERT INTO WOQMS (MS001, MS002, MS003) VALUES
 ('KVRX58', 'M11_CONFIRM_DATE', 'TA042');

------------------------------------------------------------------------------------------------------
-- Electronic sign-off: a second company whose settings switch it on with the outside sign-off system
-- (SYS060, SYS174), the sign-off service of its company row, the program's sign-off attributes, and
-- the type that is sent for sign-off.
------------------------------------------------------------------------------------------------------

INSERT INTO QVNMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011) VALUES
 ('QZ01', '上海瑞禾进出口有限公司 (电子签核)', 'DEMO', '上海市浦东新区张杨路500号华润时代广场18楼', '021-5550-8888',
  '91310115MA1K4R7X2D', '936', 'http://127.0.0.1/QZService/Service.asmx', 'CallService', 'QZSITE', '127.0.0.1');

INSERT INTO QVNMS (MS001, MS002, MS003, MS004)
 SELECT 'QZ01', MS002, CASE WHEN MS002 IN ('SYS060', 'SYS174') THEN 'Y' ELSE MS003 END, MS004 FROM QVNMS WHERE MS001 = 'DEMO';

UPDATE WOQMB SET MB007 = 'QZ', MB008 = 'QZ' WHERE MB001 = 'KVRX58';

-- Forward letters of credit are confirmed through sign-off, sent at once after their first save.
INSERT INTO WOQMQ (COMPANY, MQ001, MQ002, MQ003, MQ004, MQ005, MQ006, MQ007, MQ008) VALUES
 ('DEMO', 'KVRX58', '5103', 'Y', 'LC03', '远期信用证送签', 'Y', 'Y', 'N');

INSERT INTO WOQMT (COMPANY, MT001, MT002, MT003, MT004, MT005, MT006) VALUES
 ('DEMO', 'KVRX58', '5103', '0001', 'TA001', 'KVRTA', 'DocType'),
 ('DEMO', 'KVRX58', '5103', '0002', 'TA002', 'KVRTA', 'DocNo'),
 ('DEMO', 'KVRX58', '5103', '0003', 'TA016', 'KVRTA', 'Currency'),
 ('DEMO', 'KVRX58', '5103', '0004', 'TA019', 'KVRTA', 'Amount');

INSERT INTO QZSMC (MC001, MC002, MC006, MC007, MC008, MC009) VALUES
 ('KVRX58', '5103', 'Y', 'N', 'N', 'LC03');

-- What the sign-off system wrote back when it took the forward credit 5103-20261200001 into its flow.
INSERT INTO QZSME (ME001, ME002, ME003, ME004, ME005, ME006, ME007) VALUES
 ('KVRX58', '5103', '20261200001', '', '', '',
  '<Response><ResponseContent><ContentText><Form><TargetFormID>LC03</TargetFormID>'
  || '<TargetSheetNo>QZ-2026-0001</TargetSheetNo></Form></ContentText></ResponseContent></Response>');
