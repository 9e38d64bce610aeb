#pragma once
// Weight-barcode prefixes: the leading digits by which a sale recognises a
// barcode printed by scales. Read and saved here; the window is
// uGoodsOtherSettings.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace fb {
class Connection;
}

namespace catalogue {

// The stored prefixes in one line: "21;22;23".
QString joinPrefixes(const QStringList& stored);

struct ParsedPrefixes {
    std::vector<int> prefixes;
    // The first piece that is not a whole number; nothing is saved then.
    std::optional<QString> badPiece;
};
// Blanks and "," separate like ";"; empty pieces are skipped.
ParsedPrefixes parsePrefixes(const QString& text);

QStringList readPrefixes(fb::Connection& db);
// Replaces the whole list in one transaction: on failure the old list stays.
void savePrefixes(fb::Connection& db, const std::vector<int>& prefixes);

// Called after the list was saved, so that the sale reads it anew (wired by
// the program; the catalogue knows nothing of sales).
void setWeightPrefixesSaved(std::function<void()> hook);
void notifyWeightPrefixesSaved();

// Opens the window modally over `parent`.
void openGoodsOtherSettings(fb::Connection& db, QWidget* parent);

}  // namespace catalogue
