#pragma once
// The settings file options.sys in the program folder: Windows-1251 text,
// lines ended by CR LF, first line "Настройки", then one "[Key]  value" line
// per setting; a value of two parts holds "¤" between them.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace core {

// The separator between the two parts of a value (byte 0xA4 in the file).
inline constexpr QChar kOptionDelim = QChar(0x00A4);

QString optionsFilePath(const QString& programFolder);

// The file's lines decoded from Windows-1251, carriage returns removed;
// empty when the file does not exist or cannot be read.
QStringList readOptionsFileLines(const QString& programFolder);

// The value of `key` (brackets included, "[MaxDiscount]") in the lines.
// A line matches when it begins with the key exactly (case matters; a line
// that begins with a blank never matches); the first match wins and its
// value is the rest of the line, trimmed.
//  mode 0: the value;
//  mode 1: the first part of the value split at `delim` (the split also
//          breaks at blanks and honours double quotes);
//  mode 2: the second part, empty when there is none;
//  other modes: empty.
// A missing key gives an empty text; each caller supplies its own default.
QString readOptionFromLines(const QStringList& lines, const QString& key, int mode = 0,
                            QChar delim = kOptionDelim);
QString ReadFileOption(const QString& programFolder, const QString& key, int mode = 0,
                       QChar delim = kOptionDelim);

// Splits a value into the parts of a delimited list: at `delim`, at blanks
// and control characters, with double-quoted parts taken whole ("" inside
// quotes is one quote).
QStringList splitDelimitedValue(const QString& value, QChar delim);

// One line of the file after the heading: key with brackets and value.
using OptionsFileLine = std::pair<QString, QString>;

// The whole file as bytes: "Настройки", then "[Key]  value" per line, every
// line ended by CR LF, in Windows-1251. Throws fb::Error (Encoding) for a
// character the code page cannot hold.
QByteArray renderOptionsFile(const QList<OptionsFileLine>& lines);

// Replaces options.sys atomically: either the new bytes are in place or the
// old file is untouched. Returns false with the reason in `error`.
bool writeOptionsFile(const QString& programFolder, const QByteArray& bytes, QString* error = nullptr);

}  // namespace core
