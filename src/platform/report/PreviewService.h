#pragma once
#include <QString>

#include <functional>

class QWidget;

namespace report {

class Report;

struct PreviewOptions {
    QString title;  // the preview window's caption
    int zoomPercent = 100;
    int width = 820;  // pixels
    int height = 0;   // pixels; 0: as high as the screen allows
    bool printRangeEnabled = true;
    // Called when the print setup dialog opens from the preview; a goods
    // check counts as printed from that moment.
    std::function<void()> onPrintSetupOpened;
};

// Every preview of the program goes through here, so tests (and anything
// that runs without a screen) install a recorder instead of a modal window.
class PreviewService {
public:
    virtual ~PreviewService() = default;
    // Shows the report modally; returns when the window is closed.
    virtual void show(QWidget* parent, const Report& report, const PreviewOptions& options);
};

PreviewService& previewService();
void setPreviewService(PreviewService* service);  // nullptr restores the window

inline void showPreview(QWidget* parent, const Report& report, const PreviewOptions& options) {
    previewService().show(parent, report, options);
}

}  // namespace report
