#pragma once
// The countries of origin: a directory (Tag 1) or a picker for the goods
// card (Tag 2) and for a receipt position (Tag 3). The list keeps its own
// connection; writes go through BARCODE_IO_PROC.
#include "platform/db/Connection.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QTableView;

namespace ui {
class QueryTableModel;
}

namespace catalogue {

struct PickedCountry {
    QString code;  // Tag 2: padded to three digits; Tag 3: as stored
    QString name;
    QString display;  // "(" + code + ") " + name
    int number = 0;   // the code as a number
};

class TfmCountries : public QDialog {
    Q_OBJECT
public:
    explicit TfmCountries(const fb::ConnectionParams& params, QWidget* parent = nullptr);
    ~TfmCountries() override;

    void setTag(int tag);
    int tag() const { return tag_; }
    const std::optional<PickedCountry>& picked() const { return picked_; }

    // Reopens the list and stands on the record (or on the row number,
    // clamped, when the record is gone).
    void reopen(std::optional<std::int64_t> recordId, int fallbackRow = 0);
    int currentRow() const;

    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateActions();
    void pick();

    fb::Connection db_;
    int tag_ = 1;
    std::optional<PickedCountry> picked_;
    ui::QueryTableModel* model_;
    QTableView* DBGrid1;
    QPushButton* btnAdd;
    QPushButton* btnEdit;
    QPushButton* btnDelete;
    QPushButton* btnClose;
};

// One country: new (Tag 1) or the current record (Tag 2).
class TfmCountryEdit : public QDialog {
    Q_OBJECT
public:
    TfmCountryEdit(fb::Connection& db, int tag, std::int64_t recordId, QWidget* parent = nullptr);
    ~TfmCountryEdit() override;

    void btnOKClick();
    std::int64_t savedRecord() const { return saved_; }

    QLineEdit* Edit1;  // name
    QLineEdit* Edit2;  // code

private:
    fb::Connection& db_;
    int tag_;
    std::int64_t recordId_;
    std::int64_t saved_ = 0;
};

extern QPointer<TfmCountries> fmCountries;
extern QPointer<TfmCountryEdit> fmCountryEdit;

}  // namespace catalogue
