#pragma once
// Windows-1251 is the character set of every connection. This is the one
// place where text changes between QString and the bytes the engine sees.
#include <QByteArray>
#include <QString>

namespace fb {

// Encodes to Windows-1251. Throws fb::Error (category Encoding) naming the
// first character the code page cannot hold: a silent '?' would store
// something other than what the cashier typed.
QByteArray toWin1251(const QString& text);

// Every byte of Windows-1251 but 0x98 has a meaning; 0x98 decodes to U+FFFD.
QString fromWin1251(const QByteArray& bytes);
QString fromWin1251(const char* data, int size);

// True when every character of the text fits Windows-1251.
bool fitsWin1251(const QString& text);

}  // namespace fb
