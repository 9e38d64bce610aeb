#pragma once
// The main screen's goods-file commands: what the menu items "Загрузить
// товары" / "Выгрузить товары" → "Формат АТОЛ" run. The main screen hands
// over what they need, so this folder never includes the sales screen.
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QObject;
class QWidget;

namespace fb {
class Connection;
}

namespace exchange {

struct ExchangeHost {
    QWidget* mainScreen = nullptr;
    // Stop flags: the Tags (dynamic property "Tag") of the menu items
    // MGoodsLoad (exchange file, both ways) and MLoadCSV (CSV file).
    QObject* loadFlag = nullptr;
    QObject* csvFlag = nullptr;
    std::function<fb::Connection&()> database;
    // The goods codes the receipt in progress holds: a goods file's
    // delete-all command leaves those items in place. Unset: none.
    std::function<std::vector<std::int64_t>()> openReceiptGoods;
    QString programFolder;
    // File choice; empty text when the user cancels. Unset: the standard
    // file dialogs.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder, const QString& filter)>
        openFile;
    std::function<QString(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                          const QString& suffix)>
        saveFile;
};

// "Формат АТОЛ" under "Загрузить товары" (MGoodsLoad).
void loadGoodsExchangeFile(const ExchangeHost& host);
// "Формат АТОЛ" under "Выгрузить товары" (MGoodsUnLoad).
void unloadGoodsExchangeFile(const ExchangeHost& host);

inline const QString kLoadDialogTitle = QStringLiteral("Загрузить базу товаров из файла...");
inline const QString kSaveDialogTitle = QStringLiteral("Сохранить базу товаров в файл...");
inline const QString kTextFilesFilter = QStringLiteral("текстовые файлы (*.txt);;все файлы (*)");

}  // namespace exchange
