/* Procedures of counterparties, weight-barcode prefixes and the group tree a
   delivered database holds. */

SET TERM ^ ;

/* Mode 1 adds a counterparty and returns its key; mode 2 rewrites the names,
   contacts and the working mark of I_ID. The kind flags are the caller's.
   The statements are dynamic so that the procedure does not pin the
   table's columns: shops' databases carry SUPPLIERS in more than one layout,
   and a layout without them must still take the upgrade. */
CREATE OR ALTER PROCEDURE SUPPLIERS_EDIT (
  I_MODE      INTEGER,
  I_ID        INTEGER,
  I_NAMEFULL  VARCHAR(250),
  I_NAMESHORT VARCHAR(100),
  I_INN       VARCHAR(12),
  I_CONTACTS  VARCHAR(250),
  I_PERSON    VARCHAR(100),
  I_WORK      SMALLINT)
RETURNS (
  O_SID INTEGER)
AS
BEGIN
  IF (I_MODE = 1) THEN
    EXECUTE STATEMENT ('INSERT INTO SUPPLIERS (SU_NAMEFULL, SU_NAMESHORT, SU_INN, SU_CONTACTS, SU_PERSON, SU_WORK) '
      || 'VALUES (?, ?, ?, ?, ?, ?) RETURNING SU_ID')
      (I_NAMEFULL, I_NAMESHORT, I_INN, I_CONTACTS, I_PERSON, I_WORK)
      INTO :O_SID;
  ELSE IF (I_MODE = 2) THEN
  BEGIN
    EXECUTE STATEMENT ('UPDATE SUPPLIERS SET SU_NAMEFULL = ?, SU_NAMESHORT = ?, SU_INN = ?, SU_CONTACTS = ?, '
      || 'SU_PERSON = ?, SU_WORK = ? WHERE SU_ID = ?')
      (I_NAMEFULL, I_NAMESHORT, I_INN, I_CONTACTS, I_PERSON, I_WORK, I_ID);
    O_SID = I_ID;
  END
END^

/* Mode 1 empties the list of weight-barcode prefixes, mode 2 adds one. */
CREATE OR ALTER PROCEDURE BARCODE_PREFIX_IO (
  I_MODE   INTEGER,
  I_PREFIX INTEGER)
AS
BEGIN
  IF (I_MODE = 1) THEN
    DELETE FROM BARCODE_WEIGHT_PREFIX;
  ELSE IF (I_MODE = 2) THEN
    INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES (:I_PREFIX);
END^

SET TERM ; ^
