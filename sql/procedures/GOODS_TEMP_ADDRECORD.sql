CREATE OR ALTER PROCEDURE GOODS_TEMP_ADDRECORD (
  i_id integer,
  i_name varchar(80),
  i_price varchar(10),
  i_edizm varchar(10),
  i_country varchar(32),
  i_declar_number varchar(32),
  i_barcode varchar(32))
AS
BEGIN
  /* G_RECORD_ID comes from the trigger GOODS_TEMP_BI. */
  INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY, G_DECLAR_NUMBER, G_BARCODE)
  VALUES (:i_id, :i_name, :i_price, :i_edizm, :i_country, :i_declar_number, :i_barcode);
END
