// TFormColor: the palette dialog, a list of named colours read from a palette file, and the choice of a colour by palette or colour dialog.
#include "app/dialogs/UFormPaleta.h"

#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <stdexcept>
#include <utility>

#include "app/model/KestrimaConfig.h"
#include "app/model/Palette.h"
#include "platform/ColorDialog.h"
#include "platform/DialogHook.h"
#include "platform/FormSpec.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCaption = 5600;
constexpr int kMissingPalette = 5601;
constexpr int kErrorCaption = 5602;
constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;

enum TKind : int { kList, kButton, kBevel };

constexpr TControlSpec kControls[] = {
    {.Name = "ListBox1", .Kind = kList, .Left = 8, .Width = 204, .Top = 8, .Height = 242},
    {.Name = "Bevel1", .Kind = kBevel, .Left = 8, .Width = 204, .Top = 256, .Height = 2},
    {.Name = "Aceptar", .Kind = kButton, .Left = 56, .Width = 75, .Top = 266, .Height = 25, .Caption = kAceptar},
    {.Name = "Cancelar", .Kind = kButton, .Left = 137, .Width = 75, .Top = 266, .Height = 25, .Caption = kCancelar},
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    switch (spec.Kind) {
    case kList: return new QListWidget(parent);
    case kButton: return new QPushButton(LoadResQString(spec.Caption), parent);
    case kBevel: {
        auto* bevel = new QFrame(parent);
        bevel->setFrameShape(QFrame::HLine);
        bevel->setFrameShadow(QFrame::Sunken);
        return bevel;
    }
    default: throw std::logic_error(std::string("palette dialog control of no kind: ") + spec.Name);
    }
}

// The list draws its items through the dialog, as an owner-drawn list box does.
class TPaletteItemDrawer : public QStyledItemDelegate {
public:
    explicit TPaletteItemDrawer(TFormColor* form) : QStyledItemDelegate(form), FForm(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        FForm->ListBox1DrawItem(*painter, index.row(), TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                                (option.state & QStyle::State_Selected) != 0);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), TFormColor::kItemHeight};
    }

private:
    TFormColor* FForm;
};

} // namespace

TPaletteDialogHook SetPaletteDialogHook(TPaletteDialogHook hook_)
{
    return TDialogHook<TFormColor, int>::Set(std::move(hook_));
}

TFormColor::TFormColor(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormColor");
    // A tool window with its system menu only, kept above the others.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(220, 299);
    BuildControls(this, kControls, TFormRow{}, makeControl);
    ListBox1 = FormControl<QListWidget>(this, "ListBox1");
    Aceptar = FormControl<QPushButton>(this, "Aceptar");
    Cancelar = FormControl<QPushButton>(this, "Cancelar");
    Bevel1 = FormControl<QFrame>(this, "Bevel1");

    ListBox1->setFrameShape(QFrame::NoFrame);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setItemDelegate(new TPaletteItemDrawer(this));
    QPalette face = ListBox1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    ListBox1->setPalette(face);
    ListBox1->installEventFilter(this);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { CallHandler(this, [this] { ListBox1DblClick(); }); });

    Aceptar->setDefault(true);
    Cancelar->setAutoDefault(false);
    connect(Aceptar, &QPushButton::clicked, this, [this] { done(1); });
    connect(Cancelar, &QPushButton::clicked, this, [this] { done(2); });
}

TFormColor::~TFormColor() = default;

std::vector<std::string> TFormColor::items() const
{
    std::vector<std::string> result;
    result.reserve(ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i)
        result.push_back(ListBox1->item(i)->text().toStdString()); // Not editor text: a palette item, "$" and hex digits
    return result;
}

bool TFormColor::LoadPalette(const std::string& FileName)
{
    std::string bytes;
    bool read = FileExists(FileName);
    if (read) {
        try {
            bytes = ReadFileBytes(FileName);
        } catch (const EFOpenError&) {
            read = false;
        }
    }
    if (!read) {
        MessageBox(nullptr, FmtLoadStr(kMissingPalette, FilePathText(FileName).c_str()), LoadResString(kErrorCaption),
                   MB_OK | MB_ICONSTOP);
        return false;
    }
    Names.clear();
    Codes.clear();
    ListBox1->clear();
    for (TPaletteColor& color : ReadPalette(bytes)) {
        ListBox1->addItem(QString::fromStdString(color.Item)); // Not editor text: a palette item, "$" and hex digits
        Names.push_back(std::move(color.Name));
        Codes.push_back(std::move(color.Code));
    }
    return true;
}

bool TFormColor::Execute()
{
    const int found = FindPaletteItem(items(), PaletteItem(Color));
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(found >= 0 ? found : 0);
    setResult(0);
    const int result = TDialogHook<TFormColor, int>::Run(*this, DialogHook::TShow::Shown, [this] { return exec(); });
    if (result != 1 || !ListBox1->currentItem())
        return false;
    Color = PaletteItemColor(ListBox1->currentItem()->text().toStdString()); // Not editor text: a palette item, "$" and hex digits
    return true;
}

void TFormColor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CallHandler(this, [this] { FormShow(); });
}

void TFormColor::FormShow()
{
    Aceptar->setEnabled(ListBox1->count() > 0);
}

void TFormColor::ListBox1DrawItem(QPainter& canvas, int index, const TRect& rect, bool selected)
{
    const TPainterSave saved(canvas);
    const QPalette& colours = ListBox1->palette();
    canvas.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()),
                    colours.color(selected ? QPalette::Highlight : QPalette::Base));
    if (index < 0 || index >= ListBox1->count())
        return;
    const int quarter = rect.Width() / 4;
    const QRect box(rect.Left + 2, rect.Top + 2, quarter - 2, rect.Height() - 4);
    canvas.fillRect(box, ToQColor(PaletteItemColor(ListBox1->item(index)->text().toStdString()))); // Not editor text: a palette item
    canvas.setPen(colours.color(QPalette::WindowText));
    canvas.drawRect(box.adjusted(0, 0, -1, -1));
    canvas.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const std::string name = static_cast<size_t>(index) < Names.size() ? Names[index] : std::string();
    TRect text{rect.Left + quarter + 4, rect.Top, rect.Right, rect.Bottom};
    DrawText(canvas, name, text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void TFormColor::ListBox1DblClick()
{
    if (Aceptar->isEnabled())
        done(1);
}

void TFormColor::ListBox1KeyPress(std::string_view Key)
{
    const int found = FindPaletteName(Names, Key);
    if (found >= 0 && found < ListBox1->count())
        ListBox1->setCurrentRow(found);
}

bool TFormColor::eventFilter(QObject* watched, QEvent* event)
{
    // A typed character looks for a name; the list's own search would look at the hidden items.
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const std::vector<std::string> typed = KeyEventChars(key);
        // A held character begins with its mark, a control byte, but types a character as any other.
        const unsigned char first = typed.size() == 1 ? static_cast<unsigned char>(typed[0].front()) : 0;
        if ((first >= ' ' || first == kHeldCharacterMarkByte) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            CallHandler(this, [this, &typed] { ListBox1KeyPress(typed[0]); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool ChooseColor(const TKestrimaConfig& config, TFormColor& palette, TColorDialog& dialog, QWidget* owner,
                 TColor& color)
{
    if (config.UseCustomPalette) {
        palette.Color = color;
        if (!palette.Execute())
            return false;
        color = palette.Color;
        return true;
    }
    dialog.Color = color;
    if (!dialog.Execute(owner))
        return false;
    color = dialog.Color;
    return true;
}
