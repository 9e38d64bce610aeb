#pragma once
// The stock documents of one kind in a date range, newest first; opens one
// of them, or a new one, in the document editor. Keeps its own connection.
#include "platform/db/Connection.h"

#include <QDate>
#include <QDialog>

#include <memory>

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QTableView;

namespace ui {
class QueryTableModel;
}

namespace stock {

class TfmInventory;

class TfmDocGoodMoveList : public QDialog {
    Q_OBJECT
public:
    explicit TfmDocGoodMoveList(const fb::ConnectionParams& params, QWidget* parent = nullptr);
    ~TfmDocGoodMoveList() override;

    // The kind to show when the window opens: 1..4 (the menu's Tag).
    void setTag(int tag) { tag_ = tag; }
    int tag() const { return tag_; }
    // The kind of the selected radio item (0..3), -1 when none is selected.
    int kind() const;
    // The DOC_ID handed to the editor: 0 for a new document.
    int docIdToEdit() const { return docIdToEdit_; }

    int rowCount() const;
    int docIdAt(int row) const;
    // Lists again and makes the document current (the editor calls this
    // after it saved, posted or unposted).
    void relistOn(int docId);

    void btnNewDocClick();
    void btnOpenDocClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RadioGroup1Click();
    void dateChanged();
    void list();
    void openEditor(int docId);
    void updateActions();

    fb::Connection conn_;
    int tag_ = 0;
    int docIdToEdit_ = 0;
    bool shown_ = false;
    QDate listedFrom_;
    QDate listedTo_;
    QGroupBox* RadioGroup1;
    QButtonGroup* kinds_;
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QTableView* DBGrid1;
    QPushButton* btnNewDoc;
    QPushButton* btnOpenDoc;
    QPushButton* Button1;
    ui::QueryTableModel* model_;
};

// The open list window (nullptr when none), its objectName.
extern TfmDocGoodMoveList* fmDocGoodMoveList;

}  // namespace stock
