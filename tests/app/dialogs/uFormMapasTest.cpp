// Tests of the image map editor, driven headless with synthetic mouse events: drawing and dragging areas, a scrolled view, the fields, the menu, loading pictures, and the main window's command.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QWindow>
#include <string>

#include "app/model/EditorKind.h"
#include "app/dialogs/uFormMapas.h"
#include "app/host/Commands.h"
#include "app/model/libKestrima.h"
#include "components/AppUtils.h"
#include "platform/Buttons.h"
#include "platform/Win1252Qt.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TBarTlwn.h"

namespace {

using TMapasAnswer = THookWhile<TMapasDialogHook, &SetMapasDialogHook>;

// A picture file of the given size in the window's folder.
std::string bitmap(const TempDir& folder, const char* name, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const std::string path = (folder.path / name).string();
    picture.save(QString::fromStdString(path), "BMP");
    return path;
}

// Draws on the picture from `a` to `b` (picture points) with the left button.
void draw(TformMapas& d, QPoint a, QPoint b)
{
    SendMouse(*d.Imagen, QEvent::MouseButtonPress, a);
    MoveMouse(*d.Imagen, b, Qt::LeftButton);
    SendMouse(*d.Imagen, QEvent::MouseButtonRelease, b);
}

// Takes the area's shape at `grab` and lets it go at `to`, both in the shape's coordinates.
void drag(TformMapas& d, int id, QPoint grab, QPoint to)
{
    QWidget& shape = *d.ShapeOf(id);
    SendMouse(shape, QEvent::MouseButtonPress, grab);
    MoveMouse(shape, to, Qt::LeftButton);
    SendMouse(shape, QEvent::MouseButtonRelease, to);
}

QAction* entry(TformMapas& d, const char* name)
{
    return d.PopupMenu->findChild<QAction*>(name);
}

// The AREA lines of the map, the top one first.
std::string areas(TformMapas& d)
{
    const std::string map = d.BuildMap();
    const size_t first = map.find("\r\n") + 2;
    return map.substr(first, map.rfind("</MAP>") - first);
}

struct TEditor {
    TWindow w;
    TformMapas dialog{w.form};
    TEditor()
    {
        dialog.show();
        QApplication::processEvents();
    }
    int top() { return dialog.Map().Areas().front().Id; }
};

} // namespace

TEST(FormMapas, FormAndToolWindowAsDesigned)
{
    TEditor e;
    TformMapas& d = e.dialog;
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Editor de mapas de imagen"));
    EXPECT_EQ(d.parentWidget(), &e.w.form);
    EXPECT_EQ(d.Imagen->size(), QSize(250, 250));
    EXPECT_EQ(d.Imagen->cursor().shape(), Qt::CrossCursor);
    // One pixel wider than the picture, or as wide as the caption needs.
    QFont captionFont = d.font();
    captionFont.setBold(true);
    const int captionWidth = QFontMetrics(captionFont).horizontalAdvance(d.windowTitle()) + 110;
    EXPECT_EQ(d.size(), QSize(std::max(251, captionWidth), 251 + d.BarraEstado->sizeHint().height()));
    EXPECT_GT(captionWidth, 251);
    TToolWindowKt& tool = *d.ToolWindowKt1;
    EXPECT_EQ(tool.Caption(), "Mapa de imagen");
    EXPECT_TRUE(tool.Floating());
    EXPECT_FALSE(tool.CloseButton());
    EXPECT_FALSE(tool.Resizable());
    EXPECT_EQ(tool.DockableTo(), TDockableTo{});
    EXPECT_EQ(tool.ClientAreaWidth(), 208);
    EXPECT_EQ(tool.ClientAreaHeight(), 205);
    EXPECT_FALSE(tool.frameGeometry().intersects(d.frameGeometry()));
    // The fields start empty: an untouched map has no name.
    EXPECT_EQ(d.eImagen->text() + d.eName->text() + d.eHREF->text() + d.eALT->text(), "");
    EXPECT_TRUE(d.bAcepta->isDefault());
    EXPECT_TRUE(entry(d, "mRectangulo")->isChecked());
    const std::pair<const char*, const char*> keys[] = {
        {"mBorrar", "Del"}, {"mReducirAnchura", "Shift+Left"}, {"mAumentarAltura", "Shift+Down"},
        {"mMoverIzquierda", "Ctrl+Left"}, {"mMoverAbajo", "Ctrl+Down"}};
    for (auto [name, sequence] : keys)
        EXPECT_EQ(entry(d, name)->shortcut(), QKeySequence(sequence)) << name;
    // The hint of what lies under the pointer, in the tool window too, shows in the dialog alone.
    const QString mainHint = e.w.form.Panel(4)->text();
    QStatusTipEvent tip(d.sbAbrir->statusTip());
    QApplication::sendEvent(d.sbAbrir, &tip);
    EXPECT_EQ(d.BarraEstado->currentMessage(), "Abrir imagen");
    EXPECT_EQ(e.w.form.Panel(4)->text(), mainHint);

    // A field clicked into keeps the keyboard in the tool window, and Enter there is "Aceptar".
    QApplication::setActiveWindow(&d);
    d.eALT->setFocus();
    tool.windowHandle()->requestActivate();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &tool);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(d.eALT, &enter);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(FormMapas, TheToolWindowOpensBesideThePictureOrWhereTheUserLeftIt)
{
    TEditor e;
    TformMapas& d = e.dialog;
    TToolWindowKt& tool = *d.ToolWindowKt1;
    // The part of the picture the dialog shows, on the screen.
    auto picture = [&d] {
        const QWidget* view = d.ScrollBox->viewport();
        return QRect(d.Imagen->mapToGlobal(QPoint(0, 0)), d.Imagen->size()) &
               QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
    };
    const QRect work = d.screen()->availableGeometry();
    ASSERT_TRUE(tool.isVisible());
    EXPECT_FALSE(picture().isEmpty());
    EXPECT_FALSE(tool.frameGeometry().intersects(picture()));
    EXPECT_TRUE(work.contains(tool.frameGeometry()));

    // A larger picture grows the dialog: the tool window goes beside it again.
    ASSERT_TRUE(d.LoadImage(bitmap(e.w.folder, "mayor.bmp", 420, 300)));
    QApplication::processEvents();
    EXPECT_FALSE(tool.frameGeometry().intersects(picture()));
    EXPECT_TRUE(work.contains(tool.frameGeometry()));

    // Moved by the user, it stays where it was left.
    const QPoint left = tool.pos() + QPoint(-30, 40);
    tool.move(left);
    ASSERT_TRUE(d.LoadImage(bitmap(e.w.folder, "menor.bmp", 120, 90)));
    QApplication::processEvents();
    EXPECT_EQ(tool.pos(), left);

    // A dialog so wide that neither side of it has room makes room on its right.
    TformMapas wide(e.w.form);
    const int toolWidth = wide.ToolWindowKt1->frameGeometry().width();
    ASSERT_TRUE(wide.LoadImage(bitmap(e.w.folder, "ancha.bmp", work.width() - toolWidth - 40, 200)));
    wide.show();
    QApplication::processEvents();
    const QWidget* view = wide.ScrollBox->viewport();
    const QRect shown = QRect(wide.Imagen->mapToGlobal(QPoint(0, 0)), wide.Imagen->size()) &
                        QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
    EXPECT_EQ(shown.width(), work.width() - toolWidth - 40);
    EXPECT_FALSE(wide.ToolWindowKt1->frameGeometry().intersects(shown));
    EXPECT_TRUE(work.contains(wide.ToolWindowKt1->frameGeometry()));
    EXPECT_TRUE(work.contains(wide.frameGeometry()));
}

TEST(FormMapas, APictureOpenedInTheDialogLeavesItAndTheToolWindowWholeOnTheScreenAndApart)
{
    TEditor e;
    TformMapas& d = e.dialog;
    TToolWindowKt& tool = *d.ToolWindowKt1;
    const QRect work = d.screen()->availableGeometry();
    const int toolWidth = tool.frameGeometry().width();
    // The part of the picture the dialog shows, on the screen.
    auto shown = [&d] {
        const QWidget* view = d.ScrollBox->viewport();
        return QRect(d.Imagen->mapToGlobal(QPoint(0, 0)), d.Imagen->size()) &
               QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
    };
    struct TPicture {
        const char* name;
        int width, height;
        // Whether all of it shows, or the dialog had to leave part of it to scroll to.
        bool whole;
    };
    // Opened in the centred dialog: a picture that makes it too wide for its place, one too wide for
    // the screen with the tool window beside it, one taller than the screen.
    const TPicture pictures[] = {{"ancha.bmp", work.width() - toolWidth - 60, 200, true},
                                 {"anchisima.bmp", work.width() - 20, 150, false},
                                 {"alta.bmp", 200, work.height() - 10, false},
                                 {"menor.bmp", 120, 90, true}};
    for (const TPicture& picture : pictures) {
        SCOPED_TRACE(picture.name);
        ASSERT_TRUE(d.LoadImage(bitmap(e.w.folder, picture.name, picture.width, picture.height)));
        QApplication::processEvents();
        EXPECT_TRUE(work.contains(d.frameGeometry())) << work.width() << "x" << work.height();
        EXPECT_TRUE(work.contains(tool.frameGeometry()));
        EXPECT_FALSE(tool.frameGeometry().intersects(shown()));
        EXPECT_FALSE(tool.frameGeometry().intersects(d.frameGeometry()));
        EXPECT_EQ(shown().size() == QSize(picture.width, picture.height), picture.whole);
    }
}

TEST(FormMapas, TheToolWindowIsOwnedByTheDialogAndStaysAboveIt)
{
    TWindow w;
    TformMapas d(w.form);
    TToolWindowKt& tool = *d.ToolWindowKt1;
    // As Execute runs it: modal, the tool window shown by the dialog's own showing.
    d.setWindowModality(Qt::ApplicationModal);
    d.show();
    // Not before the dialog's window is the window system's, which then knows whose it is.
    EXPECT_FALSE(tool.isVisible());
    QApplication::processEvents();
    ASSERT_TRUE(tool.isVisible());
    EXPECT_TRUE(tool.isWindow());
    EXPECT_EQ(tool.windowType(), Qt::Tool);
    EXPECT_EQ(tool.parentWidget()->window(), &d);
    // Owned by the dialog; and as a window manager stacks a modal dialog above all its owner's other
    // windows, the tool window keeps to the layer above.
    ASSERT_NE(tool.windowHandle(), nullptr);
    EXPECT_EQ(tool.windowHandle()->transientParent(), d.windowHandle());
    EXPECT_TRUE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // A click on the picture leaves it so.
    draw(d, QPoint(20, 20), QPoint(60, 60));
    QApplication::processEvents();
    EXPECT_TRUE(tool.isVisible());
    EXPECT_EQ(tool.windowHandle()->transientParent(), d.windowHandle());
    EXPECT_TRUE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // The picture's open dialog, modal over the dialog, is not covered by it: the tool window goes
    // while the open dialog is shown, and comes back above the dialog.
    bool asked = false;
    bool toolShown = true;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* open = qobject_cast<QFileDialog*>(top); open && open->isVisible()) {
                asked = true;
                toolShown = tool.isVisible();
                open->reject();
            }
    });
    d.sbAbrir->click();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(toolShown);
    QApplication::processEvents();
    EXPECT_TRUE(tool.isVisible());
    EXPECT_TRUE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // A message box as well.
    QMessageBox box(QMessageBox::Warning, "Kestrima", "?", QMessageBox::Ok, &d);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    EXPECT_FALSE(tool.isVisible());
    box.hide();
    QApplication::processEvents();
    EXPECT_TRUE(tool.isVisible());

    // Over a form that is not modal it stacks as its owner's window, in the owner's layer.
    TformMapas plain(w.form);
    plain.show();
    QApplication::processEvents();
    EXPECT_TRUE(plain.ToolWindowKt1->isVisible());
    EXPECT_FALSE(plain.ToolWindowKt1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(plain.ToolWindowKt1->windowHandle()->transientParent(), plain.windowHandle());
}

TEST(FormMapas, DrawingWithTheMouse)
{
    TEditor e;
    TformMapas& d = e.dialog;
    draw(d, {50, 40}, {20, 10});
    EXPECT_EQ(d.BuildMap(), "<MAP NAME=\"\">\r\n<AREA SHAPE=\"RECT\" COORDS=\"20,10,50,40\" NOHREF>\r\n</MAP>\r\n");
    const int first = e.top();
    EXPECT_EQ(d.ShapeOf(first)->geometry(), QRect(20, 10, 30, 30));
    EXPECT_EQ(d.ShapeOf(first)->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(d.ShapeSolid(first));
    EXPECT_EQ(d.eALT->text() + d.eHREF->text(), "") << "a new area's fields start empty";
    draw(d, {100, 100}, {103, 104});
    EXPECT_EQ(d.ShapeOf(e.top())->geometry(), QRect(100, 100, 10, 10));
    EXPECT_FALSE(d.ShapeSolid(first));
    draw(d, {200, 200}, {200, 200});
    EXPECT_EQ(d.Map().Areas().size(), 2u) << "a click draws nothing";

    // The ghost shows while the button is held: its left edge is drawn, the inside is not.
    SendMouse(*d.Imagen, QEvent::MouseButtonPress, {120, 120});
    MoveMouse(*d.Imagen, {160, 200}, Qt::LeftButton);
    const QImage ghost = d.Imagen->grab().toImage();
    int edge = 0;
    for (int y = 125; y < 195; ++y)
        edge += ghost.pixelColor(120, y) != ghost.pixelColor(140, y);
    EXPECT_GT(edge, 20);
    SendMouse(*d.Imagen, QEvent::MouseButtonRelease, {160, 200});

    entry(d, "mCirculo")->trigger();
    EXPECT_FALSE(entry(d, "mRectangulo")->isChecked());
    draw(d, {0, 0}, {30, 50});
    EXPECT_EQ(areas(d).substr(0, 46), "<AREA SHAPE=\"CIRCLE\" COORDS=\"15,15,15\" NOHREF>");
}

TEST(FormMapas, AScrolledViewDrawsAndDragsInPictureCoordinates)
{
    TEditor e;
    TformMapas& d = e.dialog;
    ASSERT_TRUE(d.LoadImage(bitmap(e.w.folder, "ancha.bmp", 600, 300)));
    // The picture's size, as far as the screen has room for it, its frame, and the tool window and
    // its gap beside.
    const int room = d.screen()->availableGeometry().width() - 8 - d.ToolWindowKt1->frameGeometry().width() -
                     (d.frameGeometry().width() - d.width());
    EXPECT_EQ(d.size(), QSize(std::min(601, room), 301 + d.BarraEstado->sizeHint().height()));
    d.resize(300, 200);
    QApplication::processEvents();
    d.ScrollBox->horizontalScrollBar()->setValue(100);
    QWidget* view = d.ScrollBox->viewport();
    draw(d, d.Imagen->mapFrom(view, QPoint(20, 30)), d.Imagen->mapFrom(view, QPoint(60, 70)));
    EXPECT_EQ(areas(d), "<AREA SHAPE=\"RECT\" COORDS=\"120,30,160,70\" NOHREF>\r\n");
    drag(d, e.top(), {5, 5}, {-300, 15});
    EXPECT_EQ(areas(d), "<AREA SHAPE=\"RECT\" COORDS=\"0,40,40,80\" NOHREF>\r\n");
    EXPECT_EQ(d.ShapeOf(e.top())->geometry(), QRect(0, 40, 40, 40));
    drag(d, e.top(), {5, 5}, {900, 900});
    EXPECT_EQ(areas(d), "<AREA SHAPE=\"RECT\" COORDS=\"560,260,600,300\" NOHREF>\r\n");

    // A picture far wider than the screen gets half the screen's width.
    ASSERT_TRUE(d.LoadImage(bitmap(e.w.folder, "enorme.bmp", CurrentPlacementScreen().Width + 30, 100)));
    EXPECT_EQ(d.width(), CurrentPlacementScreen().Width / 2);
}

TEST(FormMapas, FieldsStackingAndHints)
{
    TEditor e;
    TformMapas& d = e.dialog;
    draw(d, {10, 10}, {40, 40});
    const int older = e.top();
    draw(d, {60, 60}, {90, 90});
    const int newer = e.top();
    Click(*d.ShapeOf(older));
    EXPECT_EQ(e.top(), older);
    EXPECT_TRUE(d.ShapeSolid(older) && !d.ShapeSolid(newer));
    d.eHREF->setText("a.htm");
    d.eALT->setText("Inicio");
    Click(*d.ShapeOf(newer));
    d.eALT->setText("a|b");
    d.eHREF->setText("c");
    Click(*d.ShapeOf(older));
    EXPECT_EQ(areas(d), "<AREA SHAPE=\"RECT\" COORDS=\"10,10,40,40\" HREF=\"a.htm\" ALT=\"Inicio\">\r\n"
                        "<AREA SHAPE=\"RECT\" COORDS=\"60,60,90,90\" HREF=\"c\" ALT=\"a|b\">\r\n");
    Click(*d.ShapeOf(newer));
    EXPECT_EQ(d.eALT->text(), "a|b");
    EXPECT_EQ(d.eHREF->text(), "c");
    // An area's short hint is its text, the status bar's its link; the main window's hint stays.
    QWidget& shape = *d.ShapeOf(older);
    EXPECT_EQ(shape.toolTip(), "Inicio");
    const QString mainHint = e.w.form.Panel(4)->text();
    QStatusTipEvent tip(shape.statusTip());
    QApplication::sendEvent(&shape, &tip);
    EXPECT_EQ(d.BarraEstado->currentMessage(), "a.htm");
    EXPECT_EQ(e.w.form.Panel(4)->text(), mainHint);
}

TEST(FormMapas, TypedTextsReadBackFromTheMapAsTyped)
{
    TEditor e;
    TformMapas& d = e.dialog;
    draw(d, {10, 10}, {40, 40});
    d.eALT->setText(QString::fromUtf8("Hoja XSL\u00BB \u00F1 & \"cita\" <b>"));
    d.eHREF->setText("l'un.htm?a=1&b=2");
    d.eName->setText("\"a\" y 'b'");
    Click(*d.ShapeOf(e.top()));
    const std::string map = d.BuildMap();
    // Read as an HTML reader does: the attributes of each tag, with "&quot;" a double quote.
    const auto attribute = [&](size_t line, const std::string& name) {
        size_t start = 0;
        for (size_t i = 0; i < line; ++i)
            start = map.find("\r\n", start) + 2;
        TStringList names, values;
        ParseTagAttributes(map.substr(start, map.find("\r\n", start) - start), names, values);
        const int index = names.IndexOf(name);
        if (index < 0)
            return std::string("(none)");
        const std::string raw = values[index];
        std::string value;
        for (size_t i = 0; i < raw.size();) {
            const bool quote = raw.compare(i, 6, "&quot;") == 0;
            value += quote ? '"' : raw[i];
            i += quote ? 6 : 1;
        }
        return value;
    };
    EXPECT_EQ(attribute(1, "ALT"), "Hoja XSL\xBB \xF1 & \"cita\" <b>") << map;
    EXPECT_EQ(attribute(1, "HREF"), "l'un.htm?a=1&b=2") << map;
    EXPECT_EQ(attribute(0, "NAME"), "\"a\" y 'b'") << map;
}

TEST(FormMapas, MenuKeysAndDeleting)
{
    TEditor e;
    TformMapas& d = e.dialog;
    entry(d, "mCirculo")->trigger();
    draw(d, {20, 20}, {50, 60});
    // The keys reach the menu while the dialog is active.
    QApplication::setActiveWindow(&d);
    QKeyEvent grow(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(d.ScrollBox, &grow);
    EXPECT_EQ(d.ShapeOf(e.top())->size(), QSize(31, 31));
    entry(d, "mMoverArriba")->trigger();
    EXPECT_EQ(d.Map().Selected()->Top, 19);

    const int circle = e.top();
    TBoxAnswers boxes({IDNO, IDCANCEL, IDYES});
    for (int i = 0; i < 3; ++i)
        entry(d, "mBorrar")->trigger();
    ASSERT_EQ(boxes.texts.size(), 3u);
    EXPECT_EQ(boxes.texts[0], "\xBF""Est\xE1"" seguro de querer borrar la selecci\xF3""n actual?");
    EXPECT_EQ(boxes.flags[0] & 0xF, MB_YESNOCANCEL);
    EXPECT_TRUE(d.Map().Areas().empty()) << "gone only after Yes";
    EXPECT_EQ(d.ShapeOf(circle), nullptr);
    entry(d, "mAumentarAnchura")->trigger();
    entry(d, "mBorrar")->trigger();
    EXPECT_EQ(boxes.texts.size(), 3u) << "nothing selected: the keys do nothing";
}

TEST(FormMapas, LoadingPictures)
{
    TEditor e;
    TformMapas& d = e.dialog;
    EXPECT_FALSE(d.LoadImage((e.w.folder.path / "falta.bmp").string()));
    EXPECT_EQ(d.eImagen->text(), "");
    TDialogAnswers files;
    const std::string wide = bitmap(e.w.folder, "Foto.BMP", 320, 200);
    files.answers.push_back({wide});
    Click(*d.sbAbrir);
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].Filter, "Todos (*.jpg;*.gif;*.bmp)|*.jpg;*.gif;*.bmp|Imagen GIF de CompuServe "
                                        "(*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp|Formato JPEG (*.jpg)|*.jpg");
    EXPECT_EQ(files.requests[0].Options, unsigned{ofHideReadOnly | ofFileMustExist});
    EXPECT_EQ(d.Picture().size(), QSize(320, 200));
    EXPECT_EQ(d.Imagen->size(), QSize(320, 200));
    EXPECT_EQ(d.eImagen->text().toStdString(), wide);

    entry(d, "mCirculo")->trigger();
    draw(d, {10, 10}, {50, 50});
    TBoxAnswers boxes;
    EXPECT_FALSE(d.LoadImage(e.w.folder.file("roto.gif", "GIF89a\x10\x00\x10\x00\x80\x00\x00garbage")));
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(d.Map().Areas().size(), 1u);
    EXPECT_EQ(d.Picture().size(), QSize(320, 200));
    EXPECT_EQ(d.eImagen->text().toStdString(), wide);

    const std::string jpeg = bitmap(e.w.folder, "otra.jpeg", 40, 40);
    EXPECT_TRUE(d.LoadImage(jpeg));
    EXPECT_EQ(d.Picture().size(), QSize(320, 200)) << "not shown";
    EXPECT_TRUE(d.Map().Areas().empty());
    EXPECT_EQ(d.eImagen->text().toStdString(), jpeg);
    EXPECT_TRUE(entry(d, "mRectangulo")->isChecked());
    EXPECT_EQ(boxes.texts.size(), 1u);

    // The preview shows the map as information.
    std::string caption;
    unsigned flags = 0;
    THookWhile<TMessageBoxHook, &SetMessageBoxHook> preview([&](const std::string&, const std::string& c, unsigned f) {
        caption = c;
        flags = f;
        return IDOK;
    });
    Click(*d.sbPreview);
    EXPECT_EQ(caption, "Previsualizaci\xF3""n de c\xF3""digo");
    EXPECT_EQ(flags, MB_OK | MB_ICONINFORMATION);
}

TEST(FormMapas, TheHerramientasItemPutsTheMapInPlaceOfTheSelection)
{
    TWindow w;
    w.form.AbreArchivo("", false, ekHTML);
    type(w.memo, "antes XYZ despues");
    const std::string original = w.memo.GetTextStr();
    QAction* item = nullptr;
    for (QAction* action : w.form.menuBar()->findChild<QMenu*>("mHerramientas")->actions())
        if (action->objectName() == "sbMapas")
            item = action;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Abrir el editor de mapas");
    int runs = 0;
    {
        TMapasAnswer cancel([&](TformMapas& d) {
            ++runs;
            EXPECT_EQ(d.parentWidget(), &w.form);
            d.show();
            draw(d, {5, 5}, {40, 40});
            Click(*d.bCancela);
        });
        item->trigger();
    }
    EXPECT_EQ(w.memo.GetTextStr(), original);
    w.memo.SetSelStart(6);
    w.memo.SetSelLength(3);
    {
        TMapasAnswer accept([&](TformMapas& d) {
            ++runs;
            d.show();
            draw(d, {5, 5}, {40, 40});
            d.eName->setText("mapa");
            d.eHREF->setText("a.htm");
            Click(*d.bAcepta);
        });
        // A flat toolbar button bound to the command runs it as the item does.
        TToolbarButtonKt button(&w.form);
        w.form.Commands().Bind(&button, "sbMapas");
        Click(button);
    }
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(w.memo.GetTextStr(), "antes <MAP NAME=\"mapa\">\r\n<AREA SHAPE=\"RECT\" COORDS=\"5,5,40,40\" "
                                   "HREF=\"a.htm\">\r\n</MAP>\r\n despues");
    w.memo.Undo();
    EXPECT_EQ(w.memo.GetTextStr(), original);
}
