#pragma once
// A one-line label that draws a text too long for it cut with "…" at the
// end, inside its own width: a long name never runs under the next label,
// and text() keeps the whole text for whoever reads it.
#include <QLabel>

namespace ui {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);

    // The text as drawn in the label's present width.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
