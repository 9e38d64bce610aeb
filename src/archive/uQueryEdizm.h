#pragma once
// 'Не указана "мера количества"': asks the unit of measure of a position
// whose goods carry none or a code the register does not know. The answer
// is the modal result: 20 + the unit code (so that code 0 stays apart from
// the standard results), Rejected when cancelled.
#include "core/CodeTables.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace fb {
class Connection;
}

inline constexpr int kUnitResultBase = 20;

class TfmQueryEdizm : public QDialog {
    Q_OBJECT
public:
    // `units` fills the list each time the window is shown; by default the
    // units in use read from `db` (all units when none are marked in use).
    using UnitSource = std::function<QList<core::CodeItem>()>;
    explicit TfmQueryEdizm(UnitSource units, QWidget* parent = nullptr);
    TfmQueryEdizm(fb::Connection& db, QWidget* parent = nullptr);
    ~TfmQueryEdizm() override;

    QLabel* lblStr1;
    QLabel* lblGoodName;
    QLabel* lblStr3;
    QLabel* Label2;
    QLabel* Label1;
    QComboBox* cmbEdizm;
    QCheckBox* CheckBox1;
    QPushButton* btnApply;
    QPushButton* btnCancel;

    // Set when made: closing frees the window. A caller asking about several
    // positions clears it and sets it again for the last close.
    bool freeOnClose = true;

    // What the last "ПРИМЕНИТЬ" chose: whether the caller stores the unit
    // in the goods card, and the unit's text.
    bool saveToCard = false;
    QString chosenText;

    // Detaches / reattaches the list's handler that enables "сохранить в
    // карточке товара"; closing always reattaches it.
    void detachListHandler();
    void attachListHandler();

public slots:
    void cmbEdizmChange();
    void btnApplyClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void build();
    UnitSource units_;
    QMetaObject::Connection listHandler_;
};

// The window while it exists.
extern TfmQueryEdizm* fmQueryEdizm;

namespace archive {

// The unit codes the register accepts (tag 2108).
bool isValidUnitCode(std::optional<int> code);
// The code a modal result of the window stands for; none when the result is
// no valid unit (the window was cancelled).
std::optional<int> unitFromModalResult(int result);
// "  < " + name + " >", a name of 46 characters or more cut to 42 + "...".
QString unitQueryNameLabel(const QString& name);

// "сохранить в карточке товара": the chosen unit (its short text and code)
// written into the goods card in a transaction of its own. False, with
// nothing written, when the database refused.
bool saveUnitToGoodsCard(fb::Connection& db, qint64 goodId, const QString& unitText, int unitCode);

// Asks the unit of a goods item chosen for the receipt whose card names
// none; with "сохранить в карточке товара" ticked the unit is also written
// to the card. Returns the unit code and text, none when cancelled.
struct AskedUnit {
    int code = 0;
    QString text;
    bool saved = false;
};
std::optional<AskedUnit> askChosenGoodsUnit(fb::Connection& db, QWidget* parent, qint64 goodId,
                                            const QString& goodsName);
inline const QString kUnitNotSaved =
    QStringLiteral("Единицу измерения не удалось сохранить в карточке товара.     ");

// Asks the unit of one position: what the window shows, and the answer.
class UnitQuery {
public:
    virtual ~UnitQuery() = default;
    // `contextLine` is the window's first label; none when cancelled.
    virtual std::optional<int> ask(const QString& contextLine, const QString& goodsName) = 0;
};

// The window itself. One window serves every question it is asked (kept
// hidden between them) and is freed with this object.
class WindowUnitQuery : public UnitQuery {
public:
    WindowUnitQuery(TfmQueryEdizm::UnitSource units, QWidget* parent);
    ~WindowUnitQuery() override;
    std::optional<int> ask(const QString& contextLine, const QString& goodsName) override;

private:
    TfmQueryEdizm::UnitSource units_;
    QWidget* parent_;
    TfmQueryEdizm* window_ = nullptr;
};

}  // namespace archive
