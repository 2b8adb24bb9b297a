// Tests of the file dialogs: the picture dialog's preview, the filters shown, new names, and the extension a save dialog adds.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QRegularExpression>
#include <QTreeView>
#include <ctime>
#include <functional>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include "platform/FileDialogs.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "support/PumpUntil.h"
#include "support/RealFileDialog.h"
#include "support/TempDir.h"

namespace {

// Runs `look` on the file dialog once it is shown, then cancels it.
void InShownDialog(std::function<void(QFileDialog&)> look)
{
    QTimer::singleShot(0, [look] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                look(*dialog);
                dialog->reject();
            }
    });
}

// Every filter of the program's string table ("Name|*.a;*.b|..."); an entry may hold several, one a line.
std::vector<std::string> ProgramFilters()
{
    static const char* const table[] = {
#define RES_STRING(id, text) text,
#include "resources/StringTable.inc"
#undef RES_STRING
    };
    std::vector<std::string> filters;
    for (const std::string entry : table) {
        std::istringstream lines(entry);
        for (std::string line; std::getline(lines, line);)
            if (line.find("|*") != std::string::npos)
                filters.push_back(line);
    }
    return filters;
}

} // namespace

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
    QStringList shown, listed;
    InShownDialog([&](QFileDialog& dialog) {
        shown = dialog.nameFilters();
        if (auto* types = dialog.findChild<QComboBox*>("fileTypeCombo"))
            for (int i = 0; i < types->count(); ++i)
                listed << types->itemText(i);
    });
    TFileDialogRequest request;
    request.Filter = "Proyectos Kestrima (*.kr)|*.kr|Documentos PDF (*.pdf)|*.pdf|"
                     "Todos (*.jpg;*.gif)|*.jpg;*.gif|Texto|*.txt|Raro (a)|*.b|Internet (*.htm; *.html)|*.htm;*.html|"
                     "Todos (*.*)|*";
    request.InitialDir = folder.path.string();
    EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
    const QStringList expected{"Proyectos Kestrima (*.kr)", "Documentos PDF (*.pdf)", "Todos (*.jpg *.gif)",
                               "Texto (*.txt)",           "Raro (a) (*.b)",         "Internet (*.htm *.html)",
                               "Todos (*)"};
    EXPECT_EQ(shown.join(" | ").toStdString(), expected.join(" | ").toStdString());
    EXPECT_EQ(listed.join(" | ").toStdString(), expected.join(" | ").toStdString());

    // Every filter the program offers: the list of kinds shows each entry's masks once, in order.
    const QRegularExpression mask(QStringLiteral("[^\\s();,]*[*?][^\\s();,]*"));
    for (const std::string& filter : ProgramFilters()) {
        SCOPED_TRACE(filter);
        QStringList texts;
        InShownDialog([&](QFileDialog& dialog) {
            if (auto* types = dialog.findChild<QComboBox*>("fileTypeCombo"))
                for (int i = 0; i < types->count(); ++i)
                    texts << types->itemText(i);
        });
        request.Filter = filter;
        EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
        const QStringList parts = FromEditorText(filter).split(QLatin1Char('|'));
        ASSERT_EQ(texts.size(), parts.size() / 2);
        for (int i = 0; i < texts.size(); ++i) {
            QStringList masks;
            for (auto found = mask.globalMatch(texts[i]); found.hasNext();)
                masks << found.next().captured();
            EXPECT_EQ(masks.join(';').toStdString(), parts[2 * i + 1].toStdString()) << texts[i].toStdString();
        }
    }
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

TEST(FileDialogs, ASaveDialogGivesANameTypedWithoutExtensionItsFiltersOne)
{
    TempDir folder("extensions");
    const auto saved = [&](const QString& typed, const QString& filter, int filterIndex, std::string defaultExt) {
        TRealFileDialogAnswer answer(typed, filter);
        TFileDialogRequest request = SaveDialogRequest("Librer\xED""a CSS|*.css|Texto|*.txt|Todos|*.*", defaultExt);
        request.FilterIndex = filterIndex;
        request.InitialDir = folder.path.string();
        const bool chosen = ExecuteFileDialog(nullptr, request);
        EXPECT_TRUE(answer.shown);
        EXPECT_TRUE(chosen) << typed.toStdString();
        EXPECT_EQ(request.Files, std::vector<std::string>{request.FileName});
        const std::string inFolder = folder.path.string() + "/";
        return request.FileName.rfind(inFolder, 0) == 0 ? request.FileName.substr(inFolder.size()) : request.FileName;
    };
    // The filter shown first names one extension, whichever other ones the dialog offers.
    EXPECT_EQ(saved("estilos", {}, 1, ""), "estilos.css");
    // A name with its own extension keeps it, and so does a name with a dot of its own.
    EXPECT_EQ(saved("estilos.txt", {}, 1, ""), "estilos.txt");
    EXPECT_EQ(saved("v1.0", {}, 1, ""), "v1.0");
    // The filter the user chooses gives its extension; all files give the dialog's own, if any.
    EXPECT_EQ(saved("notas", "Texto (*.txt)", 1, "htm"), "notas.txt");
    EXPECT_EQ(saved("notas", "Todos (*.*)", 1, "htm"), "notas.htm");
    EXPECT_EQ(saved("notas", "Todos (*.*)", 1, ""), "notas");
    EXPECT_EQ(saved("notas", {}, 3, ""), "notas");

    // The file so named is the one the dialog asks about replacing.
    folder.file("estilos.css", "a{}");
    bool asked = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText("estilos");
                // The question comes up inside the click: it is answered No, and the dialog stays.
                QTimer::singleShot(0, [&] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        asked = box->text().contains(QStringLiteral("estilos.css"));
                        box->button(QMessageBox::No)->click();
                    }
                });
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
                if (dialog->isVisible())
                    dialog->reject();
            }
    });
    TFileDialogRequest replace = SaveDialogRequest("Librer\xED""a CSS|*.css|Todos|*.*", "");
    replace.InitialDir = folder.path.string();
    EXPECT_FALSE(ExecuteFileDialog(nullptr, replace));
    EXPECT_TRUE(asked);

    // The names a test hook answers with are taken as typed: an open dialog's stay as they are.
    TFileDialogHook previous = SetFileDialogHook([](TFileDialogRequest& request) {
        request.Files = {"/tmp/a", "/tmp/b.txt", "/tmp/.perfil"};
        request.FileName = request.Files.front();
        return true;
    });
    TFileDialogRequest hooked = SaveDialogRequest("Librer\xED""a CSS|*.css|Todos|*.*", "");
    ASSERT_TRUE(ExecuteFileDialog(nullptr, hooked));
    EXPECT_EQ(hooked.FileName, "/tmp/a.css");
    EXPECT_EQ(hooked.Files, (std::vector<std::string>{"/tmp/a.css", "/tmp/b.txt", "/tmp/.perfil"}));
    TFileDialogRequest open;
    open.Filter = hooked.Filter;
    ASSERT_TRUE(ExecuteFileDialog(nullptr, open));
    EXPECT_EQ(open.FileName, "/tmp/a");
    SetFileDialogHook(previous);
    // Filters that name no plain extension leave DefaultExt; one that does gives its first, the kind
    // the author chose, spelt as DefaultExt when it is the same.
    TFileDialogRequest many;
    many.Filter = "Internet|*.htm;*.html|Todos|*.*|Raro|a*.txt|Doble|*.tar.gz|HTML|*.html;*.htm|Texto|*.txt;*.text";
    const struct {
        const char* defaultExt;
        int index;
        const char* given;
    } cases[] = {{"htm", 1, "htm"}, {"htm", 2, "htm"},  {"htm", 3, "htm"},   {"htm", 4, "htm"},
                 {"htm", 9, "htm"}, {"html", 1, "htm"}, {"HTML", 5, "HTML"}, {"htm", 5, "html"},
                 {"htm", 6, "txt"}, {"txt", 5, "html"}, {"", 1, "htm"},      {"", 2, ""},
                 {"TEXT", 6, "txt"}};
    for (const auto& c : cases) {
        many.DefaultExt = c.defaultExt;
        many.FilterIndex = c.index;
        EXPECT_EQ(DefaultExtensionOf(many), c.given) << c.defaultExt << " " << c.index;
    }
}

TEST(FileDialogs, TheProgramsFilterListsTheFilesOneMayRunWhateverTheirNames)
{
    TempDir folder("programs");
    const std::string program = folder.file("programa", "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    folder.file("texto.txt", "texto");
    folder.file("otro", "sin permiso");
    std::filesystem::create_directory(folder.path / "carpeta");

    // The names the dialog's list shows once it has read the folder, first under the programs'
    // filter, then under "Todos" as the user picks it.
    QStringList programs, all;
    auto listed = [](QFileDialog& dialog, int count) {
        QStringList names;
        auto* list = dialog.findChild<QAbstractItemView*>("listView");
        if (!list)
            return names;
        pumpUntil([&] { return list->model()->rowCount(list->rootIndex()) == count; });
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            names << list->model()->index(row, 0, list->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                programs = listed(*dialog, 2);
                auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
                if (types) {
                    types->setCurrentIndex(types->count() - 1);
                    emit types->activated(types->currentIndex());
                    emit types->textActivated(types->currentText());
                }
                all = listed(*dialog, 4);
                dialog->reject();
            }
    });
    TFileDialogRequest request;
    request.Filter = "Ejecutables|*|Todos (*.*)|*.*";
    request.ProgramsFilter = 1;
    request.InitialDir = folder.path.string();
    request.Options = ofFileMustExist;
    EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
    EXPECT_EQ(programs, (QStringList{"carpeta", "programa"}));
    EXPECT_EQ(all, (QStringList{"carpeta", "otro", "programa", "texto.txt"}));

    // A program is chosen as any file is.
    TRealFileDialogAnswer answer("programa");
    EXPECT_TRUE(ExecuteFileDialog(nullptr, request));
    EXPECT_EQ(request.FileName, program);
}

TEST(FileDialogs, TheDetailedListShowsItsColumnsWholeAndItsValuesInSpanish)
{
    TempDir folder("columns");
    const std::string page = folder.file("una p\xC3\xA1gina de nombre bastante largo.html", std::string(1500, 'x'));
    const std::string small = folder.file("diez.txt", std::string(10, 'x'));
    std::filesystem::create_directory(folder.path / "carpeta");
    // Changed in December (at noon, a day that is December in every time zone), a month English
    // writes otherwise.
    const std::time_t december = 1765281600;  // 2025-12-09 12:00 UTC
    for (const std::string& file : {page, small, (folder.path / "carpeta").string()}) {
        const timespec times[2] = {{december, 0}, {december, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }
    const QLocale startedWith;

    // Each row's size, type and date as the list shows them; per column, whether its width holds
    // its caption and every value; the names in the list's order after a sort by size.
    std::map<QString, QStringList> shown;
    std::vector<bool> whole;
    QStringList bySize;
    QLocale dialogLocale;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(top);
            if (!dialog || !dialog->isVisible())
                continue;
            dialogLocale = dialog->locale();
            dialog->setViewMode(QFileDialog::Detail);
            auto* list = dialog->findChild<QTreeView*>("treeView");
            ASSERT_NE(list, nullptr);
            QAbstractItemModel* model = list->model();
            const auto cell = [&](int row, int column) {
                return model->index(row, column, list->rootIndex()).data().toString();
            };
            // Room for every column: each then shows its values whole.
            dialog->resize(1200, 500);
            QHeaderView* header = list->header();
            const QFontMetrics metrics(list->font());
            const auto columnsWhole = [&] {
                whole.clear();
                for (int column = 1; column <= 3; ++column) {
                    bool fits = header->sectionSize(column) >= header->sectionSizeHint(column) &&
                                header->sectionSize(column) >=
                                    static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column);
                    for (int row = 0; row < 3; ++row)
                        fits = fits && metrics.horizontalAdvance(cell(row, column)) < header->sectionSize(column);
                    whole.push_back(fits);
                }
                return whole == std::vector<bool>{true, true, true};
            };
            // The rows come, then the kinds of their files, as the list reads the folder; the columns
            // follow them.
            pumpUntil([&] {
                if (model->rowCount(list->rootIndex()) != 3)
                    return false;
                for (int row = 0; row < 3; ++row)
                    if (cell(row, 2).isEmpty())
                        return false;
                return columnsWhole();
            });
            pumpPosted();
            columnsWhole();
            for (int row = 0; row < 3; ++row)
                shown[cell(row, 0)] = QStringList{cell(row, 1), cell(row, 2), cell(row, 3)};
            list->sortByColumn(1, Qt::AscendingOrder);
            pumpPosted();
            for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
                bySize << cell(row, 0);
            dialog->reject();
        }
    });
    TFileDialogRequest request;
    request.Filter = "Todos|*";
    request.InitialDir = folder.path.string();
    EXPECT_FALSE(ExecuteFileDialog(nullptr, request));

    EXPECT_EQ(whole, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(dialogLocale, QLocale(QLocale::Spanish, QLocale::Spain));
    const QString pageName = QString::fromUtf8("una p\xC3\xA1gina de nombre bastante largo.html");
    ASSERT_EQ(shown.count(pageName), 1u);
    ASSERT_EQ(shown.count("diez.txt"), 1u);
    // A decimal comma, and the month as Spanish writes it.
    EXPECT_EQ(shown[pageName][0].toStdString(), "1,46 kB");
    EXPECT_EQ(shown["diez.txt"][0].toStdString(), "10 bytes");
    for (const QString& name : {pageName, QString("diez.txt")}) {
        EXPECT_TRUE(shown[name][2].contains(" dic 2025 ")) << shown[name][2].toStdString();
        EXPECT_FALSE(shown[name][2].contains("Dec")) << shown[name][2].toStdString();
    }
    // A folder changed at the same moment reads the same, and shows no size.
    ASSERT_EQ(shown.count("carpeta"), 1u);
    EXPECT_EQ(shown["carpeta"][2].toStdString(), shown["diez.txt"][2].toStdString());
    EXPECT_EQ(shown["carpeta"][0].toStdString(), "");
    // Sorted by the sizes themselves, folders first, not by their texts.
    EXPECT_EQ(bySize.join("|").toStdString(), (QStringList{"carpeta", "diez.txt", pageName}).join("|").toStdString());
    // The program's own locale is as it was.
    EXPECT_EQ(QLocale(), startedWith);
}

TEST(FileDialogs, TheNameColumnTakesTheRoomFirstAtTheDefaultSize)
{
    // Names and kinds of file longer than the columns' samples: pictures beside the preview, as the
    // map editor asks for them; long kinds of file; and a name longer than any list.
    TempDir pictures("pictures"), kinds("kinds"), longest("longest");
    const std::vector<std::string> pictureNames = {
        "una fotograf\xC3\xAD""a del paseo mar\xC3\xAD""timo al atardecer.jpg", "corta.gif",
        "mapa de bits de la portada del sitio.bmp"};
    const std::vector<std::string> kindNames = {"guion que ordena las fotograf\xC3\xAD""as del viaje.py",
                                                "informe.docx", "hoja de c\xC3\xA1""lculo de las cuentas.xlsx",
                                                "notas.odt", "arranque.sh"};
    const std::vector<std::string> longestNames = {std::string(200, 'n') + ".txt", "breve.txt"};
    for (const std::string& name : pictureNames)
        pictures.file(name, "x");
    for (const std::string& name : kindNames)
        kinds.file(name, "x");
    for (const std::string& name : longestNames)
        longest.file(name, "x");
    struct TCase {
        const TempDir& folder;
        const std::vector<std::string>& names;
        bool picture;
        std::string filter;
    };
    const TCase cases[] = {{pictures, pictureNames, true, LoadResString(5859)},
                           {kinds, kindNames, false, "Todos|*"},
                           {longest, longestNames, false, "Todos|*"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.names.front().substr(0, 30));
        int nameWidth = 0, needed = 0, room = 0, length = 0;
        bool settled = false;
        InShownDialog([&](QFileDialog& dialog) {
            dialog.setViewMode(QFileDialog::Detail);
            auto* list = dialog.findChild<QTreeView*>("treeView");
            ASSERT_NE(list, nullptr);
            QHeaderView* header = list->header();
            const QModelIndex root = list->rootIndex();
            // The widest name as the list draws it: its icon, then its text.
            int widest = 0;
            for (const std::string& name : c.names)
                widest = std::max(widest, list->fontMetrics().horizontalAdvance(QString::fromUtf8(name)));
            // Settled: every row read with the kind of its file, and the columns laid out after them.
            const auto state = [&] {
                room = list->viewport()->width();
                needed = std::min(widest + list->iconSize().width(), room / 2);
                nameWidth = header->sectionSize(0);
                length = header->length();
                if (list->model()->rowCount(root) != static_cast<int>(c.names.size()))
                    return false;
                for (int row = 0; row < list->model()->rowCount(root); ++row)
                    if (list->model()->index(row, 2, root).data().toString().isEmpty())
                        return false;
                return nameWidth >= needed;
            };
            settled = pumpUntil(state, 5000);
            ASSERT_TRUE(pumpPosted());
            settled = settled && state();
        });
        TFileDialogRequest request;
        request.Filter = c.filter;
        request.Options = ofHideReadOnly | ofFileMustExist;
        request.Picture = c.picture;
        request.InitialDir = c.folder.path.string();
        EXPECT_FALSE(ExecuteFileDialog(nullptr, request));
        EXPECT_TRUE(settled) << "name " << nameWidth << " needs " << needed << " of " << room;
        EXPECT_GT(needed, 100);
        // Whole names leave the other columns what the list has left: nothing lies beyond it.
        if (c.names != longestNames) {
            EXPECT_LE(length, room);
        }
    }
}
