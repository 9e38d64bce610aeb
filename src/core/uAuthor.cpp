#include "uAuthor.h"

#include "UserRules.h"
#include "platform/db/Error.h"
#include "platform/sys/DbEngine.h"
#include "platform/ui/Guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QAbstractItemView>
#include <QVBoxLayout>

#include <algorithm>

namespace core {

TfmAuthor* fmAuthor = nullptr;

StatusView statusView(DbStatus status) {
    switch (status) {
    case DbStatus::Connecting: return {QStringLiteral("Подключаюсь к БД. Ждите..."), QColor(0, 0, 255)};
    case DbStatus::Retrying: return {QStringLiteral("Пытаюсь подключиться к БД. Ждите..."), QColor(0, 0, 255)};
    case DbStatus::Reloading: return {QStringLiteral("Пытаюсь соединиться с БД. Ждите..."), QColor(0, 0, 255)};
    case DbStatus::Connected: return {QStringLiteral("Есть соединение с БД"), QColor(0, 128, 0)};
    case DbStatus::Disconnected: break;
    }
    return {QStringLiteral("Нет соединения с БД"), QColor(255, 0, 0)};
}

TfmAuthor::TfmAuthor(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fmAuthor"));
    setWindowTitle(QStringLiteral("Авторизация"));
    static QElapsedTimer monotonic;
    if (!monotonic.isValid()) monotonic.start();
    clock_ = [] { return monotonic.elapsed(); };

    auto named = [this](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        w->installEventFilter(this);
        return w;
    };
    cmbLogin_ = named(new QComboBox(this), "cmbLogin");
    cmbLogin_->setEditable(true);
    cmbLogin_->setInsertPolicy(QComboBox::NoInsert);
    // Names complete only in the letters typed: "VOTAR" typed must stay the
    // built-in administrator even when a stored "Votar" starts the same way.
    cmbLogin_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    cmbLogin_->lineEdit()->installEventFilter(this);
    cmbLogin_->setContextMenuPolicy(Qt::NoContextMenu);
    // A long name must not stretch the window: the field keeps its width
    // and the drop-down list is as wide as the names need.
    cmbLogin_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbLogin_->setMinimumContentsLength(24);
    cmbLogin_->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    ListBoxUserPost_ = named(new QListWidget(this), "ListBoxUserPost");
    ListBoxUserINN_ = named(new QListWidget(this), "ListBoxUserINN");
    ListBoxUserPost_->hide();
    ListBoxUserINN_->hide();
    edPassword_ = named(new QLineEdit(this), "edPassword");
    edPassword_->setEchoMode(QLineEdit::Password);
    edPassword_->setContextMenuPolicy(Qt::NoContextMenu);
    Edit1_ = named(new QLineEdit(this), "Edit1");
    Edit1_->hide();
    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(100);
    Timer1_->setSingleShot(true);
    lblStatusDB_ = named(new QLabel(this), "lblStatusDB");
    btnOK_ = named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnCancel_ = named(new QPushButton(QStringLiteral("ОТМЕНА"), this), "btnCancel");
    Button1_ = named(new QPushButton(QStringLiteral("ЗАКРЫТЬ ПРОГРАММУ"), this), "Button1");
    Button2_ = named(new QPushButton(QStringLiteral("KB"), this), "Button2");
    btnOpenDB_ = named(new QPushButton(QStringLiteral("Подключиться к БД"), this), "btnOpenDB");
    CheckBox1_ = named(new QCheckBox(QStringLiteral(" работать без подключения к БД"), this), "CheckBox1");
    CheckBox1_->hide();
    // Enter belongs to the card reader here: no button is a default button.
    for (QPushButton* b : {btnOK_, btnCancel_, Button1_, Button2_, btnOpenDB_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("Пользователь"), this), 0, 0);
    form->addWidget(cmbLogin_, 0, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("Пароль"), this), 1, 0);
    form->addWidget(edPassword_, 1, 1);
    form->addWidget(Button2_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);
    auto* db = new QHBoxLayout;
    db->addWidget(lblStatusDB_, 1);
    db->addWidget(btnOpenDB_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);
    main->addLayout(db);
    main->addWidget(Button1_);
    main->setSizeConstraint(QLayout::SetFixedSize);
    setStatus(DbStatus::Disconnected);

    connect(btnOK_, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(Button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2_, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(btnOpenDB_, &QPushButton::clicked, this, [this] { btnOpenDBClick(); });
    connect(CheckBox1_, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    installEventFilter(this);
    if (!fmAuthor) fmAuthor = this;
}

TfmAuthor::~TfmAuthor() {
    if (fmAuthor == this) fmAuthor = nullptr;
}

void TfmAuthor::setStatus(DbStatus status) {
    status_ = status;
    const StatusView v = statusView(status);
    lblStatusDB_->setText(v.text);
    QPalette p = lblStatusDB_->palette();
    p.setColor(QPalette::WindowText, v.color);
    lblStatusDB_->setPalette(p);
}

bool TfmAuthor::connectDatabase() {
    if (!DataModule1) DataModule1 = new TDataModule1(this);
    try {
        DataModule1->connectDatabase();
        setStatus(DbStatus::Connected);
        return true;
    } catch (const fb::Error& e) {
        // The label tells the truth: not connected. btnOpenDB tries again.
        setStatus(DbStatus::Disconnected);
        ui::showError(ui::databaseFailureText(e, kNoDatabaseConnection), this);
        return false;
    }
}

bool TfmAuthor::FormCreate() {
    Edit1_->clear();
    Edit1_->hide();
    CheckBox1_->setChecked(false);
    CheckBox1_->hide();
    if (!sys::dbEngine().exists()) {
        ui::showError(kEngineMissingAtStart, this);
        return false;
    }
    btnOpenDB_->setEnabled(true);
    setStatus(sys::dbEngine().startIfStopped() ? DbStatus::Connecting : DbStatus::Disconnected);
    if (connectDatabase()) ui::guarded(this, [this] { fillUserList(); });
    return true;
}

void TfmAuthor::btnOpenDBClick() {
    if (!sys::dbEngine().exists()) {
        ui::showError(kEngineMissingOnReconnect, this);
        return;
    }
    sys::dbEngine().startIfStopped();
    setStatus(DbStatus::Retrying);
    if (connectDatabase()) CheckBox1Click();
}

void TfmAuthor::fillUserList() {
    const std::vector<LoginUser> users = DataModule1->loginUsers();
    edPassword_->clear();
    for (const LoginUser& u : users) {
        cmbLogin_->addItem(u.fio, u.id);
        ListBoxUserPost_->addItem(u.post);
        ListBoxUserINN_->addItem(u.inn);
    }
    int widest = 0;
    for (int i = 0; i < cmbLogin_->count(); ++i)
        widest = std::max(widest, cmbLogin_->fontMetrics().horizontalAdvance(cmbLogin_->itemText(i)));
    cmbLogin_->view()->setMinimumWidth(std::min(widest + 40, 900));
}

void TfmAuthor::CheckBox1Click() {
    cmbLogin_->clear();
    cmbLogin_->setEditText(QString());
    ListBoxUserPost_->clear();
    ListBoxUserINN_->clear();
    Edit1_->clear();
    card_.clear();
    setStatus(DbStatus::Reloading);
    sys::dbEngine().startIfStopped();
    if (!connectDatabase()) return;
    ui::guarded(this, [this] { fillUserList(); });
}

void TfmAuthor::finishLogin(const LoginResult& result) {
    MainScreenPort* screen = mainScreen();
    if (!screen) return;
    screen->setUser(result.user);
    screen->ApplyUserRights(result.rightsMode);
    if (!screen->showMain()) return;
    hide();
    emit loggedIn();
}

void TfmAuthor::btnOKClick() {
    // Keys typed so far were a password, not a card.
    card_.clear();
    Edit1_->clear();
    const QString name = trimUserName(cmbLogin_->currentText());
    if (name.isEmpty()) return;
    ui::guarded(this, [&] {
        if (!sys::dbEngine().exists()) {
            ui::showError(kEngineMissingAtLogin, this);
            setStatus(DbStatus::Disconnected);
            return;
        }
        if (!DataModule1 || !DataModule1->isConnected()) return;
        std::vector<UserRow> rows;
        if (name != kBuiltinAdmin && !edPassword_->text().trimmed().isEmpty())
            rows = usersByName(DataModule1->IBDatabase1(), name);
        const LoginResult r = passwordLogin(name, edPassword_->text(), rows);
        if (!r.message.isEmpty()) {
            ui::showError(r.message, this);
            return;
        }
        if (r.outcome == LoginOutcome::Ok || r.outcome == LoginOutcome::BuiltinAdmin) finishLogin(r);
    });
}

void TfmAuthor::btnCancelClick() {
    cmbLogin_->setEditText(QString());
    cmbLogin_->setCurrentIndex(-1);
    edPassword_->clear();
    Edit1_->clear();
    card_.clear();
}

void TfmAuthor::Button1Click() {
    if (!ui::askYesNo(kQuitQuestion, this)) return;
    emit quitRequested();
}

void TfmAuthor::Button2Click() { emit latinKeypadRequested(); }

void TfmAuthor::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        Edit1_->clear();
        card_.clear();
        return;
    }
    if (key != Qt::Key_I || modifiers != Qt::ControlModifier) return;
    const QString code = cardCode(Edit1_->text());
    Edit1_->clear();
    card_.clear();
    if (code.isEmpty()) return;
    cmbLogin_->setEditText(QString());
    cmbLogin_->setCurrentIndex(-1);
    edPassword_->clear();
    ui::guarded(this, [&] {
        if (!DataModule1) return;
        const auto row = userByCard(DataModule1->IBDatabase1(), code);
        if (!row) {
            ui::showError(QStringLiteral("Карта авторизации не найдена      "), this);
            return;
        }
        finishLogin(sessionFromRow(*row, true));
    });
}

void TfmAuthor::routeEnter() {
    Timer1_->stop();
    if (card_.enterPressed(clock_())) FormKeyDown(Qt::Key_I, Qt::ControlModifier);
}

void TfmAuthor::keyTyped(const QString& text) {
    for (const QChar c : text) {
        if (!c.isPrint()) continue;
        card_.keyPressed(c, clock_());
    }
    Edit1_->setText(card_.buffer());
    if (!Timer1_->isActive()) Timer1_->start();
}

bool TfmAuthor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // A key a child ignores travels up to its parent, whose filter is
        // this one too: count it once.
        auto* receiver = qobject_cast<QWidget*>(watched);
        const bool propagated = k == lastKey_ && lastReceiver_ && receiver == lastReceiver_->parentWidget();
        lastKey_ = k;
        lastReceiver_ = receiver;
        if (propagated) return false;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            routeEnter();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            Button1Click();
            return true;
        }
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::NoModifier) FormKeyDown(Qt::Key_Delete, Qt::NoModifier);
        if (k->key() == Qt::Key_I && k->modifiers() == Qt::ControlModifier) {
            FormKeyDown(Qt::Key_I, Qt::ControlModifier);
            return true;
        }
        if (!k->text().isEmpty()) keyTyped(k->text());
    }
    return QWidget::eventFilter(watched, event);
}

void TfmAuthor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    cmbLogin_->setEditText(QString());
    edPassword_->clear();
    Edit1_->clear();
    card_.clear();
    if (DataModule1 && DataModule1->isConnected()) setStatus(DbStatus::Connected);
    cmbLogin_->setFocus();
}

void TfmAuthor::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit quitRequested();
}

}  // namespace core
