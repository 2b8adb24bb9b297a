// TformFusion: the dialog that names a template and the data file to merge it with.
#include "app/dialogs/uFormFusion.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "components/VeltranEdit.h"
#include "platform/Controls.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCaption = 6252;
constexpr int kTemplateLabel = 6253;
constexpr int kDataLabel = 6254;
constexpr int kTemplateFilter = 6255;
constexpr int kDataFilter = 6256;
constexpr int kNoTemplate = 6257;
constexpr int kNoData = 6258;
constexpr int kAccept = 6259;
constexpr int kCancel = 6260;
constexpr int kBoxCaption = 6015;

// The browse buttons' picture: an open folder.
QPixmap folderGlyph()
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setPen(QColor(128, 96, 0));
    p.setBrush(QColor(255, 220, 96));
    p.drawRect(1, 4, 12, 9);
    p.drawRect(1, 2, 5, 2);
    p.setBrush(QColor(255, 240, 160));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
    return glyph;
}

} // namespace

TformFusion::TformFusion(QWidget* owner)
    : QDialog(owner)
{
    setObjectName("formFusion");
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(283, 142);
    const QPixmap glyph = folderGlyph();
    auto makeEdit = [&](QLabel*& label, TBtnEdit*& edit, const char* name, int text, int tag, int top) {
        label = new QLabel(LoadResQString(text), this);
        label->setGeometry(8, top, 267, 16);
        edit = new TBtnEdit(this);
        edit->setObjectName(name);
        edit->setProperty("Tag", tag);
        edit->setGeometry(8, top + 17, 267, 21);
        edit->SetBtnGlyph(glyph);
        label->setBuddy(edit);
    };
    makeEdit(lPlantilla, bePlantilla, "bePlantilla", kTemplateLabel, 1, 8);
    makeEdit(lDatos, beDatos, "beDatos", kDataLabel, 2, 54);
    bePlantilla->OnBtnClick = [this](TBtnEdit*) { bePlantillaClick(); };
    beDatos->OnBtnClick = [this](TBtnEdit*) { beDatosClick(); };
    btnAceptar = new QPushButton(LoadResQString(kAccept), this);
    btnAceptar->setObjectName("btnAceptar");
    btnAceptar->setGeometry(112, 108, 75, 25);
    btnAceptar->setDefault(true);
    btnCancelar = new QPushButton(LoadResQString(kCancel), this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setGeometry(200, 108, 75, 25);
    connect(btnAceptar, &QPushButton::clicked, this, [this] { btnAceptarClick(); });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { Salir(); });
    CenterOnScreen(this);
}

std::string TformFusion::TemplateFile() const
{
    return FilePathOf(bePlantilla);
}

std::string TformFusion::DataFile() const
{
    return FilePathOf(beDatos);
}

void TformFusion::browse(TBtnEdit* edit, int filter)
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(filter);
    dialog.InitialDir = InitialDir;
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (ExecuteFileDialog(this, dialog))
        ShowFilePath(edit, dialog.FileName);
}

void TformFusion::bePlantillaClick()
{
    browse(bePlantilla, kTemplateFilter);
}

void TformFusion::beDatosClick()
{
    browse(beDatos, kDataFilter);
}

void TformFusion::btnAceptarClick()
{
    const int missing = !FileExists(TemplateFile()) ? kNoTemplate : !FileExists(DataFile()) ? kNoData : 0;
    if (missing == 0) {
        accept();
        return;
    }
    MessageBox(this, LoadResString(missing), LoadResString(kBoxCaption), MB_OK | MB_ICONEXCLAMATION);
    reject();
}

void TformFusion::Salir()
{
    reject();
}
