// Test helper: the texts a widget draws, in the order it draws them, as its painter hands them on.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QWidget>

namespace drawn_texts_detail {

// A paint engine that keeps the text of each text item and draws nothing else.
class TTextRecorder : public QPaintEngine {
public:
    TTextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { Texts.append(item.text()); }
    Type type() const override { return QPaintEngine::User; }
    QStringList Texts;
};

class TRecordingDevice : public QPaintDevice {
public:
    explicit TRecordingDevice(QSize size) : FSize(size) {}
    ~TRecordingDevice() override
    {
        // A painter must not outlive the device it paints on.
        if (paintingActive())
            qWarning("TRecordingDevice: still painted on");
    }
    QPaintEngine* paintEngine() const override { return &FEngine; }
    QStringList Texts() const { return FEngine.Texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return FSize.width();
        case PdmHeight: return FSize.height();
        case PdmDpiX:
        case PdmPhysicalDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7FFFFFFF;
        case PdmWidthMM: return FSize.width() * 254 / 960;
        case PdmHeightMM: return FSize.height() * 254 / 960;
        default: return 0;
        }
    }

private:
    QSize FSize;
    mutable TTextRecorder FEngine;
};

} // namespace drawn_texts_detail

// The texts `widget` draws when it paints itself whole, each as the characters shown.
inline QStringList DrawnTexts(QWidget& widget)
{
    drawn_texts_detail::TRecordingDevice device(widget.size());
    widget.render(&device, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return device.Texts();
}
