// TformMapas: the areas live in TImageMap, in picture coordinates; the shapes on the picture only
// mirror them (by their ids) and hand their mouse events back. The picture is the scrolled widget
// itself, so what the pointer touches is a picture point whatever the scroll position.
#include "app/dialogs/uFormMapas.h"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "app/host/WindowHost.h"
#include "app/model/TagTable.h"
#include "components/AppUtils.h"
#include "components/JpegImage.h"
#include "platform/Buttons.h"
#include "platform/Controls.h"
#include "platform/DialogHook.h"
#include "platform/FileDialogs.h"
#include "platform/FormSpec.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarTlwn.h"

namespace {

constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kOpenPicture = 5607;
constexpr int kCaption = 5850;
constexpr int kToolCaption = 5851;
constexpr int kImagen = 5852;
constexpr int kMapName = 5853;
constexpr int kHref = 5854;
constexpr int kAlt = 5855;
constexpr int kMenuEntries = 5856; // one caption a line, in the order of kMenu
constexpr int kDeleteQuestion = 5857;
constexpr int kPreviewCaption = 5858;
constexpr int kPictureFilter = 5859;

// The tool window's client area and where it was designed, in the dialog's client coordinates.
constexpr int kToolClientWidth = 208;
constexpr int kToolClientHeight = 205;
constexpr TPoint kToolDesignedAt{183, 10};

enum TKind : int { kLabel, kEdit, kSpeed, kButton };

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

constexpr TControlSpec kToolControls[] = {
    row("lblImagen", kLabel, 8, 6, 190, 16, kImagen),
    row("eImagen", kEdit, 8, 22, 168, 21),
    row("sbAbrir", kSpeed, 180, 21, 23, 23),
    row("lblName", kLabel, 8, 48, 190, 16, kMapName),
    row("eName", kEdit, 8, 64, 195, 21),
    row("lblHREF", kLabel, 8, 90, 190, 16, kHref),
    row("eHREF", kEdit, 8, 106, 195, 21),
    row("lblALT", kLabel, 8, 132, 190, 16, kAlt),
    row("eALT", kEdit, 8, 148, 195, 21),
    row("sbPreview", kSpeed, 8, 177, 23, 23),
    row("bAcepta", kButton, 46, 176, 75, 25, kAceptar),
    row("bCancela", kButton, 128, 176, 75, 25, kCancelar),
};

// The pop-up menu: the two tools pick what is drawn, the rest act on the selected area.
struct TMenuEntry {
    const char* Name;
    int Tag;
    const char* Keys;
    bool Tool;
    bool SeparatorBefore;
};
constexpr TMenuEntry kMenu[] = {
    {"mRectangulo", akRectangle, "", true, false},
    {"mCirculo", akCircle, "", true, false},
    {"mBorrar", 9, "Del", false, true},
    {"mReducirAnchura", acNarrower, "Shift+Left", false, true},
    {"mReducirAltura", acLower, "Shift+Up", false, false},
    {"mAumentarAnchura", acWider, "Shift+Right", false, false},
    {"mAumentarAltura", acTaller, "Shift+Down", false, false},
    {"mMoverIzquierda", acMoveLeft, "Ctrl+Left", false, true},
    {"mMoverArriba", acMoveUp, "Ctrl+Up", false, false},
    {"mMoverDerecha", acMoveRight, "Ctrl+Right", false, false},
    {"mMoverAbajo", acMoveDown, "Ctrl+Down", false, false},
};
constexpr int kDeleteTag = 9;

std::string textOf(const QLineEdit* edit)
{
    return ToEditorText(edit->text());
}

TPoint pointOf(const QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

// ---------------------------------------------------------------- the picture and the shapes

// The picture control: the picture at its own size (a blank square before one), the ghost of the area
// being drawn, and the mouse handed to the dialog.
class TMapImage : public QWidget {
public:
    TMapImage(QWidget* parent, TformMapas& form) : QWidget(parent), FForm(form)
    {
        setObjectName("Imagen");
        setCursor(Qt::CrossCursor);
        resize(TformMapas::kEmptyPictureSide, TformMapas::kEmptyPictureSide);
    }
    // Sizes itself to the picture.
    void SetPicture(const QImage& picture)
    {
        FPicture = picture;
        resize(picture.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (!FPicture.isNull())
            painter.drawImage(0, 0, FPicture);
        FForm.DrawGhost(painter);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        CallHandler(&FForm, [&] { FForm.ImageMouseDown(e->button(), pointOf(e)); });
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        CallHandler(&FForm, [&] { FForm.ImageMouseMove(e->buttons(), pointOf(e)); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        CallHandler(&FForm, [&] { FForm.ImageMouseUp(e->button(), pointOf(e)); });
    }

private:
    TformMapas& FForm;
    QImage FPicture;
};

// An area's outline on the picture: a red rectangle or circle, dotted while not selected.
class TMapShape : public QWidget {
public:
    TMapShape(QWidget* parent, TformMapas& form, int id) : QWidget(parent), Id(id), FForm(form)
    {
        setCursor(Qt::PointingHandCursor);
        setProperty("Tag", 1);
    }

    const int Id;

    void Mirror(const TMapArea& area, bool selected)
    {
        setGeometry(area.Left, area.Top, area.Width, area.Height);
        FKind = area.Kind;
        FSolid = selected;
        // The short hint is the alternative text, the long one (the status bar's) the link.
        setToolTip(FromEditorText(area.Alt));
        setStatusTip(FromEditorText(area.Link));
        update();
    }
    bool Solid() const { return FSolid; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(ToQColor(clRed), 1, FSolid ? Qt::SolidLine : Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        const QRect outline(0, 0, width() - 1, height() - 1);
        if (FKind == akCircle)
            painter.drawEllipse(outline);
        else
            painter.drawRect(outline);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        CallHandler(&FForm, [&] { FForm.ShapeMouseDown(this, e->button(), pointOf(e)); });
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        CallHandler(&FForm, [&] { FForm.ShapeMouseMove(this, pointOf(e)); });
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        CallHandler(&FForm, [&] { FForm.ShapeMouseUp(this); });
    }

private:
    TformMapas& FForm;
    TAreaKind FKind = akRectangle;
    bool FSolid = false;
};

// ---------------------------------------------------------------- life cycle

TMapasDialogHook SetMapasDialogHook(TMapasDialogHook hook_)
{
    return TDialogHook<TformMapas>::Set(std::move(hook_));
}

TformMapas::TformMapas(TWindowHost& host) : QDialog(host.HostWindow())
{
    setObjectName("formMapas");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    resize(kDesignWidth, kDesignHeight);
    buildControls();
    buildToolWindow();
    buildPopupMenu();
    FormCreate();
}

TformMapas::~TformMapas() = default;

void TformMapas::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName("ScrollBox");
    // No frame: a client one pixel larger than the picture shows all of it without scroll bars.
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Imagen = new TMapImage(ScrollBox, *this);
    ScrollBox->setWidget(Imagen);
    layout->addWidget(ScrollBox, 1);
    BarraEstado = new QStatusBar(this);
    BarraEstado->setObjectName("BarraEstado");
    layout->addWidget(BarraEstado);
}

void TformMapas::buildToolWindow()
{
    ToolWindowKt1 = new TToolWindowKt(this);
    ToolWindowKt1->setObjectName("ToolWindowKt1");
    ToolWindowKt1->SetCaption(LoadResString(kToolCaption));
    ToolWindowKt1->SetCloseButton(false);
    ToolWindowKt1->SetResizable(false);
    ToolWindowKt1->SetDockableTo({});
    ToolWindowKt1->SetClientAreaWidth(kToolClientWidth);
    ToolWindowKt1->SetClientAreaHeight(kToolClientHeight);
    ToolWindowKt1->SetFloatingPosition(kToolDesignedAt);
    // Its hints show in the dialog's status bar, and Enter in it is the default button's.
    ToolWindowKt1->installEventFilter(this);

    auto* client = new QWidget(ToolWindowKt1);
    auto* layout = new QVBoxLayout(ToolWindowKt1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    BuildControls(client, kToolControls, TFormRow{}, [](const TControlSpec& spec, QWidget* parent, int&) -> QWidget* {
        const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
        switch (spec.Kind) {
        case kLabel: return new QLabel(caption, parent);
        case kEdit: return new QLineEdit(parent);
        case kSpeed: return new TSpeedButton(parent);
        case kButton: return new QPushButton(caption, parent);
        default: throw std::logic_error(std::string("image map dialog control of no kind: ") + spec.Name);
        }
    });
    eImagen = FormControl<QLineEdit>(client, "eImagen");
    sbAbrir = FormControl<TSpeedButton>(client, "sbAbrir");
    eName = FormControl<QLineEdit>(client, "eName");
    eHREF = FormControl<QLineEdit>(client, "eHREF");
    eALT = FormControl<QLineEdit>(client, "eALT");
    sbPreview = FormControl<TSpeedButton>(client, "sbPreview");
    bAcepta = FormControl<QPushButton>(client, "bAcepta");
    bCancela = FormControl<QPushButton>(client, "bCancela");

    const QStyle* look = style();
    const std::pair<TSpeedButton*, QStyle::StandardPixmap> glyphs[] = {
        {sbAbrir, QStyle::SP_DialogOpenButton}, {sbPreview, QStyle::SP_FileDialogContentsView}};
    for (const auto& [button, picture] : glyphs) {
        button->SetNumGlyphs(1);
        button->SetGlyph(look->standardIcon(picture).pixmap(16, 16));
    }
    for (const auto& [button, hint] : {std::pair{sbAbrir, kOpenPicture}, std::pair{sbPreview, kPreviewCaption}}) {
        button->setToolTip(LoadResQString(hint));
        button->setStatusTip(LoadResQString(hint));
    }
    bAcepta->setDefault(true);
    bCancela->setAutoDefault(false);

    connect(sbAbrir, &QToolButton::clicked, this, [this] { CallHandler(this, [this] { sbAbrirClick(); }); });
    connect(sbPreview, &QToolButton::clicked, this, [this] { CallHandler(this, [this] { sbPreviewClick(); }); });
    connect(bAcepta, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bAceptaClick(); }); });
    connect(bCancela, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bCancelaClick(); }); });
}

void TformMapas::buildPopupMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu");
    FTools = new QActionGroup(this);
    FTools->setExclusive(true);
    const TStringList captions = LinesOf(LoadResString(kMenuEntries));
    for (int i = 0; i < static_cast<int>(std::size(kMenu)); ++i) {
        const TMenuEntry& entry = kMenu[i];
        if (entry.SeparatorBefore)
            PopupMenu->addSeparator();
        QAction* action = PopupMenu->addAction(i < captions.Count() ? FromEditorText(captions[i]) : QString());
        action->setObjectName(entry.Name);
        action->setProperty("Tag", entry.Tag);
        if (entry.Tool) {
            action->setCheckable(true);
            action->setChecked(entry.Tag == akRectangle);
            FTools->addAction(action);
            connect(action, &QAction::triggered, this,
                    [this, action] { CallHandler(this, [this, action] { PopupMenuClick(action); }); });
        } else {
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.Keys))); // Not editor text: a shortcut's key names
            connect(action, &QAction::triggered, this,
                    [this, action] { CallHandler(this, [this, action] { KeyClick(action); }); });
        }
        // The keys act whenever the dialog is the active window.
        addAction(action);
    }
}

void TformMapas::FormCreate()
{
    resetTool();
    sizeToPicture();
}

void TformMapas::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (FPlaced)
        return;
    FPlaced = true;
    // Centred on the screen at the size the picture gave it, the tool window beside it.
    CenterOnScreen(this);
    placeToolWindow();
}

void TformMapas::placeToolWindow()
{
    // Beside the dialog, where it covers nothing of the picture the user draws on, and both whole on
    // the screen: right of the dialog when the screen has room there, else left of it; else the dialog
    // moves left as far as it must, and on a screen too narrow for both it narrows (its picture
    // scrolls). A dialog left partly off the screen would not stay so: a window manager brings it
    // back, over a tool window placed beside where it had been.
    constexpr int kGap = 8;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen || !ToolWindowKt1->Floating())
        return;
    const QRect work = screen->availableGeometry();
    const QSize tool = ToolWindowKt1->frameGeometry().size();
    QRect dialog = frameGeometry();
    const QSize frame = dialog.size() - size();
    const QSize largest(std::max(work.width() - kGap - tool.width(), minimumSizeHint().width() + frame.width()),
                        work.height());
    if (dialog.width() > largest.width() || dialog.height() > largest.height()) {
        dialog.setSize(dialog.size().boundedTo(largest));
        resize(dialog.size() - frame);
    }
    dialog.moveLeft(std::clamp(dialog.left(), work.left(), std::max(work.left(), work.right() + 1 - dialog.width())));
    dialog.moveTop(std::clamp(dialog.top(), work.top(), std::max(work.top(), work.bottom() + 1 - dialog.height())));
    int x = dialog.right() + 1 + kGap;
    if (x + tool.width() > work.right() + 1) {
        if (dialog.left() - kGap - tool.width() >= work.left()) {
            x = dialog.left() - kGap - tool.width();
        } else {
            dialog.moveLeft(std::max(work.left(), work.right() + 1 - tool.width() - kGap - dialog.width()));
            x = dialog.right() + 1 + kGap;
        }
    }
    if (dialog.topLeft() != frameGeometry().topLeft())
        move(dialog.topLeft());
    const int y = std::clamp(dialog.top(), work.top(), std::max(work.top(), work.bottom() + 1 - tool.height()));
    ToolWindowKt1->SetFloatingPosition(TPoint{x, y});
    ToolWindowKt1->MoveOnScreen(false);
    FToolPlacedAt = ToolWindowKt1->pos();
}

std::string TformMapas::Execute(const std::string& picturePath)
{
    FAccepted = false;
    LoadImage(picturePath);
    TDialogHook<TformMapas>::Run(*this, DialogHook::TShow::No, [this] { exec(); });
    if (!FAccepted)
        return {};
    StoreShapeFields();
    return BuildMap();
}

// ---------------------------------------------------------------- hints

bool TformMapas::event(QEvent* event)
{
    // The hint of whatever lies under the pointer; an area's is its link.
    if (event->type() == QEvent::StatusTip) {
        showHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

bool TformMapas::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ToolWindowKt1) {
        if (event->type() == QEvent::StatusTip) {
            showHint(static_cast<QStatusTipEvent*>(event)->tip());
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && bAcepta->isEnabled()) {
                bAcepta->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TformMapas::showHint(const QString& hint)
{
    BarraEstado->showMessage(hint);
}

void TformMapas::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu->popup(event->globalPos());
}

// ---------------------------------------------------------------- the picture

bool TformMapas::LoadImage(const std::string& FileName)
{
    if (FileName.empty() || !FileExists(FileName))
        return false;
    const std::string extension = AsciiLowerCase(ExtractFileExt(FileName));
    // ".jpeg" is read by the loader too, but only the extensions the dialog offers are shown.
    if (extension == ".jpg" || extension == ".gif" || extension == ".bmp") {
        QImage picture;
        try {
            picture = LoadPicture(FileName);
        } catch (const Exception&) {
            // A damaged file: said once, and the picture and its areas stay.
            ShowException(this);
            return false;
        }
        FPicture = picture;
        static_cast<TMapImage*>(Imagen)->SetPicture(FPicture);
    }
    eImagen->setText(FromFilePath(FileName));
    FMap.Clear();
    syncShapes();
    sizeToPicture();
    // The dialog took the picture's size: the tool window goes beside it again, unless the user put it
    // somewhere else.
    if (FPlaced && ToolWindowKt1->pos() == FToolPlacedAt)
        placeToolWindow();
    resetTool();
    return true;
}

void TformMapas::sizeToPicture()
{
    FMap.SetPictureSize(Imagen->width(), Imagen->height());
    const int statusHeight = BarraEstado->sizeHint().height();
    // Never so narrow that the window manager cuts the caption.
    resize(std::max(Imagen->width() + 1, CaptionWidth(*this)), Imagen->height() + statusHeight + 1);
    // A picture far wider or higher than the screen gets a window of half the screen that way.
    const TPlacementScreen screen = CurrentPlacementScreen();
    if (screen.Width + 30 <= Imagen->width())
        resize(screen.Width / 2, height());
    if (screen.Height + 30 <= Imagen->height())
        resize(width(), screen.Height / 2);
}

void TformMapas::resetTool()
{
    FMap.SetTool(akRectangle);
    for (QAction* tool : FTools->actions())
        tool->setChecked(tool->property("Tag").toInt() == akRectangle);
    FMap.Select(0);
    syncShapes();
}

// ---------------------------------------------------------------- drawing

void TformMapas::ImageMouseDown(Qt::MouseButton Button, TPoint p)
{
    if (Button == Qt::LeftButton)
        FMap.StartDraw(p);
}

void TformMapas::ImageMouseMove(Qt::MouseButtons Buttons, TPoint p)
{
    if (!(Buttons & Qt::LeftButton) || !FMap.Drawing())
        return;
    FMap.TrackDraw(p);
    Imagen->update();
}

void TformMapas::DrawGhost(QPainter& painter) const
{
    if (!FMap.Drawing())
        return;
    const TPoint a = FMap.DrawStart();
    const TPoint b = FMap.DrawCurrent();
    painter.save();
    // Inverted and dotted, so it shows on any picture.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    const QRect box = QRect(QPoint(a.X, a.Y), QPoint(b.X, b.Y)).normalized();
    if (FMap.Tool() == akCircle)
        painter.drawEllipse(box);
    else
        painter.drawRect(box);
    painter.restore();
}

void TformMapas::ImageMouseUp(Qt::MouseButton Button, TPoint p)
{
    StoreShapeFields();
    if (Button != Qt::LeftButton || !FMap.Drawing())
        return;
    const TMapArea* made = FMap.EndDraw(p);
    Imagen->update();
    if (!made)
        return;
    ClearShapeFields();
    syncShapes();
}

// ---------------------------------------------------------------- selecting and dragging

TMapArea* TformMapas::areaOf(QObject* sender)
{
    const auto* shape = dynamic_cast<TMapShape*>(sender);
    return shape ? FMap.Find(shape->Id) : nullptr;
}

void TformMapas::ShapeMouseDown(QObject* Sender, Qt::MouseButton, TPoint p)
{
    const TMapArea* area = areaOf(Sender);
    if (!area)
        return;
    StoreShapeFields();
    const int id = area->Id;
    FMap.Select(id);
    ShowShapeFields();
    FMap.StartDrag(id, p);
    syncShapes();
}

void TformMapas::ShapeMouseMove(QObject* Sender, TPoint p)
{
    const TMapArea* area = areaOf(Sender);
    if (!area || !FMap.Dragging())
        return;
    FMap.TrackDrag(TPoint{area->Left + p.X, area->Top + p.Y});
    syncShapes();
}

void TformMapas::ShapeMouseUp(QObject*)
{
    FMap.EndDrag();
}

void TformMapas::syncShapes()
{
    const TMapArea* selected = FMap.Selected();
    std::map<int, QPointer<TMapShape>> live;
    // From the bottom up, each raised above those before it.
    const auto& areas = FMap.Areas();
    for (auto it = areas.rbegin(); it != areas.rend(); ++it) {
        QPointer<TMapShape> shape = FShapes.contains(it->Id) ? FShapes[it->Id] : nullptr;
        if (!shape)
            shape = new TMapShape(Imagen, *this, it->Id);
        shape->Mirror(*it, selected && selected->Id == it->Id);
        shape->show();
        shape->raise();
        live[it->Id] = shape;
    }
    for (auto& [id, shape] : FShapes)
        if (!live.contains(id))
            delete shape.data();
    FShapes = std::move(live);
}

QWidget* TformMapas::ShapeOf(int id) const
{
    const auto found = FShapes.find(id);
    return found == FShapes.end() ? nullptr : found->second.data();
}

bool TformMapas::ShapeSolid(int id) const
{
    const auto* shape = static_cast<const TMapShape*>(ShapeOf(id));
    return shape && shape->Solid();
}

// ---------------------------------------------------------------- fields

void TformMapas::StoreShapeFields()
{
    if (TMapArea* area = FMap.Selected()) {
        area->Alt = textOf(eALT);
        area->Link = textOf(eHREF);
        syncShapes();
    }
}

void TformMapas::ShowShapeFields()
{
    if (const TMapArea* area = FMap.Selected()) {
        eALT->setText(FromEditorText(area->Alt));
        eHREF->setText(FromEditorText(area->Link));
    }
}

void TformMapas::ClearShapeFields()
{
    eALT->clear();
    eHREF->clear();
}

// ---------------------------------------------------------------- menu

void TformMapas::PopupMenuClick(QAction* Sender)
{
    Sender->setChecked(true);
    FMap.SetTool(static_cast<TAreaKind>(Sender->property("Tag").toInt()));
}

void TformMapas::KeyClick(QAction* Sender)
{
    if (!FMap.Selected())
        return;
    const int tag = Sender->property("Tag").toInt();
    if (tag == kDeleteTag) {
        if (MessageBox(this, LoadResString(kDeleteQuestion), "", MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES)
            FMap.DeleteSelected();
    } else if (tag >= acNarrower && tag <= acMoveDown) {
        FMap.Apply(static_cast<TAreaCommand>(tag));
    }
    syncShapes();
}

// ---------------------------------------------------------------- output and buttons

std::string TformMapas::BuildMap() const
{
    return FMap.BuildMap(textOf(eName));
}

void TformMapas::sbPreviewClick()
{
    StoreShapeFields();
    MessageBox(nullptr, BuildMap(), LoadResString(kPreviewCaption), MB_OK | MB_ICONINFORMATION);
}

void TformMapas::sbAbrirClick()
{
    TFileDialogRequest request;
    request.Filter = LoadResString(kPictureFilter);
    request.Options = ofHideReadOnly | ofFileMustExist;
    request.Picture = true;
    if (ExecuteFileDialog(this, request))
        LoadImage(request.FileName);
}

void TformMapas::bAceptaClick()
{
    FAccepted = true;
    accept();
}

void TformMapas::bCancelaClick()
{
    reject();
}
