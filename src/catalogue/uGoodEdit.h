#pragma once
// The card of one goods item: new (Tag 1, also a copy) or existing (Tag 2).
// The catalogue fills it; OK checks the input and writes the row and its
// barcodes in one transaction.
#include "CatalogueRepository.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace fb {
class Connection;
class Row;
}  // namespace fb

namespace catalogue {

// What the card needs of the catalogue that opened it.
struct CardContext {
    QString filterText;  // the catalogue's name filter
    // The saved goods item's ID and group, for the catalogue to show it.
    std::function<void(std::int64_t id, std::int64_t parent)> refresh;
};

class TfmGoodEdit : public QDialog {
    Q_OBJECT
public:
    TfmGoodEdit(fb::Connection& db, CardContext context, QWidget* parent = nullptr);
    ~TfmGoodEdit() override;

    void setTag(int tag) { tag_ = tag; }
    int tag() const { return tag_; }

    // A new card: lists filled, nothing chosen.
    void prepareNew(std::int64_t id, std::int64_t parentId, const QString& parentName);
    // Filled from a catalogue row; a copy (Tag 1) gets `id` in place of the
    // row's own and no barcodes.
    void fillFromRow(const fb::Row& row, std::int64_t id, std::int64_t parentId, const QString& parentName,
                     const QStringList& barcodes);

    void setParentGroup(std::int64_t id, const QString& name);
    void setCountry(int code, const QString& name);
    QStringList barcodes() const;

    void btnOKClick();
    void chWClick();
    void updatePackCount();

    QLineEdit* edGoodID;
    QLineEdit* edGoodName;
    QLineEdit* edGoodPrice;
    QComboBox* cmbGoodType;
    QComboBox* cmbEdIzm;
    QComboBox* cmbNalog;
    QCheckBox* chW;
    QLineEdit* edParentGroup;
    QLineEdit* edCountry;
    QComboBox* cmbMarkingType;
    QLineEdit* edPackCount;
    QTableWidget* sgBarcodeGrid;
    QLabel* lblIdCaption;
    QLabel* lblBarcodes;
    QPushButton* btnRecAdd;
    QPushButton* btnRecDel;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillLists();
    void setBarcodeAreaTexts(bool onShow);
    void cleanBarcodes();
    void selectCode(QComboBox* list, int code, const QString& textIfMissing);
    std::optional<CardRecord> readRecord(std::int64_t id, const QString& price);

    fb::Connection& db_;
    CardContext context_;
    int tag_ = 1;
    std::int64_t openedId_ = 0;
    QString storedKind_;  // a kind the list cannot show, kept as stored
};

extern QPointer<TfmGoodEdit> fmGoodEdit;

// The code and the tag the card's fields keep (the picker hand-over).
std::int64_t fieldTag(const QObject* field);
void setFieldTag(QObject* field, std::int64_t tag);

}  // namespace catalogue
