#pragma once
// "Поиск по названию": finds goods by part of the name, in the whole base
// or one group, and hands each chosen goods item to whoever opened it (the
// receipt, the price-tag list, a stock document). The window stays open
// after OK, so several goods can be taken in a row.
#include "GoodNameFindLogic.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;
class QTreeWidget;

namespace fb {
class Connection;
}

namespace catalogue {

class GoodNameFindModel;

// One goods item of the list, as the takers need it.
struct NameFoundGoods {
    std::int64_t id = 0;
    QString name;
    QString price;    // GOOD_PRICE as stored
    QString weighed;  // GOOD_W
    bool fractionalAllow = false;
    QString type;                 // GOOD_TYPE
    QString vat;                  // GOOD_NALOG
    std::optional<int> unitCode;  // GOOD_EDIZM_FFD, none when NULL
    QString unit;                 // GOOD_EDIZM
    QString unitShown;            // GOOD_EDIZM1: the unit only for a known unit code
    QString stock;                // GOOD_COUNT as stored
    int markType = 0;             // COALESCE(GOOD_MARKTYPE, 0)
    int packCount = 0;            // GOOD_PACKCOUNT
    QString countryCode;          // GOOD_COUNTRY_CODE
    QString countryName;          // COUNTRY_NAME
};

// What OK does with the chosen goods item; `window` is the search window
// (the parent for any message or further window).
using GoodNameFindSink = std::function<void(const NameFoundGoods& goods, QWidget* window)>;

// Adds a goods item to the price-tag list (GOODS_TEMP) in a transaction of
// its own. Throws on a database failure.
void addGoodsToPriceTagList(fb::Connection& db, const NameFoundGoods& goods);

class TfmGoodNameFind : public QDialog {
    Q_OBJECT
public:
    // `mode` is the Tag: 1 receipt, 2 price-tag list, 3 stock document.
    // Without a sink, mode 2 adds to the price-tag list and the other modes
    // take nothing.
    TfmGoodNameFind(fb::Connection& db, int mode, GoodNameFindSink sink, QWidget* parent = nullptr);
    ~TfmGoodNameFind() override;

    int tag() const { return mode_; }
    // The pause after the last keystroke before the list is read again.
    void setFilterDelay(int ms);
    int rowCount() const;
    std::optional<NameFoundGoods> goodsAt(int row) const;
    std::optional<NameFoundGoods> currentGoods() const;
    // Makes a row current (tests and keyboard use).
    void selectRow(int row);

    QTreeWidget* TreeView1;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QLineEdit* edFilterText;
    QPushButton* btnClear;
    QCheckBox* CheckBox1;
    QCheckBox* chCountryShow;
    QTableView* DBGridGoods;
    QPushButton* btnOK;
    QPushButton* btnCANCEL;
    QTimer* Timer1;

signals:
    // The list was read again.
    void listRequeried();

public slots:
    void FormShow();
    void Timer1Timer();
    void TreeView1Change();
    void CheckBox1Click();
    void btnClearClick();
    void btnOKClick();
    void chCountryShowClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyLayout();

    fb::Connection& db_;
    int mode_;
    GoodNameFindSink sink_;
    GoodNameFindModel* model_;
    bool treeDetached_ = false;
    bool shown_ = false;
};

extern QPointer<TfmGoodNameFind> fmGoodNameFind;

// Opens the search modally over `parent` on the program's database.
void openGoodNameFind(QWidget* parent, int mode, GoodNameFindSink sink = {});

}  // namespace catalogue
