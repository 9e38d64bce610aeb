#pragma once
// The settings window ("Настройки"): the one place where options.sys and
// the OPTIONS table are edited, together with the units of measure offered.
// It opens with what both stores hold (the scale fields from the connected
// scale while one is connected) and saves both together: ОК saves and
// closes, ПРИМЕНИТЬ saves and stays open, ЗАКРЫТЬ closes without saving.
// A refused value or a failed save changes neither store, shows why,
// focuses the field at fault and keeps everything typed.
#include "core/Settings.h"
#include "core/uConnectScale.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;
class ScaleConnection;

namespace fb {
class Connection;
}
namespace serial {
class SerialPortLister;
}

namespace core {

class TfmOptions : public QDialog {
    Q_OBJECT
public:
    TfmOptions(fb::Connection& db, ScaleConnection& scale, const serial::SerialPortLister& ports,
               QWidget* parent = nullptr);
    ~TfmOptions() override;

    // What the controls hold now, as the save takes it.
    SettingsInput typed() const;
    // The chosen item of the tobacco price rule, -1 when none.
    int tobaccoRule() const;
    void setTobaccoRule(int rule);
    // False when the stores could not be read: saving would then overwrite
    // them with defaults, so ОК and ПРИМЕНИТЬ stay disabled.
    bool loaded() const { return loaded_; }

public slots:
    void Button1Click();  // ОК
    void Button2Click();  // ЗАКРЫТЬ
    void Button3Click();  // ПРИМЕНИТЬ
    void Button6Click();  // Проверка (scale test)
    void btnAddToListClick();
    void btnDeleteFromListClick();
    void btnMoveUpClick();

private:
    void FormCreate();
    bool save();
    void focusField(SettingsField field);
    QList<CodeItem> unitsUsed() const;
    void showUnitsUsed(const QList<CodeItem>& units, int current);

    fb::Connection& db_;
    ScaleConnection& scale_;
    ScaleControls scaleFields_;
    bool loaded_ = false;
    QString keptTaxSystemCode_;
    QString keptTaxSystemFileText_;

    QTabWidget* PageControl1;
    QWidget* TabSheetGeneral;
    QWidget* TabSheetMarking;
    QWidget* TabSheetEquipment;
    QWidget* TabSheetUnits;
    QWidget* TabSheetUsers;

    QComboBox* ComboBox1;
    QComboBox* cmbTaxSystem;
    QComboBox* cmbPayTypeDefault;
    QLineEdit* meMaxDisc;
    QLineEdit* meMaxSumPos;
    QLineEdit* edEmail;
    // Kept for the names, never shown: the file always gets "[ListClear]  1"
    // and "[PosDeleteType]  1", and the program always works with its database.
    QCheckBox* chListClear;
    QCheckBox* chPosDelete;
    QGroupBox* rgMode;

    QGroupBox* rgPriceRuleTobacco;
    QButtonGroup* tobaccoRules_;
    QLineEdit* edDiscountPercent;
    QLineEdit* edDiscountRUB;

    QComboBox* cmbScaleProtocol;
    QComboBox* cmbScalePort;
    QComboBox* cmbScaleBaudRate;
    QLineEdit* edScaleTimeout;
    UpDown* UpDown1;
    QPushButton* Button6;
    QLineEdit* edScaleConnectResult;
    // The register's port and speed (page "Оборудование").
    QGroupBox* GroupBoxKKT;
    QComboBox* ComboBox3;
    QComboBox* ComboBox4;

    QListWidget* EdizmFFDList;
    QListWidget* EdizmUsedList;
    QPushButton* btnAddToList;
    QPushButton* btnDeleteFromList;
    QPushButton* btnMoveUp;

    QTableWidget* UsersGrid;
    QPushButton* Button4;
    QPushButton* Button5;

    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

extern TfmOptions* fmOptions;

}  // namespace core
