#pragma once
// The scale connection window ("Подключить весы") and the scale fields it
// shares with the settings window. The fields show the settings of the
// connected scale, or the stored ones while none is connected; a
// successful test leaves the shared connection open and closes the window.
// A test alone stores nothing: the settings window does that.
#include "core/ScaleParams.h"
#include "core/ScaleTester.h"

#include <QDialog>
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ScaleConnection;

namespace fb {
class Connection;
}
namespace serial {
class SerialPortLister;
}

namespace core {

struct ScaleFields;

// Up and down arrows beside an edit, holding a position within a range.
// A step starts from the number in the edit when it is one in range (the
// person may have typed it), else from the position, and writes the new
// position into the edit.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int min, int max, int position, QWidget* parent = nullptr);

    int position() const { return position_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // Clamped to the range; the edit shows the new position.
    void setPosition(int position);
    void stepBy(int steps);

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int min_;
    int max_;
    int position_;
};

// The scale fields of both windows, by their component names:
// cmbScaleProtocol, cmbScalePort, cmbScaleBaudRate, edScaleTimeout, UpDown1.
struct ScaleControls {
    QComboBox* protocol = nullptr;
    QComboBox* port = nullptr;
    QComboBox* baudRate = nullptr;
    QLineEdit* timeout = nullptr;
    UpDown* upDown = nullptr;
};

// Creates the fields with their lists (the protocols with nothing chosen,
// the given serial ports, the baud rates) and their key filters: the port
// takes Latin letters, digits, "/", "_", "-" and "."; the time-out and the
// baud rate digits; all of them Backspace.
ScaleControls makeScaleControls(QWidget* parent, const QStringList& ports);
// A port list and a baud-rate list of the same kind, for another device
// (the register): the given ports and "4800" to "115200", nothing chosen,
// with the same key filters.
QComboBox* makePortField(QWidget* parent, const char* name, const QStringList& ports);
QComboBox* makeBaudRateField(QWidget* parent, const char* name);
// Chooses the item equal to `text`, or shows the text as typed when the
// list has no such item.
void showListText(QComboBox* field, const QString& text);
void showScaleFields(const ScaleControls& controls, const ScaleFields& fields);
// The settings as typed: the chosen protocol's code (0 for none) and the
// three texts untrimmed.
ScaleParams typedScaleParams(const ScaleControls& controls);

// The connection test of both windows: `showResult` first gets an empty
// text, then the result line; a fault goes to an error box.
ScaleTestResult testScaleConnection(QWidget* parent, ScaleConnection& scale, const ScaleParams& params,
                                    const std::function<void(const QString&)>& showResult);

class TfmConnectScale : public QDialog {
    Q_OBJECT
public:
    TfmConnectScale(fb::Connection& db, ScaleConnection& scale, const serial::SerialPortLister& ports,
                    QWidget* parent = nullptr);
    ~TfmConnectScale() override;

    ScaleParams typedParams() const { return typedScaleParams(fields_); }

public slots:
    // Validates, opens and tests; on success the window closes accepted.
    void btnConnectClick();
    // Closes with the cancel result; the connection stays as it was.
    void btnCancelClick();

private:
    void FormCreate(fb::Connection& db);

    ScaleConnection& scale_;
    ScaleControls fields_;

    QComboBox* cmbScaleProtocol;
    QComboBox* cmbScalePort;
    QComboBox* cmbScaleBaudRate;
    QLineEdit* edScaleTimeout;
    UpDown* UpDown1;
    QLabel* lblConnectResult;
    QPushButton* btnConnect;
    QPushButton* btnCancel;
};

extern TfmConnectScale* fmConnectScale;

}  // namespace core
