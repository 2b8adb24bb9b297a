// TformMarcos: the design lives in TFramesetDesign; the panels on the surface only mirror its nodes
// (by their ids) and hand their clicks back. The red labels and check boxes are the switches of the
// optional attributes.
#include "app/dialogs/UFormMarcos.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <set>
#include <span>
#include <stdexcept>
#include <utility>

#include "app/host/WindowHost.h"
#include "app/widgets/SharedWidgets.h"
#include "components/EditBtns.h"
#include "editor/CodeMemo.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/ClipboardFormats.h"
#include "platform/DialogHook.h"
#include "platform/FormSpec.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"

namespace {

constexpr int kProductName = 4505;
constexpr int kCaption = 5701;
constexpr int kColumns = 5721;
constexpr int kRows = 5722;
constexpr int kLeaveQuestion = 5723;
constexpr int kSrcFilter = 5724;
constexpr int kSrcTitle = 5725;
constexpr int kSplitColumnsHint = 5726;
constexpr int kSplitRowsHint = 5727;
constexpr int kMergeHint = 5728;
constexpr int kSwitchHint = 5729;

// The caption and the borders of the window: what its height holds beyond the client area.
constexpr int kNonClientHeight = TformMarcos::kFullHeight - 330;
constexpr int kSurfaceWidth = 210;
constexpr int kSurfaceHeight = 160;
// The up-downs of the toolkit stop at 100 unless told otherwise.
constexpr int kUpDownMax = 100;

enum TKind : int { kSurface, kButton, kEdit, kSpin, kGroup, kLabel, kCheck, kFileEdit };

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0, int parent = -1,
                           int tag = 0)
{
    return {.Name = name, .Kind = kind, .Tag = tag, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption,
            .Parent = parent};
}

// Rows of the attribute groups name their group by its row.
constexpr int kFramesetGroup = 13;
constexpr int kFrameGroup = 23;

constexpr TControlSpec kControls[] = {
    row("GrandPanel", kSurface, 8, 8, kSurfaceWidth, kSurfaceHeight),
    row("btnVertical", kButton, 232, 8, 80, 25, 5702),
    row("eVertical", kEdit, 320, 10, 30, 21),
    row("udVertical", kSpin, 350, 10, 15, 21),
    row("btnHorizontal", kButton, 232, 40, 80, 25, 5703),
    row("eHorizontal", kEdit, 320, 42, 30, 21),
    row("udHorizontal", kSpin, 350, 42, 15, 21),
    row("btnBorrar", kButton, 232, 72, 80, 25, 5704),
    row("btnVer", kButton, 384, 8, 88, 25, 5705, -1, 0),
    row("btnInserta", kButton, 384, 40, 88, 25, 5706, -1, 1),
    row("btnPapel", kButton, 384, 72, 88, 25, 5707, -1, 2),
    row("btnNuevo", kButton, 384, 104, 88, 25, 5708, -1, 3),
    row("btnSalir", kButton, 384, 143, 88, 25, 5709),
    row("gbFrameset", kGroup, 8, 176, 170, 146, 5710),
    row("lblColsRows", kLabel, 8, 22, 62, 16, kColumns, kFramesetGroup),
    row("eColsRows", kEdit, 76, 18, 84, 21, 0, kFramesetGroup),
    row("chParentFrameBorder", kCheck, 8, 46, 150, 17, 5711, kFramesetGroup),
    row("lblBorder", kLabel, 8, 74, 100, 16, 5712, kFramesetGroup),
    row("eBorder", kEdit, 114, 70, 30, 21, 0, kFramesetGroup),
    row("UpDown1", kSpin, 144, 70, 15, 21, 0, kFramesetGroup),
    row("lblParentFrameSpacing", kLabel, 8, 100, 100, 16, 5713, kFramesetGroup),
    row("eParentFrameSpacing", kEdit, 114, 96, 30, 21, 0, kFramesetGroup),
    row("UpDown2", kSpin, 144, 96, 15, 21, 0, kFramesetGroup),
    row("gbFrame", kGroup, 186, 176, 286, 146, 5714),
    row("lblName", kLabel, 8, 20, 50, 16, 5715, kFrameGroup),
    row("eName", kEdit, 64, 16, 214, 21, 0, kFrameGroup),
    row("lblSrc", kLabel, 8, 44, 50, 16, 5716, kFrameGroup),
    row("eSrc", kFileEdit, 64, 40, 214, 21, 0, kFrameGroup),
    // Check boxes on the left, the numbers on the right with their labels against them: the longest
    // label shares its row with the shortest check box.
    row("chFrameBorder", kCheck, 8, 66, 120, 17, 5711, kFrameGroup),
    row("chScrolling", kCheck, 8, 88, 68, 17, 5720, kFrameGroup),
    row("chNoResize", kCheck, 8, 110, 132, 17, 5719, kFrameGroup),
    row("lblMarginHeight", kLabel, 134, 67, 100, 16, 5717, kFrameGroup),
    row("eMarginHeight", kEdit, 240, 64, 24, 21, 0, kFrameGroup),
    row("UpDown4", kSpin, 264, 64, 15, 21, 0, kFrameGroup),
    row("lblMarginWidth", kLabel, 118, 89, 116, 16, 5718, kFrameGroup),
    row("eMarginWidth", kEdit, 240, 86, 24, 21, 0, kFrameGroup),
    row("UpDown5", kSpin, 264, 86, 15, 21, 0, kFrameGroup),
    row("lblFrameSpacing", kLabel, 146, 111, 88, 16, 5713, kFrameGroup),
    row("eFrameSpacing", kEdit, 240, 108, 24, 21, 0, kFrameGroup),
    row("UpDown6", kSpin, 264, 108, 15, 21, 0, kFrameGroup),
};
static_assert(std::string_view(kControls[kFramesetGroup].Name) == "gbFrameset");
static_assert(std::string_view(kControls[kFrameGroup].Name) == "gbFrame");

QColor sysColor(uint32_t color)
{
    return ToQColor(static_cast<TColor>(color));
}

std::string textOf(const QLineEdit* edit)
{
    return ToEditorText(edit->text());
}

void setText(QLineEdit* edit, const std::string& text)
{
    edit->setText(FromEditorText(text));
}

bool isRed(const QWidget* control)
{
    return control->palette().color(control->foregroundRole()) == sysColor(clRed);
}

void setTextColor(QWidget* control, uint32_t color)
{
    QPalette colours = control->palette();
    colours.setColor(control->foregroundRole(), sysColor(color));
    control->setPalette(colours);
}

} // namespace

// A panel of the design surface: a node's colour, bevels and caption. A left click on it is handed on.
class TFramePanel : public QWidget {
public:
    TFramePanel(QWidget* parent, int nodeId, std::function<void(TFramePanel*)> onClick)
        : QWidget(parent), NodeId(nodeId), FOnClick(std::move(onClick))
    {
    }

    // 0 for the surface itself.
    const int NodeId;

    void Mirror(const TFrameNode& node)
    {
        setGeometry(node.Left, node.Top, node.Width, node.Height);
        FColor = node.Color;
        FBevels = node.Bevels;
        FCaption = FromEditorText(node.Caption);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(FColor));
        if (FBevels) {
            const int right = width() - 1;
            const int bottom = height() - 1;
            // The outer bevel is lowered, the inner one raised.
            drawBevel(painter, 0, 0, right, bottom, sysColor(clBtnShadow), sysColor(clBtnHighlight));
            drawBevel(painter, 1, 1, right - 1, bottom - 1, sysColor(clBtnHighlight), sysColor(clBtnShadow));
        }
        if (!FCaption.isEmpty()) {
            painter.setPen(sysColor(clWindowText));
            painter.drawText(rect(), Qt::AlignCenter, FCaption);
        }
    }
    void mousePressEvent(QMouseEvent* event) override { FPressed = event->button() == Qt::LeftButton; }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        FPressed = false;
        if (click && FOnClick)
            FOnClick(this);
    }

private:
    static void drawBevel(QPainter& painter, int left, int top, int right, int bottom, const QColor& topLeft,
                          const QColor& bottomRight)
    {
        painter.setPen(topLeft);
        painter.drawLine(left, top, right, top);
        painter.drawLine(left, top, left, bottom);
        painter.setPen(bottomRight);
        painter.drawLine(right, top, right, bottom);
        painter.drawLine(left, bottom, right, bottom);
    }

    std::function<void(TFramePanel*)> FOnClick;
    TColor FColor = clBtnFace;
    bool FBevels = false;
    QString FCaption;
    bool FPressed = false;
};

TFramesDialogHook SetFramesDialogHook(TFramesDialogHook hook_)
{
    return TDialogHook<TformMarcos>::Set(std::move(hook_));
}

TformMarcos::TformMarcos(TWindowHost& host, TToolbarButtonKt* framesButton)
    : QDialog(host.HostWindow()), FHost(host), FFramesButton(framesButton)
{
    setObjectName("formMarcos");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    buildControls();
    FormCreate();
}

TformMarcos::~TformMarcos()
{
    FormDestroy();
}

void TformMarcos::buildControls()
{
    const auto make = [this](const TControlSpec& spec, QWidget* parent, int&) -> QWidget* {
        const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
        switch (spec.Kind) {
        case kSurface:
            return new TFramePanel(parent, 0, [this](TFramePanel* sender) { GrandPanelClick(sender); });
        case kButton: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            return button;
        }
        case kEdit: return new QLineEdit(parent);
        case kSpin: return new TSpinButton(parent);
        case kGroup: return new QGroupBox(caption, parent);
        case kLabel: return new QLabel(caption, parent);
        case kCheck: return new QCheckBox(caption, parent);
        case kFileEdit: return new TFilenameEdit(parent);
        default: throw std::logic_error(std::string("frames dialog control of no kind: ") + spec.Name);
        }
    };
    BuildControls(this, kControls, TFormRow{}, make);
    GrandPanel = FormControl<QWidget>(this, "GrandPanel");
    btnVertical = FormControl<QPushButton>(this, "btnVertical");
    eVertical = FormControl<QLineEdit>(this, "eVertical");
    udVertical = FormControl<TSpinButton>(this, "udVertical");
    btnHorizontal = FormControl<QPushButton>(this, "btnHorizontal");
    eHorizontal = FormControl<QLineEdit>(this, "eHorizontal");
    udHorizontal = FormControl<TSpinButton>(this, "udHorizontal");
    btnBorrar = FormControl<QPushButton>(this, "btnBorrar");
    btnVer = FormControl<QPushButton>(this, "btnVer");
    btnInserta = FormControl<QPushButton>(this, "btnInserta");
    btnPapel = FormControl<QPushButton>(this, "btnPapel");
    btnNuevo = FormControl<QPushButton>(this, "btnNuevo");
    btnSalir = FormControl<QPushButton>(this, "btnSalir");
    gbFrameset = FormControl<QGroupBox>(this, "gbFrameset");
    lblColsRows = FormControl<QLabel>(this, "lblColsRows");
    eColsRows = FormControl<QLineEdit>(this, "eColsRows");
    chParentFrameBorder = FormControl<QCheckBox>(this, "chParentFrameBorder");
    lblBorder = FormControl<QLabel>(this, "lblBorder");
    eBorder = FormControl<QLineEdit>(this, "eBorder");
    lblParentFrameSpacing = FormControl<QLabel>(this, "lblParentFrameSpacing");
    eParentFrameSpacing = FormControl<QLineEdit>(this, "eParentFrameSpacing");
    gbFrame = FormControl<QGroupBox>(this, "gbFrame");
    eName = FormControl<QLineEdit>(this, "eName");
    eSrc = FormControl<TFilenameEdit>(this, "eSrc");
    chFrameBorder = FormControl<QCheckBox>(this, "chFrameBorder");
    lblMarginHeight = FormControl<QLabel>(this, "lblMarginHeight");
    eMarginHeight = FormControl<QLineEdit>(this, "eMarginHeight");
    lblMarginWidth = FormControl<QLabel>(this, "lblMarginWidth");
    eMarginWidth = FormControl<QLineEdit>(this, "eMarginWidth");
    chNoResize = FormControl<QCheckBox>(this, "chNoResize");
    chScrolling = FormControl<QCheckBox>(this, "chScrolling");
    lblFrameSpacing = FormControl<QLabel>(this, "lblFrameSpacing");
    eFrameSpacing = FormControl<QLineEdit>(this, "eFrameSpacing");
    for (QLabel* label : {lblMarginHeight, lblMarginWidth, lblFrameSpacing})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    FVertical = std::make_unique<TUpDownEdit>(eVertical, udVertical, 2, kUpDownMax);
    FHorizontal = std::make_unique<TUpDownEdit>(eHorizontal, udHorizontal, 2, kUpDownMax);
    FVertical->SetPosition(2);
    FHorizontal->SetPosition(2);
    const std::pair<std::unique_ptr<TUpDownEdit>*, std::pair<const char*, const char*>> values[] = {
        {&FBorder, {"eBorder", "UpDown1"}},           {&FParentSpacing, {"eParentFrameSpacing", "UpDown2"}},
        {&FMarginHeight, {"eMarginHeight", "UpDown4"}}, {&FMarginWidth, {"eMarginWidth", "UpDown5"}},
        {&FFrameSpacing, {"eFrameSpacing", "UpDown6"}},
    };
    for (const auto& [holder, names] : values) {
        *holder = std::make_unique<TUpDownEdit>(FormControl<QLineEdit>(this, names.first),
                                                FormControl<TSpinButton>(this, names.second), 0, kUpDownMax);
        (*holder)->SetPosition(0);
    }

    eSrc->SetFilter(LoadResString(kSrcFilter));
    eSrc->SetDialogTitle(LoadResString(kSrcTitle));
    // A picked file goes into the field as the page will refer to it, by the rule every other picker
    // follows; the dialog starts in its folder the next time. The field then holds an address, not a
    // file name, so the edit must not put the file's own name back over it.
    eSrc->OnAfterDialog = [this](TFileDirEdit*, std::string& name, bool& action) {
        if (!action)
            return;
        eSrc->SetInitialDir(ExtractFilePath(name));
        const std::string address = FHost.RutaRelativa(name);
        eSrc->setText(FromEditorText(address));
        action = false;
    };
    btnNuevo->hide();
    btnVertical->setToolTip(LoadResQString(kSplitColumnsHint));
    btnHorizontal->setToolTip(LoadResQString(kSplitRowsHint));
    btnBorrar->setToolTip(LoadResQString(kMergeHint));

    connect(btnVertical, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { btnVerticalClick(); }); });
    connect(btnHorizontal, &QPushButton::clicked, this,
            [this] { CallHandler(this, [this] { btnHorizontalClick(); }); });
    connect(btnBorrar, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { btnBorrarClick(); }); });
    for (QPushButton* output : {btnVer, btnInserta, btnPapel, btnNuevo})
        connect(output, &QPushButton::clicked, this,
                [this, output] { CallHandler(this, [this, output] { btnVerClick(output); }); });
    connect(btnSalir, &QPushButton::clicked, this, [this] { btnSalirClick(); });
    connect(eName, &QLineEdit::textChanged, this, [this] { eNameChange(); });

    // The switches: a right click turns an attribute on or off; red means off.
    const QString switchHint = LoadResQString(kSwitchHint);
    for (QWidget* control : std::initializer_list<QWidget*>{lblBorder, chParentFrameBorder, lblParentFrameSpacing,
                                                             chFrameBorder, lblMarginHeight, lblMarginWidth,
                                                             chScrolling, lblFrameSpacing, chNoResize}) {
        control->installEventFilter(this);
        control->setToolTip(switchHint);
        if (control != chNoResize)
            setTextColor(control, clRed);
    }
}

void TformMarcos::Execute()
{
    TDialogHook<TformMarcos>::Run(*this, DialogHook::TShow::No, [this] { exec(); });
}

int TformMarcos::FormHeight() const
{
    return height() + kNonClientHeight;
}

void TformMarcos::SetFormHeight(int value)
{
    setFixedSize(kClientWidth, value - kNonClientHeight);
}

QWidget* TformMarcos::PanelOf(const TFrameNode& node) const
{
    const auto found = FPanels.find(node.Id);
    return found == FPanels.end() ? nullptr : found->second.data();
}

TFrameSwitches TformMarcos::Switches() const
{
    TFrameSwitches on;
    on.Border = !isRed(lblBorder);
    on.ParentFrameBorder = !isRed(chParentFrameBorder);
    on.ParentFrameSpacing = !isRed(lblParentFrameSpacing);
    on.FrameBorder = !isRed(chFrameBorder);
    on.MarginHeight = !isRed(lblMarginHeight);
    on.MarginWidth = !isRed(lblMarginWidth);
    on.Scrolling = !isRed(chScrolling);
    on.FrameSpacing = !isRed(lblFrameSpacing);
    return on;
}

// ---------------------------------------------------------------- life cycle

void TformMarcos::FormCreate()
{
    FDesign = std::make_unique<TFramesetDesign>(GrandPanel->width(), GrandPanel->height());
    syncPanels();
    ShowPanel(FDesign->Current());
}

void TformMarcos::FormDestroy()
{
    // The panels go with the surface; the nodes with the design.
    FPanels.clear();
}

void TformMarcos::FormCloseQuery(bool& CanClose)
{
    if (FTag != 0)
        return;
    CanClose = MessageBox(nullptr, LoadResString(kLeaveQuestion), LoadResString(kProductName),
                          MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TformMarcos::reject()
{
    bool canClose = true;
    CallHandler(this, [&] { FormCloseQuery(canClose); });
    if (!canClose)
        return;
    if (FFramesButton)
        FFramesButton->SetDown(false);
    QDialog::reject();
}

void TformMarcos::btnSalirClick()
{
    close();
}

// ---------------------------------------------------------------- the surface

void TformMarcos::syncPanels()
{
    std::set<int> live;
    for (TFrameNode* node : FDesign->Nodes()) {
        live.insert(node->Id);
        QPointer<TFramePanel>& panel = FPanels[node->Id];
        if (!panel) {
            QWidget* holder = node->Parent ? PanelOf(*node->Parent) : GrandPanel;
            panel = new TFramePanel(holder, node->Id, [this](TFramePanel* sender) { GrandPanelClick(sender); });
        }
        panel->Mirror(*node);
        panel->show();
    }
    for (auto it = FPanels.begin(); it != FPanels.end();) {
        if (live.contains(it->first)) {
            ++it;
            continue;
        }
        delete it->second.data();
        it = FPanels.erase(it);
    }
}

TFrameNode* TformMarcos::nodeOf(QObject* sender)
{
    const auto* panel = dynamic_cast<TFramePanel*>(sender);
    if (!panel || panel->NodeId == 0)
        return nullptr;
    for (TFrameNode* node : FDesign->Nodes())
        if (node->Id == panel->NodeId)
            return node;
    return nullptr;
}

void TformMarcos::GrandPanelClick(QObject* Sender)
{
    TFrameNode* node = nodeOf(Sender);
    if (!node || !node->IsFrame())
        return;
    TFrameNode& old = FDesign->Current();
    StorePanel(old);
    FDesign->Select(*node);
    syncPanels();
    ShowPanel(*node);
}

void TformMarcos::enableSplits(bool columns, bool rows)
{
    for (QWidget* control : std::initializer_list<QWidget*>{btnVertical, eVertical, udVertical})
        control->setEnabled(columns);
    for (QWidget* control : std::initializer_list<QWidget*>{btnHorizontal, eHorizontal, udHorizontal})
        control->setEnabled(rows);
}

void TformMarcos::split(bool columns)
{
    const int n = (columns ? FVertical : FHorizontal)->Position();
    const std::vector<TFrameNode*> made = FDesign->Split(columns, n);
    if (made.empty())
        return;
    syncPanels();
    GrandPanelClick(PanelOf(*made.front()));
    enableSplits(!columns, columns);
}

void TformMarcos::btnVerticalClick()
{
    split(true);
}

void TformMarcos::btnHorizontalClick()
{
    split(false);
}

void TformMarcos::btnBorrarClick()
{
    if (!FDesign->Merge())
        return;
    syncPanels();
    ShowPanel(FDesign->Current());
}

void TformMarcos::eNameChange()
{
    TFrameNode& current = FDesign->Current();
    current.Caption = textOf(eName);
    if (QWidget* panel = PanelOf(current))
        static_cast<TFramePanel*>(panel)->Mirror(current);
}

// ---------------------------------------------------------------- values

void TformMarcos::ShowPanel(TFrameNode& node)
{
    // The field shows the frame's address as its characters, as StorePanel took it.
    eSrc->setText(FromEditorText(node.Src));
    setText(eName, node.FrameName);
    chScrolling->setChecked(node.Scrolling);
    chNoResize->setChecked(!node.NoResize);
    setText(eMarginWidth, node.MarginWidth);
    setText(eMarginHeight, node.MarginHeight);
    chFrameBorder->setChecked(node.FrameBorder);
    setText(eFrameSpacing, node.FrameSpacing);
    const TFrameNode* parent = node.Parent;
    if (parent) {
        lblColsRows->setText(LoadResQString(parent->IsColumns() ? kColumns : kRows));
        enableSplits(!parent->IsColumns(), parent->IsColumns());
        setText(eColsRows, parent->ColsRows);
        setText(eBorder, parent->Border);
        chParentFrameBorder->setChecked(parent->FrameBorder);
        setText(eParentFrameSpacing, parent->FrameSpacing);
    } else {
        eColsRows->clear();
        eBorder->setText("0");
        eParentFrameSpacing->setText("0");
        chParentFrameBorder->setChecked(false);
        enableSplits(true, true);
    }
    for (QWidget* output : std::initializer_list<QWidget*>{btnVer, btnPapel, btnBorrar, btnInserta})
        output->setEnabled(parent != nullptr);
    SetFormHeight(parent ? kFullHeight : kShortHeight);
}

void TformMarcos::StorePanel(TFrameNode& node)
{
    // The field holds the address as the author typed it (a fragment, a query, an address of another
    // site), a character Windows-1252 lacks going in held. Double quotes around the whole are the
    // file-name edit's own mark of a name with a blank, not part of the address.
    QString address = eSrc->text().trimmed();
    if (address.size() >= 2 && address.startsWith(QLatin1Char('"')) && address.endsWith(QLatin1Char('"')))
        address = address.mid(1, address.size() - 2);
    node.Src = ToEditorText(address);
    node.FrameName = textOf(eName);
    node.Scrolling = chScrolling->isChecked();
    node.NoResize = !chNoResize->isChecked();
    node.MarginWidth = textOf(eMarginWidth);
    node.MarginHeight = textOf(eMarginHeight);
    node.FrameBorder = chFrameBorder->isChecked();
    node.FrameSpacing = textOf(eFrameSpacing);
    if (TFrameNode* parent = node.Parent) {
        parent->ColsRows = textOf(eColsRows);
        parent->Border = textOf(eBorder);
        parent->FrameBorder = chParentFrameBorder->isChecked();
        parent->FrameSpacing = textOf(eParentFrameSpacing);
    }
}

// ---------------------------------------------------------------- output and switches

void TformMarcos::btnVerClick(QObject* Sender)
{
    StorePanel(FDesign->Current());
    const std::string html = GenerateFrames(FDesign->Root(), Switches());
    switch (Sender->property("Tag").toInt()) {
    case 0:
        MessageBox(nullptr, html, "", MB_OK);
        break;
    case 1:
        FHost.InsertaCodigo(0, 0, html, "");
        FTag = 1;
        break;
    case 2: {
        auto* data = new QMimeData;
        SetFormatData(*data, CF_TEXT, html);
        QApplication::clipboard()->setMimeData(data);
        FTag = 1;
        break;
    }
    default:
        break;
    }
}

void TformMarcos::chMouseDown(QObject* Sender, Qt::MouseButton Button)
{
    lblMouseDown(Sender, Button);
}

void TformMarcos::lblMouseDown(QObject* Sender, Qt::MouseButton Button)
{
    auto* control = qobject_cast<QWidget*>(Sender);
    if (!control || Button != Qt::RightButton)
        return;
    setTextColor(control, isRed(control) ? uint32_t{clWindowText} : uint32_t{clRed});
}

bool TformMarcos::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QDialog::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    if (qobject_cast<QCheckBox*>(watched))
        chMouseDown(watched, button);
    else
        lblMouseDown(watched, button);
    // A right click only switches; a left click still ticks a check box.
    return button == Qt::RightButton;
}
