#pragma once
// The texts a widget really paints, with where and in which font: what the
// eye reads, elided or shrunk, rather than what the model holds.
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <vector>

namespace testsupport {

struct PaintedText {
    QString text;
    QRectF rect;  // the advance of the text from its baseline origin, in the widget's coordinates
};

namespace painted_detail {

class Engine : public QPaintEngine {
public:
    Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QFontMetricsF fm(item.font());
        const QTransform t = painter()->transform();
        const QRectF local(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(item.text()), fm.height());
        texts.push_back({item.text(), t.mapRect(local)});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<PaintedText> texts;
};

class Device : public QPaintDevice {
public:
    explicit Device(const QWidget* like) : like_(like) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<PaintedText> texts() const { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return like_->width();
        case PdmHeight: return like_->height();
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        case PdmWidthMM: return like_->widthMM();
        case PdmHeightMM: return like_->heightMM();
        case PdmNumColors: return like_->colorCount();
        case PdmDepth: return like_->depth();
        case PdmDpiX: return like_->logicalDpiX();
        case PdmDpiY: return like_->logicalDpiY();
        case PdmPhysicalDpiX: return like_->physicalDpiX();
        case PdmPhysicalDpiY: return like_->physicalDpiY();
        default: break;
        }
        return 0;
    }

private:
    const QWidget* like_;
    mutable Engine engine_;
};

}  // namespace painted_detail

// Every text the widget and its children paint, as they would on screen.
inline std::vector<PaintedText> paintedTexts(QWidget* widget) {
    painted_detail::Device device(widget);
    widget->render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    return device.texts();
}

}  // namespace testsupport
