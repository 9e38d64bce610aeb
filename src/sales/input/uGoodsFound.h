#pragma once
// "По  ШК найдено:": the choice among several goods that one scanned code
// names. The window's Tag says what was scanned (10 a barcode, 11 a weight
// barcode; 0, 1 and 2 for a barcode, a goods code and a DataMatrix code as
// other callers open it); OK or a double click on a row returns Accepted
// with that row chosen.
#include "sales/input/GoodsLookup.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// What a column of the list shows for a goods record.
namespace sales {
// "табак", "обувь", "парфюм", "шины", "легпром", "альт.табак", "молочка";
// nothing for 0, "M?" for any other code.
QString markTypeShortName(int markType);
// Tobacco prices follow the tobacco price rule: the stored price means
// nothing while the rule is not 0, and "--.--" is shown instead.
QString choicePriceText(const FoundGoods& goods, int tobaccoRule);
// "да" for weighed goods, "нет" otherwise.
QString weighedText(const QString& goodW);
// The unit name only for a unit code of the fiscal list; empty for a
// missing (NULL) or unknown code, as the name search shows it.
QString choiceUnitText(const FoundGoods& goods);
// The caption for a Tag.
QString goodsFoundCaption(int tag);
}  // namespace sales

class TfmGoodsFound : public QDialog {
    Q_OBJECT
public:
    explicit TfmGoodsFound(QWidget* parent = nullptr);
    ~TfmGoodsFound() override;

    int tag() const { return tag_; }
    // Sets the caption and the columns for what was scanned.
    void setTag(int tag);
    // The tobacco price rule shown prices follow (the setting's by default).
    void setTobaccoRule(int rule) { tobaccoRule_ = rule; }
    void setGoods(const std::vector<sales::FoundGoods>& goods);
    // The current row, -1 when there is none.
    int chosenIndex() const;

    QTableWidget* DBGrid1;
    QPlainTextEdit* Memo1;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();

    int tag_ = 0;
    int tobaccoRule_ = 1;
    std::vector<sales::FoundGoods> goods_;
};

extern TfmGoodsFound* fmGoodsFound;
