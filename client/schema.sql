-- The table of client.mdb: the server's address, one row.
CREATE TABLE server (
    ip TEXT COLLATE NOCASE
);
INSERT INTO server (ip) VALUES ('127.0.0.1');
