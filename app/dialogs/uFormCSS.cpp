// TformCSS: the library is a TStyleLibrary; the list box and the string holder mirror it after every
// change. The rule being edited lives in the controls; Rule() and SetRule() carry it to and from
// the rule model, which reads and writes the declarations.
#include "app/dialogs/uFormCSS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "app/model/libVeltran.h"
#include "app/widgets/SharedWidgets.h"
#include "components/StrHlder.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/DialogHook.h"
#include "platform/FileDialogs.h"
#include "platform/FontsQt.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/core/FileSystem.h"
#include "platform/RadioGroup.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"

namespace {

// The font list: a key that changes the selection sets the family as a click does. The list moves
// the selection before the current item, so the family is set once the key has moved both.
class TFontList : public QListWidget {
public:
    TFontList(QWidget* parent, std::function<void()> picked) : QListWidget(parent), FPicked(std::move(picked)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const std::vector<int> before = selectedRows();
        QListWidget::keyPressEvent(event);
        if (selectedRows() != before)
            FPicked();
    }

private:
    std::vector<int> selectedRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::function<void()> FPicked;
};

constexpr int kProductName = 4505;
constexpr int kPictureFilter = 4664;
constexpr int kCaption = 6200;
constexpr int kInvalidName = 6201;
constexpr int kEraseQuestion = 6202;
constexpr int kPreview = 6203;
constexpr int kSaveQuestion = 6204;
constexpr int kLibraryFilter = 6205;
constexpr int kNew = 6206;
constexpr int kStore = 6207;
constexpr int kErase = 6208;
constexpr int kView = 6209;
constexpr int kEdit = 6210;
constexpr int kLeave = 6211;
constexpr int kClassLabel = 6212;
constexpr int kCannotWrite = 6213;
// The pages' texts.
constexpr int kPageNames = 6300;
constexpr int kFamily = 6301, kItalic = 6302, kSmallCaps = 6303, kBold = 6304, kSize = 6305, kSizes = 6306;
constexpr int kColor = 6307, kBgColor = 6308, kImage = 6309, kBgFixed = 6310, kRepeat = 6311, kRepeats = 6312;
constexpr int kPosition = 6313, kVertical = 6314, kVerticals = 6315, kHorizontal = 6316, kHorizontals = 6317;
constexpr int kLetterSpacing = 6318, kTextIndent = 6319, kLineHeight = 6320, kTransform = 6321, kTransforms = 6322;
constexpr int kDecoration = 6323, kDecorations = 6324, kAlign = 6325, kAligns = 6326, kVerticalAlign = 6327,
              kVerticalAligns = 6328;
constexpr int kFloat = 6329, kFloats = 6330, kClear = 6331, kClears = 6332, kMargins = 6333, kLines = 6334;
constexpr int kSides = 6335, kMargin = 6336, kPadding = 6337, kWidthKinds = 6338, kBorderStyles = 6339;
constexpr int kThickness = 6340, kStyle = 6341;
constexpr int kDisplay = 6342, kDisplays = 6343, kListType = 6344, kListTypes = 6345, kListPositions = 6346;
constexpr int kWidth = 6347, kHeight = 6348, kLeft = 6349, kTop = 6350, kClip = 6351, kOverflow = 6352,
              kOverflows = 6353, kPositions = 6354, kVisibility = 6355, kVisibilities = 6356, kZIndex = 6357;
constexpr int kBreakBefore = 6358, kBreakAfter = 6359, kBreaks = 6360, kCursor = 6361, kCursors = 6362;
constexpr int kNavigationHints = 6363, kPictureHint = 6364, kOpenHint = 6365, kSaveHint = 6366,
              kLibraryLabel = 6367, kRulesLabel = 6368, kBorderColorHints = 6369;

// A string of the table whose items are separated by "|".
QStringList resList(int id)
{
    return LoadResQString(id).split(QLatin1Char('|'));
}

QPushButton* button(QWidget* parent, const char* name, int caption)
{
    auto* b = new QPushButton(LoadResQString(caption), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

// A flat button with a picture, its hint from the table.
TToolbarButtonKt* glyphButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, const QString& hint)
{
    auto* b = new TToolbarButtonKt(parent);
    b->setObjectName(QLatin1String(name));
    // Drawn over the dialog's own background.
    b->SetOpaque(false);
    b->SetGlyph(parent->style()->standardIcon(picture).pixmap(16, 16).toImage());
    b->setToolTip(hint);
    b->setFixedSize(23, 22);
    b->Loaded();
    return b;
}

// The picture of a border colour button: its colour in a dark frame.
QImage colorGlyph(TColor color)
{
    QImage glyph(16, 12, QImage::Format_RGB32);
    glyph.fill(ToQColor(color));
    QPainter painter(&glyph);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 15, 11);
    return glyph;
}

} // namespace

TCSSDialogHook SetCSSDialogHook(TCSSDialogHook hook_)
{
    return TDialogHook<TformCSS>::Set(std::move(hook_));
}

void TformCSS::Execute()
{
    TDialogHook<TformCSS>::Run(*this, DialogHook::TShow::No, [this] { exec(); });
}

TformCSS::TformCSS(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("formCSS"));
    setWindowTitle(LoadResQString(kCaption));
    resize(720, 500);
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(LoadResQString(kClassLabel), this));
    eClass = new QLineEdit(this);
    eClass->setObjectName(QStringLiteral("eClass"));
    top->addWidget(eClass, 1);
    top->addSpacing(12);
    top->addWidget(new QLabel(LoadResQString(kLibraryLabel), this));
    eLibreria = new TLibraryEdit(this);
    eLibreria->setObjectName(QStringLiteral("eLibreria"));
    top->addWidget(eLibreria);
    sbCargaCSS = glyphButton(this, "sbCargaCSS", QStyle::SP_DialogOpenButton, LoadResQString(kOpenHint));
    sbCargaCSS->OnClick = [this](TToolbarButtonKt*) { CallHandler(this, [&] { sbCargaCSSClick(); }); };
    top->addWidget(sbCargaCSS);
    sbSalva = glyphButton(this, "sbSalva", QStyle::SP_DialogSaveButton, LoadResQString(kSaveHint));
    sbSalva->OnClick = [this](TToolbarButtonKt*) { CallHandler(this, [&] { sbSalvaClick(); }); };
    top->addWidget(sbSalva);
    root->addLayout(top);

    auto* middle = new QHBoxLayout;
    auto* rules = new QVBoxLayout;
    rules->addWidget(new QLabel(LoadResQString(kRulesLabel), this));
    lbEstilos = new QListWidget(this);
    lbEstilos->setObjectName(QStringLiteral("lbEstilos"));
    lbEstilos->setFixedWidth(150);
    connect(lbEstilos, &QListWidget::itemClicked, this, [this] { CallHandler(this, [this] { lbEstilosClick(); }); });
    rules->addWidget(lbEstilos, 1);
    middle->addLayout(rules);

    auto* right = new QVBoxLayout;
    auto* navigation = new QHBoxLayout;
    stTitulo = new QLabel(this);
    stTitulo->setObjectName(QStringLiteral("stTitulo"));
    stTitulo->setFrameShape(QFrame::Panel);
    stTitulo->setFrameShadow(QFrame::Sunken);
    QFont bold = stTitulo->font();
    bold.setBold(true);
    stTitulo->setFont(bold);
    navigation->addWidget(stTitulo, 1);
    const QStringList hints = resList(kNavigationHints);
    const std::pair<TToolbarButtonKt**, QStyle::StandardPixmap> steps[4] = {
        {&sbFirst, QStyle::SP_MediaSkipBackward},
        {&sbPrev, QStyle::SP_MediaSeekBackward},
        {&sbNext, QStyle::SP_MediaSeekForward},
        {&sbLast, QStyle::SP_MediaSkipForward}};
    const char* stepNames[4] = {"sbFirst", "sbPrev", "sbNext", "sbLast"};
    for (int i = 0; i < 4; ++i) {
        TToolbarButtonKt* b = glyphButton(this, stepNames[i], steps[i].second, hints.value(i));
        const int tag = i + 1;
        b->setProperty("Tag", tag);
        b->OnClick = [this, tag](TToolbarButtonKt*) { CallHandler(this, [&] { NavigationClick(tag); }); };
        *steps[i].first = b;
        navigation->addWidget(b);
    }
    right->addLayout(navigation);
    nbPages = new QStackedWidget(this);
    nbPages->setObjectName(QStringLiteral("nbPages"));
    nbPages->setFrameShape(QFrame::StyledPanel);
    right->addWidget(nbPages, 1);
    middle->addLayout(right, 1);
    root->addLayout(middle, 1);
    buildPages();

    auto* buttons = new QHBoxLayout;
    bNew = button(this, "bNew", kNew);
    bAdd = button(this, "bAdd", kStore);
    bErase = button(this, "bErase", kErase);
    bVer = button(this, "bVer", kView);
    bEdit = button(this, "bEdit", kEdit);
    bAceptar = button(this, "bAceptar", kLeave);
    for (QPushButton* b : {bNew, bAdd, bErase, bVer, bEdit}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    bAceptar->setAutoDefault(false);
    buttons->addWidget(bAceptar);
    connect(bNew, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bNewClick(); }); });
    connect(bAdd, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bAddClick(); }); });
    connect(bErase, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bEraseClick(); }); });
    connect(bVer, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bVerClick(); }); });
    connect(bAceptar, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bAceptarClick(); }); });
    root->addLayout(buttons);

    shCSS = new TStrHolder(this);
    TStringList names;
    for (std::string_view name : CSSPropertyNames)
        names.Add(std::string(name));
    shCSS->Assign(names);
    shEstilos = new TStrHolder(this);

    // FormCreate.
    NavigationClick(1);
    ClearControls();
    // Family names only, each once: the database lists a family several foundries make once per
    // foundry, with the foundry in brackets, which no browser knows.
    for (const std::string& family : ScreenFontFamilies())
        lbFonts->addItem(FromEditorText(family));
}

TformCSS::~TformCSS() = default;

// ---------------------------------------------------------------- the rule and the controls

TCssRule TformCSS::Rule() const
{
    TCssRule rule;
    rule.eClass = ToEditorText(eClass->text());
    for (const TBinding& binding : FBindings)
        binding.Get(rule);
    rule.mRestos.clear();
    TStringList memo;
    memo.SetText(ToEditorText(mRestos->toPlainText()));
    for (int i = 0; i < memo.Count(); ++i)
        rule.mRestos.push_back(memo[i]);
    return rule;
}

void TformCSS::SetRule(const TCssRule& rule)
{
    eClass->setText(FromEditorText(rule.eClass));
    for (const TBinding& binding : FBindings)
        binding.Set(rule);
    TStringList memo;
    for (const std::string& line : rule.mRestos)
        memo.Add(line);
    std::string text = memo.Text();
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    mRestos->setPlainText(FromEditorText(text));
}

void TformCSS::ClearControls()
{
    TCssRule rule = Rule();
    rule.ClearControls();
    SetRule(rule);
}

void TformCSS::ReadStyle()
{
    QListWidgetItem* item = lbEstilos->currentItem();
    if (!item)
        return;
    TCssRule rule = Rule();
    rule.ReadStyle(FLibrary.Text(), ToEditorText(item->text()));
    SetRule(rule);
}

std::string TformCSS::WriteStyle() const
{
    return Rule().WriteStyle();
}

// ---------------------------------------------------------------- the library

void TformCSS::syncLibrary(int select)
{
    shEstilos->Assign(FLibrary.Strings());
    const QSignalBlocker quiet(lbEstilos);
    lbEstilos->clear();
    for (const std::string& selector : FLibrary.Selectors())
        lbEstilos->addItem(FromEditorText(selector));
    if (select >= 0 && select < lbEstilos->count())
        lbEstilos->setCurrentRow(select);
}

void TformCSS::setLibraryFile(const std::string& path)
{
    eLibreria->setText(FromFilePath(ExtractFileName(path)));
    eLibreria->SetPath(path);
}

void TformCSS::LoadStyleSheet(const std::string& path)
{
    // Read before anything changes: a file that cannot be read leaves the library as it was.
    bool utf8 = false;
    const std::string text = FileExists(path) ? ProgramFileText(ReadFileBytes(path), &utf8) : std::string();
    setLibraryFile(path);
    FLibraryUtf8 = utf8;
    FLibrary.Load(text);
    syncLibrary(-1);
}

bool TformCSS::StoreStyle()
{
    int index = FLibrary.Store(Rule());
    if (index < 0) {
        MessageBox(nullptr, LoadResString(kInvalidName), LoadResString(kProductName), MB_OK | MB_ICONSTOP);
        return false;
    }
    int current = lbEstilos->currentRow();
    QString selected = current >= 0 ? lbEstilos->item(current)->text() : QString();
    syncLibrary(-1);
    // The selection stays on the entry it was on.
    if (current >= 0) {
        for (int i = 0; i < lbEstilos->count(); ++i)
            if (lbEstilos->item(i)->text() == selected) {
                const QSignalBlocker quiet(lbEstilos);
                lbEstilos->setCurrentRow(i);
                break;
            }
    }
    return true;
}

// ---------------------------------------------------------------- events

void TformCSS::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!FShown) {
        FShown = true;
        CallHandler(this, [this] { FormShow(); });
    }
}

void TformCSS::FormShow()
{
    NavigationClick(1);
    if (lbEstilos->count() > 0) {
        lbEstilos->setCurrentRow(0);
        ReadStyle();
    }
}

void TformCSS::NavigationClick(int Tag)
{
    const int last = nbPages->count() - 1;
    int index = nbPages->currentIndex();
    switch (Tag) {
    case 1: index = 0; break;
    case 2: index = std::max(index - 1, 0); break;
    case 3: index = std::min(index + 1, last); break;
    case 4: index = last; break;
    default: break;
    }
    nbPages->setCurrentIndex(index);
    stTitulo->setText(QLatin1Char(' ') + resList(kPageNames).value(index));
}

void TformCSS::pColorClick(TColorPanel* panel)
{
    TColor color = panel->Color();
    if (ChooseColor && ChooseColor(color, UseCustomPalette))
        panel->SetColor(color);
}

namespace {

void showBorderColor(TToolbarButtonKt* button, TColor color)
{
    button->setProperty("Color", static_cast<uint>(color));
    button->SetGlyph(colorGlyph(color));
    button->setToolTip(resList(kBorderColorHints).value(button->Down() ? 0 : 1));
}

TColor borderColor(const TToolbarButtonKt* button)
{
    return static_cast<TColor>(button->property("Color").toUInt());
}

} // namespace

void TformCSS::sbColorClick(TToolbarButtonKt* button)
{
    TColor color = borderColor(button);
    if (!button->Down() && ChooseColor)
        ChooseColor(color, UseCustomPalette);
    showBorderColor(button, color);
}

void TformCSS::sbBoxMargenClick(int Tag)
{
    nbBox->setCurrentIndex(Tag);
}

bool TformCSS::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        if (auto* panel = dynamic_cast<TColorPanel*>(watched); panel == pColor || panel == pBGColor) {
            CallHandler(this, [this, panel] { pColorClick(panel); });
            return true;
        }
    return QDialog::eventFilter(watched, event);
}

void TformCSS::choosePicture(QLineEdit* edit, QCheckBox* check)
{
    TFileDialogRequest request;
    request.Filter = LoadResString(kPictureFilter);
    request.InitialDir = OpenInitialDir;
    request.Options = ofHideReadOnly | ofFileMustExist;
    if (!ExecuteFileDialog(this, request))
        return;
    const std::string name = PictureName ? PictureName(request.FileName) : request.FileName;
    edit->setText(FromEditorText(std::string("url(").append(name).append(")")));
    check->setChecked(true);
}

void TformCSS::sbOpenBgImageClick()
{
    choosePicture(eBgImage, chBgImage);
}

void TformCSS::sbListStyleImageClick()
{
    choosePicture(eListStyleImage, chListStyleImage);
}

void TformCSS::lbFontsClick()
{
    QList<QListWidgetItem*> selected = lbFonts->selectedItems();
    if (selected.isEmpty())
        eFontFamily->clear();
    else if (selected.size() == 1)
        eFontFamily->setText(selected.front()->text());
    else if (QListWidgetItem* item = lbFonts->currentItem())
        eFontFamily->setText(eFontFamily->text() + QLatin1Char(',') + item->text());
}

void TformCSS::lbEstilosClick()
{
    QListWidgetItem* clicked = lbEstilos->currentItem();
    if (!clicked)
        return;
    QString name = clicked->text();
    StoreStyle();
    // Storing may have moved the entries: the clicked one is found again by its text.
    for (int i = 0; i < lbEstilos->count(); ++i)
        if (lbEstilos->item(i)->text() == name) {
            const QSignalBlocker quiet(lbEstilos);
            lbEstilos->setCurrentRow(i);
            break;
        }
    ClearControls();
    ReadStyle();
}

void TformCSS::bNewClick()
{
    ClearControls();
}

void TformCSS::bAddClick()
{
    StoreStyle();
}

void TformCSS::bEraseClick()
{
    int index = lbEstilos->currentRow();
    if (index < 0 || lbEstilos->count() == 0)
        return;
    std::string entry = ToEditorText(lbEstilos->item(index)->text());
    if (MessageBox(this, FmtLoadStr(kEraseQuestion, entry.c_str()), LoadResString(kProductName),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    FLibrary.Erase(index);
    syncLibrary(-1);
    ClearControls();
}

void TformCSS::bVerClick()
{
    MessageBox(this, WriteStyle(), LoadResString(kPreview), MB_OK | MB_ICONINFORMATION);
}

void TformCSS::sbCargaCSSClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kLibraryFilter);
    dialog.DefaultExt = "CSS";
    dialog.InitialDir = OpenInitialDir;
    dialog.FileName = OpenFileName;
    if (!ExecuteFileDialog(this, dialog))
        return;
    // The library being edited is offered for saving before another replaces it.
    if ((!FLibrary.Empty() || !Trim(ToEditorText(eClass->text())).empty()) && !offerToSave())
        return;
    LoadStyleSheet(dialog.FileName);
    OpenFileName = dialog.FileName;
    OpenInitialDir = ExtractFilePath(dialog.FileName);
    if (lbEstilos->count() > 0) {
        lbEstilos->setCurrentRow(0);
        ReadStyle();
    }
}

bool TformCSS::sbSalvaClick()
{
    TFileDialogRequest dialog = SaveDialogRequest(LoadResString(kLibraryFilter), {});
    dialog.InitialDir = ExtractFilePath(OpenFileName);
    dialog.FileName = eLibreria->Path();
    if (!ExecuteFileDialog(this, dialog))
        return false;
    StoreStyle();
    std::string text = FLibrary.Normalise();
    syncLibrary(lbEstilos->currentRow());
    // The old library is copied to its backup as the new one replaces it: a write that fails leaves
    // both as they were.
    std::string error;
    TReplaceOutcome outcome;
    if (!ReplaceFileContents(dialog.FileName, ProgramFileBytes(text, FLibraryUtf8), error, MakeBackups ? BackupFileName(dialog.FileName) : std::string(),
                             outcome)) {
        // The edits stay in the dialog; the user may save elsewhere.
        MessageBox(this, FmtLoadStr(kCannotWrite, FilePathText(dialog.FileName).c_str()), LoadResString(kProductName),
                   MB_OK | MB_ICONSTOP);
        return false;
    }
    setLibraryFile(dialog.FileName);
    return true;
}

void TformCSS::bAceptarClick()
{
    close();
}

bool TformCSS::offerToSave()
{
    switch (MessageBox(this, LoadResString(kSaveQuestion), LoadResString(kProductName),
                       MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        // A save that did not happen keeps the library and its edits.
        return sbSalvaClick();
    case IDNO:
        return true;
    default:
        return false;
    }
}

void TformCSS::FormCloseQuery(bool& CanClose)
{
    CanClose = offerToSave();
}

void TformCSS::reject()
{
    bool canClose = false;
    bool asked = false;
    CallHandler(this, [&] {
        FormCloseQuery(canClose);
        asked = true;
    });
    if (asked && canClose)
        QDialog::reject();
}

// ---------------------------------------------------------------- the pages

namespace {

template <class T>
std::function<T&(TCssRule&)> field(T TCssRule::*member)
{
    return [member](TCssRule& rule) -> T& { return rule.*member; };
}

template <class T>
std::function<T&(TCssRule&)> side(std::array<T, 4> TCssRule::*member, int at)
{
    return [member, at](TCssRule& rule) -> T& { return (rule.*member)[static_cast<size_t>(at)]; };
}

// The bindings read the rule they set through the same field getters.
TCssRule& writable(const TCssRule& rule)
{
    return const_cast<TCssRule&>(rule);
}

QStringList units(TCSSUnitList list)
{
    QStringList result;
    for (std::string_view unit : list)
        result << QString::fromLatin1(unit.data(), static_cast<qsizetype>(unit.size()));
    return result;
}

// A page of the notebook with the grid its controls are placed on.
QGridLayout* page(QStackedWidget* pages, const char* name)
{
    auto* widget = new QWidget(pages);
    widget->setObjectName(QLatin1String(name));
    pages->addWidget(widget);
    auto* grid = new QGridLayout(widget);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return grid;
}

// Controls side by side in one cell.
QHBoxLayout* line(std::initializer_list<QWidget*> controls)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (QWidget* control : controls)
        row->addWidget(control);
    row->addStretch(1);
    return row;
}

} // namespace

QCheckBox* TformCSS::addCheck(QWidget* parent, const char* name, int caption, TField<bool> f)
{
    auto* box = new QCheckBox(LoadResQString(caption), parent);
    box->setObjectName(QLatin1String(name));
    FBindings.push_back({[box, f](TCssRule& r) { f(r) = box->isChecked(); },
                         [box, f](const TCssRule& r) { box->setChecked(f(writable(r))); }});
    return box;
}

TToolbarButtonKt* TformCSS::addToggle(QWidget* parent, const std::string& name, const QString& caption, TField<bool> f)
{
    auto* button = new TToolbarButtonKt(parent);
    button->setObjectName(QString::fromStdString(name));
    button->SetCaption(ToEditorText(caption));
    // Raised while up, sunken while down, so a toggle reads as a button.
    button->SetFlat(false);
    button->SetGroupIndex(++FToggleGroups);
    button->SetAllowAllUp(true);
    button->setMinimumWidth(70);
    button->setFixedHeight(22);
    button->Loaded();
    FBindings.push_back({[button, f](TCssRule& r) { f(r) = button->Down(); },
                         [button, f](const TCssRule& r) { button->SetDown(f(writable(r))); }});
    return button;
}

QWidget* TformCSS::addRadio(QWidget* parent, const char* name, int caption, int list, TField<int> f, int columns)
{
    auto* group = new TRadioGroup(caption ? LoadResQString(caption) : QString(), resList(list), parent, columns);
    group->setObjectName(QLatin1String(name));
    FBindings.push_back({[group, f](TCssRule& r) { f(r) = std::max(group->ItemIndex(), 0); },
                         [group, f](const TCssRule& r) { group->SetItemIndex(f(writable(r))); }});
    return group;
}

QWidget* TformCSS::addCombo(QWidget* parent, const std::string& name, const QStringList& list, TField<int> f)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromStdString(name));
    combo->addItems(list);
    FBindings.push_back({[combo, f](TCssRule& r) { f(r) = combo->currentIndex(); },
                         [combo, f](const TCssRule& r) { combo->setCurrentIndex(f(writable(r))); }});
    return combo;
}

QLineEdit* TformCSS::addText(QWidget* parent, const char* name, TField<std::string> f)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    FBindings.push_back({[edit, f](TCssRule& r) { f(r) = ToEditorText(edit->text()); },
                         [edit, f](const TCssRule& r) { edit->setText(FromEditorText(f(writable(r)))); }});
    return edit;
}

QWidget* TformCSS::addNumber(QWidget* parent, const std::string& name, int min, int max, TField<std::string> f)
{
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* edit = new QLineEdit(holder);
    edit->setObjectName(QString::fromStdString("e" + name));
    edit->setFixedWidth(52);
    auto* spin = new TSpinButton(holder);
    spin->setObjectName(QString::fromStdString("ud" + name));
    spin->setFixedSize(15, 21);
    row->addWidget(edit);
    row->addWidget(spin);
    holder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FUpDowns.push_back(std::make_unique<TUpDownEdit>(edit, spin, min, max));
    FBindings.push_back({[edit, f](TCssRule& r) { f(r) = ToEditorText(edit->text()); },
                         [edit, f](const TCssRule& r) { edit->setText(FromEditorText(f(writable(r)))); }});
    return holder;
}

TColorPanel* TformCSS::addColor(QWidget* parent, const char* name, TField<TColor> f)
{
    auto* panel = new TColorPanel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFixedSize(48, 20);
    panel->setCursor(Qt::PointingHandCursor);
    panel->installEventFilter(this);
    FBindings.push_back({[panel, f](TCssRule& r) { f(r) = panel->Color(); },
                         [panel, f](const TCssRule& r) { panel->SetColor(f(writable(r))); }});
    return panel;
}

TToolbarButtonKt* TformCSS::addColorButton(QWidget* parent, const std::string& name, TField<bool> down,
                                           TField<TColor> color)
{
    auto* button = new TToolbarButtonKt(parent);
    button->setObjectName(QString::fromStdString(name));
    button->SetOpaque(false);
    button->SetGroupIndex(++FToggleGroups);
    button->SetAllowAllUp(true);
    button->setFixedSize(28, 22);
    button->OnClick = [this](TToolbarButtonKt* sender) { CallHandler(this, [&] { sbColorClick(sender); }); };
    showBorderColor(button, clBlack);
    button->Loaded();
    // Setting the rule moves the button and paints its colour; only a click chooses.
    FBindings.push_back({[button, down, color](TCssRule& r) {
                             down(r) = button->Down();
                             color(r) = borderColor(button);
                         },
                         [button, down, color](const TCssRule& r) {
                             button->SetDown(down(writable(r)));
                             showBorderColor(button, color(writable(r)));
                         }});
    return button;
}

void TformCSS::buildPages()
{
    const int max = CSSUpDownMax;
    const QStringList fontUnits = units(CSSFontSizeUnits);
    const QStringList positionUnits = units(CSSPositionUnits);
    const QStringList lineUnits = units(CSSLineHeightUnits);
    const QStringList boxUnits = units(CSSBoxUnits);
    const QStringList lengthUnits = units(CSSLengthUnits);
    const QStringList sides = resList(kSides);
    static const char* const sideNames[4] = {"Top", "Right", "Bottom", "Left"};

    // "Fuentes": the family with the screen's fonts under it, the size beside them.
    QGridLayout* g = page(nbPages, "tsFuentes");
    QWidget* p = g->parentWidget();
    chFontFamily = addCheck(p, "chFontFamily", kFamily, field(&TCssRule::chFontFamily));
    eFontFamily = addText(p, "eFontFamily", field(&TCssRule::eFontFamily));
    g->addWidget(chFontFamily, 0, 0);
    g->addWidget(eFontFamily, 0, 1);
    // A list of several choices as the system's list boxes make it: the arrows and a click pick one
    // font, Shift and Ctrl add to it.
    lbFonts = new TFontList(p, [this] { CallHandler(this, [this] { lbFontsClick(); }); });
    lbFonts->setObjectName(QStringLiteral("lbFonts"));
    lbFonts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(lbFonts, &QListWidget::itemClicked, this, [this] { CallHandler(this, [this] { lbFontsClick(); }); });
    g->addWidget(lbFonts, 1, 0, 1, 2);
    chItalic = addCheck(p, "chItalic", kItalic, field(&TCssRule::chItalic));
    chSmallCaps = addCheck(p, "chSmallCaps", kSmallCaps, field(&TCssRule::chSmallCaps));
    chBold = addCheck(p, "chBold", kBold, field(&TCssRule::chBold));
    g->addLayout(line({chItalic, chSmallCaps, chBold}), 2, 0, 1, 2);
    g->addWidget(addRadio(p, "rgFontSize", kSize, kSizes, field(&TCssRule::rgFontSize)), 0, 2, 2, 1);
    g->addLayout(line({addNumber(p, "FontSize", 0, max, field(&TCssRule::eFontSize)),
                       addCombo(p, "cbFontSize", fontUnits, field(&TCssRule::cbFontSize))}),
                 2, 2);
    g->setColumnStretch(1, 1);

    // "Color y Fondo": the colours and the picture on the left, repetition and position beside them.
    g = page(nbPages, "tsColor");
    p = g->parentWidget();
    g->addWidget(addToggle(p, "sbColor", LoadResQString(kColor), field(&TCssRule::sbColor)), 0, 0);
    pColor = addColor(p, "pColor", field(&TCssRule::pColor));
    g->addWidget(pColor, 0, 1);
    g->addWidget(addToggle(p, "sbBGColor", LoadResQString(kBgColor), field(&TCssRule::sbBGColor)), 1, 0);
    pBGColor = addColor(p, "pBGColor", field(&TCssRule::pBGColor));
    g->addWidget(pBGColor, 1, 1);
    chBgImage = addCheck(p, "chBgImage", kImage, field(&TCssRule::chBgImage));
    eBgImage = addText(p, "eBgImage", field(&TCssRule::eBgImage));
    sbOpenBgImage = glyphButton(p, "sbOpenBgImage", QStyle::SP_DialogOpenButton, LoadResQString(kPictureHint));
    sbOpenBgImage->OnClick = [this](TToolbarButtonKt*) { CallHandler(this, [&] { sbOpenBgImageClick(); }); };
    g->addWidget(chBgImage, 2, 0);
    g->addLayout(line({eBgImage, sbOpenBgImage}), 2, 1, 1, 2);
    g->addWidget(addCheck(p, "chBgFixed", kBgFixed, field(&TCssRule::chBgFixed)), 3, 0, 1, 2);
    g->addWidget(addRadio(p, "rgBgRepeat", kRepeat, kRepeats, field(&TCssRule::rgBgRepeat)), 4, 0, 1, 3);
    auto* position = new QVBoxLayout;
    position->addWidget(addCheck(p, "chPosition", kPosition, field(&TCssRule::chPosition)));
    position->addWidget(addRadio(p, "rgPosition1", kVertical, kVerticals, field(&TCssRule::rgPosition1)));
    position->addLayout(line({addNumber(p, "PositionX", -max, max, field(&TCssRule::ePositionX)),
                              addCombo(p, "cbPositionX", positionUnits, field(&TCssRule::cbPositionX))}));
    position->addWidget(addRadio(p, "rgPosition2", kHorizontal, kHorizontals, field(&TCssRule::rgPosition2)));
    position->addLayout(line({addNumber(p, "PositionY", -max, max, field(&TCssRule::ePositionY)),
                              addCombo(p, "cbPositionY", positionUnits, field(&TCssRule::cbPositionY))}));
    position->addStretch(1);
    g->addLayout(position, 0, 3, 5, 1);
    g->setColumnStretch(2, 1);

    // "Texto": the three measures, then the four choices.
    g = page(nbPages, "tsTexto");
    p = g->parentWidget();
    struct TMeasure {
        const char* check;
        int caption;
        const char* name;
        const char* combo;
        bool TCssRule::*on;
        std::string TCssRule::*value;
        int TCssRule::*unit;
        const QStringList& units;
    };
    const TMeasure measures[3] = {
        {"chLetterSpacing", kLetterSpacing, "LetterSpacing", "cbLetterSpacing", &TCssRule::chLetterSpacing,
         &TCssRule::eLetterSpacing, &TCssRule::cbLetterSpacing, lengthUnits},
        {"chTextIndent", kTextIndent, "TextIndent", "cbTextIndent", &TCssRule::chTextIndent, &TCssRule::eTextIndent,
         &TCssRule::cbTextIndent, positionUnits},
        {"chLineHeight", kLineHeight, "LineHeight", "cbLineHeight", &TCssRule::chLineHeight, &TCssRule::eLineHeight,
         &TCssRule::cbLineHeight, lineUnits}};
    for (int i = 0; i < 3; ++i) {
        const TMeasure& m = measures[i];
        g->addWidget(addCheck(p, m.check, m.caption, field(m.on)), i, 0);
        g->addLayout(line({addNumber(p, m.name, 0, max, field(m.value)), addCombo(p, m.combo, m.units, field(m.unit))}),
                     i, 1, 1, 2);
    }
    g->addWidget(addRadio(p, "rgTextTransform", kTransform, kTransforms, field(&TCssRule::rgTextTransform)), 3, 0);
    g->addWidget(addRadio(p, "rgTextDecoration", kDecoration, kDecorations, field(&TCssRule::rgTextDecoration)), 3, 1);
    g->addWidget(addRadio(p, "rgTextAlign", kAlign, kAligns, field(&TCssRule::rgTextAlign)), 3, 2);
    auto* vertical = new QVBoxLayout;
    vertical->addWidget(addRadio(p, "rgVerticalAlign", kVerticalAlign, kVerticalAligns, field(&TCssRule::rgVerticalAlign)));
    vertical->addLayout(line({addNumber(p, "VerticalAlign", 0, max, field(&TCssRule::eVerticalAlign)),
                              new QLabel(QStringLiteral("%"), p)}));
    vertical->addStretch(1);
    g->addLayout(vertical, 0, 3, 4, 1);

    // "Caja": float and clear, then the margins or the lines of each side.
    g = page(nbPages, "tsCaja");
    p = g->parentWidget();
    g->addWidget(addRadio(p, "rgFloat", kFloat, kFloats, field(&TCssRule::rgFloat)), 0, 0);
    g->addWidget(addRadio(p, "rgClear", kClear, kClears, field(&TCssRule::rgClear)), 0, 1);
    const int boxGroup = ++FToggleGroups;
    const std::pair<TToolbarButtonKt**, int> boxPages[2] = {{&sbBoxMargen, kMargins}, {&sbLineas, kLines}};
    for (int tag = 0; tag < 2; ++tag) {
        auto* b = new TToolbarButtonKt(p);
        b->setObjectName(QLatin1String(tag == 0 ? "sbBoxMargen" : "sbLineas"));
        b->SetCaption(LoadResString(boxPages[tag].second));
        b->SetFlat(false);
        b->SetGroupIndex(boxGroup);
        b->setProperty("Tag", tag);
        b->setMinimumWidth(80);
        b->setFixedHeight(22);
        b->OnClick = [this, tag](TToolbarButtonKt*) { CallHandler(this, [&] { sbBoxMargenClick(tag); }); };
        b->Loaded();
        *boxPages[tag].first = b;
    }
    sbBoxMargen->SetDown(true);
    g->addLayout(line({sbBoxMargen, sbLineas}), 1, 0, 1, 3);
    nbBox = new QStackedWidget(p);
    nbBox->setObjectName(QStringLiteral("nbBox"));
    g->addWidget(nbBox, 2, 0, 1, 3);
    g->setColumnStretch(2, 1);
    g->setRowStretch(2, 1);
    auto* margins = new QWidget(nbBox);
    margins->setObjectName(QStringLiteral("tsMargenes"));
    auto* lines = new QWidget(nbBox);
    lines->setObjectName(QStringLiteral("tsLineas"));
    nbBox->addWidget(margins);
    nbBox->addWidget(lines);
    auto* mg = new QGridLayout(margins);
    mg->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    mg->addWidget(new QLabel(LoadResQString(kMargin), margins), 0, 0, 1, 3);
    mg->addWidget(new QLabel(LoadResQString(kPadding), margins), 0, 3, 1, 3);
    auto* lg = new QGridLayout(lines);
    lg->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lg->addWidget(new QLabel(LoadResQString(kThickness), lines), 0, 1, 1, 3);
    lg->addWidget(new QLabel(LoadResQString(kStyle), lines), 0, 4);
    lg->addWidget(new QLabel(LoadResQString(kColor), lines), 0, 5);
    const QStringList widthKinds = resList(kWidthKinds);
    const QStringList styles = resList(kBorderStyles);
    for (int i = 0; i < 4; ++i) {
        const std::string s = sideNames[i];
        const int row = 1 + i;
        mg->addWidget(addToggle(margins, "sbMargin" + s, sides.value(i), side(&TCssRule::sbMargin, i)), row, 0);
        mg->addWidget(addNumber(margins, "Margin" + s, 0, max, side(&TCssRule::eMargin, i)), row, 1);
        mg->addWidget(addCombo(margins, "cbMargin" + s, boxUnits, side(&TCssRule::cbMargin, i)), row, 2);
        mg->addWidget(addToggle(margins, "sbPadding" + s, sides.value(i), side(&TCssRule::sbPadding, i)), row, 3);
        mg->addWidget(addNumber(margins, "Padding" + s, 0, max, side(&TCssRule::ePadding, i)), row, 4);
        mg->addWidget(addCombo(margins, "cbPadding" + s, boxUnits, side(&TCssRule::cbPadding, i)), row, 5);
        lg->addWidget(new QLabel(sides.value(i), lines), row, 0);
        lg->addWidget(addCombo(lines, "cbBorder" + s + "Width2", widthKinds, side(&TCssRule::cbBorderWidth2, i)), row, 1);
        lg->addWidget(addNumber(lines, "Border" + s + "Width", 0, max, side(&TCssRule::eBorderWidth, i)), row, 2);
        lg->addWidget(addCombo(lines, "cbBorder" + s + "Width", lengthUnits, side(&TCssRule::cbBorderWidth, i)), row, 3);
        lg->addWidget(addCombo(lines, "cbBorder" + s + "Style", styles, side(&TCssRule::cbBorderStyle, i)), row, 4);
        sbBorderColor[static_cast<size_t>(i)] = addColorButton(lines, "sbBorder" + s + "Color",
                                                               side(&TCssRule::sbBorderColor, i),
                                                               side(&TCssRule::BorderColor, i));
        lg->addWidget(sbBorderColor[static_cast<size_t>(i)], row, 5);
    }

    // "Clasificación".
    g = page(nbPages, "tsClasificacion");
    p = g->parentWidget();
    g->addWidget(addRadio(p, "rgDisplay", kDisplay, kDisplays, field(&TCssRule::rgDisplay)), 0, 0);
    g->addWidget(addRadio(p, "rgListStylePosition", kPosition, kListPositions, field(&TCssRule::rgListStylePosition)),
                 1, 0);
    g->addWidget(addRadio(p, "rgListStyleType", kListType, kListTypes, field(&TCssRule::rgListStyleType)), 0, 1, 2, 1);
    chListStyleImage = addCheck(p, "chListStyleImage", kImage, field(&TCssRule::chListStyleImage));
    eListStyleImage = addText(p, "eListStyleImage", field(&TCssRule::eListStyleImage));
    sbListStyleImage = glyphButton(p, "sbListStyleImage", QStyle::SP_DialogOpenButton, LoadResQString(kPictureHint));
    sbListStyleImage->OnClick = [this](TToolbarButtonKt*) { CallHandler(this, [&] { sbListStyleImageClick(); }); };
    g->addWidget(chListStyleImage, 2, 0);
    g->addLayout(line({eListStyleImage, sbListStyleImage}), 2, 1);
    g->setColumnStretch(1, 1);

    // "Posicionamiento": the four sizes and the clip on the left, the kinds on the right.
    g = page(nbPages, "tsPosicionamiento");
    p = g->parentWidget();
    struct TSize {
        const char* name;
        int caption;
        bool TCssRule::*on;
        std::string TCssRule::*value;
        int TCssRule::*unit;
        const QStringList& units;
    };
    const TSize sizes[4] = {{"Width", kWidth, &TCssRule::sbWidth, &TCssRule::eWidth, &TCssRule::cbWidth, boxUnits},
                            {"Height", kHeight, &TCssRule::sbHeight, &TCssRule::eHeight, &TCssRule::cbHeight, lengthUnits},
                            {"Left", kLeft, &TCssRule::sbLeft, &TCssRule::eLeft, &TCssRule::cbLeft, boxUnits},
                            {"Top", kTop, &TCssRule::sbTop, &TCssRule::eTop, &TCssRule::cbTop, boxUnits}};
    for (int i = 0; i < 4; ++i) {
        const TSize& z = sizes[i];
        const std::string name = z.name;
        g->addWidget(addToggle(p, "sb" + name, LoadResQString(z.caption), field(z.on)), i, 0);
        g->addWidget(addNumber(p, name, 0, max, field(z.value)), i, 1);
        g->addWidget(addCombo(p, "cb" + name, z.units, field(z.unit)), i, 2);
    }
    g->addWidget(addCheck(p, "chClip", kClip, field(&TCssRule::chClip)), 4, 0, 1, 3);
    for (int i = 0; i < 4; ++i) {
        const std::string s = sideNames[i];
        g->addWidget(new QLabel(sides.value(i), p), 5 + i, 0, Qt::AlignRight);
        g->addWidget(addNumber(p, "Clip" + s, 0, max, side(&TCssRule::eClip, i)), 5 + i, 1);
        g->addWidget(addCombo(p, "cbClip" + s, lengthUnits, side(&TCssRule::cbClip, i)), 5 + i, 2);
    }
    const std::tuple<int, const char*, int, int TCssRule::*> kinds[3] = {
        {kOverflow, "cbOverFlow", kOverflows, &TCssRule::cbOverFlow},
        {kPosition, "cbPosition", kPositions, &TCssRule::cbPosition},
        {kVisibility, "cbVisibility", kVisibilities, &TCssRule::cbVisibility}};
    for (int i = 0; i < 3; ++i) {
        const auto& [caption, name, list, member] = kinds[i];
        g->addWidget(new QLabel(LoadResQString(caption), p), 2 * i, 4);
        g->addWidget(addCombo(p, name, resList(list), field(member)), 2 * i + 1, 4);
    }
    g->addLayout(line({addCheck(p, "chZIndex", kZIndex, field(&TCssRule::chZIndex)),
                       addNumber(p, "ZIndex", 0, max, field(&TCssRule::eZIndex))}),
                 6, 4);
    g->setColumnMinimumWidth(3, 16);

    // "Impresión".
    g = page(nbPages, "tsImpresion");
    p = g->parentWidget();
    g->addWidget(addRadio(p, "rgPageBreakBefore", kBreakBefore, kBreaks, field(&TCssRule::rgPageBreakBefore)), 0, 0);
    g->addWidget(addRadio(p, "rgPageBreakAfter", kBreakAfter, kBreaks, field(&TCssRule::rgPageBreakAfter)), 0, 1);

    // "Cursores".
    g = page(nbPages, "tsCursores");
    p = g->parentWidget();
    g->addWidget(addRadio(p, "rgCursor", kCursor, kCursors, field(&TCssRule::rgCursor), 2), 0, 0);

    // "Códigos no soportados".
    g = page(nbPages, "tsRestos");
    p = g->parentWidget();
    g->setAlignment(Qt::Alignment());
    mRestos = new QPlainTextEdit(p);
    mRestos->setObjectName(QStringLiteral("mRestos"));
    mRestos->setLineWrapMode(QPlainTextEdit::NoWrap);
    mRestos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mRestos->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    g->addWidget(mRestos, 0, 0);
}
