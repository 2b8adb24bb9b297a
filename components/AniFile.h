// The animated cursor picture: frames read from a file or stream, handed on to an icon, a bitmap strip or an icon list.
#pragma once

#include <QImage>
#include <string>

#include "components/core/AniFile.h"
#include "platform/Icon.h"
#include "platform/core/Graphics.h"

class TIconList;

class TAnimatedCursorImage : public TAnimatedCursorData {
public:
    // The icon of frame `index` (EListError out of range).
    const TIcon& GetIcon(int index) const;

    void LoadFromStream(TStream& stream);
    // No writer exists: tells the user so and aborts quietly.
    [[noreturn]] void SaveToStream(TStream& stream) const;
    // Opened for reading only, so a file another program holds open still loads.
    void LoadFromFile(const std::string& fileName);

    // Assigning another cursor copies its header, texts, colour count and a copy of each frame;
    // assigning nothing clears it.
    void Assign(const TAnimatedCursorImage* source);

    // The first frame's icon; an empty icon when there are no frames.
    void AssignTo(TIcon& icon) const;
    // The frames side by side on `background`, reduced to the largest colour count when there is
    // one; a null image when there are no frames.
    void AssignTo(QImage& bitmap, TColor background = clWhite) const;
    // Cleared and given each frame's icon, inside one update.
    void AssignTo(TIconList& list) const;
    // The strip of frames, each at the first frame's size: side by side or one below the other.
    QImage FrameStrip(bool vertical, bool reduceColors, TColor background = clWhite) const;
};

// The loader that decodes frame images as icon pictures.
const TIconImageLoader& IconPictureLoader();
