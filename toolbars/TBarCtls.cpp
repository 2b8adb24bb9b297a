// The flat edit and the router of dropped-down toolbar menus.
#include "toolbars/TBarCtls.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStatusTipEvent>
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/GraphicsQt.h"
#include "platform/Help.h"
#include "platform/Menus.h"

// ---------------------------------------------------------------- TEditKt

TEditKt::TEditKt(QWidget* parent) : QLineEdit(parent)
{
    // No frame of the style's: the client area lies 3 pixels inside the frame drawn here.
    setFrame(false);
    setContentsMargins(kFrame, kFrame, kFrame, kFrame);
    setAutoFillBackground(true);
    SetColor(clWindow);
    applyHideSelection();
    resize(width(), 19);
    connect(this, &QLineEdit::textChanged, this, [this] { applyCharCase(); });
}

void TEditKt::Loaded()
{
    FLoaded = true;
    NewAdjustHeight();
}

void TEditKt::NewAdjustHeight()
{
    resize(width(), QFontMetrics(font()).height() + 6);
}

bool TEditKt::Hot() const
{
    if (hasFocus())
        return true;
    return FMouseInControl && !dynamic_cast<TEditKt*>(QApplication::focusWidget());
}

void TEditKt::SetColor(TColor value)
{
    FColor = value;
    QPalette p = palette();
    const QColor color = ToQColor(value);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, color);
        p.setColor(group, QPalette::Window, color);
    }
    setPalette(p);
}

void TEditKt::SetCharCase(TEditCharCase value)
{
    FCharCase = value;
    applyCharCase();
}

void TEditKt::applyCharCase()
{
    if (FCharCase == ecNormal)
        return;
    const QString current = text();
    const QString cased = FCharCase == ecUpperCase ? current.toUpper() : current.toLower();
    if (cased != current) {
        const int at = cursorPosition();
        setText(cased);
        setCursorPosition(at);
    }
}

void TEditKt::SetMaxLength(int value)
{
    FMaxLength = value < 0 ? 0 : value;
    setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
}

void TEditKt::SetPasswordChar(char value)
{
    FPasswordChar = value;
    setEchoMode(value == '\0' ? QLineEdit::Normal : QLineEdit::Password);
}

void TEditKt::SetHideSelection(bool value)
{
    FHideSelection = value;
    applyHideSelection();
}

// A hidden selection is drawn as plain text while the edit has no focus.
void TEditKt::applyHideSelection()
{
    QPalette p = palette();
    const QPalette defaults = QApplication::palette(this);
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               FHideSelection ? p.color(QPalette::Inactive, QPalette::Base)
                              : defaults.color(QPalette::Inactive, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               FHideSelection ? p.color(QPalette::Inactive, QPalette::Text)
                              : defaults.color(QPalette::Inactive, QPalette::HighlightedText));
    setPalette(p);
}

void TEditKt::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        SetColor(isEnabled() ? clWindow : clBtnFace);
        applyHideSelection();
        break;
    case QEvent::FontChange:
        if (FLoaded)
            NewAdjustHeight();
        break;
    default: break;
    }
}

void TEditKt::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    FMouseInControl = true;
    update();
}

void TEditKt::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    FMouseInControl = false;
    update();
}

void TEditKt::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void TEditKt::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
}

void TEditKt::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    RedrawBorder(painter);
}

void TEditKt::RedrawBorder(QPainter& painter)
{
    QRect r = rect();
    const QColor face = ToQColor(clBtnFace);
    const QColor window = ToQColor(clWindow);
    auto ring = [&](const QColor& color) {
        if (r.isEmpty())
            return;
        painter.fillRect(r.left(), r.top(), r.width(), 1, color);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, color);
        painter.fillRect(r.left(), r.top(), 1, r.height(), color);
        painter.fillRect(r.right(), r.top(), 1, r.height(), color);
        r.adjust(1, 1, -1, -1);
    };
    if (!Hot()) {
        ring(face);
        ring(face);
        ring(window);
        return;
    }
    DrawEdge(painter, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    // The inner layer: the button face at the top and left, a sunken inner edge at the bottom and right.
    painter.fillRect(r.left(), r.top(), 1, r.height() - 1, face);
    painter.fillRect(r.left(), r.top(), r.width() - 1, 1, face);
    QRect inner = r;
    DrawEdge(painter, inner, BDR_SUNKENINNER, BF_BOTTOMRIGHT);
    r.adjust(1, 1, -1, -1);
    ring(window);
}

// ---------------------------------------------------------------- TDropdownList

namespace {

std::unique_ptr<TDropdownList>& routerStorage()
{
    static std::unique_ptr<TDropdownList> router;
    return router;
}

TDropdownList::THelpRunner& helpRunner()
{
    static TDropdownList::THelpRunner runner = [](QWidget* form, unsigned command, int context) {
        HelpCommand(form, command, {}, context);
    };
    return runner;
}

bool holds(const QMenu* menu, const QAction* item, int depth = 0)
{
    if (depth > 16)
        return false;
    for (const QAction* action : menu->actions()) {
        if (action == item)
            return true;
        if (const QMenu* sub = action->menu(); sub && sub != menu && holds(sub, item, depth + 1))
            return true;
    }
    return false;
}

// The application's hint: shown by the active window as a status tip.
void setApplicationHint(const QString& hint)
{
    if (QWidget* form = QApplication::activeWindow()) {
        QStatusTipEvent tip(hint);
        QApplication::sendEvent(form, &tip);
    }
}

} // namespace

TDropdownList* TDropdownList::Instance() { return routerStorage().get(); }

TDropdownList::THelpRunner TDropdownList::SetHelpRunner(THelpRunner runner)
{
    return std::exchange(helpRunner(), std::move(runner));
}

void TDropdownList::AddMenu(QMenu* menu)
{
    if (!menu)
        return;
    if (!routerStorage())
        routerStorage().reset(new TDropdownList);
    routerStorage()->add(menu);
}

void TDropdownList::RemoveMenu(QMenu* menu)
{
    if (TDropdownList* router = Instance())
        router->Notification(menu);
}

void TDropdownList::add(QMenu* menu)
{
    if (std::find(FMenus.begin(), FMenus.end(), menu) != FMenus.end())
        return;
    FMenus.push_back(menu);
    connect(menu, &QObject::destroyed, this, [menu] { RemoveMenu(menu); });
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { watchSubmenus(menu); });
    // A closed menu leaves no hint behind.
    connect(menu, &QMenu::aboutToHide, this, [this] { MenuSelect(nullptr); });
    watchSubmenus(menu);
}

void TDropdownList::watchSubmenus(QMenu* menu)
{
    menu->installEventFilter(this);
    connect(menu, &QMenu::hovered, this, &TDropdownList::itemHovered, Qt::UniqueConnection);
    for (QAction* action : menu->actions())
        if (QMenu* sub = action->menu(); sub && sub != menu)
            watchSubmenus(sub);
}

void TDropdownList::Notification(QObject* component)
{
    auto found = std::find(FMenus.begin(), FMenus.end(), component);
    if (found == FMenus.end())
        return;
    FMenus.erase(found);
    if (auto* menu = qobject_cast<QMenu*>(component))
        disconnect(menu, nullptr, this, nullptr);
    if (component)
        component->removeEventFilter(this);
    if (FMenus.empty())
        routerStorage().reset(); // deletes this: nothing may follow
}

QMenu* TDropdownList::MenuOfItem(const QAction* item) const
{
    if (!item)
        return nullptr;
    for (QMenu* menu : FMenus)
        if (holds(menu, item))
            return menu;
    return nullptr;
}

void TDropdownList::itemHovered(QAction* item) { MenuSelect(item); }

void TDropdownList::MenuSelect(const QAction* item)
{
    setApplicationHint(MenuOfItem(item) ? item->statusTip() : QString());
}

void TDropdownList::Help(QMenu* menu, const QAction* item)
{
    QWidget* form = QApplication::activeWindow();
    if (!form)
        return;
    int context = HelpContextOf(item);
    if (context == 0 && menu)
        context = HelpContextOf(menu->menuAction());
    const bool popup = form->windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
    helpRunner()(form, popup ? HELP_CONTEXTPOPUP : HELP_CONTEXT, context);
}

bool TDropdownList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (menu && std::any_of(FMenus.begin(), FMenus.end(), [menu](QMenu* listed) { return holds(listed, menu->menuAction()) || listed == menu; })) {
            Help(menu, menu->activeAction());
            return true;
        }
    }
    return false;
}
