// The icon picture: the bytes of an icon file, shared between copies, and the image drawn from them.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class TStream;

// Copies share the file bytes and the decoded image, so handing an icon to many owners costs no
// memory; each copy still changes on its own, since loading replaces the shared data rather than
// writing into it. An empty icon has no bytes.
class TIcon {
public:
    TIcon() = default;
    // A copy takes the picture, never the change handler: whoever owns the copy sets its own.
    TIcon(const TIcon& other) : FData(other.FData) {}
    TIcon& operator=(const TIcon& other);

    bool Empty() const { return !FData; }
    int Width() const;
    int Height() const;
    // The largest image of the file (a null image when empty).
    const QImage& Image() const;
    // The icon-file bytes as loaded (empty when the icon is).
    const std::vector<uint8_t>& Bytes() const;

    // Takes the bytes of an icon file; raises EInvalidGraphic, leaving the icon as it was, when they
    // hold no readable icon. Cursor files are refused: their resource type is not an icon's.
    void LoadFromBytes(std::vector<uint8_t> bytes);
    // Reads `size` bytes of icon file from the stream (EReadError when fewer remain).
    void LoadFromStream(TStream& stream, int64_t size);
    void SaveToStream(TStream& stream) const;
    // An icon file of one image made from the picture; raises EInvalidGraphic for a null image.
    static TIcon FromImage(const QImage& image);

    void Assign(const TIcon& other);
    void Clear();
    void Draw(QPainter& painter, int x, int y) const;
    bool SameAs(const TIcon& other) const;

    std::function<void()> OnChange;

private:
    struct TData {
        std::vector<uint8_t> Bytes;
        QImage Image;
    };
    void changed();
    std::shared_ptr<const TData> FData;
};
