#include "archive/CorrectionUnansweredWindow.h"

#include "archive/CorrectionFlow.h"
#include "archive/CorrectionUnanswered.h"
#include "platform/db/Value.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/Registration_Mode.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace archive {

namespace {

QString kindText(const PrintedCorrection& p) {
    return (p.tag == 2 ? QStringLiteral("КОРРЕКЦИЯ РАСХОДА") : QStringLiteral("КОРРЕКЦИЯ ПРИХОДА")) +
           (p.cash ? QStringLiteral(", наличными") : QStringLiteral(", безналичными"));
}

QString describe(const PrintedCorrection& p) {
    return QStringLiteral("''") + kindText(p) + QStringLiteral("'' на сумму ") + fb::formatScaled(p.kopecks, 2) +
           QStringLiteral("     \r\nот ") + p.registerTime.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

// Corrections are settled by an administrator at an open workplace; the
// built-in administrator has no cashier behind his session.
bool settlingOffered(const TfmReg& reg) {
    return reg.userIsAdmin() && !reg.builtinSession() && !reg.isWorkplaceLocked();
}

}  // namespace

UnansweredCorrectionsWindow::UnansweredCorrectionsWindow(fb::Connection& db, const QString& programFolder,
                                                         QWidget* parent)
    : QDialog(parent), db_(db), programFolder_(programFolder) {
    setObjectName(QStringLiteral("fmUnansweredCorrections"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kUnansweredCaption);

    auto* hint = new QLabel(
        QStringLiteral("ККТ не ответила на эти чеки коррекции после печати.\n"
                       "Сверьте каждый с отчетом ККТ и отметьте, напечатан ли он."),
        this);
    grid = new QTableWidget(0, 4, this);
    grid->setObjectName(QStringLiteral("gridUnanswered"));
    grid->setHorizontalHeaderLabels(
        {QStringLiteral("Дата"), QStringLiteral("Время"), QStringLiteral("Вид"), QStringLiteral("Сумма")});
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    btnPrinted = new QPushButton(QStringLiteral("Напечатан"), this);
    btnPrinted->setObjectName(QStringLiteral("btnPrinted"));
    btnNotPrinted = new QPushButton(QStringLiteral("Не напечатан"), this);
    btnNotPrinted->setObjectName(QStringLiteral("btnNotPrinted"));
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPrinted);
    buttons->addWidget(btnNotPrinted);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(grid);
    layout->addLayout(buttons);
    resize(560, 260);

    connect(btnPrinted, &QPushButton::clicked, this, [this] { settle(true); });
    connect(btnNotPrinted, &QPushButton::clicked, this, [this] { settle(false); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid, &QTableWidget::itemSelectionChanged, this, &UnansweredCorrectionsWindow::updateActions);
    reload();
}

void UnansweredCorrectionsWindow::reload() {
    sales::PrintJournal journal(programFolder_);
    const QList<UnansweredCorrection> list = unansweredCorrections(journal, db_);
    ids_.clear();
    grid->setRowCount(0);
    for (const UnansweredCorrection& u : list) {
        const int row = grid->rowCount();
        grid->insertRow(row);
        const QStringList cells{u.known.registerTime.toString(QStringLiteral("dd.MM.yyyy")),
                                u.known.registerTime.toString(QStringLiteral("hh:mm")), kindText(u.known),
                                fb::formatScaled(u.known.kopecks, 2)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* cell = new QTableWidgetItem(cells.at(column));
            if (column == 3) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(row, column, cell);
        }
        ids_ << u.recordId;
    }
    if (!ids_.isEmpty()) grid->selectRow(0);
    updateActions();
}

void UnansweredCorrectionsWindow::updateActions() {
    const bool chosen = grid->currentRow() >= 0 && grid->currentRow() < ids_.size() &&
                        !grid->selectionModel()->selectedRows().isEmpty();
    btnPrinted->setEnabled(chosen);
    btnNotPrinted->setEnabled(chosen);
}

void UnansweredCorrectionsWindow::settle(bool printed) {
    const int row = grid->currentRow();
    if (row < 0 || row >= ids_.size()) return;
    ui::guarded(this, [&] {
        sales::PrintJournal journal(programFolder_);
        const std::optional<sales::JournalRecord> record = journal.record(ids_.at(row));
        const std::optional<PrintedCorrection> p =
            record ? correctionFromJson(record->correction) : std::optional<PrintedCorrection>();
        if (p) {
            const QString question =
                printed ? QStringLiteral("Записать в базу данных как напечатанный чек коррекции     \r\n") +
                              describe(*p) + QStringLiteral("?     ")
                        : QStringLiteral("Чек коррекции     \r\n") + describe(*p) +
                              QStringLiteral("     \r\nне напечатан: удалить запись о нем из журнала печати?     ");
            if (!ui::askYesNo(question, this)) return;
            const QString refused = settleUnanswered(journal, db_, ids_.at(row), printed);
            if (!refused.isEmpty()) ui::showError(refused, this);
        }
        reload();
    });
}

void installUnansweredCorrections(TfmReg& reg, std::function<fb::Connection*()> db) {
    QMenu* documentMenu = reg.menu(QStringLiteral("MDocument"));
    if (!documentMenu) return;
    auto* item = new QAction(kUnansweredCaption, documentMenu);
    item->setObjectName(kUnansweredCommand);
    item->setVisible(false);
    // Beside the receipt kinds, where the correction receipts are.
    QMenu* next = reg.menu(QStringLiteral("MPaymentMethod"));
    documentMenu->insertAction(next ? next->menuAction() : nullptr, item);
    QObject::connect(documentMenu, &QMenu::aboutToShow, item, [&reg, item] { item->setVisible(settlingOffered(reg)); });
    QObject::connect(item, &QAction::triggered, &reg, [&reg] { reg.runAttachedCommand(kUnansweredCommand); });
    reg.setCommand(kUnansweredCommand, [&reg, db = std::move(db)] {
        if (!settlingOffered(reg)) return;
        ui::guarded(&reg, [&] {
            fb::Connection* c = db ? db() : nullptr;
            if (!c) return;
            QPointer<UnansweredCorrectionsWindow> w = new UnansweredCorrectionsWindow(*c, sys::programFolder(), &reg);
            w->exec();
        });
    });
}

}  // namespace archive
