#pragma once
// The body of a small dialog in which the cashier picks one item: the
// chooser (a list or a combo box) in a larger font above a row of "OK" and
// "ОТМЕНА". "ОТМЕНА" rejects the dialog; what "OK" does is the dialog's own.
class QDialog;
class QPushButton;
class QWidget;

namespace ui {

struct ChoiceButtons {
    QPushButton* ok;
    QPushButton* cancel;
};

// Lays out `chooser` and makes the buttons btnOK and btnCancel in `dialog`.
ChoiceButtons layOutChoiceDialog(QDialog* dialog, QWidget* chooser);

}  // namespace ui
