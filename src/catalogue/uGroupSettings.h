#pragma once
// Sets the kind, mark type, VAT rate or unit of every goods item of a group
// and of its subgroups at once.
#include "Groups.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace catalogue {

class TfmGroupSettings : public QDialog {
    Q_OBJECT
public:
    TfmGroupSettings(fb::Connection& db, std::int64_t groupId, const QString& groupName, QWidget* parent = nullptr);
    ~TfmGroupSettings() override;

    // Fills the lists (the unit list reads the database).
    void fill();
    GroupSettingsChoice choice() const;

    void Button2Click();

private:
    fb::Connection& db_;
    std::int64_t groupId_;
    QString groupName_;
    QPlainTextEdit* Memo1;
    QCheckBox* chGoodType;
    QComboBox* cmbGoodType;
    QCheckBox* chMarkType;
    QComboBox* cmbMarkType;
    QCheckBox* chNalog;
    QComboBox* cmbNalog;
    QCheckBox* chEdizm;
    QComboBox* cmbEdizm;
    QPushButton* Button2;
    QPushButton* Button1;
};

extern TfmGroupSettings* fmGroupSettings;

}  // namespace catalogue
