#pragma once
// Creates a goods group (mode 1) or renames and re-parents one (mode 2).
#include "Groups.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace catalogue {

class TfmGroupEdit : public QDialog {
    Q_OBJECT
public:
    TfmGroupEdit(fb::Connection& db, const GroupEditInput& request, QWidget* parent = nullptr);
    ~TfmGroupEdit() override;

    std::int64_t writtenId() const { return writtenId_; }
    std::int64_t parentId() const;

    void btnCreateGroupClick();
    void btnEllipsisClick();

private:
    fb::Connection& db_;
    GroupEditMode mode_;
    std::int64_t editedId_;
    std::int64_t writtenId_ = 0;
    QLineEdit* edGroupID;
    QLineEdit* edParentGroupName;
    QToolButton* btnEllipsis;
    QToolButton* BitBtn1;
    QLabel* Label3;
    QLineEdit* edNewGroupName;
    QPushButton* btnCreateGroup;
    QPushButton* btnCancel;
};

extern TfmGroupEdit* fmGroupEdit;

}  // namespace catalogue
