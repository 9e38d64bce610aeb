#include "ExchangeCommands.h"

#include "ExchangeExport.h"
#include "ExchangeImport.h"
#include "ExchangeReader.h"
#include "uProcessMovement.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>

#include <memory>

namespace exchange {
namespace {

int flagOf(const QObject* o) {
    return o ? o->property("Tag").toInt() : 0;
}
void clearFlag(QObject* o) {
    if (o) o->setProperty("Tag", 0);
}

QString chooseOpen(const ExchangeHost& host, const QString& title, const QString& filter) {
    if (host.openFile) return host.openFile(host.mainScreen, title, host.programFolder, filter);
    return QFileDialog::getOpenFileName(host.mainScreen, title, host.programFolder, filter);
}

QString chooseSave(const ExchangeHost& host, const QString& title, const QString& filter, const QString& suffix) {
    if (host.saveFile) return host.saveFile(host.mainScreen, title, host.programFolder, filter, suffix);
    QFileDialog dialog(host.mainScreen, title, host.programFolder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

// The progress window and the disabled main screen for the length of one
// run; whatever way the run ends, the window goes and the screen comes back.
class ProgressSession {
public:
    ProgressSession(const ExchangeHost& host, int mode, const QString& caption) : host_(host) {
        // A window of its own, not a child of the main screen: disabling the
        // screen would disable its children, the stop button with them.
        window_ = new TfmProcessMovement(host.mainScreen, {host.loadFlag, host.csvFlag});
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        window_->setTag(mode);
        window_->setWindowTitle(caption);
        window_->Label1->clear();
        window_->ProgressBar1->setValue(0);
        window_->show();
        if (host.mainScreen) host.mainScreen->setEnabled(false);
        clock_.start();
        // The first pump comes at once, so a stop asked early is seen early.
        lastPump_ = -1000;
    }
    ~ProgressSession() {
        if (window_) {
            window_->finish();
            delete window_.data();
        }
        if (host_.mainScreen) host_.mainScreen->setEnabled(true);
    }
    ProgressSession(const ProgressSession&) = delete;
    ProgressSession& operator=(const ProgressSession&) = delete;

    TfmProcessMovement* window() const { return window_; }
    // A stop is asked only by window events, which run in pump(): the flag
    // is read there once rather than on every line of a long file.
    bool stopAsked() const { return stopAsked_; }
    void step() {
        if (window_) window_->step();
    }
    // Window events run a few dozen times a second: often enough for the
    // stop button, rarely enough not to slow a load of a hundred thousand
    // records.
    bool pump() {
        const qint64 now = clock_.elapsed();
        if (now - lastPump_ < 40) return false;
        lastPump_ = now;
        QCoreApplication::processEvents();
        stopAsked_ = flagOf(host_.loadFlag) == 1;
        return true;
    }

private:
    const ExchangeHost& host_;
    QPointer<TfmProcessMovement> window_;
    QElapsedTimer clock_;
    qint64 lastPump_ = 0;
    bool stopAsked_ = false;
};

}  // namespace

void loadGoodsExchangeFile(const ExchangeHost& host) {
    QWidget* owner = host.mainScreen;
    ui::guarded(owner, [&] {
        clearFlag(host.loadFlag);
        const QString path = chooseOpen(host, kLoadDialogTitle, kTextFilesFilter);
        if (path.isEmpty()) return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            ui::showError(file.errorString(), owner);
            return;
        }
        ExchangeReader reader(file);
        const auto header = reader.readHeader();
        if (header != ExchangeReader::Header::Ok) {
            ui::showError(ExchangeReader::headerMessage(header), owner);
            return;
        }
        std::unique_ptr<GoodsStore> store = makeDatabaseGoodsStore(
            host.database(), host.openReceiptGoods ? host.openReceiptGoods() : std::vector<std::int64_t>{});
        ImportResult result;
        {
            ProgressSession session(host, TfmProcessMovement::Load, msg::kLoadCaption);
            ImportHooks hooks;
            hooks.line = [&](int) {
                if (session.stopAsked()) return false;
                session.step();
                return true;
            };
            hooks.label = [&](const QString& t) {
                if (session.window()) session.window()->Label1->setText(t);
            };
            hooks.caption = [&](const QString& t) {
                if (session.window()) session.window()->setWindowTitle(t);
                session.pump();
            };
            hooks.pump = [&] { session.pump(); };
            result = runImport(reader, *store, hooks);
        }
        file.close();
        switch (result.outcome) {
            case ImportResult::Outcome::Done:
                ui::showInfo(result.message, owner);
                break;
            case ImportResult::Outcome::Refused:
            case ImportResult::Outcome::Failed:
                ui::showError(result.message, owner);
                break;
            case ImportResult::Outcome::Stopped:
                break;
        }
    });
}

void unloadGoodsExchangeFile(const ExchangeHost& host) {
    QWidget* owner = host.mainScreen;
    ui::guarded(owner, [&] {
        clearFlag(host.loadFlag);
        fb::Connection* db = nullptr;
        try {
            db = &host.database();
            db->ensureConnected();
            if (!db->ping()) db = nullptr;
        } catch (const std::exception&) {
            db = nullptr;
        }
        if (!db) {
            ui::showError(msg::kNoConnection, owner);
            return;
        }
        {
            fb::Transaction tr(*db, fb::Transaction::Access::ReadOnly);
            if (!fb::queryOne(tr, QStringLiteral("SELECT FIRST 1 GOOD_ID FROM GOODS"))) {
                ui::showError(msg::kCatalogueEmpty, owner);
                return;
            }
        }
        const QString path = chooseSave(host, kSaveDialogTitle, kTextFilesFilter, QStringLiteral("txt"));
        if (path.isEmpty()) return;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ui::showError(file.errorString(), owner);
            return;
        }
        ExportResult result;
        QString failure;
        {
            ProgressSession session(host, TfmProcessMovement::Unload, msg::kUnloadCaption);
            ExportHooks hooks;
            hooks.row = [&](int written) {
                if (session.stopAsked()) return false;
                session.step();
                if (session.pump() && session.window())
                    session.window()->Label1->setText(QStringLiteral("Выгружено позиций: ") + QString::number(written));
                return !session.stopAsked();
            };
            try {
                std::unique_ptr<GoodsSource> source = makeDatabaseGoodsSource(*db);
                result = writeExchangeFile(*source, file, hooks);
                if (!file.flush()) throw std::runtime_error(writeFailureText(file).toStdString());
            } catch (const fb::Error& e) {
                failure = e.message();
            } catch (const std::exception& e) {
                failure = QString::fromUtf8(e.what());
            }
        }
        file.close();
        if (!failure.isEmpty())
            ui::showError(msg::exportFailed(path, failure), owner);
        else if (!result.stopped)
            ui::showInfo(exportSummary(result), owner);
    });
}

}  // namespace exchange
