-- The button table as delivered in bts.db, with its two reserved rows.
-- Row 1 is shown on the ring and can be opened but never deleted or moved;
-- row 2 is never shown, yet its sort still counts when a new row is numbered.
PRAGMA journal_mode = DELETE;
CREATE TABLE tb_Btns (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    iType    INTEGER NOT NULL DEFAULT 0,
    Title    TEXT,
    PathName TEXT,
    Para     TEXT,
    sort     INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX tb_Btns_sort ON tb_Btns(sort);
INSERT INTO tb_Btns (ID, iType, Title, PathName, Para, sort)
    VALUES (1, 3, '我的电脑', '::{20D04FE0-3AEA-1069-A2D8-08002B30309D}', NULL, 0);
INSERT INTO tb_Btns (ID, iType, Title, PathName, Para, sort)
    VALUES (2, 4, 'Zanthe', 'http://www.zanthe.example/', NULL, 1);
