-- The tables of punched.mdb. Logical types: TEXT (text, compared without regard to case),
-- "DATE TEXT" (a calendar day, stored yyyy-mm-dd), "TIME TEXT" (a time of day, stored hh:mm:ss),
-- DOUBLE (number), INTEGER (integer). Rows are returned in the order they were added (rowid).

CREATE TABLE Employee (
    emp_id          TEXT COLLATE NOCASE,
    emp_lname       TEXT COLLATE NOCASE,
    emp_fname       TEXT COLLATE NOCASE,
    emp_mname       TEXT COLLATE NOCASE,
    emp_sex         TEXT COLLATE NOCASE,
    emp_dob         DATE TEXT,
    emp_apt         TEXT COLLATE NOCASE,
    emp_address     TEXT COLLATE NOCASE,
    city            TEXT COLLATE NOCASE,
    emp_state       TEXT COLLATE NOCASE,
    zip             TEXT COLLATE NOCASE,
    emp_home_phone  TEXT COLLATE NOCASE,
    emp_work_phone  TEXT COLLATE NOCASE,
    emp_cp          TEXT COLLATE NOCASE,
    sss             TEXT COLLATE NOCASE,
    Job_Description TEXT COLLATE NOCASE,
    reg_wage        DOUBLE,
    ot_wage         DOUBLE,
    date_hired      DATE TEXT,
    status          INTEGER,
    Notes           TEXT COLLATE NOCASE
);
CREATE INDEX Employee_emp_id ON Employee (emp_id);
CREATE INDEX Employee_emp_lname ON Employee (emp_lname);

CREATE TABLE timesheet (
    emp_id  TEXT COLLATE NOCASE,
    rsdate  DATE TEXT,
    in1     TIME TEXT,
    out1    TIME TEXT,
    in2     TIME TEXT,
    out2    TIME TEXT,
    in3     TIME TEXT,
    out3    TIME TEXT
);
CREATE INDEX timesheet_emp_id_rsdate ON timesheet (emp_id, rsdate);

CREATE TABLE Terminal (
    ip TEXT COLLATE NOCASE
);

CREATE TABLE admin (
    password TEXT
);

CREATE TABLE Company (
    biztitle TEXT COLLATE NOCASE,
    address  TEXT COLLATE NOCASE,
    city     TEXT COLLATE NOCASE,
    state    TEXT COLLATE NOCASE,
    country  TEXT COLLATE NOCASE,
    zip      TEXT COLLATE NOCASE,
    phone    TEXT COLLATE NOCASE,
    permit   TEXT COLLATE NOCASE,
    logo     TEXT
);

CREATE TABLE details (
    emp_id     TEXT COLLATE NOCASE,
    rsdate     DATE TEXT,
    in1        TIME TEXT,
    out1       TIME TEXT,
    work_hours DOUBLE,
    regular    DOUBLE,
    rsot       DOUBLE
);

CREATE TABLE summary (
    emp_id       TEXT COLLATE NOCASE,
    emp_name     TEXT COLLATE NOCASE,
    work_hours   DOUBLE,
    wage         DOUBLE,
    ot_wage      DOUBLE,
    regular      DOUBLE,
    ot           DOUBLE,
    reg_earnings DOUBLE,
    ot_earnings  DOUBLE,
    tot_earnings DOUBLE
);

-- The administrator's initial password (change it at once with "Change Admin Password").
INSERT INTO admin (password) VALUES ('admin');
