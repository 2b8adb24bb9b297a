// Icon pictures read and written through Qt's icon image format.
#include "platform/Icon.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidGraphicText = 65230;

[[noreturn]] void invalidGraphic()
{
    throw EInvalidGraphic(LoadResString(kInvalidGraphicText));
}

// The icon-file directory must name icons (resource type 1) and at least one image.
bool looksLikeIconFile(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 6 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0 &&
           (bytes[4] | bytes[5]) != 0;
}

} // namespace

TIcon& TIcon::operator=(const TIcon& other)
{
    FData = other.FData;
    return *this;
}

int TIcon::Width() const
{
    return FData ? FData->Image.width() : 0;
}

int TIcon::Height() const
{
    return FData ? FData->Image.height() : 0;
}

const QImage& TIcon::Image() const
{
    static const QImage none;
    return FData ? FData->Image : none;
}

const std::vector<uint8_t>& TIcon::Bytes() const
{
    static const std::vector<uint8_t> none;
    return FData ? FData->Bytes : none;
}

void TIcon::LoadFromBytes(std::vector<uint8_t> bytes)
{
    if (!looksLikeIconFile(bytes))
        invalidGraphic();
    QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&raw);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    // The file's largest image stands for the icon, as the system picks the large icon.
    QImage best;
    for (int i = 0, n = std::max(reader.imageCount(), 1); i < n; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        QImage image = reader.read();
        if (!image.isNull() && image.width() * image.height() > best.width() * best.height())
            best = image;
    }
    if (best.isNull())
        invalidGraphic();
    auto data = std::make_shared<TData>();
    data->Bytes = std::move(bytes);
    data->Image = best.convertToFormat(QImage::Format_ARGB32);
    FData = std::move(data);
    changed();
}

void TIcon::LoadFromStream(TStream& stream, int64_t size)
{
    if (size < 0 || size > stream.Remaining())
        throw EReadError(LoadResString(65210));
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    LoadFromBytes(std::move(bytes));
}

void TIcon::SaveToStream(TStream& stream) const
{
    const auto& bytes = Bytes();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TIcon TIcon::FromImage(const QImage& image)
{
    if (image.isNull())
        invalidGraphic();
    QByteArray raw;
    QBuffer buffer(&raw);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32)))
        invalidGraphic();
    TIcon icon;
    icon.LoadFromBytes(std::vector<uint8_t>(raw.begin(), raw.end()));
    return icon;
}

void TIcon::Assign(const TIcon& other)
{
    FData = other.FData;
    changed();
}

void TIcon::Clear()
{
    FData.reset();
    changed();
}

void TIcon::Draw(QPainter& painter, int x, int y) const
{
    if (FData)
        painter.drawImage(x, y, FData->Image);
}

bool TIcon::SameAs(const TIcon& other) const
{
    return Bytes() == other.Bytes();
}

void TIcon::changed()
{
    if (OnChange)
        OnChange();
}
