#pragma once
// "Печать ценников": collects goods in the working list GOODS_TEMP (by
// group and name, from the goods search, row by row) and prints them as
// price tags or labels in the size the size dialog gives.
#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;

namespace fb {
class Connection;
}

namespace catalogue {

class PriceTagListModel;

// The goods search by name in its price-tag mode: it appends the goods the
// cashier picks to GOODS_TEMP and returns when closed. Unset, the window's
// add button stays off.
using PriceTagGoodsSearch = std::function<void(QWidget* caller)>;
void setPriceTagGoodsSearch(PriceTagGoodsSearch search);
const PriceTagGoodsSearch& priceTagGoodsSearch();

class TfmPriceTagPrepare : public QDialog {
    Q_OBJECT
public:
    TfmPriceTagPrepare(fb::Connection& db, QString programFolder, QWidget* parent = nullptr);
    // Empties the list: it is a working table, not a store.
    ~TfmPriceTagPrepare() override;

    void FormShow();
    void btnFillClick();
    void btnAddClick();
    void BitBtn2Click();
    void btnClearClick();
    void Button2Click();

    int rowCount() const;
    int currentRow() const;
    // The copies handed to the size dialog on the next print.
    int copies() const { return copies_; }

    // Organisation
    QLineEdit* edCompanyName;
    QLineEdit* edCompanyFullName;
    QLineEdit* edInn;
    QLineEdit* edSalesPointInfo;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    // Selection
    QComboBox* ComboBox1;
    QListWidget* ListBox1;
    QLineEdit* LabeledEdit1;
    // Print options
    QCheckBox* CheckBox3;
    QCheckBox* chPricePrint;
    // List and commands
    QTableView* DBGrid1;
    QPushButton* btnFill;
    QPushButton* btnAdd;
    QPushButton* BitBtn2;
    QPushButton* btnClear;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reopen(int row);
    void updateActions();

    fb::Connection& db_;
    QString programFolder_;
    PriceTagListModel* model_;
    bool shown_ = false;
    int copies_ = 1;
};

extern QPointer<TfmPriceTagPrepare> fmPriceTagPrepare;

// The main screen's "Печать ценников": the window modally, made anew each
// time and freed when closed.
void openPriceTags(fb::Connection& db, const QString& programFolder, QWidget* parent);

}  // namespace catalogue
