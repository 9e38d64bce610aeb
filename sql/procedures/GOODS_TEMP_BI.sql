CREATE TRIGGER GOODS_TEMP_BI FOR GOODS_TEMP  ACTIVE BEFORE INSERT POSITION 0 AS
BEGIN
  IF (new.g_record_id IS NULL) THEN
    new.g_record_id = gen_id(gen_record_id, 1);
END
