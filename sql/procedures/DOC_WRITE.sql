CREATE OR ALTER PROCEDURE DOC_WRITE (
  i_doc_type integer,
  i_doc_checktype integer,
  i_doc_number integer,
  i_doc_fpd varchar(15),
  i_doc_date varchar(10),
  i_doc_time varchar(5),
  i_doc_summ_full varchar(10),
  i_doc_pay_nal varchar(10),
  i_doc_pay_el varchar(10),
  i_doc_pay_advance varchar(10),
  i_doc_pay_credit varchar(10),
  i_doc_pay_meeting varchar(10),
  i_doc_sno smallint,
  i_doc_user varchar(50),
  i_doc_buyer_name varchar(50),
  i_doc_buyer_inn varchar(12))
RETURNS (
  o_doc_id integer)
AS
BEGIN
  /* The date comes as "dd.mm.yyyy" and the time as "h:m". */
  INSERT INTO DOCUMENTS (DOC_TYPE, DOC_CHECK_TYPE, DOC_NUMBER, DOC_FPD, DOC_DATE_D, DOC_TIME_T,
    DOC_SUMM_FULL, DOC_PAY_NAL, DOC_PAY_EL, DOC_PAY_ADVANCE, DOC_PAY_CREDIT, DOC_PAY_MEETING,
    DOC_SNO, DOC_USER, DOC_BUYER_NAME, DOC_BUYER_INN)
  VALUES (:i_doc_type, :i_doc_checktype, :i_doc_number, :i_doc_fpd,
    CAST(:i_doc_date AS DATE), CAST(:i_doc_time AS TIME),
    :i_doc_summ_full, :i_doc_pay_nal, :i_doc_pay_el, :i_doc_pay_advance, :i_doc_pay_credit, :i_doc_pay_meeting,
    :i_doc_sno, :i_doc_user, :i_doc_buyer_name, :i_doc_buyer_inn)
  RETURNING DOC_ID INTO :o_doc_id;
  SUSPEND;
END
