// The GIF picture: frames decoded to bitmaps on demand, assignment to and from bitmaps and animated cursors, drawing, streaming and the clipboard.
#include "components/KrGIF.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "components/AniFile.h"
#include "components/KrGraph.h"
#include "components/VCLUtils.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kListIndexText = 65214;

uint32_t get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void writeLength(TStream& stream, size_t length)
{
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(length >> (8 * i));
    stream.WriteBuffer(bytes, 4);
}

// A picture with see-through pixels laid on the background; the flag tells whether it had any.
QImage flatten(const QImage& graphic, TColor background, bool& seeThrough)
{
    seeThrough = false;
    if (!graphic.hasAlphaChannel())
        return graphic.copy();
    QImage argb = graphic.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height() && !seeThrough; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width() && !seeThrough; ++x)
            seeThrough = qAlpha(line[x]) == 0;
    }
    uint32_t rgb = ColorToRGB(background);
    QImage flat(argb.size(), QImage::Format_RGB32);
    flat.fill(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    QPainter painter(&flat);
    painter.drawImage(0, 0, argb);
    return flat;
}

} // namespace

// ---- TGIFFrame ----

TGIFFrame::TGIFFrame(TGIFImage* owner) : FOwner(owner) {}

const QImage& TGIFFrame::Bitmap()
{
    if (!FBitmap.isNull() || Image->ImageData.empty())
        return FBitmap;
    bool corrupted = false;
    std::vector<uint8_t> bmp = DecodeFrame(*this, corrupted, FOwner ? FOwner->Progress() : TGIFProgress{});
    Corrupted = Corrupted || corrupted;
    if (!bmp.empty())
        FBitmap.loadFromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
    return FBitmap;
}

std::vector<std::string>& TGIFFrame::CommentLines()
{
    if (std::vector<std::string>* lines = Comment())
        return *lines;
    TExtension ext;
    ext.ExtType = etComment;
    Extensions.push_back(std::move(ext));
    return Extensions.back().Data;
}

void TGIFFrame::Draw(QPainter& canvas, const TRect& rect, bool transparent)
{
    const QImage& bitmap = Bitmap();
    if (bitmap.isNull())
        return;
    if (transparent && TransparentColor != clNone)
        StretchBitmapRectTransparent(canvas, rect.Left, rect.Top, rect.Width(), rect.Height(),
                                     TRect{0, 0, bitmap.width(), bitmap.height()}, bitmap, TransparentColor);
    else
        canvas.drawImage(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), bitmap);
}

void TGIFFrame::Assign(const TGIFFrame* source)
{
    if (!source) {
        Image = std::make_shared<TGIFItem>();
        Extensions.clear();
        FBitmap = QImage();
        ownerChanged();
        return;
    }
    if (source == this)
        return;
    Image = source->Image;
    LocalColors = source->FOwner == FOwner ? source->LocalColors : true;
    Left = source->Left;
    Top = source->Top;
    Interlaced = source->Interlaced;
    FBitmap = source->FBitmap.isNull() ? QImage() : source->FBitmap.copy();
    TransparentColor = source->TransparentColor;
    FrameDelay = source->FrameDelay;
    Disposal = source->Disposal;
    GrayscaleReduced = source->GrayscaleReduced;
    Corrupted = source->Corrupted;
    Extensions.clear();
    for (const TExtension& ext : source->Extensions)
        if (ext.ExtType == etComment)
            Extensions.push_back(ext);
    ownerChanged();
}

void TGIFFrame::Assign(const TGIFImage& source)
{
    Assign(source.FrameCount() == 0 ? nullptr : source.current());
}

void TGIFFrame::Assign(const QImage& graphic, TColor background)
{
    if (graphic.isNull()) {
        Assign(static_cast<const TGIFFrame*>(nullptr));
        return;
    }
    Image = std::make_shared<TGIFItem>();
    Extensions.clear();
    Interlaced = false;
    Corrupted = false;
    bool seeThrough = false;
    FBitmap = flatten(graphic, background, seeThrough);
    TransparentColor = seeThrough ? background : clNone;
    ownerChanged();
}

void TGIFFrame::AssignTo(QImage& bitmap, TColor* transparentColor)
{
    bitmap = Bitmap();
    if (transparentColor)
        *transparentColor = TransparentColor;
}

void TGIFFrame::Encode()
{
    if (FBitmap.isNull() || FBitmap.width() == 0 || FBitmap.height() == 0)
        GIFError(LoadResString(SGIFNoData));
    TPixelFormat format = GetBitmapPixelFormat(FBitmap);
    TReductionMethod method = GrayscaleReduced ? rmGray : DefaultReductionMethod;
    if (format != pf1bit && format != pf4bit && format != pf8bit)
        format = pf8bit;
    std::unique_ptr<TMemoryStream> stream = BitmapToMemoryStream(FBitmap, format, method);
    if (method == rmGray)
        GrayscaleReduced = true;
    // The bitmap is encoded into an image of its own, so that frames sharing the old one keep it.
    Image = std::make_shared<TGIFItem>();
    const std::vector<uint8_t>& bytes = stream->Bytes();
    EncodeFrame(*this, *FOwner, bytes.data(), bytes.size(), FOwner->Progress());
}

void TGIFFrame::ownerChanged()
{
    if (!FOwner)
        return;
    FOwner->ScreenWidth = 0;
    FOwner->ScreenHeight = 0;
    for (const auto& frame : FOwner->FItems) {
        int width = frame->Image->Width > 0 ? frame->Image->Width : frame->FBitmap.width();
        int height = frame->Image->Height > 0 ? frame->Image->Height : frame->FBitmap.height();
        FOwner->ScreenWidth = static_cast<uint16_t>(std::clamp(frame->Left + width, int{FOwner->ScreenWidth}, 65535));
        FOwner->ScreenHeight = static_cast<uint16_t>(std::clamp(frame->Top + height, int{FOwner->ScreenHeight}, 65535));
    }
}

// ---- TGIFImage ----

TGIFImage::TGIFImage()
{
    clear();
}

TGIFImage::~TGIFImage() = default;

void TGIFImage::clear()
{
    Image = std::make_shared<TGIFData>();
    FItems.clear();
    FCurrentFrame = -1;
    BackgroundColor = clNone;
    RepeatCount = 1;
    Looping = false;
    Version = 0;
    ScreenWidth = 0;
    ScreenHeight = 0;
}

TGIFFrame& TGIFImage::Frames(int index) const
{
    if (index < 0 || index >= FrameCount())
        throw EListError(FmtLoadStr(kListIndexText, index));
    return *FItems[static_cast<size_t>(index)];
}

void TGIFImage::SetCurrentFrame(int index)
{
    FCurrentFrame = std::clamp(index, -1, FrameCount() - 1);
    Changed();
}

TGIFFrame* TGIFImage::current() const
{
    if (FItems.empty())
        return nullptr;
    return FItems[static_cast<size_t>(std::clamp(FCurrentFrame, 0, FrameCount() - 1))].get();
}

TGIFFrame& TGIFImage::appendFrame(const std::function<void(TGIFFrame&)>& assign)
{
    FItems.push_back(std::make_unique<TGIFFrame>(this));
    TGIFFrame& frame = *FItems.back();
    assign(frame);
    FCurrentFrame = FrameCount() - 1;
    if (Version == 0)
        Version = 1;
    if (FrameCount() > 1)
        Version = 2;
    Changed();
    return frame;
}

TGIFFrame& TGIFImage::AppendFrame(const QImage& graphic)
{
    return appendFrame([&](TGIFFrame& frame) { frame.Assign(graphic); });
}

TGIFFrame& TGIFImage::AppendFrame(const TGIFFrame& source)
{
    return appendFrame([&](TGIFFrame& frame) { frame.Assign(&source); });
}

void TGIFImage::Assign(const TGIFImage* source)
{
    if (source == this)
        return;
    clear();
    if (source) {
        Image = source->Image;
        Version = source->Version;
        BackgroundColor = source->BackgroundColor;
        RepeatCount = source->RepeatCount;
        Looping = source->Looping;
        for (const auto& from : source->FItems) {
            FItems.push_back(std::make_unique<TGIFFrame>(this));
            FItems.back()->Assign(from.get());
            FItems.back()->LocalColors = from->LocalColors;
        }
        ScreenWidth = source->ScreenWidth;
        ScreenHeight = source->ScreenHeight;
        FCurrentFrame = source->FCurrentFrame;
    }
    Changed();
}

void TGIFImage::Assign(const TGIFFrame& source)
{
    std::shared_ptr<TGIFData> header = source.Owner() ? source.Owner()->Image : nullptr;
    clear();
    if (header) {
        Image->AspectRatio = header->AspectRatio;
        Image->BitsPerPixel = header->BitsPerPixel;
        Image->ColorResolution = header->ColorResolution;
        Image->ColorTable = header->ColorTable;
    }
    FItems.push_back(std::make_unique<TGIFFrame>(this));
    FItems.back()->Assign(&source);
    FCurrentFrame = 0;
    Version = 1;
    Changed();
}

void TGIFImage::Assign(const QImage& bitmap)
{
    clear();
    AppendFrame(bitmap);
}

void TGIFImage::Assign(const TAnimatedCursorImage& cursor)
{
    clear();
    BackgroundColor = clWindow;
    for (int i = 0; i < cursor.GetCount(); ++i) {
        TGIFFrame& frame = AppendFrame(cursor.GetIcon(i).Image());
        frame.FrameDelay = static_cast<uint16_t>(std::min<uint64_t>(uint64_t{cursor.GetFrame(i).Rate} * 100 / 6, 65535));
    }
    Changed();
}

void TGIFImage::AssignTo(QImage& bitmap) const
{
    if (TGIFFrame* frame = current(); frame && !Empty())
        bitmap = frame->Bitmap();
    else
        bitmap = QImage();
}

void TGIFImage::loadBytes(const uint8_t* data, size_t size, bool decodeFirst)
{
    clear();
    TGIFFile file;
    file.Image = Image;
    ReadGIF(data, size, file);
    static_cast<TGIFScreen&>(*this) = file;
    for (TGIFFrameRecord& record : file.Frames) {
        FItems.push_back(std::make_unique<TGIFFrame>(this));
        static_cast<TGIFFrameRecord&>(*FItems.back()) = std::move(record);
    }
    if (!FItems.empty()) {
        FCurrentFrame = 0;
        if (decodeFirst)
            FItems.front()->Bitmap();
    }
    Changed();
}

void TGIFImage::LoadFromStream(TStream& stream)
{
    TMemoryStream memory;
    memory.CopyFrom(stream, stream.Remaining());
    if (memory.Bytes().empty())
        return;
    loadBytes(memory.Bytes().data(), memory.Bytes().size(), true);
}

void TGIFImage::SaveToStream(TStream& stream)
{
    std::vector<TGIFFrameRecord*> frames;
    for (const auto& frame : FItems) {
        if (frame->Image->ImageData.empty())
            frame->Encode();
        frames.push_back(frame.get());
    }
    WriteGIF(stream, *this, frames);
}

void TGIFImage::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TGIFImage::SaveToFile(const std::string& fileName)
{
    TMemoryStream memory;
    SaveToStream(memory);
    WriteFileBytes(fileName, memory.AsString());
}

void TGIFImage::ReadData(TStream& stream)
{
    uint8_t bytes[4];
    stream.ReadBuffer(bytes, 4);
    uint32_t length = get32(bytes);
    if (length > stream.Remaining())
        throw EReadError(LoadResString(65210));
    std::vector<uint8_t> data(length);
    stream.ReadBuffer(data.data(), length);
    clear();
    if (!data.empty())
        loadBytes(data.data(), data.size(), true);
}

void TGIFImage::WriteData(TStream& stream)
{
    TMemoryStream memory;
    SaveToStream(memory);
    writeLength(stream, memory.Bytes().size());
    stream.WriteBuffer(memory.Bytes().data(), static_cast<int64_t>(memory.Bytes().size()));
}

int TGIFImage::Width() const
{
    TGIFFrame* frame = FCurrentFrame >= 0 ? current() : nullptr;
    return frame ? frame->Bitmap().width() : 0;
}

int TGIFImage::Height() const
{
    TGIFFrame* frame = FCurrentFrame >= 0 ? current() : nullptr;
    return frame ? frame->Bitmap().height() : 0;
}

void TGIFImage::SetWidth(int)
{
    GIFError(LoadResString(SGIFResize));
}

void TGIFImage::SetHeight(int)
{
    GIFError(LoadResString(SGIFResize));
}

bool TGIFImage::Empty() const
{
    TGIFFrame* frame = current();
    if (!frame)
        return true;
    if (frame->HasBitmap())
        return false;
    return frame->Image->ImageData.empty();
}

bool TGIFImage::GetTransparent() const
{
    return Transparent && std::any_of(FItems.begin(), FItems.end(),
                                      [](const auto& frame) { return frame->TransparentColor != clNone; });
}

QList<QRgb> TGIFImage::GetPalette() const
{
    TGIFFrame* frame = current();
    return frame ? frame->Bitmap().colorTable() : QList<QRgb>{};
}

void TGIFImage::Draw(QPainter& canvas, const TRect& rect) const
{
    if (TGIFFrame* frame = current())
        frame->Draw(canvas, rect, Transparent);
}

void TGIFImage::LoadFromClipboard()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    if (mime->hasFormat(kClipboardFormat)) {
        QByteArray bytes = mime->data(kClipboardFormat);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
        size_t size = static_cast<size_t>(bytes.size());
        if (size < 4 || get32(data) > size - 4)
            throw EReadError(LoadResString(65210));
        loadBytes(data + 4, get32(data), false);
        if (mime->hasImage() && !FItems.empty())
            FItems.front()->FBitmap = qvariant_cast<QImage>(mime->imageData());
        return;
    }
    if (mime->hasImage())
        Assign(qvariant_cast<QImage>(mime->imageData()));
}

void TGIFImage::SaveToClipboard()
{
    TGIFFrame* frame = current();
    if (!frame)
        return;
    auto mime = std::make_unique<QMimeData>();
    mime->setImageData(frame->Bitmap());
    if (std::all_of(FItems.begin(), FItems.end(), [](const auto& f) { return !f->Image->ImageData.empty(); })) {
        TMemoryStream memory;
        WriteData(memory);
        mime->setData(kClipboardFormat, QByteArray(reinterpret_cast<const char*>(memory.Bytes().data()),
                                                   static_cast<qsizetype>(memory.Bytes().size())));
    }
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

TGIFProgress TGIFImage::Progress()
{
    return [this](TProgressStage stage, int percent, const std::string& message) {
        if (OnProgress)
            OnProgress(*this, stage, percent, false, TRect{}, message);
    };
}

void TGIFImage::Changed()
{
    if (OnChange)
        OnChange(*this);
}
