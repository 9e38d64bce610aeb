CREATE OR ALTER PROCEDURE GOODSCHECK_EDIT (
  i_mode integer,
  i_numpos integer,
  i_code integer,
  i_art varchar(15),
  i_name varchar(80),
  i_price varchar(15),
  i_summ varchar(15),
  i_count varchar(15),
  i_edizm varchar(10))
AS
BEGIN
  IF (i_mode = 1) THEN
    DELETE FROM GOODSCHECK;
  ELSE IF (i_mode = 2) THEN
    INSERT INTO GOODSCHECK (NUMPOS, G_CODE, G_ART, G_NAME, G_PRICE, G_SUMM, G_COUNT, G_EDIZM)
    VALUES (:i_numpos, :i_code, :i_art, :i_name, :i_price, :i_summ, :i_count, :i_edizm);
END
