#include "PreviewService.h"

#include "ReportPreview.h"

#include <QPointer>

namespace report {

namespace {
PreviewService*& installed() {
    static PreviewService* service = nullptr;
    return service;
}
}  // namespace

void PreviewService::show(QWidget* parent, const Report& report, const PreviewOptions& options) {
    QPointer<ReportPreview> preview = new ReportPreview(report, options, parent);
    preview->exec();
    delete preview;
}

PreviewService& previewService() {
    static PreviewService window;
    return installed() ? *installed() : window;
}

void setPreviewService(PreviewService* service) {
    installed() = service;
}

}  // namespace report
