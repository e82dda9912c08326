-- Demo database of the letter-of-credit module: the company's tables in one SQLite file.
--
-- Conventions of every table:
--   * texts are UTF-8; the server converts at its boundary to the client's database code page;
--   * code and key columns are CHAR(n) with the RTRIM collation: they compare as fixed-width columns
--     do (trailing blanks do not count), and the SQL dialect pads them to n characters where a client
--     text concatenates them (TA001+TA002 >= 'A   0001       ');
--   * names and remarks are VARCHAR(n): kept as sent, never padded;
--   * dates are 'YYYYMMDD' text, year-months 'YYYYMM', audit time stamps 'YYYYMMDDHHNNSSZZZ';
--   * amounts, prices, quantities and rates are NUMERIC(p,s) with the digits the forms use
--     (NUMFD repeats them for the client's range checks);
--   * the audit columns COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE, FLAG lead every
--     table; FLAG counts saves (1..999) and is compared when a change comes back.
-- The database is created from this file and data/seed.sql on first use; PRAGMA user_version marks it
-- complete. A database of an earlier version runs this file again: every statement creates only what
-- is missing, so tables and indexes added since appear and the rows already there stay as they are.
-- Raise the version in standins/appserver/database.cpp with every change to this file.

------------------------------------------------------------------------------------------------------
-- Letter-of-credit documents
------------------------------------------------------------------------------------------------------

-- 信用证开证单头
CREATE TABLE IF NOT EXISTS KVRTA (
    COMPANY     CHAR(10)      COLLATE RTRIM DEFAULT '',
    CREATOR     CHAR(10)      COLLATE RTRIM DEFAULT '',
    USR_GROUP   CHAR(10)      COLLATE RTRIM DEFAULT '',
    CREATE_DATE CHAR(17)      DEFAULT '',
    MODIFIER    CHAR(10)      COLLATE RTRIM DEFAULT '',
    MODI_DATE   CHAR(17)      DEFAULT '',
    FLAG        NUMERIC(3,0)  DEFAULT 1,
    TA001 CHAR(4)       COLLATE RTRIM NOT NULL,   -- 单别
    TA002 CHAR(11)      COLLATE RTRIM NOT NULL,   -- 单号
    TA003 CHAR(1)       COLLATE RTRIM DEFAULT '1',-- 类别
    TA004 VARCHAR(20)   DEFAULT '',               -- L/C单号
    TA005 CHAR(10)      COLLATE RTRIM DEFAULT '', -- 供应商
    TA006 CHAR(10)      COLLATE RTRIM DEFAULT '', -- 开证银行 (银行或银行账户代号)
    TA007 VARCHAR(4)    DEFAULT '',               -- 额度别
    TA008 CHAR(8)       DEFAULT '',               -- 开证日期
    TA009 CHAR(8)       DEFAULT '',               -- 有效日期
    TA010 NUMERIC(5,0)  DEFAULT 0,                -- 远期天数
    TA011 VARCHAR(20)   DEFAULT '',               -- 许可证号
    TA012 CHAR(8)       DEFAULT '',               -- 装船期限
    TA013 VARCHAR(20)   DEFAULT '',               -- 运送方式
    TA014 CHAR(8)       DEFAULT '',               -- E.T.D
    TA015 CHAR(8)       DEFAULT '',               -- E.T.A
    TA016 CHAR(4)       COLLATE RTRIM DEFAULT '', -- 开证币种
    TA017 NUMERIC(13,7) DEFAULT 0,                -- 开证汇率
    TA018 NUMERIC(21,6) DEFAULT 0,                -- 开证金额
    TA019 NUMERIC(21,6) DEFAULT 0,                -- 更改金额
    TA020 NUMERIC(21,6) DEFAULT 0,                -- 已到货额
    TA021 NUMERIC(7,4)  DEFAULT 0,                -- 自筹比率 (小数: 0.1 = 10%)
    TA022 NUMERIC(21,6) DEFAULT 0,                -- 原币自筹金额
    TA023 NUMERIC(21,6) DEFAULT 0,                -- 自筹金额 (本币)
    TA024 NUMERIC(21,6) DEFAULT 0,                -- 手续费
    TA025 NUMERIC(21,6) DEFAULT 0,                -- 保险费
    TA026 NUMERIC(21,6) DEFAULT 0,                -- 签证费
    TA027 NUMERIC(21,6) DEFAULT 0,                -- 邮电费
    TA028 NUMERIC(21,6) DEFAULT 0,                -- 杂项费用
    TA029 NUMERIC(21,6) DEFAULT 0,                -- 其他费用
    TA030 NUMERIC(21,6) DEFAULT 0,                -- 隐藏字段
    TA031 NUMERIC(21,6) DEFAULT 0,                -- 隐藏字段
    TA032 NUMERIC(21,6) DEFAULT 0,                -- 隐藏字段
    TA033 NUMERIC(21,6) DEFAULT 0,                -- 费用合计
    TA034 NUMERIC(21,6) DEFAULT 0,                -- 已摊费用
    TA035 NUMERIC(21,6) DEFAULT 0,                -- 已摊自筹额
    TA036 CHAR(6)       COLLATE RTRIM DEFAULT '', -- 工厂
    TA037 VARCHAR(255)  DEFAULT '',               -- 备注
    TA038 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 审核码 Y/N/V/U
    TA039 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 结束
    TA040 NUMERIC(21,6) DEFAULT 0,                -- 单身采购金额合计
    TA041 NUMERIC(3,0)  DEFAULT 0,                -- 打印次数
    TA042 CHAR(8)       DEFAULT '',               -- 审核日
    TA043 CHAR(10)      COLLATE RTRIM DEFAULT '', -- 审核者
    TA044 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 签核状态
    TA045 NUMERIC(3,0)  DEFAULT 0,                -- 传送次数
    UDF01 VARCHAR(255) DEFAULT '', UDF02 VARCHAR(255) DEFAULT '', UDF03 VARCHAR(255) DEFAULT '',
    UDF04 VARCHAR(255) DEFAULT '', UDF05 VARCHAR(255) DEFAULT '', UDF06 VARCHAR(255) DEFAULT '',
    UDF07 VARCHAR(255) DEFAULT '', UDF08 VARCHAR(255) DEFAULT '', UDF09 VARCHAR(255) DEFAULT '',
    UDF10 VARCHAR(255) DEFAULT '', UDF11 VARCHAR(255) DEFAULT '', UDF12 VARCHAR(255) DEFAULT '',
    UDF51 NUMERIC(21,6) DEFAULT 0, UDF52 NUMERIC(21,6) DEFAULT 0, UDF53 NUMERIC(21,6) DEFAULT 0,
    UDF54 NUMERIC(21,6) DEFAULT 0, UDF55 NUMERIC(21,6) DEFAULT 0, UDF56 NUMERIC(21,6) DEFAULT 0,
    UDF57 NUMERIC(21,6) DEFAULT 0, UDF58 NUMERIC(21,6) DEFAULT 0, UDF59 NUMERIC(21,6) DEFAULT 0,
    UDF60 NUMERIC(21,6) DEFAULT 0, UDF61 NUMERIC(21,6) DEFAULT 0, UDF62 NUMERIC(21,6) DEFAULT 0,
    PRIMARY KEY (TA001, TA002)
);
CREATE INDEX IF NOT EXISTS KVRTA_SUPPLIER ON KVRTA (TA005);
CREATE INDEX IF NOT EXISTS KVRTA_DATE ON KVRTA (TA008);

-- 信用证开证单身: 每行对应一条采购单身
CREATE TABLE IF NOT EXISTS KVRTB (
    COMPANY     CHAR(10)      COLLATE RTRIM DEFAULT '',
    CREATOR     CHAR(10)      COLLATE RTRIM DEFAULT '',
    USR_GROUP   CHAR(10)      COLLATE RTRIM DEFAULT '',
    CREATE_DATE CHAR(17)      DEFAULT '',
    MODIFIER    CHAR(10)      COLLATE RTRIM DEFAULT '',
    MODI_DATE   CHAR(17)      DEFAULT '',
    FLAG        NUMERIC(3,0)  DEFAULT 1,
    TB001 CHAR(4)       COLLATE RTRIM NOT NULL,   -- 单别
    TB002 CHAR(11)      COLLATE RTRIM NOT NULL,   -- 单号
    TB003 CHAR(4)       COLLATE RTRIM NOT NULL,   -- 序号
    TB004 CHAR(4)       COLLATE RTRIM DEFAULT '', -- 采购单别
    TB005 CHAR(11)      COLLATE RTRIM DEFAULT '', -- 采购单号
    TB006 CHAR(4)       COLLATE RTRIM DEFAULT '', -- 采购序号
    TB007 CHAR(10)      COLLATE RTRIM DEFAULT '', -- 入库仓库
    TB008 NUMERIC(21,6) DEFAULT 0,                -- 本行分摊的自筹金额
    TB009 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 审核码
    UDF01 VARCHAR(255) DEFAULT '', UDF02 VARCHAR(255) DEFAULT '', UDF03 VARCHAR(255) DEFAULT '',
    UDF04 VARCHAR(255) DEFAULT '', UDF05 VARCHAR(255) DEFAULT '', UDF06 VARCHAR(255) DEFAULT '',
    UDF07 VARCHAR(255) DEFAULT '', UDF08 VARCHAR(255) DEFAULT '', UDF09 VARCHAR(255) DEFAULT '',
    UDF10 VARCHAR(255) DEFAULT '', UDF11 VARCHAR(255) DEFAULT '', UDF12 VARCHAR(255) DEFAULT '',
    UDF51 NUMERIC(21,6) DEFAULT 0, UDF52 NUMERIC(21,6) DEFAULT 0, UDF53 NUMERIC(21,6) DEFAULT 0,
    UDF54 NUMERIC(21,6) DEFAULT 0, UDF55 NUMERIC(21,6) DEFAULT 0, UDF56 NUMERIC(21,6) DEFAULT 0,
    UDF57 NUMERIC(21,6) DEFAULT 0, UDF58 NUMERIC(21,6) DEFAULT 0, UDF59 NUMERIC(21,6) DEFAULT 0,
    UDF60 NUMERIC(21,6) DEFAULT 0, UDF61 NUMERIC(21,6) DEFAULT 0, UDF62 NUMERIC(21,6) DEFAULT 0,
    PRIMARY KEY (TB001, TB002, TB003),
    FOREIGN KEY (TB001, TB002) REFERENCES KVRTA (TA001, TA002)
);
CREATE INDEX IF NOT EXISTS KVRTB_ORDER_LINE ON KVRTB (TB004, TB005, TB006);

------------------------------------------------------------------------------------------------------
-- Master tables the program checks and looks up
------------------------------------------------------------------------------------------------------

-- 单据性质 (单别)
CREATE TABLE IF NOT EXISTS TAZMQ (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MQ001 CHAR(4)      COLLATE RTRIM NOT NULL,   -- 单别
    MQ002 VARCHAR(20)  DEFAULT '',               -- 单据名称
    MQ003 CHAR(2)      COLLATE RTRIM DEFAULT '', -- 单据性质 (A1 信用证开证)
    MQ004 CHAR(1)      COLLATE RTRIM DEFAULT '1',-- 编码方式: 1 日编 2 月编 3 流水号 4 手动编号
    MQ005 NUMERIC(2,0) DEFAULT 3,                -- 流水号位数
    MQ006 VARCHAR(10)  DEFAULT '',               -- 单别简称
    MQ007 CHAR(3)      COLLATE RTRIM DEFAULT '', -- 系统别
    MQ008 CHAR(10)     COLLATE RTRIM DEFAULT '', -- 打印程序
    MQ009 CHAR(1)      COLLATE RTRIM DEFAULT 'Y',-- 有效码
    MQ010 VARCHAR(255) DEFAULT '',               -- 备注
    MQ011 CHAR(1)      COLLATE RTRIM DEFAULT 'N',-- 需电子签核
    MQ012 CHAR(1)      COLLATE RTRIM DEFAULT 'N',-- 保存后自动审核
    MQ013 CHAR(1)      COLLATE RTRIM DEFAULT 'N',-- 保存后自动打印
    PRIMARY KEY (MQ001)
);

-- 供应商
CREATE TABLE IF NOT EXISTS BYVMA (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MA001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 供应商编号
    MA002 VARCHAR(20)  DEFAULT '',               -- 简称
    MA003 VARCHAR(80)  DEFAULT '',               -- 全称
    MA004 VARCHAR(20)  DEFAULT '',               -- 负责人
    MA005 VARCHAR(20)  DEFAULT '',               -- 联系人
    MA006 VARCHAR(30)  DEFAULT '',               -- 电话
    MA007 VARCHAR(30)  DEFAULT '',               -- 传真
    MA008 VARCHAR(60)  DEFAULT '',               -- 电子邮件
    MA009 VARCHAR(120) DEFAULT '',               -- 地址
    MA010 VARCHAR(20)  DEFAULT '',               -- 国家或地区
    MA011 CHAR(4)      COLLATE RTRIM DEFAULT '', -- 交易币种
    MA012 VARCHAR(30)  DEFAULT '',               -- 付款条件
    MA013 CHAR(1)      COLLATE RTRIM DEFAULT 'Y',-- 核准状况 Y 已核准 N 未核准
    MA014 CHAR(10)     COLLATE RTRIM DEFAULT '', -- 往来银行
    PRIMARY KEY (MA001)
);

-- 金融机构 (银行)
CREATE TABLE IF NOT EXISTS TAZMO (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MO001 CHAR(10)      COLLATE RTRIM NOT NULL,  -- 银行代号
    MO002 VARCHAR(40)   DEFAULT '',              -- 银行名称
    MO003 VARCHAR(20)   DEFAULT '',              -- 简称
    MO004 VARCHAR(11)   DEFAULT '',              -- SWIFT 代码
    MO005 VARCHAR(120)  DEFAULT '',              -- 地址
    MO006 VARCHAR(30)   DEFAULT '',              -- 电话
    MO007 VARCHAR(20)   DEFAULT '',              -- 联系人
    MO008 NUMERIC(21,6) DEFAULT 0,               -- 开证授信额度 (本币)
    PRIMARY KEY (MO001)
);

-- 工厂
CREATE TABLE IF NOT EXISTS TAZMB (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MB001 CHAR(6)      COLLATE RTRIM NOT NULL,   -- 工厂编号
    MB002 VARCHAR(20)  DEFAULT '',               -- 工厂名称
    MB003 VARCHAR(10)  DEFAULT '',               -- 简称
    MB004 VARCHAR(120) DEFAULT '',               -- 地址
    MB005 VARCHAR(30)  DEFAULT '',               -- 电话
    MB006 VARCHAR(20)  DEFAULT '',               -- 负责人
    MB007 CHAR(1)      COLLATE RTRIM DEFAULT 'N',-- 默认工厂
    MB008 CHAR(8)      DEFAULT '',               -- 启用日期
    PRIMARY KEY (MB001)
);

-- 币种
CREATE TABLE IF NOT EXISTS TAZMF (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MF001 CHAR(4)      COLLATE RTRIM NOT NULL,   -- 币种
    MF002 VARCHAR(20)  DEFAULT '',               -- 币种名称
    MF003 NUMERIC(1,0) DEFAULT 4,                -- 单价小数位数
    MF004 NUMERIC(1,0) DEFAULT 2,                -- 金额小数位数
    MF005 NUMERIC(1,0) DEFAULT 4,                -- 单位成本小数位数
    MF006 NUMERIC(1,0) DEFAULT 2,                -- 成本金额小数位数
    MF007 VARCHAR(4)   DEFAULT '',               -- 符号
    PRIMARY KEY (MF001)
);

-- 汇率 (按生效日期)
CREATE TABLE IF NOT EXISTS TAZMG (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MG001 CHAR(4)       COLLATE RTRIM NOT NULL,  -- 币种
    MG002 CHAR(8)       NOT NULL,                -- 生效日期
    MG003 NUMERIC(13,7) DEFAULT 0,               -- 银行买入汇率
    MG004 NUMERIC(13,7) DEFAULT 0,               -- 银行卖出汇率
    MG005 NUMERIC(13,7) DEFAULT 0,               -- 报关买入汇率
    MG006 NUMERIC(13,7) DEFAULT 0,               -- 报关卖出汇率
    PRIMARY KEY (MG001, MG002)
);

-- 银行账户
CREATE TABLE IF NOT EXISTS GIMMA (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MA001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 账户代号
    MA002 VARCHAR(40) DEFAULT '',                -- 账户名称
    MA003 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 开户银行
    MA004 VARCHAR(30) DEFAULT '',                -- 银行账号
    MA005 CHAR(4)     COLLATE RTRIM DEFAULT '',  -- 币种
    MA006 CHAR(8)     DEFAULT '',                -- 开户日期
    MA007 CHAR(1)     COLLATE RTRIM DEFAULT 'Y', -- 有效码
    PRIMARY KEY (MA001)
);

-- 品号
CREATE TABLE IF NOT EXISTS RUXMB (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MB001 CHAR(20)    COLLATE RTRIM NOT NULL,    -- 品号
    MB002 VARCHAR(60) DEFAULT '',                -- 品名
    MB003 VARCHAR(60) DEFAULT '',                -- 规格
    MB004 CHAR(4)     COLLATE RTRIM DEFAULT '',  -- 库存单位
    MB005 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 主要仓库
    MB006 CHAR(4)     COLLATE RTRIM DEFAULT '',  -- 包装单位
    MB007 CHAR(4)     COLLATE RTRIM DEFAULT '',  -- 计价单位
    MB008 VARCHAR(20) DEFAULT '',                -- 图文档编号
    MB009 VARCHAR(10) DEFAULT '',                -- 图文档版次
    PRIMARY KEY (MB001)
);

-- 仓库
CREATE TABLE IF NOT EXISTS RUXMC (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MC001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 仓库编号
    MC002 VARCHAR(20)  DEFAULT '',               -- 仓库名称
    MC003 CHAR(6)      COLLATE RTRIM DEFAULT '', -- 所属工厂
    MC004 VARCHAR(120) DEFAULT '',               -- 地址
    PRIMARY KEY (MC001)
);

-- 图文档对照 (品号以外的关联图文档)
CREATE TABLE IF NOT EXISTS TAZMV (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MV001 VARCHAR(60) NOT NULL,                  -- 关联值
    MV002 VARCHAR(20) DEFAULT '',                -- 图文档编号
    MV003 VARCHAR(10) DEFAULT '',                -- 版次
    PRIMARY KEY (MV001)
);

-- 采购单头
CREATE TABLE IF NOT EXISTS BYVTC (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    TC001 CHAR(4)       COLLATE RTRIM NOT NULL,  -- 采购单别
    TC002 CHAR(11)      COLLATE RTRIM NOT NULL,  -- 采购单号
    TC003 CHAR(8)       DEFAULT '',              -- 采购日期
    TC004 CHAR(10)      COLLATE RTRIM DEFAULT '',-- 供应商
    TC005 CHAR(4)       COLLATE RTRIM DEFAULT '',-- 币种
    TC006 NUMERIC(13,7) DEFAULT 0,               -- 汇率
    TC007 VARCHAR(30)   DEFAULT '',              -- 付款条件
    TC008 VARCHAR(30)   DEFAULT '',              -- 价格条件
    TC009 VARCHAR(255)  DEFAULT '',              -- 备注
    TC010 CHAR(6)       COLLATE RTRIM DEFAULT '',-- 工厂
    TC011 CHAR(10)      COLLATE RTRIM DEFAULT '',-- 采购人员
    TC012 CHAR(10)      COLLATE RTRIM DEFAULT '',-- 审核者
    TC013 CHAR(8)       DEFAULT '',              -- 审核日期
    TC014 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 审核码
    TC015 NUMERIC(21,6) DEFAULT 0,               -- 采购金额
    TC016 NUMERIC(21,6) DEFAULT 0,               -- 税额
    PRIMARY KEY (TC001, TC002)
);

-- 采购单身
CREATE TABLE IF NOT EXISTS BYVTD (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    TD001 CHAR(4)       COLLATE RTRIM NOT NULL,  -- 采购单别
    TD002 CHAR(11)      COLLATE RTRIM NOT NULL,  -- 采购单号
    TD003 CHAR(4)       COLLATE RTRIM NOT NULL,  -- 序号
    TD004 CHAR(20)      COLLATE RTRIM DEFAULT '',-- 品号
    TD005 VARCHAR(60)   DEFAULT '',              -- 品名
    TD006 VARCHAR(60)   DEFAULT '',              -- 规格
    TD007 CHAR(10)      COLLATE RTRIM DEFAULT '',-- 交货仓库
    TD008 NUMERIC(16,3) DEFAULT 0,               -- 采购数量
    TD009 CHAR(4)       COLLATE RTRIM DEFAULT '',-- 单位
    TD010 NUMERIC(21,6) DEFAULT 0,               -- 采购单价
    TD011 NUMERIC(21,6) DEFAULT 0,               -- 采购金额
    TD012 CHAR(8)       DEFAULT '',              -- 预交货日
    TD013 CHAR(8)       DEFAULT '',              -- 原预交货日
    TD014 VARCHAR(255)  DEFAULT '',              -- 备注
    TD015 NUMERIC(16,3) DEFAULT 0,               -- 已交数量
    TD016 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 结案码
    TD018 CHAR(1)       COLLATE RTRIM DEFAULT 'N',-- 审核码
    TD030 NUMERIC(16,3) DEFAULT 0,               -- 采购包装数量
    TD031 NUMERIC(16,3) DEFAULT 0,               -- 已交包装数量
    TD032 CHAR(4)       COLLATE RTRIM DEFAULT '',-- 包装单位
    TD038 CHAR(4)       COLLATE RTRIM DEFAULT '',-- 计价单位
    TD039 NUMERIC(16,3) DEFAULT 0,               -- 计价数量
    PRIMARY KEY (TD001, TD002, TD003)
);

------------------------------------------------------------------------------------------------------
-- Platform: program catalogue, sign-off, users, rights and settings
------------------------------------------------------------------------------------------------------

-- 作业程序目录
CREATE TABLE IF NOT EXISTS WOQMB (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MB001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MB002 VARCHAR(40) DEFAULT '',                -- 程序名称
    MB003 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 打印程序
    MB004 VARCHAR(40) DEFAULT '',                -- 交易服务器 (空: 默认交易管理器)
    MB005 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 交易程序
    MB006 VARCHAR(20) DEFAULT '',                -- 保留
    MB007 VARCHAR(20) DEFAULT '',                -- 签核接口
    MB008 VARCHAR(20) DEFAULT '',                -- 签核表单
    MB009 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 列入目录
    MB010 CHAR(1)     COLLATE RTRIM DEFAULT 'W', -- 程序种类 W 维护 E 查询 Z 报表
    MB011 VARCHAR(60) DEFAULT '',                -- 英文名称
    MB012 VARCHAR(40) DEFAULT '',                -- 繁体名称
    MB013 CHAR(3)     COLLATE RTRIM DEFAULT '',  -- 系统别
    MB014 VARCHAR(40) DEFAULT '',                -- 模块文件 (空: 本系统未提供)
    PRIMARY KEY (MB001)
);

-- 电子签核单别设定
CREATE TABLE IF NOT EXISTS WOQMQ (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MQ001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MQ002 CHAR(4)     COLLATE RTRIM NOT NULL,    -- 单别 (**** 全部单别)
    MQ003 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 审核送签 Y 送签 C 确认后送签 N 不送签
    MQ004 VARCHAR(20) DEFAULT '',                -- 签核表单编号
    MQ005 VARCHAR(40) DEFAULT '',                -- 说明
    MQ006 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 取消审核送签
    MQ007 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 作废送签
    MQ008 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 取消作废送签
    PRIMARY KEY (MQ001, MQ002)
);

-- 电子签核栏位对应
CREATE TABLE IF NOT EXISTS WOQMT (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MT001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MT002 CHAR(4)     COLLATE RTRIM NOT NULL,    -- 单别
    MT003 CHAR(4)     COLLATE RTRIM NOT NULL,    -- 顺序
    MT004 VARCHAR(20) DEFAULT '',                -- 栏位
    MT005 VARCHAR(20) DEFAULT '',                -- 所在表
    MT006 VARCHAR(40) DEFAULT '',                -- 签核系统栏位名称
    PRIMARY KEY (MT001, MT002, MT003)
);

-- 栏位链接 (穿透查询)
CREATE TABLE IF NOT EXISTS WOQMR (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MR001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 来源程序
    MR002 CHAR(4)     COLLATE RTRIM NOT NULL,    -- 链接编号
    MR003 VARCHAR(20) DEFAULT '',                -- 选择栏位
    MR004 VARCHAR(20) DEFAULT '',                -- 来源栏位一
    MR005 VARCHAR(20) DEFAULT '',                -- 来源栏位二
    MR006 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 目标程序
    MR007 VARCHAR(40) DEFAULT '',                -- 目标栏位一
    MR008 VARCHAR(40) DEFAULT '',                -- 目标栏位二
    MR009 VARCHAR(4)  DEFAULT '',                -- 分隔符
    MR010 VARCHAR(20) DEFAULT '',                -- 选择值
    MR011 NUMERIC(3,0) DEFAULT 0,                -- 顺序
    PRIMARY KEY (MR001, MR002)
);

-- 程序的服务器设定 (SvrData 的 name=value 行)
CREATE TABLE IF NOT EXISTS WOQMS (
    MS001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MS002 VARCHAR(20) NOT NULL,                  -- 设定名称
    MS003 TEXT        DEFAULT '',                -- 设定值
    PRIMARY KEY (MS001, MS002)
);

-- 自定义栏位标签
CREATE TABLE IF NOT EXISTS WOQMD (
    MD001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 表
    MD002 VARCHAR(20) NOT NULL,                  -- 栏位
    MD003 VARCHAR(40) DEFAULT '',                -- 中文标签
    MD004 VARCHAR(40) DEFAULT '',                -- 英文标签
    PRIMARY KEY (MD001, MD002)
);

-- 自定义栏位计算: 定义 (WOQTK), 公式 (WOQTL), 联动栏位 (WOQTJ)
CREATE TABLE IF NOT EXISTS WOQTK (
    TK001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 定义代号
    TK002 VARCHAR(40) DEFAULT '',                -- 名称
    TK003 CHAR(1)     COLLATE RTRIM DEFAULT 'Y', -- 有效码
    PRIMARY KEY (TK001)
);
CREATE TABLE IF NOT EXISTS WOQTL (
    TL001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 定义代号
    TL002 CHAR(4)      COLLATE RTRIM NOT NULL,   -- 序号
    TL003 CHAR(10)     COLLATE RTRIM DEFAULT '', -- 程序代号
    TL005 VARCHAR(10)  DEFAULT '',               -- 标签 (Z01 单头, Z01D 单身 ...)
    TL006 VARCHAR(20)  DEFAULT '',               -- 目标栏位
    TL010 CHAR(1)      COLLATE RTRIM DEFAULT 'Y',-- 有效码
    TL011 NUMERIC(3,0) DEFAULT 0,                -- 顺序
    TL012 VARCHAR(255) DEFAULT '',               -- 相关栏位 (以 ; 分隔)
    TL013 TEXT         DEFAULT '',               -- 公式 (查询语句)
    PRIMARY KEY (TL001, TL002)
);
CREATE TABLE IF NOT EXISTS WOQTJ (
    TJ001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    TJ002 VARCHAR(10) NOT NULL,                  -- 标签
    TJ003 VARCHAR(20) NOT NULL,                  -- 表
    TJ004 CHAR(4)     COLLATE RTRIM DEFAULT '',  -- 序号
    TJ005 VARCHAR(20) NOT NULL,                  -- 栏位
    PRIMARY KEY (TJ001, TJ002, TJ003, TJ005)
);

-- 颜色管理设定 (每个程序一份 XML)
CREATE TABLE IF NOT EXISTS WOQNH (
    NH001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    NH002 VARCHAR(40) DEFAULT '',                -- 说明
    NH003 TEXT        DEFAULT '',                -- 颜色条件 XML
    PRIMARY KEY (NH001)
);

-- 画面设定文件 (GetFormat: 每公司每程序一份 XML)
CREATE TABLE IF NOT EXISTS WOQMF (
    MF001 CHAR(10) COLLATE RTRIM NOT NULL,       -- 公司
    MF002 CHAR(10) COLLATE RTRIM NOT NULL,       -- 程序代号
    MF003 TEXT     DEFAULT '',                   -- 设定 XML
    PRIMARY KEY (MF001, MF002)
);

-- 常用语
CREATE TABLE IF NOT EXISTS WOQMP (
    MP001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 用户 (空: 全体用户)
    MP002 CHAR(4)      COLLATE RTRIM NOT NULL,   -- 序号
    MP003 VARCHAR(255) DEFAULT '',               -- 常用语
    PRIMARY KEY (MP001, MP002)
);

-- 查询窗口链接 (自定义栏位的 F2 查询)
CREATE TABLE IF NOT EXISTS F2LINK (
    LK001 CHAR(1)     COLLATE RTRIM NOT NULL,    -- 类别
    LK002 VARCHAR(20) NOT NULL,                  -- 来源文件
    LK003 VARCHAR(20) NOT NULL,                  -- 来源栏位
    LK004 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 查询表
    LK005 CHAR(2)     COLLATE RTRIM DEFAULT '',  -- 查询编号
    PRIMARY KEY (LK001, LK002, LK003)
);

-- 凭证打印格式
CREATE TABLE IF NOT EXISTS WARRANT (
    NT001 VARCHAR(40) NOT NULL,                  -- 格式代号 (含打印程序)
    NT002 VARCHAR(40) DEFAULT '',                -- 格式名称
    PRIMARY KEY (NT001)
);

-- 附件
CREATE TABLE IF NOT EXISTS ATTACH (
    Parent    CHAR(10)     COLLATE RTRIM NOT NULL, -- 程序代号
    KeyValues VARCHAR(120) NOT NULL,               -- 单据键值 (以 || 连接)
    CompanyID CHAR(10)     COLLATE RTRIM NOT NULL,
    UserID    CHAR(10)     COLLATE RTRIM DEFAULT '',
    Type      VARCHAR(10)  DEFAULT '',
    SeqNo     NUMERIC(5,0) NOT NULL,
    FileName  VARCHAR(255) DEFAULT '',
    DocID     VARCHAR(20)  DEFAULT '',
    Revision  VARCHAR(10)  DEFAULT '',
    AddDate   CHAR(8)      DEFAULT '',
    AddTime   CHAR(6)      DEFAULT '',
    KeyFields VARCHAR(120) DEFAULT '',
    PRIMARY KEY (Parent, CompanyID, KeyValues, SeqNo)
);

-- 查询方案 (pvdConSave)
CREATE TABLE IF NOT EXISTS DOCUS (
    NCONDITION  VARCHAR(20)  NOT NULL,           -- 方案名称
    CREATOR     CHAR(10)     COLLATE RTRIM NOT NULL,
    PROGRAMME   CHAR(10)     COLLATE RTRIM NOT NULL,
    CREATE_DATE CHAR(8)      DEFAULT '',
    VCONDITION  TEXT         DEFAULT '',         -- 方案内容
    ActivePage  INTEGER      DEFAULT 0,
    PRIMARY KEY (NCONDITION, CREATOR, PROGRAMME)
);

-- 数值栏位的总位数与小数位数
CREATE TABLE IF NOT EXISTS NUMFD (
    FD001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 表
    FD002 VARCHAR(20)  NOT NULL,                 -- 栏位
    FD003 NUMERIC(2,0) DEFAULT 0,                -- 总位数
    FD004 NUMERIC(2,0) DEFAULT 0,                -- 小数位数
    PRIMARY KEY (FD001, FD002)
);

-- 用户
CREATE TABLE IF NOT EXISTS QVNMA (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MA001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 用户代号
    MA002 VARCHAR(20) DEFAULT '',                -- 用户名称
    MA003 CHAR(10)    COLLATE RTRIM DEFAULT '',  -- 主要群组
    MA004 VARCHAR(40) DEFAULT '',                -- 英文名称
    MA005 VARCHAR(60) DEFAULT '',                -- 电子邮件
    MA006 CHAR(1)     COLLATE RTRIM DEFAULT 'Y', -- 有效码
    MA007 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 超级用户
    PRIMARY KEY (MA001)
);

-- 公司 (账套)
CREATE TABLE IF NOT EXISTS QVNMB (
    COMPANY CHAR(10) COLLATE RTRIM DEFAULT '', CREATOR CHAR(10) COLLATE RTRIM DEFAULT '',
    USR_GROUP CHAR(10) COLLATE RTRIM DEFAULT '', CREATE_DATE CHAR(17) DEFAULT '',
    MODIFIER CHAR(10) COLLATE RTRIM DEFAULT '', MODI_DATE CHAR(17) DEFAULT '', FLAG NUMERIC(3,0) DEFAULT 1,
    MB001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 公司代号
    MB002 VARCHAR(60)  DEFAULT '',               -- 公司名称
    MB003 VARCHAR(20)  DEFAULT '',               -- 数据库名称
    MB004 VARCHAR(120) DEFAULT '',               -- 地址
    MB005 VARCHAR(30)  DEFAULT '',               -- 电话
    MB006 VARCHAR(20)  DEFAULT '',               -- 统一社会信用代码
    MB007 CHAR(4)      COLLATE RTRIM DEFAULT '936', -- 数据库代码页
    MB008 VARCHAR(120) DEFAULT '',               -- 签核服务地址
    MB009 VARCHAR(40)  DEFAULT '',               -- 签核服务方法
    MB010 VARCHAR(40)  DEFAULT '',               -- 签核站点名称
    MB011 VARCHAR(40)  DEFAULT '',               -- 签核服务器地址
    PRIMARY KEY (MB001)
);

-- 群组
CREATE TABLE IF NOT EXISTS QVNMC (
    MC001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 群组代号
    MC002 VARCHAR(20) DEFAULT '',                -- 群组名称
    PRIMARY KEY (MC001)
);

-- 用户所属群组
CREATE TABLE IF NOT EXISTS QVNMF (
    MF001 CHAR(10) COLLATE RTRIM NOT NULL,       -- 用户代号
    MF002 CHAR(10) COLLATE RTRIM NOT NULL,       -- 群组代号
    PRIMARY KEY (MF001, MF002)
);

-- 用户的程序权限 (POWER_DATA 格式: ",录入,按记录,操作权限12位,同组权限7位,他组权限7位")
CREATE TABLE IF NOT EXISTS QVNMD (
    MD001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 用户代号
    MD002 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MD003 VARCHAR(60) DEFAULT '',                -- 权限 (POWER_DATA)
    MD004 TEXT        DEFAULT '',                -- 元件权限 (EX_POWER: 元件=Y;元件=N)
    MD005 VARCHAR(20) DEFAULT 'N',               -- 基础数据权限 (BaseLimited)
    PRIMARY KEY (MD001, MD002)
);

-- 群组的程序权限 (用户没有自己的权限时使用)
CREATE TABLE IF NOT EXISTS QVNME (
    ME001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 群组代号
    ME002 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    ME003 VARCHAR(60) DEFAULT '',                -- 权限 (POWER_DATA)
    ME004 TEXT        DEFAULT '',                -- 元件权限 (EX_POWER)
    PRIMARY KEY (ME001, ME002)
);

-- 系统设定 (GetSysInfo)
CREATE TABLE IF NOT EXISTS QVNMS (
    MS001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 公司代号
    MS002 VARCHAR(20)  NOT NULL COLLATE NOCASE,  -- 设定名称 (不分大小写)
    MS003 VARCHAR(255) DEFAULT '',               -- 设定值
    MS004 VARCHAR(60)  DEFAULT '',               -- 说明
    PRIMARY KEY (MS001, MS002)
);

-- 用户设定 (GetUserDefine / SetUserDefine); 程序栏为二十个 * 时对该用户的全部程序有效
CREATE TABLE IF NOT EXISTS QVNMU (
    MU001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 公司代号
    MU002 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 用户代号
    MU003 CHAR(20)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MU004 VARCHAR(60) NOT NULL,                  -- 键路径 (InputSettings002/IsKeepOnAdd)
    MU005 TEXT        DEFAULT '',                -- 值
    PRIMARY KEY (MU001, MU002, MU003, MU004)
);

------------------------------------------------------------------------------------------------------
-- Sign-off system
------------------------------------------------------------------------------------------------------

-- 签核系统的单别设定
CREATE TABLE IF NOT EXISTS QZSMC (
    MC001 CHAR(10)    COLLATE RTRIM NOT NULL,    -- 程序代号
    MC002 CHAR(4)     COLLATE RTRIM NOT NULL,    -- 单别 (**** 全部)
    MC006 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 审核送签
    MC007 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 作废送签
    MC008 CHAR(1)     COLLATE RTRIM DEFAULT 'N', -- 取消作废送签
    MC009 VARCHAR(20) DEFAULT '',                -- 签核表单编号
    PRIMARY KEY (MC001, MC002)
);

-- 签核系统回写的表单信息
CREATE TABLE IF NOT EXISTS QZSME (
    ME001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 程序代号
    ME002 VARCHAR(20)  NOT NULL,                 -- 键值一
    ME003 VARCHAR(20)  NOT NULL DEFAULT '',      -- 键值二
    ME004 VARCHAR(20)  NOT NULL DEFAULT '',      -- 键值三
    ME005 VARCHAR(20)  NOT NULL DEFAULT '',      -- 键值四
    ME006 VARCHAR(120) NOT NULL DEFAULT '',      -- 键值五及以后
    ME007 TEXT         DEFAULT '',               -- 签核回应 XML
    PRIMARY KEY (ME001, ME002, ME003, ME004, ME005, ME006)
);

-- 签核系统的签核记录 (GetQZApprove): 每位收件人一行
CREATE TABLE IF NOT EXISTS QZAPPROVE (
    AP001 VARCHAR(20)  COLLATE RTRIM NOT NULL,   -- 签核表单编号
    AP002 VARCHAR(120) NOT NULL,                 -- 单据键值 (以 || 连接)
    AP003 VARCHAR(10)  NOT NULL DEFAULT '1',     -- 关卡
    AP004 VARCHAR(10)  NOT NULL DEFAULT '1',     -- 分支
    AP005 INTEGER      NOT NULL DEFAULT 1,       -- 序号
    AP006 VARCHAR(40)  DEFAULT '',               -- 流程角色
    AP007 CHAR(19)     DEFAULT '',               -- 收件时间
    AP008 CHAR(19)     DEFAULT '',               -- 签核时间
    AP009 VARCHAR(20)  DEFAULT '',               -- 签核结果
    AP010 VARCHAR(20)  DEFAULT '',               -- 收件人代号
    AP011 VARCHAR(40)  DEFAULT '',               -- 收件人名称
    AP012 VARCHAR(20)  DEFAULT '',               -- 签核人代号
    AP013 VARCHAR(40)  DEFAULT '',               -- 签核人名称
    PRIMARY KEY (AP001, AP002, AP003, AP004, AP005)
);

-- 签核作业队列 (INSERTQZJOB)
CREATE TABLE IF NOT EXISTS QZJOBQUE (
    QZ001 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 公司代号
    QZ002 CHAR(10)     COLLATE RTRIM NOT NULL,   -- 程序代号
    QZ003 VARCHAR(120) NOT NULL,                 -- 单据键值 (以 || 连接)
    QZ004 CHAR(10)     COLLATE RTRIM DEFAULT '', -- 送签人
    QZ005 TEXT         DEFAULT '',               -- 作业内容
    QZ006 CHAR(1)      COLLATE RTRIM DEFAULT 'N',-- 处理状态
    QZ007 CHAR(4)      COLLATE RTRIM DEFAULT '936', -- 代码页
    QZ008 VARCHAR(10)  DEFAULT '',               -- 签核程序
    QZ009 CHAR(17)     DEFAULT '',               -- 送签时间
    PRIMARY KEY (QZ001, QZ002, QZ003)
);
