// The Qt shapes of the class library's pointer numbers.
#include "platform/Cursors.h"

#include <QApplication>
#include <QCoreApplication>
#include <map>
#include <optional>

namespace {

struct TRegisteredCursor {
    TCursorDrawer Draw = nullptr;
    std::optional<QCursor> Shape;
};

std::map<TCursor, TRegisteredCursor>& registeredCursors()
{
    static std::map<TCursor, TRegisteredCursor> table;
    return table;
}

// Drawn shapes hold pixmaps, which must go while the application still exists.
void forgetDrawnCursors()
{
    for (auto& entry : registeredCursors())
        entry.second.Shape.reset();
}

} // namespace

Qt::CursorShape CursorShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

void RegisterCursor(TCursor cursor, TCursorDrawer draw)
{
    registeredCursors()[cursor] = TRegisteredCursor{draw, std::nullopt};
}

QCursor CursorOf(TCursor cursor)
{
    auto& table = registeredCursors();
    auto it = table.find(cursor);
    if (it == table.end() || !it->second.Draw)
        return QCursor(CursorShapeOf(cursor));
    if (!it->second.Shape) {
        static const bool cleanupAdded = (qAddPostRoutine(forgetDrawnCursors), true);
        (void)cleanupAdded;
        it->second.Shape = it->second.Draw();
    }
    return *it->second.Shape;
}

TBusyCursor::TBusyCursor()
{
    QApplication::setOverrideCursor(CursorOf(crHourGlass));
}

TBusyCursor::~TBusyCursor()
{
    QApplication::restoreOverrideCursor();
}

TBusySuspended::TBusySuspended()
{
    // The application's pointer shapes are a stack; it is kept top first and put back in its order.
    while (const QCursor* shape = QApplication::overrideCursor()) {
        FCursors.push_back(*shape);
        QApplication::restoreOverrideCursor();
    }
    // A window that does not update is one whose painting an operation holds.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !window->updatesEnabled()) {
            FHeld.emplace_back(window);
            window->setUpdatesEnabled(true);
        }
}

TBusySuspended::~TBusySuspended()
{
    for (const QPointer<QWidget>& window : FHeld)
        if (window)
            window->setUpdatesEnabled(false);
    for (auto shape = FCursors.rbegin(); shape != FCursors.rend(); ++shape)
        QApplication::setOverrideCursor(*shape);
}
