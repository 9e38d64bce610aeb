#include "core/uConnectScale.h"

#include "core/OptionsModel.h"
#include "core/ScaleConnection.h"
#include "platform/serial/SerialPortLister.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace core {

TfmConnectScale* fmConnectScale = nullptr;

namespace {

// Lets through only the characters a field accepts. Keys that type nothing
// (arrows, Delete) and the keys that move between controls or close the
// window pass, so the dialog's own keys keep working.
class CharFilter : public QObject {
public:
    CharFilter(std::function<bool(QChar)> accept, QObject* parent) : QObject(parent), accept_(std::move(accept)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        case Qt::Key_Backspace:
            return !accept_(QLatin1Char('\b'));
        default:
            break;
        }
        if (key->text().isEmpty()) return false;
        return !accept_(key->text().at(0));
    }

private:
    std::function<bool(QChar)> accept_;
};

void filterChars(QWidget* field, std::function<bool(QChar)> accept) {
    auto* filter = new CharFilter(std::move(accept), field);
    field->installEventFilter(filter);
    // An editable list hands its keys on to its edit.
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

QComboBox* comboBox(QWidget* parent, const char* name, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setContextMenuPolicy(Qt::NoContextMenu);
    if (combo->lineEdit()) combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    return combo;
}

}  // namespace

UpDown::UpDown(QLineEdit* buddy, int min, int max, int position, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(min), max_(max), position_(qBound(min, position, max)) {
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setFocusPolicy(Qt::NoFocus);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setFocusPolicy(Qt::NoFocus);
    for (QToolButton* b : {up_, down_}) b->setFixedSize(18, 12);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);

    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
    buddy_->setText(QString::number(position_));
}

void UpDown::setPosition(int position) {
    position_ = qBound(min_, position, max_);
    buddy_->setText(QString::number(position_));
}

void UpDown::stepBy(int steps) {
    bool ok = false;
    const int typed = buddy_->text().trimmed().toInt(&ok);
    const int from = ok && typed >= min_ && typed <= max_ ? typed : position_;
    setPosition(from + steps);
}

QComboBox* makePortField(QWidget* parent, const char* name, const QStringList& ports) {
    QComboBox* port = comboBox(parent, name, true);
    port->addItems(ports);
    port->setCurrentIndex(-1);
    filterChars(port, acceptPortChar);
    return port;
}

QComboBox* makeBaudRateField(QWidget* parent, const char* name) {
    QComboBox* baudRate = comboBox(parent, name, true);
    baudRate->addItems(ScaleBaudRates());
    baudRate->setCurrentIndex(-1);
    // Backspace too: a wrong digit must be correctable.
    filterChars(baudRate, [](QChar ch) { return ch == QLatin1Char('\b') || acceptBaudChar(ch); });
    return baudRate;
}

void showListText(QComboBox* field, const QString& text) {
    const int row = field->findText(text);
    field->setCurrentIndex(row);
    if (row < 0) field->setEditText(text);
}

ScaleControls makeScaleControls(QWidget* parent, const QStringList& ports) {
    ScaleControls c;
    c.protocol = comboBox(parent, "cmbScaleProtocol", false);
    for (const CodeItem& item : ScaleProtocolItems()) c.protocol->addItem(item.text, item.code);
    c.protocol->setCurrentIndex(-1);

    c.port = makePortField(parent, "cmbScalePort", ports);
    c.baudRate = makeBaudRateField(parent, "cmbScaleBaudRate");

    c.timeout = new QLineEdit(parent);
    c.timeout->setObjectName(QStringLiteral("edScaleTimeout"));
    c.timeout->setContextMenuPolicy(Qt::NoContextMenu);
    filterChars(c.timeout, acceptTimeoutChar);
    c.upDown = new UpDown(c.timeout, kScaleTimeoutMin, kScaleTimeoutMax, kScaleTimeoutDefault, parent);
    c.upDown->setObjectName(QStringLiteral("UpDown1"));
    return c;
}

void showScaleFields(const ScaleControls& c, const ScaleFields& fields) {
    c.protocol->setCurrentIndex(fields.protocolIndex);
    const int portRow = c.port->findText(fields.port);
    c.port->setCurrentIndex(portRow);
    if (portRow < 0) c.port->setEditText(fields.port);
    c.baudRate->setCurrentIndex(fields.baudIndex);
    if (fields.baudIndex < 0) c.baudRate->setEditText(QString());
    c.upDown->setPosition(fields.timeout);
}

ScaleParams typedScaleParams(const ScaleControls& c) {
    return {scaleProtocolCode(c.protocol->currentIndex()), c.port->currentText(), c.baudRate->currentText(),
            c.timeout->text()};
}

ScaleTestResult testScaleConnection(QWidget* parent, ScaleConnection& scale, const ScaleParams& params,
                                    const std::function<void(const QString&)>& showResult) {
    showResult(QString());
    const ScaleTestResult result = scale.connectScale(params);
    showResult(result.resultText);
    if (!result.errorText.isEmpty()) ui::showError(result.errorText, parent);
    return result;
}

TfmConnectScale::TfmConnectScale(fb::Connection& db, ScaleConnection& scale, const serial::SerialPortLister& ports,
                                 QWidget* parent)
    : QDialog(parent), scale_(scale) {
    setObjectName(QStringLiteral("fmConnectScale"));
    setWindowTitle(QStringLiteral("Подключить весы"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmConnectScale = this;

    QStringList portNames;
    ui::guarded(this, [&] { portNames = ports.ports(); });
    fields_ = makeScaleControls(this, portNames);
    cmbScaleProtocol = fields_.protocol;
    cmbScalePort = fields_.port;
    cmbScaleBaudRate = fields_.baudRate;
    edScaleTimeout = fields_.timeout;
    UpDown1 = fields_.upDown;

    lblConnectResult = new QLabel(this);
    lblConnectResult->setObjectName(QStringLiteral("lblConnectResult"));

    btnConnect = new QPushButton(QStringLiteral("ПОДКЛЮЧИТЬ"), this);
    btnConnect->setObjectName(QStringLiteral("btnConnect"));
    btnConnect->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->setSpacing(0);
    timeoutRow->addWidget(edScaleTimeout);
    timeoutRow->addWidget(UpDown1);
    timeoutRow->addStretch();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Протокол обмена"), cmbScaleProtocol);
    form->addRow(QStringLiteral("Порт"), cmbScalePort);
    form->addRow(QStringLiteral("Скорость, бод"), cmbScaleBaudRate);
    form->addRow(QStringLiteral("Тайм-аут, мс"), timeoutRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnConnect);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblConnectResult);
    layout->addLayout(buttons);

    connect(btnConnect, &QPushButton::clicked, this, &TfmConnectScale::btnConnectClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmConnectScale::btnCancelClick);

    FormCreate(db);
}

TfmConnectScale::~TfmConnectScale() {
    if (fmConnectScale == this) fmConnectScale = nullptr;
}

void TfmConnectScale::FormCreate(fb::Connection& db) {
    ui::guarded(this, [&] { showScaleFields(fields_, loadScaleFields(scale_, db)); });
}

void TfmConnectScale::btnConnectClick() {
    bool connected = false;
    ui::guarded(this, [&] {
        connected = testScaleConnection(this, scale_, typedParams(),
                                        [this](const QString& text) { lblConnectResult->setText(text); })
                        .ok;
    });
    if (connected) accept();
}

void TfmConnectScale::btnCancelClick() { reject(); }

}  // namespace core
