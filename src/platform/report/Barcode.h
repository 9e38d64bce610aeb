#pragma once
#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace report {

// A price tag carries bars only for a whole EAN: 8 or 13 digits.
bool isEanDigits(const QString& text);

// The modules of an EAN-8 or EAN-13 symbol from left guard to right guard,
// true for a dark module; empty when the digits are not a valid EAN (the
// check digit included).
std::vector<bool> eanModules(const QString& digits);

// Draws the bars with the digits under them into a rectangle in device
// units. Nothing is drawn for digits that are no valid EAN.
void paintEan(QPainter& painter, const QRectF& rect, const QString& digits, const QFont& font);

}  // namespace report
