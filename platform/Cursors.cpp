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
