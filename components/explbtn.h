// TExplorerButton: a flat button with a bitmap and a caption, bevelled only under the mouse, with a grey-shaded bitmap away from it, a drop-down menu and radio-like groups.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/Classes.h"
#include "platform/core/Graphics.h"

class QPainter;
class TPopupMenu;

enum TExplorerButtonLayout { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };
enum TExplorerButtonOption : uint8_t { boMonoDisplay = 1, boIconOnly = 2, boPopupMark = 4 };
using TExplorerButtonOptions = uint8_t;
enum TExplorerButtonShadingType { stLight, stMedium, stDark };
enum TExplorerBevelStyle { bsLowered, bsRaised };

// The shade that stands for a colour whose red, green and blue add up to `sum`: white, clBtnHighlight,
// clBtnShadow or black, by the shading's three limits.
TColor ShadeOfSum(int sum, TExplorerButtonShadingType shading);
// A copy of `bitmap` with every pixel that differs from pixel (0, 0) replaced by its shade.
QImage ShadedBitmap(const QImage& bitmap, TExplorerButtonShadingType shading);
// The caption as shown in a hint: its single ampersands dropped, a doubled one kept once.
std::string CaptionWithoutAccelerator(const std::string& caption);

class TExplorerButton : public QWidget {
public:
    using TNotifyEvent = std::function<void(TExplorerButton* Sender)>;

    explicit TExplorerButton(QWidget* parent = nullptr);
    ~TExplorerButton() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return FAllowAllUp; }
    // Copied to every explorer button of the same parent in the same group.
    void SetAllowAllUp(bool value);
    TExplorerBevelStyle BevelStyle() const { return FBevelStyle; }
    void SetBevelStyle(TExplorerBevelStyle value);
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& value);
    // Windows-1252; an ampersand marks the accelerator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    int GroupIndex() const { return FGroupIndex; }
    // 0 raises the button.
    void SetGroupIndex(int value);
    const QImage& DisabledBitmap() const { return FDisabledBitmap; }
    void SetDisabledBitmap(const QImage& value);
    bool Down() const { return FDown; }
    // Only a grouped button goes down; it raises the other down button of its group.
    void SetDown(bool value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* value);
    TExplorerButtonLayout Layout() const { return FLayout; }
    void SetLayout(TExplorerButtonLayout value);
    const QImage& NoFocusBitmap() const { return FNoFocusBitmap; }
    void SetNoFocusBitmap(const QImage& value);
    TExplorerButtonOptions Options() const { return FOptions; }
    void SetOptions(TExplorerButtonOptions value);
    TExplorerButtonShadingType ShadingType() const { return FShadingType; }
    void SetShadingType(TExplorerButtonShadingType value);
    TColor UnselectedFontColor() const { return FUnselectedFontColor; }
    void SetUnselectedFontColor(TColor value);
    // The caption's colour under the mouse and while pressed (the font's colour).
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);

    // The grey copy drawn away from the mouse when there is no NoFocusBitmap.
    const QImage& ShadedBitmap() const { return FShadedBitmap; }
    bool Pushed() const { return FPushed; }
    bool MouseIn() const { return FMouseIn; }
    // Builds the shaded bitmap once the properties are set, as a loaded form does.
    void Loaded();
    // What the last paint drew of the caption: its rectangle, empty when none was drawn.
    const QRect& CaptionRect() const { return FCaptionRect; }
    // A press and release of the accelerator; false when the button is disabled or hidden.
    bool Accelerator();

    TNotifyEvent OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Paint(QPainter& canvas);
    void press();
    void release();
    void rebuildShade();
    void applyHint();
    void grabAccelerator();
    // The explorer buttons of the same parent in the same non-zero group, this one left out.
    template <class Visit>
    void forGroup(Visit visit);

    TAlignment FAlignment = taCenter;
    bool FAllowAllUp = false;
    TExplorerBevelStyle FBevelStyle = bsRaised;
    QImage FBitmap;
    QImage FNoFocusBitmap;
    QImage FDisabledBitmap;
    QImage FShadedBitmap;
    std::string FCaption;
    int FGroupIndex = 0;
    bool FDown = false;
    TPopupMenu* FDropDownMenu = nullptr;
    QMetaObject::Connection FMenuDestroyed;
    TExplorerButtonLayout FLayout = blBitmapTop;
    TExplorerButtonOptions FOptions = boMonoDisplay | boPopupMark;
    TExplorerButtonShadingType FShadingType = stMedium;
    TColor FUnselectedFontColor = static_cast<TColor>(clWindowText);
    TColor FFontColor = static_cast<TColor>(clWindowText);
    std::string FHint;
    bool FShowHint = false;
    bool FPushed = false;
    bool FMouseIn = false;
    int FShortcutId = 0;
    QRect FCaptionRect;
};
