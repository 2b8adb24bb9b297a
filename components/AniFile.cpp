// Animated cursor frames as icon pictures, and their strips, icons and icon lists.
#include "components/AniFile.h"

#include <QPainter>

#include "components/IcoList.h"
#include "components/KrGraph.h"
#include "components/VCLUtils.h"
#include "platform/GraphicsQt.h"
#include "platform/core/Classes.h"

namespace {

struct TIconPicture : TIconImage {
    TIcon Icon;
    int Width() const override { return Icon.Width(); }
    int Height() const override { return Icon.Height(); }
    std::unique_ptr<TIconImage> Clone() const override { return std::make_unique<TIconPicture>(*this); }
};

class TIconPictureLoader : public TIconImageLoader {
public:
    std::unique_ptr<TIconImage> Load(const std::vector<uint8_t>& iconFile) const override
    {
        auto picture = std::make_unique<TIconPicture>();
        picture->Icon.LoadFromBytes(iconFile);
        return picture;
    }
};

} // namespace

const TIconImageLoader& IconPictureLoader()
{
    static const TIconPictureLoader loader;
    return loader;
}

const TIcon& TAnimatedCursorImage::GetIcon(int index) const
{
    return static_cast<const TIconPicture&>(*GetFrame(index).Icon).Icon;
}

void TAnimatedCursorImage::LoadFromStream(TStream& stream)
{
    ReadAnimatedCursor(stream, IconPictureLoader());
}

void TAnimatedCursorImage::SaveToStream(TStream&) const
{
    NotImplemented();
}

void TAnimatedCursorImage::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage* source)
{
    if (source)
        TAnimatedCursorData::Assign(*source);
    else
        Clear();
}

void TAnimatedCursorImage::AssignTo(TIcon& icon) const
{
    if (GetCount() == 0)
        icon.Clear();
    else
        icon.Assign(GetIcon(0));
}

void TAnimatedCursorImage::AssignTo(QImage& bitmap, TColor background) const
{
    bitmap = FrameStrip(false, true, background);
}

void TAnimatedCursorImage::AssignTo(TIconList& list) const
{
    TIconListUpdate update(list);
    list.Clear();
    for (int i = 0; i < GetCount(); ++i)
        list.Add(GetIcon(i));
}

QImage TAnimatedCursorImage::FrameStrip(bool vertical, bool reduceColors, TColor background) const
{
    if (GetCount() == 0)
        return {};
    const int width = GetIcon(0).Width(), height = GetIcon(0).Height();
    QImage strip(vertical ? width : width * GetCount(), vertical ? height * GetCount() : height,
                 QImage::Format_RGB888);
    // A strip too large for one image (thousands of frames) is no image rather than a failed paint.
    if (strip.isNull())
        return strip;
    strip.fill(ToQColor(background));
    {
        QPainter painter(&strip);
        for (int i = 0; i < GetCount(); ++i)
            GetIcon(i).Draw(painter, vertical ? 0 : i * width, vertical ? i * height : 0);
    }
    if (!reduceColors || MaxColors() == 0)
        return strip;
    const auto stream = BitmapToMemory(strip, MaxColors());
    QImage reduced;
    reduced.loadFromData(stream->Bytes().data(), static_cast<int>(stream->Bytes().size()), "BMP");
    return reduced;
}
