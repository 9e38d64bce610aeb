#pragma once
#include <QDialog>
#include <QPrinter>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace report {

// Opened by the preview's print command: the printer, the pages and the
// copies. The last entry of the printer list writes a PDF file instead.
class PrintSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrintSetupDialog(int pageCount, int copies, bool rangeEnabled, QWidget* parent = nullptr);
    ~PrintSetupDialog() override;

    bool toPdfFile() const;
    int copies() const;
    int fromPage() const;  // 0: all pages
    int toPage() const;
    // The printer as chosen and set up ("НАСТР."); copies not yet applied.
    QPrinter& printer() { return printer_; }

private:
    void setupPrinter();
    void updateActions();

    QPrinter printer_;
    QComboBox* cbPrinter_;
    QPushButton* btnSetup_;
    QGroupBox* gbRange_;
    QRadioButton* rbAll_;
    QRadioButton* rbPages_;
    QSpinBox* sbFrom_;
    QSpinBox* sbTo_;
    QSpinBox* sbCopies_;
};

}  // namespace report
