#pragma once
// Picks a group from the tree: the parent of a group (Tag 1) or the group
// of a goods item (Tag 2).
#include "Groups.h"

#include <QDialog>
#include <QHash>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace catalogue {

class TfmGroupSelect : public QDialog {
    Q_OBJECT
public:
    TfmGroupSelect(fb::Connection& db, int tag, std::int64_t renamedId, const QString& renamedName,
                   QWidget* parent = nullptr);
    ~TfmGroupSelect() override;

    // Reads the groups and builds the tree, the root expanded.
    void fill();
    QTreeWidget* tree() const { return TreeView1; }
    const std::optional<PickedGroup>& chosen() const { return chosen_; }

    void btnOKClick();
    void choose(QTreeWidgetItem* item, bool viaDoubleClick);

private:
    fb::Connection& db_;
    int tag_;
    std::int64_t renamedId_;
    QString renamedName_;
    QHash<std::int64_t, std::int64_t> parentOf_;
    std::optional<PickedGroup> chosen_;
    QTreeWidget* TreeView1;
    QPushButton* btnOK;
    QPushButton* Button1;
};

extern TfmGroupSelect* fmGroupSelect;

}  // namespace catalogue
