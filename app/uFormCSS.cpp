// TformCSS: the library is a TStyleLibrary; the list box and the string holder mirror it after every
// change. The rule being edited lives in the controls; Rule() and SetRule() carry it to and from
// the rule model, which reads and writes the declarations.
#include "app/uFormCSS.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QComboBox>
#include <QToolButton>
#include <algorithm>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "app/SidePanelTools.h"
#include "app/uFormPrincipalTools.h"
#include "editor/SpinButton.h"
#include "platform/RadioGroup.h"
#include "app/model/PanelItems.h"
#include "app/model/libVeltran.h"
#include "components/StrHlder.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"

namespace {

constexpr int kProductName = 4505;
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

QString res(int id)
{
    return FromWin1252(LoadResString(id));
}

QPushButton* button(QWidget* parent, const char* name, int caption)
{
    auto* b = new QPushButton(res(caption), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QCheckBox* check(QWidget* parent, const char* name, const char* caption)
{
    auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

TCSSDialogHook& hook()
{
    static TCSSDialogHook answer;
    return answer;
}

} // namespace

TCSSDialogHook SetCSSDialogHook(TCSSDialogHook hook_)
{
    return std::exchange(hook(), std::move(hook_));
}

void TformCSS::Execute()
{
    if (hook()) {
        hook()(*this);
        return;
    }
    exec();
}

TformCSS::TformCSS(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("formCSS"));
    setWindowTitle(res(kCaption));
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(res(kClassLabel), this));
    eClass = new QLineEdit(this);
    eClass->setObjectName(QStringLiteral("eClass"));
    top->addWidget(eClass, 1);
    eLibreria = new TLibraryEdit(this);
    eLibreria->setObjectName(QStringLiteral("eLibreria"));
    top->addWidget(eLibreria);
    sbCargaCSS = new TToolbarButtonKt(this);
    sbCargaCSS->setObjectName(QStringLiteral("sbCargaCSS"));
    sbCargaCSS->setFixedSize(23, 22);
    sbCargaCSS->OnClick = [this](TToolbarButtonKt*) { sbCargaCSSClick(); };
    top->addWidget(sbCargaCSS);
    sbSalva = new TToolbarButtonKt(this);
    sbSalva->setObjectName(QStringLiteral("sbSalva"));
    sbSalva->setFixedSize(23, 22);
    sbSalva->OnClick = [this](TToolbarButtonKt*) { sbSalvaClick(); };
    top->addWidget(sbSalva);
    root->addLayout(top);

    auto* middle = new QHBoxLayout;
    lbEstilos = new QListWidget(this);
    lbEstilos->setObjectName(QStringLiteral("lbEstilos"));
    lbEstilos->setFixedWidth(140);
    connect(lbEstilos, &QListWidget::itemClicked, this, [this] { lbEstilosClick(); });
    middle->addWidget(lbEstilos);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("nbPages"));
    buildPages(pages);
    middle->addWidget(pages, 1);
    root->addLayout(middle, 1);

    auto* buttons = new QHBoxLayout;
    bNew = button(this, "bNew", kNew);
    bAdd = button(this, "bAdd", kStore);
    bErase = button(this, "bErase", kErase);
    bVer = button(this, "bVer", kView);
    bEdit = button(this, "bEdit", kEdit);
    bAceptar = button(this, "bAceptar", kLeave);
    for (QPushButton* b : {bNew, bAdd, bErase, bVer, bEdit, bAceptar}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(bNew, &QPushButton::clicked, this, [this] { bNewClick(); });
    connect(bAdd, &QPushButton::clicked, this, [this] { bAddClick(); });
    connect(bErase, &QPushButton::clicked, this, [this] { bEraseClick(); });
    connect(bVer, &QPushButton::clicked, this, [this] { bVerClick(); });
    connect(bAceptar, &QPushButton::clicked, this, [this] { bAceptarClick(); });
    root->addLayout(buttons);

    shCSS = new TStrHolder(this);
    TStringList names;
    for (std::string_view name : CSSPropertyNames)
        names.Add(std::string(name));
    shCSS->Assign(names);
    shEstilos = new TStrHolder(this);

    // FormCreate.
    ClearControls();
    for (const QString& family : QFontDatabase::families())
        lbFonts->addItem(family);
}

TformCSS::~TformCSS() = default;

// ---------------------------------------------------------------- the rule and the controls

TCssRule TformCSS::Rule() const
{
    TCssRule rule = FRule;
    rule.eClass = ToWin1252(eClass->text());
    for (const TBinding& binding : FBindings)
        binding.Get(rule);
    rule.mRestos.clear();
    TStringList memo;
    memo.SetText(ToWin1252(mRestos->toPlainText()));
    for (int i = 0; i < memo.Count(); ++i)
        rule.mRestos.push_back(memo[i]);
    return rule;
}

void TformCSS::SetRule(const TCssRule& rule)
{
    FRule = rule;
    eClass->setText(FromWin1252(rule.eClass));
    for (const TBinding& binding : FBindings)
        binding.Set(rule);
    TStringList memo;
    for (const std::string& line : rule.mRestos)
        memo.Add(line);
    std::string text = memo.Text();
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    mRestos->setPlainText(FromWin1252(text));
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
    try {
        rule.ReadStyle(FLibrary.Text(), ToWin1252(item->text()));
    } catch (...) {
        // A number that does not convert stops the reading; what was read so far stays in the controls.
        SetRule(rule);
        throw;
    }
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
        lbEstilos->addItem(FromWin1252(selector));
    if (select >= 0 && select < lbEstilos->count())
        lbEstilos->setCurrentRow(select);
}

void TformCSS::setLibraryFile(const std::string& path)
{
    eLibreria->setText(FromWin1252(ExtractFileName(path)));
    eLibreria->SetHint(FromWin1252(path));
}

void TformCSS::LoadStyleSheet(const std::string& path)
{
    setLibraryFile(path);
    FLibrary.Clear();
    if (FileExists(path))
        FLibrary.Load(ReadFileBytes(path));
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
        FormShow();
    }
}

void TformCSS::FormShow()
{
    if (lbEstilos->count() > 0) {
        lbEstilos->setCurrentRow(0);
        ReadStyle();
    }
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
    std::string entry = ToWin1252(lbEstilos->item(index)->text());
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
    TFileDialogRequest dialog;
    dialog.Save = true;
    dialog.Filter = LoadResString(kLibraryFilter);
    dialog.InitialDir = ExtractFilePath(OpenFileName);
    dialog.FileName = ToWin1252(eLibreria->Hint());
    if (!ExecuteFileDialog(this, dialog))
        return false;
    if (MakeBackups)
        MakeBackupFile(dialog.FileName);
    StoreStyle();
    std::string text = FLibrary.Normalise();
    syncLibrary(lbEstilos->currentRow());
    try {
        WriteFileBytes(dialog.FileName, text);
    } catch (const std::exception&) {
        // The edits stay in the dialog; the user may save elsewhere.
        MessageBox(this, FmtLoadStr(kCannotWrite, dialog.FileName.c_str()), LoadResString(kProductName),
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

void TformCSS::FormCloseQuery(bool& CanClose)
{
    switch (MessageBox(this, LoadResString(kSaveQuestion), LoadResString(kProductName),
                       MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        // A save that did not happen keeps the dialog and its edits.
        CanClose = sbSalvaClick();
        break;
    case IDNO:
        CanClose = true;
        break;
    default:
        CanClose = false;
    }
}

void TformCSS::reject()
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
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

QStringList units(TCSSUnitList list)
{
    QStringList result;
    for (std::string_view unit : list)
        result << QString::fromLatin1(unit.data(), static_cast<qsizetype>(unit.size()));
    return result;
}

QStringList items(std::initializer_list<const char*> texts)
{
    QStringList result;
    for (const char* text : texts)
        result << QString::fromUtf8(text);
    return result;
}

QGridLayout* page(QTabWidget* pages, const char* name, const char* caption)
{
    auto* widget = new QWidget(pages);
    widget->setObjectName(QLatin1String(name));
    pages->addTab(widget, QString::fromUtf8(caption));
    return new QGridLayout(widget);
}

} // namespace

QWidget* TformCSS::addCheck(QGridLayout* grid, int row, int col, const char* name, const char* caption,
                            TField<bool> f)
{
    auto* box = check(grid->parentWidget(), name, caption);
    grid->addWidget(box, row, col);
    FBindings.push_back({[box, f](TCssRule& r) { f(r) = box->isChecked(); },
                         [box, f](const TCssRule& r) { box->setChecked(f(const_cast<TCssRule&>(r))); }});
    return box;
}

QWidget* TformCSS::addToggle(QGridLayout* grid, int row, int col, const char* name, const char* caption,
                             TField<bool> f)
{
    auto* button = new QToolButton(grid->parentWidget());
    button->setObjectName(QLatin1String(name));
    button->setText(QString::fromUtf8(caption));
    button->setCheckable(true);
    grid->addWidget(button, row, col);
    FBindings.push_back({[button, f](TCssRule& r) { f(r) = button->isChecked(); },
                         [button, f](const TCssRule& r) { button->setChecked(f(const_cast<TCssRule&>(r))); }});
    return button;
}

QWidget* TformCSS::addRadio(QGridLayout* grid, int row, int col, const char* name, const char* caption,
                            const QStringList& list, TField<int> f)
{
    auto* group = new TRadioGroup(QString::fromUtf8(caption), list, grid->parentWidget());
    group->setObjectName(QLatin1String(name));
    grid->addWidget(group, row, col);
    FBindings.push_back({[group, f](TCssRule& r) { f(r) = std::max(group->ItemIndex(), 0); },
                         [group, f](const TCssRule& r) { group->SetItemIndex(f(const_cast<TCssRule&>(r))); }});
    return group;
}

QWidget* TformCSS::addCombo(QGridLayout* grid, int row, int col, const char* name, const QStringList& list,
                            TField<int> f)
{
    auto* combo = new QComboBox(grid->parentWidget());
    combo->setObjectName(QLatin1String(name));
    combo->addItems(list);
    grid->addWidget(combo, row, col);
    FBindings.push_back({[combo, f](TCssRule& r) { f(r) = combo->currentIndex(); },
                         [combo, f](const TCssRule& r) { combo->setCurrentIndex(f(const_cast<TCssRule&>(r))); }});
    return combo;
}

QWidget* TformCSS::addText(QGridLayout* grid, int row, int col, const char* name, TField<std::string> f)
{
    auto* edit = new QLineEdit(grid->parentWidget());
    edit->setObjectName(QLatin1String(name));
    grid->addWidget(edit, row, col);
    FBindings.push_back({[edit, f](TCssRule& r) { f(r) = ToWin1252(edit->text()); },
                         [edit, f](const TCssRule& r) { edit->setText(FromWin1252(f(const_cast<TCssRule&>(r)))); }});
    return edit;
}

QWidget* TformCSS::addNumber(QGridLayout* grid, int row, int col, const char* name, const char* spinName, int min,
                             int max, TField<std::string> f)
{
    auto* holder = new QWidget(grid->parentWidget());
    auto* line = new QHBoxLayout(holder);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    auto* edit = new QLineEdit(holder);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(48);
    auto* spin = new TSpinButton(holder);
    spin->setObjectName(QLatin1String(spinName));
    spin->setFixedSize(15, 21);
    line->addWidget(edit);
    line->addWidget(spin);
    grid->addWidget(holder, row, col);
    FUpDowns.push_back(std::make_unique<TUpDownEdit>(edit, spin, min, max));
    FBindings.push_back({[edit, f](TCssRule& r) { f(r) = ToWin1252(edit->text()); },
                         [edit, f](const TCssRule& r) { edit->setText(FromWin1252(f(const_cast<TCssRule&>(r)))); }});
    return edit;
}

QWidget* TformCSS::addColor(QGridLayout* grid, int row, int col, const char* name, TField<TColor> f)
{
    auto* panel = new TColorPanel(grid->parentWidget());
    panel->setObjectName(QLatin1String(name));
    panel->setFixedSize(40, 20);
    grid->addWidget(panel, row, col);
    FBindings.push_back({[panel, f](TCssRule& r) { f(r) = panel->Color(); },
                         [panel, f](const TCssRule& r) { panel->SetColor(f(const_cast<TCssRule&>(r))); }});
    return panel;
}

void TformCSS::buildPages(QTabWidget* pages)
{
    const int max = CSSUpDownMax;
    const QStringList fontUnits = units(CSSFontSizeUnits);
    const QStringList positionUnits = units(CSSPositionUnits);
    const QStringList lineUnits = units(CSSLineHeightUnits);
    const QStringList boxUnits = units(CSSBoxUnits);
    const QStringList lengthUnits = units(CSSLengthUnits);

    // "Fuentes".
    QGridLayout* g = page(pages, "tsFuentes", "Fuentes");
    chFontFamily = static_cast<QCheckBox*>(addCheck(g, 0, 0, "chFontFamily", "Familia", field(&TCssRule::chFontFamily)));
    eFontFamily = static_cast<QLineEdit*>(addText(g, 0, 1, "eFontFamily", field(&TCssRule::eFontFamily)));
    lbFonts = new QListWidget(g->parentWidget());
    lbFonts->setObjectName(QStringLiteral("lbFonts"));
    lbFonts->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(lbFonts, &QListWidget::itemClicked, this, [this] { lbFontsClick(); });
    g->addWidget(lbFonts, 1, 0, 3, 2);
    chItalic = static_cast<QCheckBox*>(addCheck(g, 4, 0, "chItalic", "Cursiva", field(&TCssRule::chItalic)));
    chSmallCaps = static_cast<QCheckBox*>(addCheck(g, 4, 1, "chSmallCaps", "Versalitas", field(&TCssRule::chSmallCaps)));
    chBold = static_cast<QCheckBox*>(addCheck(g, 5, 0, "chBold", "Negrita", field(&TCssRule::chBold)));
    addRadio(g, 0, 2, "rgFontSize", "Tamaño",
             items({"Ninguno", "Más grande", "Más pequeño", "Fijo", "Enorme", "Muy grande", "Grande", "Mediana",
                    "Pequeña", "Muy pequeña", "Diminuta"}),
             field(&TCssRule::rgFontSize));
    addNumber(g, 1, 2, "eFontSize", "udFontSize", 0, max, field(&TCssRule::eFontSize));
    addCombo(g, 2, 2, "cbFontSize", fontUnits, field(&TCssRule::cbFontSize));

    // "Color y Fondo".
    g = page(pages, "tsColor", "Color y Fondo");
    addToggle(g, 0, 0, "sbColor", "Color", field(&TCssRule::sbColor));
    addColor(g, 0, 1, "pColor", field(&TCssRule::pColor));
    addToggle(g, 1, 0, "sbBGColor", "Color de fondo", field(&TCssRule::sbBGColor));
    addColor(g, 1, 1, "pBGColor", field(&TCssRule::pBGColor));
    addCheck(g, 2, 0, "chBgImage", "Imagen", field(&TCssRule::chBgImage));
    addText(g, 2, 1, "eBgImage", field(&TCssRule::eBgImage));
    addCheck(g, 3, 0, "chBgFixed", "Fondo fijo", field(&TCssRule::chBgFixed));
    addRadio(g, 4, 0, "rgBgRepeat", "Repetir",
             items({"Ninguno", "repeat - Repetir los ejes X e Y", "repeat-x - Repetir en el eje X",
                    "repeat-y - Repetir en el eje Y", "no-repeat - No repetir"}),
             field(&TCssRule::rgBgRepeat));
    addCheck(g, 5, 0, "chPosition", "Posición", field(&TCssRule::chPosition));
    addRadio(g, 6, 0, "rgPosition1", "", items({"Fija", "Arriba", "En medio", "Abajo"}), field(&TCssRule::rgPosition1));
    addNumber(g, 7, 0, "ePositionX", "udPositionX", -max, max, field(&TCssRule::ePositionX));
    addCombo(g, 8, 0, "cbPositionX", positionUnits, field(&TCssRule::cbPositionX));
    addRadio(g, 6, 1, "rgPosition2", "", items({"Fija", "Izquierda", "Centro", "Derecha"}), field(&TCssRule::rgPosition2));
    addNumber(g, 7, 1, "ePositionY", "udPositionY", -max, max, field(&TCssRule::ePositionY));
    addCombo(g, 8, 1, "cbPositionY", positionUnits, field(&TCssRule::cbPositionY));

    // "Texto".
    g = page(pages, "tsTexto", "Texto");
    addCheck(g, 0, 0, "chLetterSpacing", "Espaciado", field(&TCssRule::chLetterSpacing));
    addNumber(g, 0, 1, "eLetterSpacing", "udLetterSpacing", 0, max, field(&TCssRule::eLetterSpacing));
    addCombo(g, 0, 2, "cbLetterSpacing", lengthUnits, field(&TCssRule::cbLetterSpacing));
    addCheck(g, 1, 0, "chTextIndent", "Sangría", field(&TCssRule::chTextIndent));
    addNumber(g, 1, 1, "eTextIndent", "udTextIndent", 0, max, field(&TCssRule::eTextIndent));
    addCombo(g, 1, 2, "cbTextIndent", positionUnits, field(&TCssRule::cbTextIndent));
    addCheck(g, 2, 0, "chLineHeight", "Alto de línea", field(&TCssRule::chLineHeight));
    addNumber(g, 2, 1, "eLineHeight", "udLineHeight", 0, max, field(&TCssRule::eLineHeight));
    addCombo(g, 2, 2, "cbLineHeight", lineUnits, field(&TCssRule::cbLineHeight));
    addRadio(g, 3, 0, "rgTextTransform", "Transformación",
             items({"Ninguna", "Letra capital", "Mayúsculas", "Minúsculas"}), field(&TCssRule::rgTextTransform));
    addRadio(g, 3, 1, "rgTextDecoration", "Decoración",
             items({"Ninguno", "Subrayado", "Línea encima", "Tachado", "Parpadeante"}),
             field(&TCssRule::rgTextDecoration));
    addRadio(g, 3, 2, "rgTextAlign", "Alineación", items({"Ninguno", "Izquierda", "Derecha", "Centro", "Justificado"}),
             field(&TCssRule::rgTextAlign));
    addRadio(g, 0, 3, "rgVerticalAlign", "Alineación vertical",
             items({"Ninguno", "Subíndice", "Superíndice", "Arriba", "Texto superior", "Línea base", "En medio",
                    "Abajo", "Texto inferior", "Porcentaje"}),
             field(&TCssRule::rgVerticalAlign));
    addNumber(g, 3, 3, "eVerticalAlign", "udVerticalAlign", 0, max, field(&TCssRule::eVerticalAlign));

    // "Caja": float and clear, then per side the margin, padding and border controls.
    g = page(pages, "tsCaja", "Caja");
    addRadio(g, 0, 0, "rgFloat", "Flotante", items({"Ninguno", "Izquierda", "Derecha"}), field(&TCssRule::rgFloat));
    addRadio(g, 0, 1, "rgClear", "Limpiar", items({"Ninguno", "Izquierda", "Derecha", "Ambos"}), field(&TCssRule::rgClear));
    static const char* const sides[4] = {"Top", "Right", "Bottom", "Left"};
    static const char* const sideCaptions[4] = {"Arriba", "Derecha", "Abajo", "Izquierda"};
    const QStringList widthKinds = items({"Ninguno", "Fino", "Medio", "Ancho", "Fijo"});
    const QStringList styles = items({"Ninguno", "Sólido", "Doble", "Estriado", "Punteado", "Interior", "Exterior"});
    for (int i = 0; i < 4; ++i) {
        auto name = [&](const char* prefix, const char* suffix = "") {
            FNames.push_back(std::string(prefix) + sides[i] + suffix);
            return FNames.back().c_str();
        };
        const int row = 1 + i;
        addToggle(g, row, 0, name("sbMargin"), sideCaptions[i], side(&TCssRule::sbMargin, i));
        addNumber(g, row, 1, name("eMargin"), name("udMargin"), 0, max, side(&TCssRule::eMargin, i));
        addCombo(g, row, 2, name("cbMargin"), boxUnits, side(&TCssRule::cbMargin, i));
        addToggle(g, row, 3, name("sbPadding"), sideCaptions[i], side(&TCssRule::sbPadding, i));
        addNumber(g, row, 4, name("ePadding"), name("udPadding"), 0, max, side(&TCssRule::ePadding, i));
        addCombo(g, row, 5, name("cbPadding"), boxUnits, side(&TCssRule::cbPadding, i));
        addCombo(g, row + 4, 0, name("cbBorder", "Width2"), widthKinds, side(&TCssRule::cbBorderWidth2, i));
        addNumber(g, row + 4, 1, name("eBorder", "Width"), name("udBorder", "Width"), 0, max,
                  side(&TCssRule::eBorderWidth, i));
        addCombo(g, row + 4, 2, name("cbBorder", "Width"), lengthUnits, side(&TCssRule::cbBorderWidth, i));
        addCombo(g, row + 4, 3, name("cbBorder", "Style"), styles, side(&TCssRule::cbBorderStyle, i));
        addToggle(g, row + 4, 4, name("sbBorder", "Color"), sideCaptions[i], side(&TCssRule::sbBorderColor, i));
        addColor(g, row + 4, 5, name("pBorder", "Color"), side(&TCssRule::BorderColor, i));
    }

    // "Clasificación".
    g = page(pages, "tsClasificacion", "Clasificación");
    addRadio(g, 0, 0, "rgDisplay", "Mostrar", items({"Ninguna", "None", "Block", "Inline", "List-item"}),
             field(&TCssRule::rgDisplay));
    addRadio(g, 0, 1, "rgListStyleType", "Tipo de lista",
             items({"Ninguno", "Discos", "Círculos", "Cuadrados", "Números decimales", "Números romanos en minúscula",
                    "Números romanos en mayúscula", "Alfabeto en minúscula", "Alfabeto en mayúscula",
                    "Sin puntuación"}),
             field(&TCssRule::rgListStyleType));
    addCheck(g, 1, 0, "chListStyleImage", "Imagen", field(&TCssRule::chListStyleImage));
    addText(g, 1, 1, "eListStyleImage", field(&TCssRule::eListStyleImage));
    addRadio(g, 2, 0, "rgListStylePosition", "Posición", items({"Ninguna", "Dentro", "Fuera"}),
             field(&TCssRule::rgListStylePosition));

    // "Posicionamiento".
    g = page(pages, "tsPosicionamiento", "Posicionamiento");
    addToggle(g, 0, 0, "sbWidth", "Ancho", field(&TCssRule::sbWidth));
    addNumber(g, 0, 1, "eWidth", "udWidth", 0, max, field(&TCssRule::eWidth));
    addCombo(g, 0, 2, "cbWidth", boxUnits, field(&TCssRule::cbWidth));
    addToggle(g, 1, 0, "sbHeight", "Alto", field(&TCssRule::sbHeight));
    addNumber(g, 1, 1, "eHeight", "udHeight", 0, max, field(&TCssRule::eHeight));
    addCombo(g, 1, 2, "cbHeight", lengthUnits, field(&TCssRule::cbHeight));
    addToggle(g, 2, 0, "sbLeft", "Izquierda", field(&TCssRule::sbLeft));
    addNumber(g, 2, 1, "eLeft", "udLeft", 0, max, field(&TCssRule::eLeft));
    addCombo(g, 2, 2, "cbLeft", boxUnits, field(&TCssRule::cbLeft));
    addToggle(g, 3, 0, "sbTop", "Arriba", field(&TCssRule::sbTop));
    addNumber(g, 3, 1, "eTop", "udTop", 0, max, field(&TCssRule::eTop));
    addCombo(g, 3, 2, "cbTop", boxUnits, field(&TCssRule::cbTop));
    addCheck(g, 4, 0, "chClip", "Forma recortada", field(&TCssRule::chClip));
    for (int i = 0; i < 4; ++i) {
        FNames.push_back(std::string("eClip") + sides[i]);
        const char* edit = FNames.back().c_str();
        FNames.push_back(std::string("udClip") + sides[i]);
        const char* spin = FNames.back().c_str();
        FNames.push_back(std::string("cbClip") + sides[i]);
        const char* combo = FNames.back().c_str();
        addNumber(g, 5 + i, 1, edit, spin, 0, max, side(&TCssRule::eClip, i));
        addCombo(g, 5 + i, 2, combo, lengthUnits, side(&TCssRule::cbClip, i));
    }
    addCombo(g, 0, 3, "cbOverFlow",
             items({"(Ninguno)", "Desbordamiento visible", "Desbordamiento oculto", "Mostrar barras de desplazamiento",
                    "Automático"}),
             field(&TCssRule::cbOverFlow));
    addCombo(g, 1, 3, "cbPosition", items({"(Ninguno)", "Absoluto", "Relativo", "Estático", "Fijo", "Heredado"}),
             field(&TCssRule::cbPosition));
    addCombo(g, 2, 3, "cbVisibility", items({"(Ninguno)", "Visible", "Oculto", "Heredado"}),
             field(&TCssRule::cbVisibility));
    addCheck(g, 3, 3, "chZIndex", "Índice", field(&TCssRule::chZIndex));
    addNumber(g, 4, 3, "eZIndex", "udZIndex", 0, max, field(&TCssRule::eZIndex));

    // "Impresión".
    g = page(pages, "tsImpresion", "Impresión");
    const QStringList breaks = items({"Ninguno", "Automático", "Siempre", "Evitar", "Forzar página impar",
                                      "Forzar página par", "Heredado"});
    addRadio(g, 0, 0, "rgPageBreakBefore", "Salto antes", breaks, field(&TCssRule::rgPageBreakBefore));
    addRadio(g, 0, 1, "rgPageBreakAfter", "Salto después", breaks, field(&TCssRule::rgPageBreakAfter));

    // "Cursores".
    g = page(pages, "tsCursores", "Cursores");
    addRadio(g, 0, 0, "rgCursor", "Cursor",
             items({"Ninguno", "Automático", "Cruz", "Por defecto", "Mano", "Mover", "Redimensionar - E",
                    "Redimensionar - NE", "Redimensionar - NW", "Redimensionar - N", "Redimensionar - SE",
                    "Redimensionar - SW", "Redimensionar - S", "Redimensionar - W", "Texto", "Reloj", "Ayuda"}),
             field(&TCssRule::rgCursor));

    // "Códigos no soportados".
    mRestos = new QPlainTextEdit(pages);
    mRestos->setObjectName(QStringLiteral("mRestos"));
    mRestos->setLineWrapMode(QPlainTextEdit::NoWrap);
    pages->addTab(mRestos, QString::fromUtf8("Códigos no soportados"));
}
