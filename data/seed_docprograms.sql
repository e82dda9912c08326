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
