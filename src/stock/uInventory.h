#pragma once
// The stock document editor: one inventory, goods receipt, surplus entry or
// write-off, its lines in the working list GOODS_TEMP, saved, posted,
// unposted and deleted through the database's procedures. Keeps its own
// connection; each command is one transaction.
#include "InventoryLines.h"
#include "InventoryPrint.h"
#include "StockDocuments.h"

#include "platform/db/Connection.h"

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace stock {

class LinesView;

class TfmInventory : public QDialog {
    Q_OBJECT
public:
    static inline const QString kSaveQuestion = QStringLiteral("   Сохранить изменения ?  ");
    static inline const QString kFillQuestion = QStringLiteral("Текущий список будет очищен.    \r\nПродолжить?");
    static inline const QString kDeleteQuestion =
        QStringLiteral("Документ будет удален без возможности восстановления.    \r\n\r\n Удалить? ");
    static inline const QString kEmptyRefused = QStringLiteral(
        "Документ не содержит ни одной позиции либо    \r\nни для одной из позиций не задано значение.   \r\n\r\n"
        " В проведении документа отказано.");
    static inline const QString kNothingToSave = QStringLiteral("Список товаров пустой. Сохранять нечего.    ");
    static inline const QString kPostingCaption = QStringLiteral(" Идет проведение документа.Ждите...");

    using SheetPrinter = std::function<bool(QWidget* parent, const QString& programFolder, const QString& groupName,
                                            const QList<InventorySheetLine>& lines)>;

    // kind 0..3; docId 0 for a new document.
    TfmInventory(const fb::ConnectionParams& params, int kind, int docId, QWidget* parent = nullptr);
    ~TfmInventory() override;

    int kind() const { return kind_; }
    int docId() const { return docId_; }
    int state() const { return state_; }
    int number() const { return number_; }
    int supplierId() const { return supplierId_; }
    bool isModified() const { return modified_; }
    QString groupName() const;
    InventoryLines& lines() { return *lines_; }

    // The inventory sheet goes here (the report layer unless a test says otherwise).
    void setSheetPrinter(SheetPrinter printer) { printer_ = std::move(printer); }

    // A goods item chosen in the goods search: a new line, or the existing
    // line of that goods made current.
    void addLine(const PickedGoods& goods);

    // Commands; each shows its own failure and says whether it went through.
    bool btnSaveClick();
    bool btnApplyClick();
    bool unpostClick();
    bool deleteDocumentClick();
    void btnFillListClick();
    void btnListClearClick();
    void btnAddClick();
    void btnDeleteClick();
    void Button3Click();
    void Button2Click();
    void BitBtn1Click();
    void sortByName();

    void reject() override;
    void done(int result) override;

signals:
    // Saved, posted or unposted: the list shows it again.
    void documentChanged(int docId);
    void documentDeleted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void updateActions();
    void setModified() { modified_ = true; }
    void setState(int state);
    void showSupplier(int id, const QString& name);
    // Commits a cell being edited through the quantity check; false when
    // the check refused it.
    bool commitPendingEdit();
    std::vector<Line> shownLines() const;
    // The saved document's lines, through the working list.
    std::vector<Line> readDocumentLines(fb::Transaction& tr);
    void reloadLines();
    std::optional<QString> checkCell(const Line& line, int column, const QString& typed);
    QString userName() const;
    // What the document's save or posting writes, from the state just read.
    SaveRequest saveRequest(const DocStatus& status, bool post) const;

    fb::Connection conn_;
    int kind_;
    int docId_;
    int state_ = 0;
    int number_ = 0;
    int supplierId_ = 0;
    bool modified_ = false;
    bool shown_ = false;
    bool nameSortDesc_ = true;
    bool deleted_ = false;
    SheetPrinter printer_;

    InventoryLines* lines_;
    QTreeWidget* TreeView1;
    QCheckBox* chSubGroupOn;
    QLineEdit* edDocNumber;
    QDateEdit* DateTimePicker1;
    QLabel* LabelDocStatus;
    QLabel* lblGroupName;
    QWidget* pnlSupplier;
    QLineEdit* edSupplier;
    QPushButton* Button2;
    QPushButton* BitBtn1;
    LinesView* DBGrid1;
    QPushButton* btnSave;
    QPushButton* btnApply;
    QPushButton* btnFillList;
    QPushButton* btnListClear;
    QPushButton* btnAdd;
    QPushButton* btnDelete;
    QPushButton* Button3;
    QPushButton* Button1;
    QMenu* menuActions_;
    QAction* MSave;
    QAction* MApply;
    QAction* MUnapply;
    QAction* MDelete;
};

// The open editor (nullptr when none), its objectName.
extern TfmInventory* fmInventory;

}  // namespace stock
