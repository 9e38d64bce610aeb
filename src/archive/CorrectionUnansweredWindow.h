#pragma once
// The administrator's list of corrections the register service never
// answered: each with its date, time, kind and sum as the till knew them,
// to be compared with the register's report and settled once with
// "Напечатан" or "Не напечатан".
#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QTableWidget;
class TfmReg;

namespace fb {
class Connection;
}

namespace archive {

class UnansweredCorrectionsWindow : public QDialog {
    Q_OBJECT
public:
    // `programFolder` holds the print journal.
    UnansweredCorrectionsWindow(fb::Connection& db, const QString& programFolder, QWidget* parent = nullptr);

    QTableWidget* grid;
    QPushButton* btnPrinted;
    QPushButton* btnNotPrinted;
    QPushButton* btnClose;

private:
    void reload();
    void settle(bool printed);
    void updateActions();

    fb::Connection& db_;
    QString programFolder_;
    QStringList ids_;  // the records of the grid's rows
};

// Puts "Чеки коррекции без ответа ККТ" into the main screen's "Документ"
// menu. Only an administrator's session sees and runs it.
void installUnansweredCorrections(TfmReg& reg, std::function<fb::Connection*()> db);

}  // namespace archive
