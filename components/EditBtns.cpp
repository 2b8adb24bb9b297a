// The combo edits: the button panel sits inside the edit's right edge as high as its client area, the
// text stops two pixels short of it, and the file-name edit reads and writes its text as a command
// line whose first item is the name.
#include "components/EditBtns.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "components/core/CommandLine.h"
#include "components/core/FileUtil.h"
#include "platform/FileDrops.h"
#include "platform/FileNameQt.h"
#include "platform/GraphicsQt.h"
#include "platform/Keys.h"
#include "platform/Win1252Qt.h"
#include "platform/core/KeyNames.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidFileName = 5700;
constexpr int kAllFilesFilter = 61263;
constexpr int kDialogTitle = 61264;
constexpr int kPictureFilter = 4664;

// The ellipsis: dots of two by two pixels on row 1 of a picture four pixels high.
constexpr int kDotSize = 2;
constexpr int kEllipsisHeight = 4;
// A glyph is this much narrower than its button.
constexpr int kGlyphInset = 6;

QColor sysColor(uint32_t color)
{
    return ToQColor(static_cast<TColor>(color));
}

// The combo box's arrow: a small black triangle, its background the colour the glyph leaves out.
QImage dropDownArrow()
{
    QImage image(7, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int row = 0; row < 4; ++row)
        for (int x = row; x < 7 - row; ++x)
            image.setPixel(x, row, qRgb(0, 0, 0));
    return image;
}

QImage drawFileEditGlyph()
{
    // Magenta fills the corners: the bottom-left pixel names the colour a glyph leaves out.
    QImage image(11, 11, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    // The folder's back with its tab, then its open front leaning over it.
    painter.setBrush(QColor(255, 255, 128));
    painter.drawRect(0, 2, 8, 7);
    painter.drawLine(1, 1, 3, 1);
    painter.setBrush(QColor(192, 192, 0));
    const QPoint front[] = {{2, 5}, {10, 5}, {8, 9}, {0, 9}};
    painter.drawPolygon(front, 4);
    return image;
}

} // namespace

// ---------------------------------------------------------------- TEditButton

TEditButton::TEditButton(QWidget* parent) : TKrSpeedButton(parent) {}

void TEditButton::Click()
{
    if (SkipClick) {
        SkipClick = false;
        return;
    }
    TKrSpeedButton::Click();
}

void TEditButton::paintEvent(QPaintEvent* event)
{
    TKrSpeedButton::paintEvent(event);
    if (State() == rsDown)
        return;
    // Two lines at the left side part the button from the text beside it.
    QPainter painter(this);
    const int bottom = height() - 2;
    painter.setPen(sysColor(clBtnFace));
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(sysColor(clBtnHighlight));
    painter.drawLine(1, 0, 1, bottom);
}

QImage EllipsisGlyph(int buttonWidth)
{
    const int width = std::max(1, buttonWidth - kGlyphInset);
    QImage image(width, kEllipsisHeight, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    const int gap = std::clamp((width - kGlyphInset) / 2, 1, 3);
    int x = (width - kGlyphInset - 2 * gap) / 2;
    for (int dot = 0; dot < 3; ++dot, x += kDotSize + gap)
        for (int dx = 0; dx < kDotSize; ++dx)
            for (int dy = 1; dy < 1 + kDotSize; ++dy)
                if (x + dx >= 0 && x + dx < width)
                    image.setPixel(x + dx, dy, 1);
    return image;
}

const QImage& FileEditGlyph()
{
    static const QImage glyph = drawFileEditGlyph();
    return glyph;
}

// ---------------------------------------------------------------- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* parent)
    : TEdgeControlEdit(parent), FButton(nullptr), FButtonPanel(new QWidget(this))
{
    FButtonPanel->resize(kDefaultButtonWidth, 17);
    FButton = new TEditButton(FButtonPanel);
    FButton->setGeometry(0, 0, FButtonPanel->width(), FButtonPanel->height());
    FButton->setCursor(Qt::ArrowCursor);
    FButton->OnClick = [this](TKrSpeedButton*) { ButtonPressed(); };
    // The button never takes the focus: a press on it gives the focus to the edit.
    FButton->OnMouseDown = [this](TKrSpeedButton*, Qt::MouseButton, TShiftState, int, int) {
        if (focusPolicy() != Qt::NoFocus && isEnabled())
            setFocus(Qt::MouseFocusReason);
    };
    // Disabled text is drawn grey whatever the style would choose.
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::Text, sysColor(clGrayText));
    setPalette(colours);
    resize(width(), 21);
    setMinimumHeight(MinimumEditHeight());
    SetButtonWidth(kDefaultButtonWidth);
    SetGlyphKind(gkCustom);
    FCreating = false;
    PlaceEdgeControl();
}

int TCustomComboEdit::ButtonWidth() const
{
    return FButton->width();
}

void TCustomComboEdit::SetButtonWidth(int value)
{
    FButtonPanel->setHidden(value < 2);
    if (FCreating || (value != ButtonWidth() && value < ClientWidth())) {
        FButtonPanel->resize(value, FButtonPanel->height());
        FButton->resize(value, FButton->height());
        PlaceEdgeControl();
        recreateGlyph();
    } else {
        PlaceEdgeControl();
    }
}

int TCustomComboEdit::widthForGlyph(const QImage& glyph) const
{
    return glyph.width() / std::max(1, NumGlyphs()) + kGlyphInset;
}

int TCustomComboEdit::automaticButtonWidth() const
{
    if (FGlyphKind == gkDefault) {
        const QImage glyph = DefaultBitmap();
        if (!glyph.isNull())
            return std::max(widthForGlyph(glyph), kDefaultButtonWidth);
    }
    if (FGlyphKind == gkDropDown)
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return kDefaultButtonWidth;
}

bool TCustomComboEdit::IsButtonWidthStored() const
{
    return ButtonWidth() != automaticButtonWidth();
}

void TCustomComboEdit::SetReadOnly(bool value)
{
    FReadOnly = value;
    applyReadOnly();
}

void TCustomComboEdit::SetDirectInput(bool value)
{
    FDirectInput = value;
    applyReadOnly();
}

void TCustomComboEdit::applyReadOnly()
{
    // Without direct input the text changes only through the button.
    setReadOnly(FReadOnly || !FDirectInput);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value)
{
    FGlyphKind = value;
    FButton->SetAllowTimer(value == gkDropDown);
    if (value == gkDefault) {
        const QImage glyph = DefaultBitmap();
        if (!glyph.isNull())
            SetButtonWidth(std::max(widthForGlyph(glyph), ButtonWidth()));
    }
    recreateGlyph();
}

void TCustomComboEdit::SetGlyph(const QImage& value)
{
    FButton->SetGlyph(value);
    FButton->SetNumGlyphs(NumGlyphs());
}

int TCustomComboEdit::NumGlyphs() const
{
    switch (FGlyphKind) {
    case gkDropDown:
    case gkEllipsis: return 1;
    case gkDefault: return FDefaultNumGlyphs;
    default: return FNumGlyphs;
    }
}

void TCustomComboEdit::SetNumGlyphs(int value)
{
    FNumGlyphs = value;
    FButton->SetNumGlyphs(NumGlyphs());
}

void TCustomComboEdit::recreateGlyph()
{
    QImage glyph;
    switch (FGlyphKind) {
    case gkCustom: return;
    case gkDefault: glyph = DefaultBitmap(); break;
    case gkDropDown: glyph = dropDownArrow(); break;
    case gkEllipsis: glyph = EllipsisGlyph(ButtonWidth()).convertToFormat(QImage::Format_RGB32); break;
    }
    FButton->SetGlyph(glyph);
    FButton->SetNumGlyphs(NumGlyphs());
}

int TCustomComboEdit::MinimumEditHeight() const
{
    constexpr int kBorderHeight = 1;
    const int text = std::min(QFontMetrics(QApplication::font()).height(), fontMetrics().height());
    return 4 * kBorderHeight + text + 1;
}

void TCustomComboEdit::ButtonPressed()
{
    if (FReadOnly && !FButtonAlwaysEnabled)
        return;
    ButtonClick();
}

void TCustomComboEdit::ButtonClick()
{
    if (OnButtonClick)
        OnButtonClick(this);
}

void TCustomComboEdit::OpenDropDown(bool) {}
void TCustomComboEdit::ShowDropDown(TPoint) {}
void TCustomComboEdit::HideDropDown() {}
bool TCustomComboEdit::AcceptDropDownValue(const std::string&)
{
    return true;
}
void TCustomComboEdit::PutDropDownValue(const std::string&) {}
void TCustomComboEdit::TakeDropDownValue() {}
void TCustomComboEdit::DropDownChanged() {}

void TCustomComboEdit::AcceptValue(const std::string& value)
{
    const QString text = FromEditorText(value);
    if (this->text() == text)
        return;
    // setText tells the change to whoever listens.
    setText(text);
    setModified(true);
    FDropDownVisible = false;
}

QImage TCustomComboEdit::DefaultBitmap() const
{
    return {};
}

void TCustomComboEdit::PlaceEdgeControl()
{
    // The panel stands at the right end of the client area, which a framed edit has inside its edge.
    const int width = ButtonWidth();
    SetChildBounds(FButtonPanel, {ClientWidth() - width, 0, ClientWidth(), ClientHeight()});
    FButton->setGeometry(0, 0, width, FButtonPanel->height());
    SetTextArea(!FButtonPanel->isHidden(), taRightJustify, width);
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* event)
{
    int vk = 0;
    TShiftState shift = 0;
    if (FClickKey != scNone && KeyEventToVirtualKey(event, vk, shift) && ShortCut(vk, shift) == FClickKey &&
        !FButtonPanel->isHidden()) {
        ButtonPressed();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The edit sees Enter, then the dialog it is on takes it as its default button's key.
        TEdgeControlEdit::keyPressEvent(event);
        event->ignore();
        return;
    case Qt::Key_Escape:
        event->ignore();
        return;
    default:
        TEdgeControlEdit::keyPressEvent(event);
    }
}

void TCustomComboEdit::changeEvent(QEvent* event)
{
    TEdgeControlEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        FButton->setEnabled(isEnabled());
    else if (event->type() == QEvent::FontChange)
        setMinimumHeight(MinimumEditHeight());
}

// ---------------------------------------------------------------- TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget* parent) : TCustomComboEdit(parent)
{
    SetGlyphKind(gkDefault);
}

QImage TFileDirEdit::DefaultBitmap() const
{
    return FileEditGlyph();
}

void TFileDirEdit::SetAcceptFiles(bool value)
{
    FAcceptFiles = value;
}

void TFileDirEdit::DropFiles(const TStringList& files)
{
    for (int i = 0; i < files.Count(); ++i) {
        TakeFileName(files[i]);
        if (!MultiSelect())
            break;
    }
    if (OnDropFiles)
        OnDropFiles(this);
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        AcceptFileDrag(*event, FAcceptFiles);
    else
        TCustomComboEdit::dragEnterEvent(event);
}

void TFileDirEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        AcceptFileDrag(*event, FAcceptFiles);
    else
        TCustomComboEdit::dragMoveEvent(event);
}

void TFileDirEdit::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasUrls()) {
        TCustomComboEdit::dropEvent(event);
        return;
    }
    TPoint at;
    TStringList files;
    if (TakeFileDrop(*event, FAcceptFiles, at, files))
        DropFiles(files);
}

// ---------------------------------------------------------------- TFilenameEdit

std::string QuotedFileName(const std::string& name)
{
    if (name.find(' ') != std::string::npos && (name.empty() || name.front() != '"'))
        return "\"" + name + "\"";
    return name;
}

namespace {

// The name a text stands for: the text itself when such a file exists, else its first item read as
// a command line.
std::string nameOfText(const std::string& text)
{
    if (FileExists(text))
        return text;
    std::string program, parameters;
    SplitCommandLine(text, program, parameters);
    return program;
}

} // namespace

TFilenameEdit::TFilenameEdit(QWidget* parent) : TFileDirEdit(parent)
{
    FDialog.Title = LoadResString(kDialogTitle);
    FDialog.Filter = LoadResString(kAllFilesFilter);
    FDialog.Options = ofHideReadOnly;
}

void TFilenameEdit::SetDialogKind(TFileDialogKind value)
{
    FDialogKind = value;
    FDialog.Save = value == dkSave || value == dkSavePicture;
    FDialog.Picture = value == dkOpenPicture || value == dkSavePicture;
    // A picture dialog lists pictures unless the edit was given a filter of its own.
    if (FDialog.Picture && !IsFilterStored())
        FDialog.Filter = LoadResString(kPictureFilter);
}

std::string TFilenameEdit::FileName() const
{
    return nameOfText(FilePathOf(this));
}

void TFilenameEdit::SetFileName(const std::string& value)
{
    if (!value.empty() && !ValidFileName(nameOfText(value)))
        throw EComboEditError(FmtLoadStr(kInvalidFileName, value.c_str()));
    setNameText(value);
    ClearSelectedFiles();
}

void TFilenameEdit::setNameText(const std::string& name)
{
    ShowFilePath(this, QuotedFileName(name));
}

bool TFilenameEdit::IsFilterStored() const
{
    return FDialog.Filter != LoadResString(kAllFilesFilter);
}

bool TFilenameEdit::IsDialogTitleStored() const
{
    return FDialog.Title != LoadResString(kDialogTitle);
}

void TFilenameEdit::SetDialogOptions(unsigned value)
{
    FDialog.Options = value;
    FMultiSelect = (value & ofAllowMultiSelect) != 0;
    if (!FMultiSelect)
        ClearSelectedFiles();
}

std::string TFilenameEdit::LongFileName() const
{
    const std::string name = FileName();
    const std::string found = ShortToLongFileName(name);
    return found.empty() ? name : ExtractFilePath(name) + found;
}

std::string TFilenameEdit::ShortFileName() const
{
    const std::string name = FileName();
    const std::string found = LongToShortFileName(name);
    return found.empty() ? name : ExtractFilePath(name) + found;
}

void TFilenameEdit::TakeFileName(const std::string& name)
{
    if (!FMultiSelect) {
        SetFileName(name);
        return;
    }
    if (FDialog.Files.empty())
        SetFileName(name);
    FDialog.Files.push_back(name);
}

void TFilenameEdit::ClearSelectedFiles()
{
    FDialog.Files.clear();
}

void TFilenameEdit::ButtonClick()
{
    TFileDirEdit::ButtonClick();
    std::string name = FileName();
    bool action = true;
    if (OnBeforeDialog)
        OnBeforeDialog(this, name, action);
    if (!action)
        return;
    if (ValidFileName(name)) {
        const std::string folder = ExtractFilePath(name);
        if (DirExists(folder))
            FDialog.InitialDir = folder;
        FDialog.FileName = ValidFileName(ExtractFileName(name)) ? name : "";
    }
    // Missing drives give no error boxes of their own here: the toolkit's dialog reports nothing.
    action = ExecuteFileDialog(this, FDialog);
    if (action)
        name = FDialog.FileName;
    if (isEnabled() && isVisible())
        setFocus();
    if (OnAfterDialog)
        OnAfterDialog(this, name, action);
    if (action) {
        setNameText(name);
        FDialog.InitialDir = ExtractFilePath(name);
    }
}
