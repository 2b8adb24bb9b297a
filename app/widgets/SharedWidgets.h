// The small widgets the main window's tool pages, its dialogs and its panels share: a colour panel, an edit stepped by a spin button, a stored history combo, the filter of the insert buttons' presses, a library edit and the controls' packed captions.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/model/ToolPageValues.h"
#include "platform/core/Graphics.h"
#include "platform/core/Messages.h"
#include "toolbars/ComboBoxKt.h"

class QComboBox;
class QListWidget;
class QPaintEvent;
class TSpinButton;

// What an insert button does when it is pressed: the button, the mouse button and the keys held. A
// button activated from the keyboard is pressed with the left button and no keys.
using TToolPress = std::function<void(QWidget* Sender, Qt::MouseButton Button, TShiftState Shift)>;

// A flat history combo whose items are kept between runs as its Items property.
class TStoredComboBox : public TComboBoxKt {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)

public:
    using TComboBoxKt::TComboBoxKt;
    QStringList Items() const;
    // The edit text stays as it is.
    void SetItems(const QStringList& value);
};

// A panel that shows a colour, such as the colour the colour buttons insert.
class TColorPanel : public QWidget {
public:
    explicit TColorPanel(QWidget* parent = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColor FColor = 0; // black
};

// An edit with a spin button beside it that steps the number in the edit within a range.
class TUpDownEdit {
public:
    TUpDownEdit(QLineEdit* edit, TSpinButton* spin, int min, int max);
    // The edit's number held within the range; the minimum when the text is no number.
    int Position() const;
    void SetPosition(int value);
    QLineEdit* Edit() const { return FEdit; }
    TSpinButton* Spin() const { return FSpin; }

private:
    QLineEdit* FEdit;
    TSpinButton* FSpin;
    int FMin;
    int FMax;
};

// A history combo's record from the widget, and the record's list, selection and text back into it.
void fillCombo(THistoryCombo& to, const QComboBox* from);
void takeBackCombo(QComboBox* to, const THistoryCombo& from);

// Presses of the insert buttons: a mouse button going down (with the keys held) or Space and Enter
// while a button has the focus. Every button the filter watches carries its own press handler.
class TToolPressFilter : public QObject {
public:
    explicit TToolPressFilter(QObject* parent) : QObject(parent) {}
    // The handler runs on each press of `button`, before the button's own handling of the press
    // (so a drop-down button's menu opens after the handler has seen the keys).
    void Watch(QWidget* button, TToolPress handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A read-only edit whose text names a library and whose Hint shows its full path; both are kept
// between runs. The path is held as the file system's bytes (Path); the hint and the text show the
// characters they spell.
class TLibraryEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QString Text READ text WRITE setText)

public:
    explicit TLibraryEdit(QWidget* parent = nullptr) : QLineEdit(parent) { setReadOnly(true); }
    // The path the hint shows, as the file system's bytes kept beside it (what the form keeps).
    std::string Path() const;
    void SetPath(const std::string& path);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& value) { setToolTip(value); }
};

// A control's caption and hint, as the packed strings of the pages give them.
struct TCaptionAndHint {
    std::string Caption;
    std::string Hint;
};
// The lines of a packed string, each split at its first "|" into caption and hint.
std::vector<TCaptionAndHint> captionsAndHints(int id);

// A control's hint, an editor text, as its tool tip and as the status bar's line while the mouse is
// over it.
void SetControlHint(QWidget* control, const std::string& hint);
// The text of a list's current item when it is selected; "" when none is.
std::string SelectedItemText(const QListWidget* list);
