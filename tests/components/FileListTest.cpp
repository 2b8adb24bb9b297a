// File list on a temporary folder: folders, masks, the attribute filter, the add event, sorting,
// columns and view styles.
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QUrl>
#include <QTreeView>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

#include "components/FileList.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"
#include "tests/components/ComponentTestSupport.h"

namespace {

std::vector<std::string> captions(const TFileList& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Item(i).Caption);
    return out;
}

std::set<std::string> captionSet(const TFileList& list)
{
    auto all = captions(list);
    return {all.begin(), all.end()};
}

void setTimes(const std::string& path, std::time_t modified)
{
    struct utimbuf times{modified, modified};
    utime(path.c_str(), &times);
}

// A folder holding a visible page, a dot file, a read-only page, a picture and a subfolder.
struct Sample {
    TempDir dir{"filelist"};
    std::string root = dir.path.string() + "/";
    Sample()
    {
        dir.file("index.htm", "<html>");
        dir.file(".oculto.htm", "x");
        std::string ro = dir.file("fijo.htm", "xy");
        chmod(ro.c_str(), 0444);
        dir.file("logo.gif", "GIF89a");
        std::filesystem::create_directory(dir.path / "imagenes");
    }
};

} // namespace

TEST(FileList, FoldersAndMasksReadBackJoined)
{
    TFileList list;
    list.SetDirectory("/a;/b");
    EXPECT_EQ(list.Directory(), "/a/;/b/");
    // A "\" ending a folder's name is its own character.
    list.SetDirectory("/a/;;/b\\;");
    EXPECT_EQ(list.Directory(), "/a/;/b\\/");
    EXPECT_EQ(list.Count(), 0); // neither folder exists
    list.SetMask("htm, *.GIF;;");
    EXPECT_EQ(list.Mask(), "*htm*;*.gif;**");
    list.SetMask("");
    EXPECT_EQ(list.Mask(), "*");
}

TEST(FileList, AttributeFilterAndFoldersFirst)
{
    Sample s;
    TFileList list;
    list.SetFileTypes(ftArchive);
    list.SetDirectory(s.dir.path.string()); // without the trailing "/"
    EXPECT_EQ(list.Directory(), s.root);
    EXPECT_EQ(captions(list), (std::vector<std::string>{"..", "imagenes", "index.htm", "logo.gif"}));
    list.SetFileTypes(ftArchive | ftHidden);
    EXPECT_EQ(captionSet(list), (std::set<std::string>{"..", "imagenes", "index.htm", "logo.gif", ".oculto.htm"}));
    list.SetFileTypes(ftReadonly);
    EXPECT_TRUE(captionSet(list).count("fijo.htm"));
    EXPECT_FALSE(captionSet(list).count(".oculto.htm"));
    list.SetFileTypes(ftAll);
    EXPECT_EQ(captions(list), (std::vector<std::string>{"..", "imagenes", ".oculto.htm", "fijo.htm", "index.htm", "logo.gif"}));

    list.SetDisplayParentDir(false);
    EXPECT_EQ(captions(list).front(), "imagenes");
    list.SetDisplayParentDir(true);
    list.SetDisplayDirectory(false);
    EXPECT_EQ(captions(list), (std::vector<std::string>{".oculto.htm", "fijo.htm", "index.htm", "logo.gif"}));
    list.SetDisplayDirectory(true);

    // Masks pick files only; folders stay.
    list.SetMask("*.GIF");
    EXPECT_EQ(captions(list), (std::vector<std::string>{"..", "imagenes", "logo.gif"}));
    list.SetMask("htm");
    EXPECT_EQ(captions(list), (std::vector<std::string>{"..", "imagenes", ".oculto.htm", "fijo.htm", "index.htm"}));
}

TEST(FileList, TwoFoldersAndTheRootHasNoParent)
{
    Sample a;
    TempDir b("filelist");
    b.file("otro.css", "p{}");
    TFileList list;
    list.SetFileTypes(ftAll);
    list.SetDisplayParentDir(false);
    list.SetDirectory(a.root + ";" + b.path.string());
    EXPECT_TRUE(captionSet(list).count("otro.css"));
    EXPECT_TRUE(captionSet(list).count("index.htm"));
    list.SetMask("*.nada");
    list.SetDisplayParentDir(true);
    list.SetDirectory("/");
    EXPECT_FALSE(captionSet(list).count(".."));
}

TEST(FileList, TheAddEventAdjustsAndRefuses)
{
    Sample s;
    TFileList list;
    std::vector<std::string> seen;
    list.OnFileAdd = [&](TFileList* sender, TListItem& item, const std::string& path, bool& accept) {
        EXPECT_EQ(sender, &list);
        seen.push_back(path);
        if (item.Caption == "logo.gif")
            accept = false;
        if (item.Caption == "index.htm")
            item.Caption = "portada";
    };
    list.SetFileTypes(ftAll);
    list.SetDirectory(s.root);
    EXPECT_FALSE(captionSet(list).count("logo.gif"));
    EXPECT_TRUE(captionSet(list).count("portada"));
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).count(s.root + "logo.gif"), 1u);
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).count(s.root + ".."), 1u);
}

TEST(FileList, CellTextsFollowTheColumnTable)
{
    Sample s;
    TFileList list;
    list.SetFileTypes(ftAll);
    list.SetViewColumns(FileInfoBit(fiAll));
    list.SetDirectory(s.root);
    ASSERT_EQ(list.Columns().size(), static_cast<size_t>(kFileInfoCount));
    const char* expected[] = {"Nombre", "Tama\xF1o", "Tipo", "Modificado", "Creado", "Ultimo acceso", "Atributos",
                              "Nombre en DOS", "Extensi\xF3n en DOS", "Ruta"};
    const int widths[] = {150, 60, 130, 100, 100, 85, 60, 130, 60, 200};
    for (int i = 0; i < kFileInfoCount; ++i) {
        EXPECT_EQ(LoadResString(FileColumn(static_cast<TFileInfo>(i)).CaptionId), expected[i]);
        EXPECT_EQ(FileColumn(static_cast<TFileInfo>(i)).Width, widths[i]);
        EXPECT_EQ(FileColumn(static_cast<TFileInfo>(i)).RightAligned, i == fiSize);
        EXPECT_EQ(list.ReportView()->model()->headerData(i, Qt::Horizontal).toString().toStdString(),
                  QString::fromLatin1(expected[i]).toStdString());
    }
    for (int i = 0; i < list.Count(); ++i) {
        const TListItem& item = list.Item(i);
        if (item.Caption == "fijo.htm") {
            EXPECT_EQ(item.Text(fiSize), "         2");
            EXPECT_EQ(item.Text(fiAttributes), "R");
            EXPECT_EQ(item.Text(fiDosName), "fijo.htm");
            EXPECT_EQ(item.Text(fiDosExt), "htm");
            EXPECT_EQ(item.Text(fiPath), s.root);
            EXPECT_EQ(list.ReportView()->model()->index(i, fiSize).data().toString(), "         2");
        }
        if (item.Caption == ".oculto.htm") {
            EXPECT_EQ(item.Text(fiAttributes), "H");
        }
        if (item.Caption == "imagenes") {
            EXPECT_EQ(item.Text(fiSize), "");
            EXPECT_EQ(item.Text(fiAttributes), "D");
        }
        // Short date, two blanks, time without seconds.
        const std::string& date = item.Text(fiModified);
        EXPECT_NE(date.find("  "), std::string::npos) << date;
        EXPECT_EQ(std::count(date.begin(), date.end(), ':'), 1) << date;
    }
    // Only the chosen columns follow the name.
    list.SetViewColumns(FileInfoBit(fiPath) | FileInfoBit(fiSize));
    EXPECT_EQ(list.Columns(), (std::vector<TFileInfo>{fiName, fiSize, fiPath}));
}

TEST(FileList, SortingByColumnTimeAndHeaderClicks)
{
    TempDir dir("filelist");
    // Texts of the short dates would sort these the other way round ("1/2/20" before "12/1/19").
    std::string older = dir.file("b-viejo.txt", "1");
    std::string newer = dir.file("a-nuevo.txt", "22");
    std::string middle = dir.file("c-medio.txt", "333");
    setTimes(older, 1576108800);  // 2019-12-12
    setTimes(newer, 1580515200);  // 2020-02-01
    setTimes(middle, 1578700800); // 2020-01-11
    std::filesystem::create_directory(dir.path / "zeta");
    TFileList list;
    list.SetFileTypes(ftAll);
    list.SetDisplayParentDir(false);
    list.SetViewColumns(FileInfoBit(fiAll));
    list.SetDirectory(dir.path.string());
    using V = std::vector<std::string>;
    EXPECT_EQ(captions(list), (V{"zeta", "a-nuevo.txt", "b-viejo.txt", "c-medio.txt"}));
    list.SetSortColumn(fiModified);
    EXPECT_EQ(captions(list), (V{"zeta", "a-nuevo.txt", "c-medio.txt", "b-viejo.txt"}));
    list.SetSortColumn(fiSize);
    EXPECT_EQ(captions(list), (V{"zeta", "b-viejo.txt", "a-nuevo.txt", "c-medio.txt"}));

    // A click on another header sorts by it; a second click on the same one turns the order round.
    list.SetViewStyle(vsReport);
    QHeaderView* header = list.ReportView()->header();
    emit header->sectionClicked(fiModified);
    EXPECT_EQ(list.SortColumn(), fiModified);
    EXPECT_FALSE(list.Descending());
    emit header->sectionClicked(fiModified);
    EXPECT_TRUE(list.Descending());
    EXPECT_EQ(captions(list), (V{"b-viejo.txt", "c-medio.txt", "a-nuevo.txt", "zeta"}));
    emit header->sectionClicked(fiName);
    EXPECT_EQ(list.SortColumn(), fiName);
    EXPECT_FALSE(list.Descending());
    EXPECT_EQ(captions(list), (V{"zeta", "a-nuevo.txt", "b-viejo.txt", "c-medio.txt"}));
}

TEST(FileList, FilenameAndViewStyles)
{
    Sample s;
    TFileList list;
    list.resize(400, 300);
    list.SetFileTypes(ftAll);
    list.SetDirectory(s.root);
    EXPECT_EQ(list.Filename(), "");
    for (TViewStyle style : {vsIcon, vsSmallIcon, vsList, vsReport}) {
        list.SetViewStyle(style);
        EXPECT_EQ(list.ActiveView() == list.ReportView(), style == vsReport);
    }
    list.show();
    QApplication::processEvents();
    // A click on the third row of the report selects it.
    QTreeView* report = list.ReportView();
    QRect row = report->visualRect(report->model()->index(2, 0));
    Click(*report->viewport(), row.center());
    ASSERT_EQ(list.Selected(), 2);
    EXPECT_EQ(list.Filename(), s.root + list.Item(2).Caption);
    Shot(list, "filelist-report.png");
    // The selection survives a change of style.
    list.SetViewStyle(vsList);
    EXPECT_EQ(list.Filename(), s.root + list.Item(2).Caption);
    QApplication::processEvents();
    Shot(list, "filelist-list.png");

    // Files dropped on the list reach its drop event only while it accepts files.
    std::vector<std::string> dropped;
    list.OnFileDrop = [&](TFileListView*, TPoint at, const TStringList& files) {
        EXPECT_EQ(at, (TPoint{5, 6}));
        for (int i = 0; i < files.Count(); ++i)
            dropped.push_back(files[i]);
    };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(s.root + "index.htm")), QUrl("http://example.org/x")});
    auto drop = [&] {
        QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&list, &enter);
        QDropEvent event(QPointF(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&list, &event);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop());
    EXPECT_TRUE(dropped.empty());
    list.SetAcceptFiles(true);
    EXPECT_TRUE(drop());
    EXPECT_EQ(dropped, (std::vector<std::string>{s.root + "index.htm"}));
}

TEST(FileList, NamesShowTheCharactersTheirBytesSpellAndKeepTheirPath)
{
    TempDir dir("filelist");
    const std::string raw = "mal\xFF.txt";                   // not UTF-8
    const std::string wide = "\xC5\x9D" "al\xC3\xAD.txt";        // "ŝalí.txt": ŝ is not in Windows-1252
    dir.file(raw, "x");
    dir.file(wide, "x");
    dir.file("bien.txt", "x");
    TFileList list;
    list.SetDisplayParentDir(false);
    list.SetViewColumns(FileInfoBit(fiName) | FileInfoBit(fiDosName) | FileInfoBit(fiDosExt) | FileInfoBit(fiPath));
    list.SetDirectory(dir.path.string());
    ASSERT_EQ(list.Count(), 3);
    // The program's text holds what Windows-1252 lacks as references, a stray byte as U+FFFD's.
    EXPECT_EQ(captions(list), (std::vector<std::string>{"&#349;al\xED.txt", "bien.txt", "mal&#65533;.txt"}));
    const QAbstractItemModel* model = list.ReportView()->model();
    const auto cell = [&](int row, int column) { return model->index(row, column).data().toString(); };
    EXPECT_EQ(cell(0, 0), QString::fromUtf8("\xC5\x9D" "al\xC3\xAD.txt"));
    EXPECT_EQ(cell(0, 1), cell(0, 0));
    EXPECT_EQ(cell(0, 2), "txt");
    EXPECT_EQ(cell(0, 3).toStdString(), dir.path.string() + "/");
    EXPECT_EQ(cell(2, 0), QString::fromUtf8("mal\xEF\xBF\xBD.txt"));
    // Each item still names its own file.
    EXPECT_EQ(list.Item(0).Path, dir.path.string() + "/" + wide);
    EXPECT_EQ(list.Item(2).Path, dir.path.string() + "/" + raw);
    list.SetSelected(2);
    EXPECT_EQ(list.Filename(), dir.path.string() + "/" + raw);
    // A caption the add event gives is shown as it stands.
    list.OnFileAdd = [](TFileList*, TListItem& item, const std::string&, bool&) {
        if (item.Caption == "bien.txt")
            item.Caption = "portada";
    };
    list.Refresh();
    ASSERT_EQ(list.Item(2).Caption, "portada");
    EXPECT_EQ(cell(2, 0), "portada");
    EXPECT_EQ(cell(2, 1), "bien.txt");
}
