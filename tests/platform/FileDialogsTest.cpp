// Tests of the picture dialog's preview: the picture under the selection is shown beside the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/FileDialogs.h"
#include "support/TempDir.h"

TEST(FileDialogs, ThePictureDialogPreviewsTheSelectedPictureAndThePlainOneHasNoPreview)
{
    TempDir folder("pictures");
    const std::string picture = (folder.path / "a.png").string();
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(picture)));

    for (const bool withPreview : {true, false}) {
        bool looked = false;
        QSize shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                looked = true;
                auto* preview = dialog->findChild<QLabel*>("PicturePreview");
                EXPECT_EQ(preview != nullptr, withPreview);
                emit dialog->currentChanged(QString::fromStdString(picture));
                if (preview)
                    shown = preview->pixmap().size();
                dialog->reject();
            }
        });
        TFileDialogRequest request;
        request.Filter = "Im\xE1genes|*.png";
        request.InitialDir = folder.path.string();
        request.Picture = withPreview;
        EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
        EXPECT_TRUE(looked);
        EXPECT_EQ(shown, withPreview ? QSize(160, 80) : QSize());
    }
}

TEST(FileDialogs, EachFilterShowsItsMasksOnce)
{
    TempDir folder("filters");
    QStringList shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                shown = dialog->nameFilters();
                dialog->reject();
            }
    });
    TFileDialogRequest request;
    request.Filter = "Proyectos Kestrima (*.kr)|*.kr|Documentos PDF (*.pdf)|*.pdf|"
                     "Todos (*.jpg;*.gif)|*.jpg;*.gif|Texto|*.txt|Raro (a)|*.b";
    request.InitialDir = folder.path.string();
    EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
    EXPECT_EQ(shown, (QStringList{"Proyectos Kestrima (*.kr)", "Documentos PDF (*.pdf)", "Todos (*.jpg *.gif)",
                                  "Texto (*.txt)", "Raro (a) (*.b)"}));
}

TEST(FileDialogs, AnOpenDialogWithoutMustExistTakesANewNameUnderItsOpenButton)
{
    TempDir folder("newnames");
    QString mustExistButton;
    QFileDialog::FileMode mustExistMode = QFileDialog::AnyFile;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                mustExistMode = dialog->fileMode();
                mustExistButton = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text();
                dialog->reject();
            }
    });
    TFileDialogRequest existing;
    existing.Filter = "Librer\xED""as de c\xF3""digos (*.cod)|*.cod";
    existing.InitialDir = folder.path.string();
    existing.Options = ofHideReadOnly | ofFileMustExist;
    EXPECT_FALSE(ExecuteFileDialog(nullptr, existing));
    EXPECT_EQ(mustExistMode, QFileDialog::ExistingFile);
    EXPECT_FALSE(mustExistButton.isEmpty());

    // Typed as a user types it: the button that opens takes the name of no file.
    QFileDialog::FileMode newNameMode = QFileDialog::ExistingFile;
    QString newNameButton;
    bool enabled = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                newNameMode = dialog->fileMode();
                auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(edit, nullptr);
                edit->setText("milib");
                QPushButton* open = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
                newNameButton = open->text();
                enabled = open->isEnabled();
                open->click();
                if (dialog->isVisible())
                    dialog->reject();
            }
    });
    TFileDialogRequest request = existing;
    request.Options = ofHideReadOnly;
    ASSERT_TRUE(ExecuteFileDialog(nullptr, request));
    EXPECT_EQ(newNameMode, QFileDialog::AnyFile);
    EXPECT_EQ(newNameButton, mustExistButton);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(request.FileName, (folder.path / "milib").string());
    EXPECT_EQ(request.Files, std::vector<std::string>{request.FileName});
}
