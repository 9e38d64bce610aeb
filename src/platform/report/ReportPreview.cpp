#include "ReportPreview.h"

#include "PageRenderer.h"
#include "PrintSetupDialog.h"
#include "platform/ui/MessageService.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace report {

namespace {

const QList<int> kZoomSteps{50, 75, 90, 100, 125, 150, 200, 300};

QPushButton* makeButton(const QString& name, const QString& text, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

ReportPreview::ReportPreview(const Report& report, const PreviewOptions& options, QWidget* parent)
    : QDialog(parent), report_(report), options_(options), layout_(layOut(report)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(options.title.isEmpty() ? report.name() : options.title);

    btnPrint_ = makeButton(QStringLiteral("btnPrint"), QStringLiteral("Печать"), QStringLiteral("Печать"), this);
    btnFirst_ = makeButton(QStringLiteral("btnFirst"), QStringLiteral("|<"), QStringLiteral("Первая страница"), this);
    btnPrior_ =
        makeButton(QStringLiteral("btnPrior"), QStringLiteral("<"), QStringLiteral("Предыдущая страница"), this);
    btnNext_ = makeButton(QStringLiteral("btnNext"), QStringLiteral(">"), QStringLiteral("Следующая страница"), this);
    btnLast_ = makeButton(QStringLiteral("btnLast"), QStringLiteral(">|"), QStringLiteral("Последняя страница"), this);
    auto* btnClose = makeButton(QStringLiteral("btnClose"), QStringLiteral("Закрыть"), QString(), this);
    lblPage_ = new QLabel(this);
    lblPage_->setObjectName(QStringLiteral("lblPage"));
    cbZoom_ = new QComboBox(this);
    cbZoom_->setObjectName(QStringLiteral("cbZoom"));
    cbZoom_->setFocusPolicy(Qt::NoFocus);

    auto* bar = new QHBoxLayout;
    bar->addWidget(btnPrint_);
    bar->addSpacing(12);
    bar->addWidget(btnFirst_);
    bar->addWidget(btnPrior_);
    bar->addWidget(lblPage_);
    bar->addWidget(btnNext_);
    bar->addWidget(btnLast_);
    bar->addSpacing(12);
    bar->addWidget(cbZoom_);
    bar->addStretch();
    bar->addWidget(btnClose);

    pageImage_ = new QLabel;
    pageImage_->setObjectName(QStringLiteral("lblPageImage"));
    pageImage_->setAlignment(Qt::AlignCenter);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrollPage"));
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setWidget(pageImage_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    int height = options.height;
    if (height <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        height = screen ? qMin(1000, screen->availableGeometry().height() - 40) : 700;
    }
    resize(options.width > 0 ? options.width : 820, qMax(300, height));

    QList<int> steps = kZoomSteps;
    zoom_ = qBound(10, options.zoomPercent > 0 ? options.zoomPercent : 100, 400);
    if (!steps.contains(zoom_)) {
        steps << zoom_;
        std::sort(steps.begin(), steps.end());
    }
    for (int z : steps) cbZoom_->addItem(QStringLiteral("%1 %").arg(z), z);
    cbZoom_->setCurrentIndex(static_cast<int>(steps.indexOf(zoom_)));

    connect(btnPrint_, &QPushButton::clicked, this, &ReportPreview::printCommand);
    connect(btnFirst_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(btnPrior_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(btnNext_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(btnLast_, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbZoom_, &QComboBox::currentIndexChanged, this, [this](int i) { setZoom(cbZoom_->itemData(i).toInt()); });
    showPage(0);
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showPage(int page) {
    page_ = qBound(0, page, qMax(0, pageCount() - 1));
    // Only the page on screen is drawn: a long sheet costs no more to open
    // than a short one.
    const double dpi = logicalDpiX() * zoom_ / 100.0;
    pageImage_->setPixmap(QPixmap::fromImage(renderPage(layout_, page_, dpi)));
    pageImage_->adjustSize();
    updateActions();
}

void ReportPreview::setZoom(int percent) {
    if (percent <= 0 || percent == zoom_) return;
    zoom_ = percent;
    const int i = cbZoom_->findData(percent);
    if (i >= 0 && i != cbZoom_->currentIndex()) cbZoom_->setCurrentIndex(i);
    showPage(page_);
}

void ReportPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown:
            showPage(page_ + 1);
            return;
        case Qt::Key_PageUp:
            showPage(page_ - 1);
            return;
        case Qt::Key_Home:
            showPage(0);
            return;
        case Qt::Key_End:
            showPage(pageCount() - 1);
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void ReportPreview::updateActions() {
    const int count = pageCount();
    lblPage_->setText(QStringLiteral("Стр. %1 из %2").arg(count == 0 ? 0 : page_ + 1).arg(count));
    btnFirst_->setEnabled(page_ > 0);
    btnPrior_->setEnabled(page_ > 0);
    btnNext_->setEnabled(page_ + 1 < count);
    btnLast_->setEnabled(page_ + 1 < count);
    btnPrint_->setEnabled(count > 0);
}

void ReportPreview::printCommand() {
    emit printSetupOpened();
    if (options_.onPrintSetupOpened) options_.onPrintSetupOpened();
    QPointer<PrintSetupDialog> setup =
        new PrintSetupDialog(pageCount(), report_.copies(), options_.printRangeEnabled, this);
    const bool accepted = setup->exec() == QDialog::Accepted && setup;
    if (!setup) return;
    if (!accepted) {
        delete setup;
        return;
    }
    QPrinter& printer = setup->printer();
    if (setup->toPdfFile()) {
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в файл PDF"),
                                         report_.name() + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty()) {
            delete setup;
            return;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    }
    printer.setCopyCount(setup->copies());
    printer.setDocName(windowTitle());
    const bool printed = printLayout(layout_, printer, setup->fromPage(), setup->toPage());
    delete setup;
    if (!printed) ui::showError(QStringLiteral(" Не удалось начать печать. Проверьте принтер.     "), this);
}

}  // namespace report
