#include "archive/uPrintFormsSettings.h"

#include "archive/GoodsCheck.h"
#include "archive/GoodsCheckText.h"

#include "platform/db/Error.h"
#include "platform/report/PageRenderer.h"
#include "platform/report/ReportProject.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

TfmPrintFormsSettings* fmPrintFormsSettings = nullptr;

using namespace archive;

TfmPrintFormsSettings::TfmPrintFormsSettings(fb::Connection& db, const QString& programFolder, QWidget* parent)
    : QDialog(parent), db_(db), programFolder_(programFolder) {
    setObjectName(QStringLiteral("fmPrintFormsSettings"));
    setWindowTitle(QStringLiteral("Настройки печатных форм"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmPrintFormsSettings = this;

    auto edit = [this](const char* name, int maxLength) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        return e;
    };
    // The lengths are the columns' own, so a save never fails on them; the
    // start number keeps to what an integer holds.
    ed1String = edit("ed1String", 100);
    ed2String = edit("ed2String", 100);
    ed3String = edit("ed3String", 100);
    edAddress = edit("edAddress", 100);
    edNumberPref = edit("edNumberPref", 10);
    edNumberBegin = edit("edNumberBegin", 9);
    edNumberBegin->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edNumberBegin));

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Предв. просмотр"));
    Button3 = button("Button3", QStringLiteral("СОХРАНИТЬ"));
    Button4 = button("Button4", QStringLiteral("ОК"));
    Button2 = button("Button2", QStringLiteral("ЗАКРЫТЬ"));

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("Товарный чек"));
    auto* group = new QGroupBox(QStringLiteral("  \"Шапка\" товарного чека  "), page);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Поставщик:"), ed1String);
    form->addRow(QString(), ed2String);
    form->addRow(QString(), ed3String);
    form->addRow(QStringLiteral("Адрес торговой точки:"), edAddress);
    form->addRow(QStringLiteral("Префикс номера товарного чека:"), edNumberPref);
    form->addRow(QStringLiteral("Начать нумерацию с..:"), edNumberBegin);

    ScrollBox1 = new QScrollArea(page);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    auto* previewArea = new QWidget(ScrollBox1);
    auto* previewLayout = new QVBoxLayout(previewArea);
    RvRenderPreview1 = new QLabel(previewArea);
    RvRenderPreview1->setObjectName(QStringLiteral("RvRenderPreview1"));
    Label1 = new QLabel(previewArea);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
    previewLayout->addWidget(Label1);
    previewLayout->addWidget(RvRenderPreview1);
    ScrollBox1->setWidget(previewArea);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setMinimumHeight(190);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(group);
    pageLayout->addWidget(Button1, 0, Qt::AlignLeft);
    pageLayout->addWidget(ScrollBox1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    resize(840, 520);

    connect(Button1, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button1Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button4Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

TfmPrintFormsSettings::~TfmPrintFormsSettings() {
    if (fmPrintFormsSettings == this) fmPrintFormsSettings = nullptr;
}

void TfmPrintFormsSettings::FormCreate() {
    const GoodsCheckSettings s = GoodsCheckStore(db_).settings();
    ed1String->setText(s.row1);
    ed2String->setText(s.row2);
    ed3String->setText(s.row3);
    edAddress->setText(s.address);
    edNumberPref->setText(s.prefix);
    edNumberBegin->setText(s.number ? QString::number(*s.number) : QString());
}

bool TfmPrintFormsSettings::Button3Click() {
    GoodsCheckSettings s;
    s.row1 = ed1String->text().trimmed();
    s.row2 = ed2String->text().trimmed();
    s.row3 = ed3String->text().trimmed();
    s.address = edAddress->text().trimmed();
    s.prefix = edNumberPref->text().trimmed();
    s.number = startNumberFromText(edNumberBegin->text());
    try {
        GoodsCheckStore(db_).saveSettings(s);
    } catch (const fb::Error& e) {
        ui::showError(ui::databaseFailureText(e), this);
        return false;
    }
    return true;
}

void TfmPrintFormsSettings::Button4Click() {
    if (Button3Click()) accept();
}

void TfmPrintFormsSettings::Button1Click() {
    report::ReportProject project;
    if (!project.open(report::projectPath(programFolder_))) {
        ui::showError(QStringLiteral("Не найден файл шаблонов.     "), this);
        return;
    }
    if (!project.selectReport(QStringLiteral("GoodsCheckPreview1"))) {
        Label1->setText(QStringLiteral("не найден шаблон для просмотра шапки товарного чека"));
        Label1->show();
        RvRenderPreview1->clear();
        return;
    }
    Label1->hide();
    report::Report r = project.report();
    r.setText(QStringLiteral("txtHead"),
              goodsCheckTitle(edNumberPref->text(), kBareHyphen, startNumberFromText(edNumberBegin->text()),
                              QDate::currentDate()));
    const QString address = edAddress->text().trimmed();
    r.setText(QStringLiteral("txtAddress"), address.isEmpty() ? QStringLiteral("не указан") : address);
    layOutPreviewHeader(r, headerLines(ed1String->text(), ed2String->text(), ed3String->text()));
    // Drawn in memory: nobody else reads the picture, so no file is left.
    RvRenderPreview1->setPixmap(QPixmap::fromImage(report::renderPage(r, 0, 96)));
    preview_ = std::make_unique<report::Report>(std::move(r));
}
