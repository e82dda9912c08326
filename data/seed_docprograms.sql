-- The framework's own document programs (tests/e2e/docprograms): their tables, demo rows, catalogue
-- rows, server settings and rights. Loaded after seed.sql, and again when the database is brought up
-- to a new version: every statement creates or adds only what is missing.
-- Users: DEMO (all rights), LIUF (query and print only).

------------------------------------------------------------------------------------------------------
-- FWBASE01: the base level (TfrmBase, TdmBase) over FWDOC
------------------------------------------------------------------------------------------------------

-- 框架测试单据
CREATE TABLE IF NOT EXISTS FWDOC (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    DC001 CHAR(6)       COLLATE RTRIM NOT NULL,    -- 代号
    DC002 VARCHAR(20)   DEFAULT '',                -- 名称
    DC003 NUMERIC(5,2)  DEFAULT 0,                 -- 金额
    DC004 NUMERIC(13,7) DEFAULT 0,                 -- 汇率
    DC005 CHAR(1)       COLLATE RTRIM DEFAULT 'N', -- 锁定 (Y: 不得删除)
    PRIMARY KEY (DC001)
);

-- A locked record is in use elsewhere: the database refuses its deletion.
CREATE TRIGGER IF NOT EXISTS FWDOC_LOCKED BEFORE DELETE ON FWDOC WHEN OLD.DC005 = 'Y'
BEGIN
    SELECT RAISE(ABORT, '资料已锁定, 不能删除');
END;

INSERT OR IGNORE INTO FWDOC (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, DC001, DC002, DC003, DC004, DC005) VALUES
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', 'D001', '甲', 100.5, 6.8123456, 'N'),
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', 'D002', '乙', 200, 7.1, 'Y'),
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', 'D003', '丙', 300, 1, 'N');

INSERT OR IGNORE INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('FWBASE01', '基础单据测试作业', '', '', '', '', '', '', 'N', 'W', 'Base Document Test', '基礎單據測試作業', 'FW', 'FWBASE01C');

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWBASE01', 'M11_TABLE', 'FWDOC'),
 ('FWBASE01', 'M11_KEY', 'DC001'),
 ('FWBASE01', 'MAX_RECORD', '20');

INSERT OR IGNORE INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'FWBASE01', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('LIUF', 'FWBASE01', ',Y,N,NNNNNYNNNNNN,NNNNNNN,NNNNNNN', '', 'N');

INSERT OR IGNORE INTO NUMFD (FD001, FD002, FD003, FD004) VALUES
 ('FWDOC', 'DC003', 5, 2), ('FWDOC', 'DC004', 13, 7);

------------------------------------------------------------------------------------------------------
-- FWSING01: the single-table level (TfrmSingle, TdmSingle) over FWDOC; its colour column gdHead marks
-- the large amounts
------------------------------------------------------------------------------------------------------

INSERT OR IGNORE INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('FWSING01', '单档单据测试作业', '', '', '', '', '', '', 'N', 'W', 'Single Document Test', '單檔單據測試作業', 'FW', 'FWSING01C');

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWSING01', 'M11_TABLE', 'FWDOC'),
 ('FWSING01', 'M11_KEY', 'DC001'),
 ('FWSING01', 'M11_SELECT',
  'SELECT FWDOC.*, CASE WHEN FWDOC.DC003 > 250 THEN ''bkcolor=255;colorx=16777215'' ELSE '''' END AS gdHead FROM $$FWDOC FWDOC'),
 ('FWSING01', 'MAX_RECORD', '20');

INSERT OR IGNORE INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'FWSING01', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N');

-- FWDBL01: the header-plus-body level (TfrmDouble, TdmDouble) over FWDHD and its lines FWDLN
------------------------------------------------------------------------------------------------------

-- 框架测试单头
CREATE TABLE IF NOT EXISTS FWDHD (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    DH001 CHAR(4)       COLLATE RTRIM NOT NULL,    -- 单别
    DH002 CHAR(11)      COLLATE RTRIM NOT NULL,    -- 单号
    DH003 CHAR(8)       COLLATE RTRIM DEFAULT '',  -- 单据日期
    DH004 VARCHAR(20)   DEFAULT '',                -- 说明
    DH005 NUMERIC(12,2) DEFAULT 0,                 -- 总金额
    DH006 CHAR(1)       COLLATE RTRIM DEFAULT 'N', -- 审核码 Y/N/V/U
    DH007 CHAR(8)       DEFAULT '',                -- 审核日期
    PRIMARY KEY (DH001, DH002)
);

-- 框架测试单身
CREATE TABLE IF NOT EXISTS FWDLN (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    DL001 CHAR(4)       COLLATE RTRIM NOT NULL,    -- 单别
    DL002 CHAR(11)      COLLATE RTRIM NOT NULL,    -- 单号
    DL003 CHAR(4)       COLLATE RTRIM NOT NULL,    -- 序号
    DL004 VARCHAR(20)   DEFAULT '',                -- 品名
    DL005 NUMERIC(10,2) DEFAULT 0,                 -- 数量
    DL006 NUMERIC(12,2) DEFAULT 0,                 -- 金额
    DL007 CHAR(1)       COLLATE RTRIM DEFAULT 'N', -- 审核码
    PRIMARY KEY (DL001, DL002, DL003)
);

INSERT OR IGNORE INTO FWDHD (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, DH001, DH002, DH003, DH004, DH005) VALUES
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', '5102', 'H0001', '20260105', '样单', 30);

INSERT OR IGNORE INTO FWDLN (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, DL001, DL002, DL003, DL004, DL005, DL006) VALUES
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', '5102', 'H0001', '0001', '螺丝', 10, 10),
 ('DEMO', 'DEMO', 'IMP', '20260105090000000', '5102', 'H0001', '0002', '螺母', 20, 20);

INSERT OR IGNORE INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('FWDBL01', '单头单身测试作业', '', '', '', '', '', '', 'N', 'W', 'Header and Lines Test', '單頭單身測試作業', 'FW', 'FWDBL01C');

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWDBL01', 'M11_TABLE', 'FWDHD'),
 ('FWDBL01', 'M11_KEY', 'DH001,DH002'),
 ('FWDBL01', 'D11_TABLE', 'FWDLN'),
 ('FWDBL01', 'D11_KEY', 'DL001,DL002,DL003'),
 ('FWDBL01', 'SEQ_DATE', 'DH003'),
 ('FWDBL01', 'MAX_RECORD', '20');

INSERT OR IGNORE INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'FWDBL01', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N'),
 ('LIUF', 'FWDBL01', ',Y,N,NNNNNYNNNNNN,NNNNNNN,NNNNNNN', '', 'N');

INSERT OR IGNORE INTO QVNMU (MU001, MU002, MU003, MU004, MU005) VALUES
 ('DEMO', 'DEMO', 'FWDBL01', 'InputSettings002/IsKeepOnAdd', 'False');

INSERT OR IGNORE INTO NUMFD (FD001, FD002, FD003, FD004) VALUES
 ('FWDHD', 'DH005', 12, 2), ('FWDLN', 'DL005', 10, 2), ('FWDLN', 'DL006', 12, 2);

------------------------------------------------------------------------------------------------------
-- FWQBE01: the query dialog, its saved schemes and quick find over FWDOC
------------------------------------------------------------------------------------------------------

INSERT OR IGNORE INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('FWQBE01', '查询条件测试作业', '', '', '', '', '', '', 'N', 'W', 'Query Test', '查詢條件測試作業', 'FW', 'FWQBE01C');

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWQBE01', 'M11_TABLE', 'FWDOC'),
 ('FWQBE01', 'M11_KEY', 'DC001'),
 ('FWQBE01', 'MAX_RECORD', '20');

INSERT OR IGNORE INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'FWQBE01', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N');

------------------------------------------------------------------------------------------------------
-- FWDBL01's confirmation: the confirm-code fields the transaction manager and the saves know, and two
-- more documents, one confirmed and one open, beside H0001
------------------------------------------------------------------------------------------------------

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWDBL01', 'M11_CONFIRM', 'DH006'),
 ('FWDBL01', 'M11_CONFIRM_DATE', 'DH007'),
 ('FWDBL01', 'D11_CONFIRM', 'DL007');

INSERT OR IGNORE INTO FWDHD (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, DH001, DH002, DH003, DH004, DH005, DH006, DH007) VALUES
 ('DEMO', 'DEMO', 'IMP', '20260106090000000', '5102', 'H0002', '20260106', '已审单', 5, 'Y', '20260107'),
 ('DEMO', 'DEMO', 'IMP', '20260108090000000', '5102', 'H0003', '20260108', '待审单', 8, 'N', '');

INSERT OR IGNORE INTO FWDLN (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, DL001, DL002, DL003, DL004, DL005, DL006, DL007) VALUES
 ('DEMO', 'DEMO', 'IMP', '20260106090000000', '5102', 'H0002', '0001', '垫片', 5, 5, 'Y'),
 ('DEMO', 'DEMO', 'IMP', '20260108090000000', '5102', 'H0003', '0001', '弹簧', 8, 8, 'N');

------------------------------------------------------------------------------------------------------
-- FWDLG01: the options, confirm-date and colour-filter dialogs over FWDOC
------------------------------------------------------------------------------------------------------

INSERT OR IGNORE INTO WOQMB (MB001, MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011, MB012, MB013, MB014) VALUES
 ('FWDLG01', '对话框测试作业', '', '', '', '', '', '', 'N', 'W', 'Dialog Test', '對話框測試作業', 'FW', 'FWDLG01C');

INSERT OR IGNORE INTO WOQMS (MS001, MS002, MS003) VALUES
 ('FWDLG01', 'M11_TABLE', 'FWDOC'),
 ('FWDLG01', 'M11_KEY', 'DC001'),
 ('FWDLG01', 'MAX_RECORD', '20');

INSERT OR IGNORE INTO QVNMD (MD001, MD002, MD003, MD004, MD005) VALUES
 ('DEMO', 'FWDLG01', ',Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY', '', 'N');

------------------------------------------------------------------------------------------------------
-- FWSING01's services: attachments of two records, a drill-down link from the code to FWBASE01 and
-- two print formats of its print program FWPRT01
------------------------------------------------------------------------------------------------------

INSERT OR IGNORE INTO ATTACH (Parent, KeyValues, CompanyID, UserID, Type, SeqNo, FileName, AddDate, KeyFields) VALUES
 ('FWSING01', 'D001', 'DEMO', 'DEMO', 'FILE', 1, 'D001合同.pdf', '20260105', 'DC001'),
 ('FWSING01', 'D003', 'DEMO', 'DEMO', 'FILE', 1, 'D003报价.xls', '20260105', 'DC001');

INSERT OR IGNORE INTO WOQMR (MR001, MR002, MR003, MR004, MR005, MR006, MR007, MR008, MR009, MR010, MR011) VALUES
 ('FWSING01', '0001', '', 'DC001', 'DC001', 'FWBASE01', 'FWDOC.DC001', 'FWDOC.DC001', '', '', 1);

INSERT OR IGNORE INTO WARRANT (NT001, NT002) VALUES
 ('FWPRT01-01', '单档格式一'),
 ('FWPRT01-02', '单档格式二');
