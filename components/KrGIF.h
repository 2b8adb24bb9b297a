// The GIF picture: frames decoded to bitmaps on demand, assignment to and from bitmaps and animated cursors, drawing, streaming and the clipboard.
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/core/KrGIF.h"
#include "platform/core/Geometry.h"

class QPainter;
class TStream;
class TAnimatedCursorImage;
class TGIFImage;

class TGIFFrame : public TGIFFrameRecord {
public:
    // A frame with a new empty image.
    explicit TGIFFrame(TGIFImage* owner);

    TGIFImage* Owner() const { return FOwner; }
    // The decoded picture, decoded on first use; null when the frame holds no raster data.
    const QImage& Bitmap();
    bool HasBitmap() const { return !FBitmap.isNull(); }
    // The data of the frame's comment extension, made when asked for.
    std::vector<std::string>& CommentLines();
    // Stretched into the rectangle; with `transparent` and a transparent colour that colour shows the canvas.
    void Draw(QPainter& canvas, const TRect& rect, bool transparent);

    // Nothing: a new empty image and no bitmap. Another frame: shares its image.
    void Assign(const TGIFFrame* source);
    // The image's current frame (frame 0 while none is current; empty without frames).
    void Assign(const TGIFImage& source);
    // A copy of the bitmap in a new image; a null bitmap empties the frame. A picture with see-through
    // pixels is laid on `background`, which becomes its transparent colour.
    void Assign(const QImage& graphic, TColor background = clWhite);
    // The bitmap, and its transparent colour when it has one.
    void AssignTo(QImage& bitmap, TColor* transparentColor = nullptr);

    // Encodes the bitmap into the frame's raster data.
    void Encode();

private:
    friend class TGIFImage;
    void ownerChanged();

    TGIFImage* FOwner;
    QImage FBitmap;
};

class TGIFImage : public TGIFScreen {
public:
    // Raw format names carry the Windows clipboard format's name on that system.
    static constexpr const char* kClipboardFormat = "application/x-qt-windows-mime;value=\"GIF Image\"";

    using TProgressEvent = std::function<void(TGIFImage& sender, TProgressStage stage, int percent, bool redraw,
                                              const TRect& rect, const std::string& message)>;

    TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;
    ~TGIFImage();

    TProgressEvent OnProgress;
    std::function<void(TGIFImage& sender)> OnChange;
    bool Transparent = true;

    int FrameCount() const { return static_cast<int>(FItems.size()); }
    TGIFFrame& Frames(int index) const;
    int CurrentFrame() const { return FCurrentFrame; }
    void SetCurrentFrame(int index);
    // Adds a frame assigned from the picture and makes it current.
    TGIFFrame& AppendFrame(const QImage& graphic);
    TGIFFrame& AppendFrame(const TGIFFrame& frame);

    // Nothing: an empty new image.
    void Assign(const TGIFImage* source);
    void Assign(const TGIFFrame& source);
    void Assign(const QImage& bitmap);
    // One frame per cursor frame, each with the cursor's rate as delay.
    void Assign(const TAnimatedCursorImage& cursor);
    // Null when empty, else the current frame's picture (the first frame's while none is current).
    void AssignTo(QImage& bitmap) const;

    // Reads from the stream's position to its end and decodes the first frame.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // The form-resource form: a 32-bit length, then the file.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    int Width() const;
    int Height() const;
    [[noreturn]] void SetWidth(int value);
    [[noreturn]] void SetHeight(int value);
    bool Empty() const;
    // The same shared header data.
    bool Equals(const TGIFImage& other) const { return Image == other.Image; }
    bool GetTransparent() const;
    QList<QRgb> GetPalette() const;
    void Draw(QPainter& canvas, const TRect& rect) const;

    // The clipboard's "GIF Image" when it has one (its bitmap becoming frame 0's), else its bitmap.
    void LoadFromClipboard();
    // The current bitmap, and "GIF Image" when every frame is encoded.
    void SaveToClipboard();

    TGIFProgress Progress();
    void Changed();

private:
    friend class TGIFFrame;
    void clear();
    TGIFFrame& appendFrame(const std::function<void(TGIFFrame&)>& assign);
    void loadBytes(const uint8_t* data, size_t size, bool decodeFirst);
    TGIFFrame* current() const;

    std::vector<std::unique_ptr<TGIFFrame>> FItems;
    int FCurrentFrame = -1;
};
