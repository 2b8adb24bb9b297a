// The small widgets shared by the tool pages, the dialogs and the panels.
#include "app/widgets/SharedWidgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "app/model/TagTable.h"
#include "components/VSpeedBtnMenu.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

std::vector<TCaptionAndHint> captionsAndHints(int id)
{
    std::vector<TCaptionAndHint> result;
    const TStringList lines = LinesOf(LoadResString(id));
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        const size_t bar = line.find('|');
        if (bar == std::string::npos)
            result.push_back({line, {}});
        else
            result.push_back({line.substr(0, bar), line.substr(bar + 1)});
    }
    return result;
}

void SetControlHint(QWidget* control, const std::string& hint)
{
    control->setToolTip(FromEditorText(hint));
    control->setStatusTip(FromEditorText(hint));
}

std::string SelectedItemText(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? ToEditorText(item->text()) : std::string();
}

// ---------------------------------------------------------------- small controls

TColorPanel::TColorPanel(QWidget* parent) : QWidget(parent) {}

void TColorPanel::SetColor(TColor value)
{
    FColor = value;
    update();
}

void TColorPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(FColor));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TUpDownEdit::TUpDownEdit(QLineEdit* edit, TSpinButton* spin, int min, int max)
    : FEdit(edit), FSpin(spin), FMin(min), FMax(max)
{
    spin->SetFocusControl(edit);
    spin->OnUpClick = [this](TSpinButton*) { SetPosition(Position() + 1); };
    spin->OnDownClick = [this](TSpinButton*) { SetPosition(Position() - 1); };
}

int TUpDownEdit::Position() const
{
    bool ok = false;
    const int value = FEdit->text().trimmed().toInt(&ok);
    if (!ok)
        return FMin;
    return std::clamp(value, FMin, FMax);
}

void TUpDownEdit::SetPosition(int value)
{
    FEdit->setText(QString::number(std::clamp(value, FMin, FMax)));
}

// ---------------------------------------------------------------- presses

namespace {
struct TPressHolder : QObject {
    TToolPress Handler;
};
} // namespace

void TToolPressFilter::Watch(QWidget* button, TToolPress handler)
{
    auto* holder = new TPressHolder;
    holder->setParent(button);
    holder->Handler = std::move(handler);
    button->installEventFilter(this);
}

bool TToolPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    // Paints, hovers and the like pass at once: every event of every watched button comes here.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::KeyPress &&
        type != QEvent::KeyRelease)
        return false;
    auto* button = qobject_cast<QWidget*>(watched);
    if (!button)
        return false;
    auto* holder = button->findChild<TPressHolder*>(QString(), Qt::FindDirectChildrenOnly);
    if (!holder || !button->isEnabled())
        return false;
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const TShiftState shift = ShiftStateOf(mouse);
        CallHandler(button, [&] { holder->Handler(button, mouse->button(), shift); });
        // The button still goes down and, for a drop-down button, shows its menu.
        return false;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool activates = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!activates || key->modifiers() != Qt::NoModifier)
            return false;
        if (!key->isAutoRepeat()) {
            // A drop-down button opens its menu as a click would.
            if (auto* menu = dynamic_cast<TVSpeedBtnMenu*>(button)) {
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(button->mapToGlobal(QPoint(1, 1))),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(menu, &press);
                QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1),
                                    QPointF(button->mapToGlobal(QPoint(1, 1))), Qt::LeftButton, Qt::NoButton,
                                    Qt::NoModifier);
                QCoreApplication::sendEvent(menu, &release);
            } else {
                CallHandler(button, [&] { holder->Handler(button, Qt::LeftButton, 0); });
            }
        }
        return true;
    }
    case QEvent::KeyRelease: {
        // The button's own handling of the release would click it a second time.
        auto* key = static_cast<QKeyEvent*>(event);
        return key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- combos

void fillCombo(THistoryCombo& to, const QComboBox* from)
{
    to.Text = ToEditorText(from->currentText());
    to.Items.Clear();
    for (int i = 0; i < from->count(); ++i)
        to.Items.Add(ToEditorText(from->itemText(i)));
    to.ItemIndex = from->currentIndex();
}

void takeBackCombo(QComboBox* to, const THistoryCombo& from)
{
    QStringList items;
    for (int i = 0; i < from.Items.Count(); ++i)
        items.append(FromEditorText(from.Items[i]));
    to->clear();
    to->addItems(items);
    to->setCurrentIndex(from.ItemIndex < to->count() ? from.ItemIndex : -1);
    // Choosing an item puts its text in the box; the record's text is the one to keep.
    to->setEditText(FromEditorText(from.Text));
}

QStringList TStoredComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

void TStoredComboBox::SetItems(const QStringList& value)
{
    const QString text = currentText();
    clear();
    addItems(value);
    setCurrentIndex(-1);
    setEditText(text);
}

// ---------------------------------------------------------------- library edit

std::string TLibraryEdit::Path() const
{
    return PathPropertyOf(this, "Hint");
}

void TLibraryEdit::SetPath(const std::string& path)
{
    SetPathProperty(this, "Hint", path);
}
