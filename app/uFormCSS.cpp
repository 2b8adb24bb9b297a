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
#include <QVBoxLayout>
#include <exception>

#include "app/SidePanelTools.h"
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

} // namespace

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
    auto* fonts = new QWidget(pages);
    auto* fontGrid = new QGridLayout(fonts);
    chFontFamily = check(fonts, "chFontFamily", "Familia");
    eFontFamily = new QLineEdit(fonts);
    eFontFamily->setObjectName(QStringLiteral("eFontFamily"));
    lbFonts = new QListWidget(fonts);
    lbFonts->setObjectName(QStringLiteral("lbFonts"));
    lbFonts->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(lbFonts, &QListWidget::itemClicked, this, [this] { lbFontsClick(); });
    chItalic = check(fonts, "chItalic", "Cursiva");
    chSmallCaps = check(fonts, "chSmallCaps", "Versalitas");
    chBold = check(fonts, "chBold", "Negrita");
    fontGrid->addWidget(chFontFamily, 0, 0);
    fontGrid->addWidget(eFontFamily, 0, 1);
    fontGrid->addWidget(lbFonts, 1, 0, 1, 2);
    fontGrid->addWidget(chItalic, 2, 0);
    fontGrid->addWidget(chSmallCaps, 2, 1);
    fontGrid->addWidget(chBold, 3, 0);
    pages->addTab(fonts, QStringLiteral("Fuentes"));
    mRestos = new QPlainTextEdit(pages);
    mRestos->setObjectName(QStringLiteral("mRestos"));
    mRestos->setLineWrapMode(QPlainTextEdit::NoWrap);
    pages->addTab(mRestos, QString::fromUtf8("Códigos no soportados"));
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
    rule.chFontFamily = chFontFamily->isChecked();
    rule.eFontFamily = ToWin1252(eFontFamily->text());
    rule.chItalic = chItalic->isChecked();
    rule.chSmallCaps = chSmallCaps->isChecked();
    rule.chBold = chBold->isChecked();
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
    chFontFamily->setChecked(rule.chFontFamily);
    eFontFamily->setText(FromWin1252(rule.eFontFamily));
    chItalic->setChecked(rule.chItalic);
    chSmallCaps->setChecked(rule.chSmallCaps);
    chBold->setChecked(rule.chBold);
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
