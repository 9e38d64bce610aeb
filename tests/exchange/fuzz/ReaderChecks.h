#pragma once
// What must hold for any bytes given to the goods-file readers: no crash,
// no endless loop, the same bytes give the same result, every refusal names
// a line inside the file, and whatever a reader accepts the matching writer
// writes so that it reads back the same. Used by the libFuzzer targets and
// by the smoke test of the test suite. Each returns an empty text when all
// holds, else what broke.
#include <QByteArray>
#include <QString>

namespace fuzzchecks {

QString checkExchangeFile(const QByteArray& bytes);
QString checkCsvFile(const QByteArray& bytes);
// The decimal parser every typed, stored and imported number goes through:
// it gives what a reference that cannot overflow gives, at the scales the
// program uses, and what it gives formats back to itself.
QString checkDecimalText(const QByteArray& bytes);

}  // namespace fuzzchecks
