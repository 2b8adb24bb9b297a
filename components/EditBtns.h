// EditBtns: edits with a button inside their right edge: TCustomComboEdit, TFileDirEdit (dropped files, a dialog around the click) and TFilenameEdit (an open or save dialog for a file name).
#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "components/KrCtrls.h"
#include "components/VeltranEdit.h"
#include "platform/FileDialogs.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/Messages.h"

class EComboEditError : public Exception { using Exception::Exception; };

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum TDropDownAlign { daLeft, daRight, daCenter };
enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
enum TFileEditStyle { fsEdit, fsComboBox };

// The button of a combo edit. A press that only closes an open drop-down window sets SkipClick, and
// the click that follows does nothing.
class TEditButton : public TKrSpeedButton {
public:
    explicit TEditButton(QWidget* parent = nullptr);

    bool SkipClick = false;

    void Click() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The three dots of an ellipsis button `buttonWidth` wide: a monochrome picture, black dots on white.
QImage EllipsisGlyph(int buttonWidth);
// The default glyph of the file edits: a small open folder, drawn once per process and shared.
const QImage& FileEditGlyph();

// An edit with a button panel inside its right edge. The text keeps clear of the panel; the button's
// click (or the ClickKey) runs ButtonClick. None of the program's edits has a drop-down window: the
// drop-down operations are there for edits that would, and do nothing here.
class TCustomComboEdit : public TEdgeControlEdit {
public:
    using TNotifyEvent = std::function<void(TCustomComboEdit* Sender)>;

    static constexpr int kDefaultButtonWidth = 21;
    static constexpr TShortCut kDefaultClickKey = scAlt | 0x28; // Alt+Down

    explicit TCustomComboEdit(QWidget* parent = nullptr);

    TEditButton* Button() const { return FButton; }
    QWidget* ButtonPanel() const { return FButtonPanel; }

    int ButtonWidth() const;
    // Below 2 hides the panel; a width as wide as the client area or wider is refused.
    void SetButtonWidth(int value);
    // Whether the width differs from the one the glyph kind gives by itself.
    bool IsButtonWidthStored() const;
    TShortCut ClickKey() const { return FClickKey; }
    void SetClickKey(TShortCut value) { FClickKey = value; }
    virtual bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool DirectInput() const { return FDirectInput; }
    void SetDirectInput(bool value);
    bool ButtonAlwaysEnabled() const { return FButtonAlwaysEnabled; }
    void SetButtonAlwaysEnabled(bool value) { FButtonAlwaysEnabled = value; }
    TDropDownAlign DropDownAlign() const { return FDropDownAlign; }
    void SetDropDownAlign(TDropDownAlign value) { FDropDownAlign = value; }
    TGlyphKind GlyphKind() const { return FGlyphKind; }
    void SetGlyphKind(TGlyphKind value);
    const QImage& Glyph() const { return FButton->Glyph(); }
    void SetGlyph(const QImage& value);
    int NumGlyphs() const;
    void SetNumGlyphs(int value);
    std::string ButtonHint() const { return FButton->Hint(); }
    void SetButtonHint(const std::string& value) { FButton->SetHint(value); }
    bool DropDownVisible() const { return FDropDownVisible; }
    // The smallest height the edit takes: its edges and one line of the smaller of the system font and its own.
    int MinimumEditHeight() const;

    // The button was pressed: ignored while read-only unless the button is always enabled.
    void ButtonPressed();

    TNotifyEvent OnButtonClick;

    // The drop-down operations.
    virtual void OpenDropDown(bool disableEdit);
    virtual void ShowDropDown(TPoint origin);
    virtual void HideDropDown();
    virtual bool AcceptDropDownValue(const std::string& value);
    // Takes a value as the text: marks the edit modified and tells the change when it differs.
    virtual void AcceptValue(const std::string& value);
    virtual void PutDropDownValue(const std::string& value);
    virtual void TakeDropDownValue();
    virtual void DropDownChanged();

protected:
    // The glyph of gkDefault, or a null picture when the edit has none.
    virtual QImage DefaultBitmap() const;
    // Fires OnButtonClick; the file edits go on to their dialogs.
    virtual void ButtonClick();
    void PlaceEdgeControl() override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

    int FDefaultNumGlyphs = 1;

private:
    void recreateGlyph();
    void applyReadOnly();
    int automaticButtonWidth() const;
    // A button as wide as one image of the glyph and its margins.
    int widthForGlyph(const QImage& glyph) const;

    TEditButton* FButton;
    QWidget* FButtonPanel;
    TShortCut FClickKey = kDefaultClickKey;
    bool FReadOnly = false;
    bool FDirectInput = true;
    bool FButtonAlwaysEnabled = false;
    TDropDownAlign FDropDownAlign = daLeft;
    bool FDropDownVisible = false;
    TGlyphKind FGlyphKind = gkCustom;
    int FNumGlyphs = 1;
    bool FCreating = true;
};

// A combo edit for files and folders: takes files dropped on it and runs a dialog on the button.
class TFileDirEdit : public TCustomComboEdit {
public:
    // Sender, the file name (which the handler may change) and whether to go on.
    using TExecOpenDialogEvent = std::function<void(TFileDirEdit* Sender, std::string& Name, bool& Action)>;
    using TNotifyEvent = std::function<void(TFileDirEdit* Sender)>;

    explicit TFileDirEdit(QWidget* parent = nullptr);

    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool value);

    virtual std::string LongFileName() const = 0;
    virtual std::string ShortFileName() const = 0;
    virtual void TakeFileName(const std::string& name) = 0;
    virtual void ClearSelectedFiles() {}
    // Takes the files of a drop in order (only the first without multiple selection) and tells it.
    void DropFiles(const TStringList& files);

    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;
    TNotifyEvent OnDropFiles;

protected:
    QImage DefaultBitmap() const override;
    virtual bool MultiSelect() const { return false; }
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool FAcceptFiles = false;
};

// A file-name edit whose button runs an open or save dialog (of pictures too). The text holds the
// name, in double quotes when it holds a blank.
class TFilenameEdit : public TFileDirEdit {
public:
    explicit TFilenameEdit(QWidget* parent = nullptr);

    TFileDialogKind DialogKind() const { return FDialogKind; }
    void SetDialogKind(TFileDialogKind value);
    const std::string& DefaultExt() const { return FDialog.DefaultExt; }
    void SetDefaultExt(const std::string& value) { FDialog.DefaultExt = value; }
    TFileEditStyle FileEditStyle() const { return FFileEditStyle; }
    void SetFileEditStyle(TFileEditStyle value) { FFileEditStyle = value; }
    // The text when a file of that name exists, else its first item read as a command line.
    std::string FileName() const;
    // Raises EComboEditError for a name that is no valid file name.
    void SetFileName(const std::string& value);
    const std::string& Filter() const { return FDialog.Filter; }
    void SetFilter(const std::string& value) { FDialog.Filter = value; }
    bool IsFilterStored() const;
    int FilterIndex() const { return FDialog.FilterIndex; }
    void SetFilterIndex(int value) { FDialog.FilterIndex = value; }
    const std::string& InitialDir() const { return FDialog.InitialDir; }
    void SetInitialDir(const std::string& value) { FDialog.InitialDir = value; }
    const std::vector<std::string>& HistoryList() const { return FDialog.History; }
    void SetHistoryList(const std::vector<std::string>& value) { FDialog.History = value; }
    unsigned DialogOptions() const { return FDialog.Options; }
    void SetDialogOptions(unsigned value);
    const std::string& DialogTitle() const { return FDialog.Title; }
    void SetDialogTitle(const std::string& value) { FDialog.Title = value; }
    bool IsDialogTitleStored() const;
    // The dialog as it stands: its kind, properties and the chosen files.
    const TFileDialogRequest& Dialog() const { return FDialog; }

    std::string LongFileName() const override;
    std::string ShortFileName() const override;
    void TakeFileName(const std::string& name) override;
    void ClearSelectedFiles() override;
    bool MultiSelect() const override { return FMultiSelect; }

protected:
    void ButtonClick() override;

private:
    void setNameText(const std::string& name);

    TFileDialogRequest FDialog;
    TFileDialogKind FDialogKind = dkOpen;
    TFileEditStyle FFileEditStyle = fsEdit;
    bool FMultiSelect = false;
};

// A name with a blank that does not start with a double quote, between double quotes; any other as it is.
std::string QuotedFileName(const std::string& name);
