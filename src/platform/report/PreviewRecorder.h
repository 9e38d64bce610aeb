#pragma once
// Records every preview instead of opening a window, for tests of the
// callers: what report ran, with which texts and data. When told, it acts
// as if the user opened the print setup dialog.
#include "PreviewService.h"
#include "Report.h"

#include <vector>

namespace report {

class PreviewRecorder : public PreviewService {
public:
    PreviewRecorder() { setPreviewService(this); }
    ~PreviewRecorder() override { setPreviewService(nullptr); }
    PreviewRecorder(const PreviewRecorder&) = delete;
    PreviewRecorder& operator=(const PreviewRecorder&) = delete;

    void show(QWidget*, const Report& report, const PreviewOptions& options) override {
        shown.push_back({report, options});
        if (openPrintSetup && options.onPrintSetupOpened) options.onPrintSetupOpened();
    }

    struct Shown {
        Report report;
        PreviewOptions options;
    };
    std::vector<Shown> shown;
    bool openPrintSetup = false;
};

}  // namespace report
