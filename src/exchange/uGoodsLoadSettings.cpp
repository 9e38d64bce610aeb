#include "uGoodsLoadSettings.h"
#include "uProcessMovement.h"

#include "CsvFormat.h"
#include "CsvTransfer.h"

#include "core/GroupTree.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QPointer<TfmGoodsLoadSettings> fmGoodsLoadSettings;

namespace {

int tagOf(const QObject* o) {
    return o ? o->property("Tag").toInt() : 0;
}
void setTagOf(QObject* o, int tag) {
    if (o) o->setProperty("Tag", tag);
}

const QString kFileBusy = QStringLiteral(
    "Не могу выполнить операцию.      \r\n"
    "Выбранный Вами файл, похоже, открыт другим приложением.      ");

QLabel* counter(QWidget* parent, const char* name) {
    auto* l = new QLabel(QStringLiteral("0"), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

TfmGoodsLoadSettings::TfmGoodsLoadSettings(const exchange::ExchangeHost& host, int mode, QWidget* parent)
    : QDialog(parent), host_(host), mode_(mode) {
    setObjectName(QStringLiteral("fmGoodsLoadSettings"));
    setWindowTitle(QStringLiteral("Параметры загрузки"));
    setAttribute(Qt::WA_DeleteOnClose);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(10);
    btnLoad = new QPushButton(mode == Unload ? QStringLiteral("ВЫГРУЗИТЬ") : QStringLiteral("ЗАГРУЗИТЬ"), this);
    btnLoad->setObjectName(QStringLiteral("btnLoad"));
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    lblReadCount = counter(this, "lblReadCount");
    lblLoadCount = counter(this, "lblLoadCount");
    lblUpdateCount = counter(this, "lblUpdateCount");
    lblUnloadCount = counter(this, "lblUnloadCount");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    grbResult = new QGroupBox(QStringLiteral("Результат"), this);
    grbResult->setObjectName(QStringLiteral("grbResult"));
    lblResult = new QLabel(grbResult);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    (new QVBoxLayout(grbResult))->addWidget(lblResult);
    chAddHead = new QCheckBox(QStringLiteral("добавить \"шапку\" (названия полей)"), this);
    chAddHead->setObjectName(QStringLiteral("chAddHead"));
    chNumberToText = new QCheckBox(QStringLiteral("текст вместо числовых значений"), this);
    chNumberToText->setObjectName(QStringLiteral("chNumberToText"));

    auto* counters = new QFormLayout;
    counters->setObjectName(QStringLiteral("counters"));
    counters->addRow(QStringLiteral("Прочитано строк:"), lblReadCount);
    counters->addRow(QStringLiteral("Загружено:"), lblLoadCount);
    counters->addRow(QStringLiteral("Обновлено:"), lblUpdateCount);
    counters->addRow(QStringLiteral("Выгружено:"), lblUnloadCount);
    auto* right = new QVBoxLayout;
    right->addLayout(counters);
    right->addWidget(chAddHead);
    right->addWidget(chNumberToText);
    right->addWidget(grbResult);
    right->addStretch();
    right->addWidget(Label3);
    right->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLoad);
    buttons->addWidget(btnClose);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(TreeView1, 1);
    layout->addLayout(right);

    connect(btnLoad, &QPushButton::clicked, this, &TfmGoodsLoadSettings::btnLoadClick);
    connect(btnClose, &QPushButton::clicked, this, &TfmGoodsLoadSettings::btnCloseClick);

    QTreeWidgetItem* root = core::FillGroupTree(TreeView1, host_.database(), 0);
    if (root) root->setExpanded(true);
    fmGoodsLoadSettings = this;
    FormShow();
}

TfmGoodsLoadSettings::~TfmGoodsLoadSettings() {
    if (fmGoodsLoadSettings == this) fmGoodsLoadSettings = nullptr;
}

void TfmGoodsLoadSettings::FormShow() {
    const bool loading = mode_ == Load;
    // A counter goes with its caption: a caption over nothing reads as a
    // count of zero.
    if (auto* counters = findChild<QFormLayout*>(QStringLiteral("counters"))) {
        for (QLabel* c : {lblReadCount, lblLoadCount, lblUpdateCount}) counters->setRowVisible(c, loading);
        counters->setRowVisible(lblUnloadCount, !loading);
    }
    grbResult->setVisible(!loading);
    chAddHead->setVisible(!loading);
    chNumberToText->setVisible(!loading);
    if (!loading) {
        chAddHead->setChecked(true);
        chNumberToText->setChecked(true);
    }
    setWindowTitle(loading ? QStringLiteral("Загрузка товаров из файла csv")
                           : QStringLiteral("Выгрузка товаров в файл csv"));
    btnClose->setText(QStringLiteral("ЗАКРЫТЬ"));
    setTagOf(btnLoad, 0);
    setTagOf(btnClose, 0);
    Label3->clear();
}

void TfmGoodsLoadSettings::setWorking(bool working, const QString& status) {
    setTagOf(btnLoad, working ? 1 : 0);
    btnLoad->setEnabled(!working);
    setTagOf(btnClose, 0);
    btnClose->setText(working ? QStringLiteral("ОСТАНОВИТЬ") : QStringLiteral("ЗАКРЫТЬ"));
    Label3->setText(status);
    shown_.invalidate();
    pending_ = false;
    if (working) {
        for (QLabel* l : {lblReadCount, lblLoadCount, lblUpdateCount, lblUnloadCount}) l->setText(QStringLiteral("0"));
        ProgressBar1->setValue(0);
        lblResult->clear();
    }
}

void TfmGoodsLoadSettings::step() {
    const int v = (pending_ ? position_ : ProgressBar1->value()) + 1;
    position_ = v >= ProgressBar1->maximum() ? 0 : v;
    pending_ = true;
}

bool TfmGoodsLoadSettings::due() {
    // The first line of a run is due, so a stop asked early is seen early.
    if (shown_.isValid() && shown_.elapsed() < TfmProcessMovement::kRepaintIntervalMs) return false;
    shown_.start();
    return true;
}

void TfmGoodsLoadSettings::showProgress() {
    if (!pending_) return;
    pending_ = false;
    ProgressBar1->setValue(position_);
}

bool TfmGoodsLoadSettings::stopConfirmed(const QString& question) {
    QCoreApplication::processEvents();
    if (tagOf(btnClose) != 1) return false;
    if (ui::messages().ask(this, question, ui::Icon::Question) == ui::Answer::Yes) return true;
    setTagOf(btnClose, 0);
    return false;
}

void TfmGoodsLoadSettings::btnCloseClick() {
    if (tagOf(btnLoad) == 1)
        setTagOf(btnClose, 1);
    else
        close();
}

void TfmGoodsLoadSettings::closeEvent(QCloseEvent* event) {
    if (tagOf(btnLoad) == 1) {
        event->ignore();
        return;
    }
    event->accept();
}

void TfmGoodsLoadSettings::reject() {
    if (tagOf(btnLoad) == 1) return;
    QDialog::reject();
}

void TfmGoodsLoadSettings::ShowLoadResult(int result) {
    grbResult->setVisible(true);
    Label3->clear();
    if (result == 0) {
        lblResult->setText(QStringLiteral("успешно"));
        lblResult->setStyleSheet(QStringLiteral("color: green"));
        ProgressBar1->setValue(ProgressBar1->maximum());
        return;
    }
    lblResult->setText(result == 1 ? QStringLiteral("ошибка!") : QStringLiteral("прервано пользователем"));
    lblResult->setStyleSheet(QStringLiteral("color: red"));
    lblLoadCount->setText(QStringLiteral("0"));
    lblUpdateCount->setText(QStringLiteral("0"));
    ProgressBar1->setValue(0);
}

void TfmGoodsLoadSettings::btnLoadClick() {
    if (!TreeView1->currentItem()) return;
    setTagOf(host_.csvFlag, 0);
    ui::guarded(this, [this] {
        if (mode_ == Load)
            load();
        else
            unload();
    });
    if (tagOf(btnLoad) == 1) setWorking(false, QString());
}

void TfmGoodsLoadSettings::load() {
    const auto group = static_cast<std::int32_t>(core::groupTreeItemId(TreeView1->currentItem()));
    const QString title = QStringLiteral("Загрузить товары из файла...");
    const QString filter = QStringLiteral("файлы CSV (*.csv);;все файлы (*)");
    const QString path = host_.openFile ? host_.openFile(this, title, host_.programFolder, filter)
                                        : QFileDialog::getOpenFileName(this, title, host_.programFolder, filter);
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::showError(kFileBusy, this);
        return;
    }
    setWorking(true, QStringLiteral("Идет загрузка. Ждите..."));
    exchange::CsvLoadHooks hooks;
    hooks.stop = [this](const exchange::CsvCounters& c) {
        step();
        if (!due()) return false;
        lblReadCount->setText(QString::number(c.read));
        lblLoadCount->setText(QString::number(c.loaded));
        lblUpdateCount->setText(QString::number(c.updated));
        showProgress();
        return stopConfirmed(QStringLiteral("Остановить загрузку?      "));
    };
    hooks.skipGroupLine = [this](const QString& question) {
        return ui::messages().ask(this, question, ui::Icon::Warning) == ui::Answer::Yes;
    };
    const exchange::CsvLoadResult r = exchange::loadCsvGoods(file, host_.database(), group, hooks);
    lblReadCount->setText(QString::number(r.counters.read));
    lblLoadCount->setText(QString::number(r.counters.loaded));
    lblUpdateCount->setText(QString::number(r.counters.updated));
    setWorking(false, QString());
    using Outcome = exchange::CsvLoadResult::Outcome;
    switch (r.outcome) {
        case Outcome::Done:
            ShowLoadResult(0);
            break;
        case Outcome::Stopped:
            ShowLoadResult(2);
            if (!r.message.isEmpty()) ui::showWarning(r.message, this);
            break;
        case Outcome::Refused:
        case Outcome::Failed:
            ShowLoadResult(1);
            ui::showError(r.message, this);
            break;
    }
}

void TfmGoodsLoadSettings::unload() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    const auto group = static_cast<std::int32_t>(core::groupTreeItemId(item));
    const bool root = group == 0;
    fb::Connection& db = host_.database();
    {
        fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
        const auto any =
            root ? fb::queryOne(tr, QStringLiteral("SELECT FIRST 1 GOOD_ID FROM GOODS WHERE GOOD_ISGOOD = 1"))
                 : fb::queryOne(tr,
                                QStringLiteral("SELECT FIRST 1 GOOD_ID FROM GOODS WHERE GOOD_ISGOOD = 1 "
                                               "AND GOOD_PARENTGROUP = ?"),
                                {std::int64_t(group)});
        if (!any) {
            ui::showError(root ? QStringLiteral("База товаров пустая.      ")
                               : QStringLiteral("В выбранной Вами группе нет товаров.      "),
                          this);
            return;
        }
    }
    const QString title = exchange::csvSaveDialogTitle(item->text(0), root);
    const QString filter = QStringLiteral("текстовые файлы (*.csv);;все файлы (*)");
    QString path;
    if (host_.saveFile) {
        path = host_.saveFile(this, title, host_.programFolder, filter, QStringLiteral("csv"));
    } else {
        QFileDialog dialog(this, title, host_.programFolder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ui::showError(kFileBusy, this);
        return;
    }
    setWorking(true, QStringLiteral("Идет выгрузка. Ждите..."));
    const exchange::CsvUnloadResult r =
        exchange::unloadCsvGoods(db, group, file, chAddHead->isChecked(), chNumberToText->isChecked(), [this](int n) {
            step();
            if (!due()) return true;
            lblUnloadCount->setText(QString::number(n));
            showProgress();
            return !stopConfirmed(QStringLiteral("Остановить выгрузку?      "));
        });
    file.close();
    lblUnloadCount->setText(QString::number(r.count));
    setWorking(false, QString());
    grbResult->setVisible(true);
    if (r.stopped) {
        lblResult->setText(QStringLiteral("остановлено пользователем"));
        lblResult->setStyleSheet(QStringLiteral("color: red"));
        ProgressBar1->setValue(0);
    } else {
        lblResult->setText(QStringLiteral("успешно"));
        lblResult->setStyleSheet(QStringLiteral("color: green"));
        ProgressBar1->setValue(ProgressBar1->maximum());
    }
}

namespace exchange {
void openCsvGoodsWindow(const ExchangeHost& host, int mode) {
    ui::guarded(host.mainScreen, [&] {
        QPointer<TfmGoodsLoadSettings> w = new TfmGoodsLoadSettings(host, mode, host.mainScreen);
        w->exec();
    });
}
}  // namespace exchange
