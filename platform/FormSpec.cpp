// Making and placing a form's controls from their rows.
#include "platform/FormSpec.h"

#include <QFont>
#include <QFontMetrics>
#include <QVariant>

#include "platform/Win1252Qt.h"

int FlowLeft(const TControlSpec& spec, int width, const TFormRow& row, int& flowLeft)
{
    const int left = spec.Left >= 0 ? spec.Left : flowLeft;
    flowLeft = left + width + row.FlowGap;
    return left;
}

void PlaceControl(QWidget* control, const TControlSpec& spec, int width, const TFormRow& row, int& flowLeft)
{
    const int left = FlowLeft(spec, width, row, flowLeft);
    const int top = spec.Top >= 0 ? spec.Top : row.Top;
    const int height = spec.Height > 0 ? spec.Height : row.Height;
    control->setGeometry(left, top, width, height);
}

std::vector<QWidget*> BuildControls(QWidget* parent, std::span<const TControlSpec> specs, const TFormRow& row,
                                    const TControlMaker& make)
{
    std::vector<QWidget*> made;
    made.reserve(specs.size());
    int flowLeft = 2;
    for (const TControlSpec& spec : specs) {
        if (spec.Parent >= static_cast<int>(made.size()))
            throw std::logic_error(std::string("form control before its parent: ") + spec.Name);
        QWidget* holder = spec.Parent >= 0 ? made[static_cast<size_t>(spec.Parent)] : parent;
        int width = spec.Width;
        QWidget* control = make(spec, holder, width);
        control->setObjectName(QLatin1String(spec.Name));
        control->setProperty("Tag", spec.Tag);
        if (width < 0)
            width = control->sizeHint().width();
        PlaceControl(control, spec, width, row, flowLeft);
        made.push_back(control);
    }
    return made;
}

int CaptionWidth(const QWidget& form)
{
    // What a caption holds beside its text: the window's icon, three buttons and their spacing.
    constexpr int kCaptionButtonsRoom = 110;
    QFont captionFont = form.font();
    captionFont.setBold(true);
    return QFontMetrics(captionFont).horizontalAdvance(form.windowTitle()) + kCaptionButtonsRoom;
}
