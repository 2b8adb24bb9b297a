// AppUtils: default sections and the form side of the stored window placement.
#include "components/AppUtils.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <vector>

#include "components/KrProps.h"
#include "platform/FileNameQt.h"

namespace {

QPointer<QWidget>& mainFormPointer()
{
    static QPointer<QWidget> form;
    return form;
}

// The minimised and maximised points a form keeps for the store, which Qt has no place for.
constexpr const char* kMinPositionProperty = "kestrimaMinPosition";
constexpr const char* kMaxPositionProperty = "kestrimaMaxPosition";

TPoint pointProperty(const QWidget* form, const char* name, TPoint defaultValue)
{
    const QVariant value = form->property(name);
    if (!value.isValid())
        return defaultValue;
    const QPoint p = value.toPoint();
    return {p.x(), p.y()};
}

std::string programFile()
{
    return QCoreApplication::instance() ? ToFilePath(QCoreApplication::applicationFilePath()) : "kestrima";
}

TRect toRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

} // namespace

std::string GetDefaultSection(const QObject* component)
{
    if (!component)
        return "";
    const std::string name = component->objectName().toStdString(); // Not editor text: an object's name
    if (const auto* widget = qobject_cast<const QWidget*>(component)) {
        if (widget->isWindow())
            return component->metaObject()->className();
        if (const QWidget* form = widget->window(); form && form != widget)
            return std::string(form->metaObject()->className()) + name;
        const QObject* parent = component->parent();
        return (parent ? parent->objectName().toStdString() : "") + name; // Not editor text: objects' names
    }
    if (const auto* form = qobject_cast<const QWidget*>(ComponentOwner(const_cast<QObject*>(component))))
        if (form->isWindow())
            return std::string(form->metaObject()->className()) + "." + name;
    return name;
}

std::string GetDefaultIniName() { return GetDefaultIniName(programFile()); }
std::string GetDefaultIniRegKey() { return GetDefaultIniRegKey(programFile()); }

TPlacementScreen CurrentPlacementScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height(), static_cast<int>(std::lround(screen->logicalDotsPerInch()))};
}

std::string GetScreenResolutionSuffix() { return GetScreenResolutionSuffix(CurrentPlacementScreen()); }

TWindowPlacement GetFormPlacement(const QWidget* form)
{
    TWindowPlacement placement;
    placement.ShowCmd = form->isMinimized()   ? SW_SHOWMINIMIZED
                        : form->isMaximized() ? SW_SHOWMAXIMIZED
                                              : SW_SHOWNORMAL;
    placement.MinPosition = pointProperty(form, kMinPositionProperty, {-1, -1});
    placement.MaxPosition = pointProperty(form, kMaxPositionProperty, {-1, -1});
    placement.NormalPosition = toRect(form->normalGeometry().isValid() ? form->normalGeometry() : form->geometry());
    return placement;
}

bool IsSizeableForm(const QWidget* form)
{
    return form->minimumSize() != form->maximumSize() && !form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void SetMainForm(QWidget* form) { mainFormPointer() = form; }
QWidget* MainForm() { return mainFormPointer(); }

void WriteFormPlacement(QWidget* form, const TIniObject& ini, const std::string& section)
{
    TWindowPlacement placement = GetFormPlacement(form);
    if (form == MainForm() && form->isMinimized())
        placement.ShowCmd = SW_SHOWMINIMIZED;
    WritePlacementValues(ini, section, placement, CurrentPlacementScreen());
}

void WriteFormPlacementReg(QWidget* form, const TIniObject& ini, const std::string& section)
{
    WriteFormPlacement(form, ini, section);
}

void ReadFormPlacement(QWidget* form, const TIniObject& ini, const std::string& section, bool loadState,
                       bool loadPosition)
{
    if (!loadState && !loadPosition)
        return;
    TWindowPlacement placement = GetFormPlacement(form);
    if (!form->isVisible())
        placement.ShowCmd = SW_HIDE;
    if (loadPosition && ReadPlacementPosition(ini, section, CurrentPlacementScreen(), placement)) {
        TRect& r = placement.NormalPosition;
        if (!IsSizeableForm(form))
            r = {r.Left, r.Top, r.Left + form->width(), r.Top + form->height()};
        if (r.Right > r.Left) {
            std::vector<TRect> screens;
            for (const QScreen* screen : QGuiApplication::screens())
                screens.push_back(toRect(screen->geometry()));
            const QScreen* primary = QGuiApplication::primaryScreen();
            r = KeepOnScreen(r, screens, primary ? toRect(primary->availableGeometry()) : TRect{});
            form->setProperty(kMinPositionProperty, QPoint(placement.MinPosition.X, placement.MinPosition.Y));
            form->setProperty(kMaxPositionProperty, QPoint(placement.MaxPosition.X, placement.MaxPosition.Y));
            form->setGeometry(r.Left, r.Top, r.Width(), r.Height());
        }
    }
    if (loadState) {
        const TStoredState state =
            StateOfShowCmd(IniReadInteger(ini, section, "ShowCmd", SW_HIDE), TStoredState::Normal);
        Qt::WindowStates states = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        if (state == TStoredState::Minimized && form == MainForm()) {
            // The whole program goes to the task bar once the show that asked for the restore is over.
            form->setWindowState(states);
            QPointer<QWidget> later(form);
            QMetaObject::invokeMethod(
                form, [later] {
                    if (later)
                        later->setWindowState(later->windowState() | Qt::WindowMinimized);
                },
                Qt::QueuedConnection);
            return;
        }
        if (state == TStoredState::Minimized)
            states |= Qt::WindowMinimized;
        else if (state == TStoredState::Maximized)
            states |= Qt::WindowMaximized;
        form->setWindowState(states);
    }
    form->update();
}

void ReadFormPlacementReg(QWidget* form, const TIniObject& ini, const std::string& section, bool loadState,
                          bool loadPosition)
{
    ReadFormPlacement(form, ini, section, loadState, loadPosition);
}
