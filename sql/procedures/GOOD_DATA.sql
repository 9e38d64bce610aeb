CREATE OR ALTER PROCEDURE GOOD_DATA (
  I_ID INTEGER)
RETURNS (
  o_name VARCHAR(80),
  o_price VARCHAR(10),
  o_w SMALLINT,
  o_type VARCHAR(5),
  o_edizm VARCHAR(10),
  o_country CHAR(3),
  o_marktype SMALLINT,
  o_nalog VARCHAR(8))
AS
BEGIN
  FOR SELECT GOOD_NAME, GOOD_PRICE,
             /* fractional sale only for "да" or "1", in any case */
             CASE WHEN UPPER(TRIM(GOOD_W)) IN ('ДА', '1') THEN 1 ELSE 0 END,
             GOOD_TYPE, GOOD_EDIZM, COALESCE(GOOD_COUNTRY_CODE, ''),
             COALESCE(GOOD_MARKTYPE, 0), GOOD_NALOG
      FROM GOODS WHERE GOOD_ID = :I_ID
      INTO :o_name, :o_price, :o_w, :o_type, :o_edizm, :o_country, :o_marktype, :o_nalog
  DO
    SUSPEND;
END
