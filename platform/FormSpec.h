// TControlSpec: a form's controls declared as rows of name, kind, place, size and caption, and the one routine that makes and places them.
#pragma once

#include <QWidget>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// Left of a control that follows the one before it on the row; width that the maker fits to the caption.
constexpr int kFlow = -1;
constexpr int kFit = -1;
// Top of a control on the form's row.
constexpr int kOnRow = -1;

struct TControlSpec {
    // The control's object name, by which the form finds it again.
    const char* Name;
    // The form's own kind of control: the form's maker knows what each kind makes.
    int Kind;
    // The control's Tag property.
    int Tag = 0;
    // kFlow: right after the previous control.
    int Left = kFlow;
    // kFit: as the maker fits it.
    int Width = kFit;
    // A group of exclusive buttons, 0 none; the maker reads it.
    int Group = 0;
    // kOnRow: the form's row top; a height of 0 is the form's row height.
    int Top = kOnRow;
    int Height = 0;
    // String id of the caption, 0 when the form sets its texts itself.
    int Caption = 0;
    // The row whose control holds this one, -1 the form's own parent.
    int Parent = -1;
};

// What a form's rows share: the row a control without a top of its own sits on and the gap after a
// control that the next one follows.
struct TFormRow {
    int Top = 0;
    int Height = 22;
    int FlowGap = 1;
};

// Makes the control of a row in `parent`; may fit `width` when the row asks for it.
using TControlMaker = std::function<QWidget*(const TControlSpec& spec, QWidget* parent, int& width)>;

// The left of a control `width` wide: its row's own left, or flowLeft after the previous control;
// flowLeft moves on to where a following control goes.
int FlowLeft(const TControlSpec& spec, int width, const TFormRow& row, int& flowLeft);
// Places a control at its row's place, or after the previous control; flowLeft is where a following
// control goes.
void PlaceControl(QWidget* control, const TControlSpec& spec, int width, const TFormRow& row, int& flowLeft);

// Makes every row's control with `make`, names it, gives it its Tag and places it; the controls in row
// order. A row's Parent must come before it.
std::vector<QWidget*> BuildControls(QWidget* parent, std::span<const TControlSpec> specs, const TFormRow& row,
                                    const TControlMaker& make);

// The control of a form by its row's name and type; nullptr while the form has none, or none of
// that type.
template <class T>
T* FindFormControl(const QWidget* root, const char* name)
{
    // Some control classes carry no meta-object of their own, so the type is checked by C++.
    return dynamic_cast<T*>(root->findChild<QWidget*>(QLatin1String(name)));
}

// The control of a built form by its row's name; a missing or mistyped one is a fault of the form.
template <class T>
T* FormControl(const QWidget* root, const char* name)
{
    T* control = FindFormControl<T>(root, name);
    if (!control)
        throw std::logic_error(std::string("form control missing: ") + name);
    return control;
}

// The least width of a form whose caption the window manager shows whole: its text in the caption's
// bold face, the window's icon and three caption buttons.
int CaptionWidth(const QWidget& form);
