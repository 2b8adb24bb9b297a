// The find and replace dialogs: modeless windows that hand each request to their owner through an event.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"

class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Options of a request, one bit each, as the dialogs set them before firing an event.
using TFindOptions = uint32_t;
enum : TFindOptions {
    frDown = 0x01,       // search towards the end (else towards the start)
    frWholeWord = 0x02,  // whole words only
    frMatchCase = 0x04,  // match case
    frFindNext = 0x08,   // the request is "find next"
    frReplace = 0x10,    // the request is "replace"
    frReplaceAll = 0x20, // the request is "replace all"
};

// The find dialog. Execute shows it without blocking; each press of "Buscar siguiente" sets
// frFindNext in Options and fires OnFind. The texts are Windows-1252.

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* owner);

    // A character Windows-1252 lacks is searched for as its reference "&#N;".
    std::string FindText() const;
    void SetFindText(const std::string& text);
    // The direction, case and word choices as the user left them, with the bit of the last request.
    TFindOptions Options() const;
    void SetOptions(TFindOptions options);
    // Top-left corner on the screen.
    TPoint Position() const;
    void SetPosition(TPoint topLeft);
    // Shows the dialog (or brings it to the front) with the find text selected.
    bool Execute();
    void CloseDialog();

    std::function<void(TFindDialog* sender)> OnFind;

    // The button presses, as a click runs them.
    void ClickFindNext();

    // The help contexts of the two dialogs, which F1 in them shows.
    static constexpr int kFindHelpContext = 57;
    static constexpr int kReplaceHelpContext = 58;

protected:
    // The replace dialog builds the same dialog with its replace row and buttons.
    TFindDialog(QWidget* owner, bool withReplace);
    void keyPressEvent(QKeyEvent* event) override;
    void setVisible(bool visible) override;
    // Marks the request in Options and fires its event.
    void request(TFindOptions kind);
    virtual void fireRequest(TFindOptions kind);
    void updateButtons();

    QLineEdit* FFindEdit = nullptr;
    QLineEdit* FReplaceEdit = nullptr;
    QCheckBox* FWholeWord = nullptr;
    QCheckBox* FMatchCase = nullptr;
    QRadioButton* FUp = nullptr;
    QRadioButton* FDown = nullptr;
    QPushButton* FFindNext = nullptr;
    QPushButton* FReplace = nullptr;
    QPushButton* FReplaceAll = nullptr;
    TFindOptions FRequest = 0;
};

// The replace dialog: the find dialog plus the replacement text. "Reemplazar" and "Reemplazar todo"
// set frReplace or frReplaceAll and fire OnReplace; "Buscar siguiente" fires OnFind.
class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget* owner);

    // A character Windows-1252 lacks is held (HeldCharacter), so that saving writes the character; a
    // reference typed as such stays as typed.
    std::string ReplaceText() const;
    void SetReplaceText(const std::string& text);

    std::function<void(TReplaceDialog* sender)> OnReplace;

    void ClickReplace();
    void ClickReplaceAll();

protected:
    void fireRequest(TFindOptions kind) override;
};
