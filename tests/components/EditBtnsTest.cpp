// Tests of the combo edits: the file-name edit's text and dialog, its keys, dropped files, the button panel and the ellipsis glyph.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <string>
#include <vector>

#include "components/EditBtns.h"
#include "components/core/FileUtil.h"
#include "platform/GraphicsQt.h"
#include "platform/Keys.h"
#include "platform/core/SysUtils.h"
#include "support/MouseEvents.h"
#include "support/TempDir.h"

namespace {

// Answers the dialogs with one chosen file (or cancels) and keeps what they were asked.
struct TDialogs {
    std::vector<TFileDialogRequest> asked;
    std::string answer;
    TDialogs()
    {
        SetFileDialogHook([this](TFileDialogRequest& request) {
            asked.push_back(request);
            if (answer.empty())
                return false;
            request.FileName = answer;
            request.Files = {answer};
            return true;
        });
    }
    ~TDialogs() { SetFileDialogHook({}); }
};

std::string text(const TFilenameEdit& edit)
{
    return edit.text().toStdString();
}

void drop(QWidget& target, const std::vector<std::string>& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& file : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(file));
    data.setUrls(urls);
    // The drop goes where the drag was let in.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

} // namespace

TEST(EditBtns, AChosenPathWithABlankIsQuotedAndReadBackWithoutQuotes)
{
    TempDir folder("editbtns");
    const std::string chosen = folder.file("a b.htm", "x");
    TDialogs dialogs;
    dialogs.answer = chosen;
    TFilenameEdit edit;
    std::string before, after;
    bool accepted = false;
    edit.OnBeforeDialog = [&](TFileDirEdit*, std::string& name, bool&) { before = name; };
    edit.OnAfterDialog = [&](TFileDirEdit*, std::string& name, bool& action) {
        after = name;
        accepted = action;
    };
    edit.SetFileName(folder.path.string() + "/old.htm");
    edit.ButtonPressed();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    // The dialog starts in the old name's folder, with the edit's defaults.
    EXPECT_EQ(before, folder.path.string() + "/old.htm");
    EXPECT_EQ(dialogs.asked[0].FileName, before);
    EXPECT_EQ(dialogs.asked[0].InitialDir, folder.path.string() + "/");
    EXPECT_EQ(dialogs.asked[0].Title, "Visualizar");
    EXPECT_EQ(dialogs.asked[0].Filter, "Todos los ficheros (*.*)|*.*");
    EXPECT_EQ(dialogs.asked[0].Options, static_cast<unsigned>(ofHideReadOnly));
    EXPECT_FALSE(edit.IsFilterStored() || edit.IsDialogTitleStored());
    EXPECT_EQ(after, chosen);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(text(edit), "\"" + chosen + "\"");
    EXPECT_EQ(edit.FileName(), chosen);
    EXPECT_EQ(edit.LongFileName(), chosen);

    // A text already in quotes stays as it is; a name without blanks is not quoted.
    edit.SetFileName("\"c d.htm\"");
    EXPECT_EQ(text(edit), "\"c d.htm\"");
    EXPECT_EQ(edit.FileName(), "c d.htm");
    edit.SetFileName("plain.htm");
    EXPECT_EQ(text(edit), "plain.htm");
    try {
        edit.SetFileName("a<b");
        ADD_FAILURE() << "no error for a<b";
    } catch (const EComboEditError& error) {
        EXPECT_STREQ(error.what(), "Invalid file name - a<b");
    }
    EXPECT_EQ(text(edit), "plain.htm");

    // A handler before the dialog may stop it; a cancelled dialog leaves the text.
    edit.OnBeforeDialog = [](TFileDirEdit*, std::string&, bool& action) { action = false; };
    edit.ButtonPressed();
    EXPECT_EQ(dialogs.asked.size(), 1u);
    edit.OnBeforeDialog = nullptr;
    dialogs.answer.clear();
    edit.OnAfterDialog = nullptr;
    edit.ButtonPressed();
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(text(edit), "plain.htm");
    // Read-only, the button does nothing unless it is always enabled.
    edit.SetReadOnly(true);
    edit.ButtonPressed();
    EXPECT_EQ(dialogs.asked.size(), 2u);
    edit.SetButtonAlwaysEnabled(true);
    edit.ButtonPressed();
    EXPECT_EQ(dialogs.asked.size(), 3u);

    // The picture kinds save or open with the picture filter, unless the edit has a filter of its own.
    edit.SetDialogKind(dkSavePicture);
    EXPECT_TRUE(edit.Dialog().Save && edit.Dialog().Picture);
    EXPECT_EQ(edit.Filter().rfind("Im\xE1genes|*.gif;", 0), 0u);
    edit.SetFilter("Texto|*.txt");
    edit.SetDialogKind(dkOpenPicture);
    EXPECT_EQ(edit.Filter(), "Texto|*.txt");
    EXPECT_FALSE(edit.Dialog().Save);
}

TEST(EditBtns, ANameIsReadBackAsGivenUntilItsTextIsChanged)
{
    // Latin-1 bytes spell no UTF-8 character: the shown text alone would give other bytes back.
    TFilenameEdit edit;
    edit.SetFileName("/home/ana/caf\xE9/a b.htm");
    EXPECT_EQ(edit.text(), QStringLiteral("\"/home/ana/caf\uFFFD/a b.htm\""));
    EXPECT_EQ(edit.FileName(), "/home/ana/caf\xE9/a b.htm");
    edit.setText(QStringLiteral("/home/ana/caf\u00E9/b.htm"));
    EXPECT_EQ(edit.FileName(), "/home/ana/caf\xC3\xA9/b.htm");
}

TEST(EditBtns, KeysDropsAndTheButtonPanel)
{
    QDialog dialog;
    auto* edit = new TFilenameEdit(&dialog);
    edit->setGeometry(10, 10, 150, 21);
    dialog.show();
    TDialogs dialogs;
    // Alt+Down clicks the button and goes no further.
    const auto altDown = MakeKeyEvent(0x28, ssAlt);
    QCoreApplication::sendEvent(edit, altDown.get());
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(altDown->isAccepted());
    Click(*edit->Button());
    EXPECT_EQ(dialogs.asked.size(), 2u);

    // Three dropped files: the first is taken, or every one with multiple selection.
    int drops = 0;
    edit->OnDropFiles = [&](TFileDirEdit*) { ++drops; };
    drop(*edit, {"/tmp/uno.htm", "/tmp/dos.htm", "/tmp/tres.htm"});
    EXPECT_EQ(drops, 0);
    edit->SetAcceptFiles(true);
    drop(*edit, {"/tmp/uno.htm", "/tmp/dos.htm", "/tmp/tres.htm"});
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(edit->FileName(), "/tmp/uno.htm");
    EXPECT_TRUE(edit->Dialog().Files.empty());
    edit->SetDialogOptions(ofAllowMultiSelect);
    drop(*edit, {"/tmp/cuatro.htm", "/tmp/cinco.htm"});
    EXPECT_EQ(edit->Dialog().Files, (std::vector<std::string>{"/tmp/cuatro.htm", "/tmp/cinco.htm"}));
    edit->SetDialogOptions(ofHideReadOnly);
    EXPECT_TRUE(edit->Dialog().Files.empty());

    // The panel stands at the right of the client area, the text two pixels short of it.
    EXPECT_EQ(edit->ButtonWidth(), 21);
    EXPECT_FALSE(edit->IsButtonWidthStored());
    EXPECT_EQ(edit->ChildBounds(edit->ButtonPanel()), (TRect{125, 0, 146, 17}));
    EXPECT_EQ(edit->FormattingRect().Right, 146 - 21 - 2);
    const QImage look = edit->Button()->grab().toImage();
    EXPECT_EQ(look.pixelColor(0, 5), ToQColor(static_cast<TColor>(clBtnFace)));
    EXPECT_EQ(look.pixelColor(1, 5), ToQColor(static_cast<TColor>(clBtnHighlight)));
    edit->SetButtonWidth(30);
    EXPECT_TRUE(edit->IsButtonWidthStored());
    EXPECT_EQ(edit->ChildBounds(edit->ButtonPanel()).Left, 116);
    // Width 1 hides the button and gives the text the whole width; the key no longer clicks.
    edit->SetButtonWidth(1);
    EXPECT_TRUE(edit->ButtonPanel()->isHidden());
    EXPECT_EQ(edit->FormattingRect().Right, 146);
    QCoreApplication::sendEvent(edit, MakeKeyEvent(0x28, ssAlt).get());
    EXPECT_EQ(dialogs.asked.size(), 2u);
    // The edit is never lower than its edges and a line of text.
    edit->resize(150, 3);
    EXPECT_EQ(edit->height(), edit->MinimumEditHeight());
    EXPECT_GT(edit->MinimumEditHeight(), 5);
    // Escape goes on to the dialog, which closes.
    // Without direct input the edit takes no typing, but the button still writes it; disabled text is grey.
    edit->SetDirectInput(false);
    EXPECT_TRUE(edit->isReadOnly());
    edit->SetFileName("dado.htm");
    EXPECT_EQ(edit->FileName(), "dado.htm");
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Text), ToQColor(static_cast<TColor>(clGrayText)));
    // Enter reaches the edit and then the dialog's default button.
    auto* ok = new QPushButton("OK", &dialog);
    ok->setDefault(true);
    ok->show();
    int oks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++oks; });
    int returns = 0;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { ++returns; });
    QCoreApplication::sendEvent(edit, MakeKeyEvent(0x0D, 0).get());
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(returns, 1);
    QCoreApplication::sendEvent(edit, MakeKeyEvent(0x1B, 0).get());
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(EditBtns, TheEllipsisIsThreeDotsOnRowOne)
{
    const QImage dots = EllipsisGlyph(21);
    ASSERT_EQ(dots.size(), QSize(15, 4));
    std::string rows;
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < dots.width(); ++x)
            rows += dots.pixelIndex(x, y) ? '#' : '.';
        rows += '\n';
    }
    EXPECT_EQ(rows, "...............\n"
                    ".##...##...##..\n"
                    ".##...##...##..\n"
                    "...............\n");
    // Narrow buttons close the gaps to one pixel; the picture is never empty.
    EXPECT_EQ(EllipsisGlyph(14).width(), 8);
    EXPECT_EQ(EllipsisGlyph(14).pixelIndex(1, 1), 1);
    EXPECT_EQ(EllipsisGlyph(0).width(), 1);

    TFilenameEdit edit;
    edit.SetGlyphKind(gkEllipsis);
    EXPECT_EQ(edit.Glyph().width(), 15);
    EXPECT_EQ(edit.NumGlyphs(), 1);
    EXPECT_FALSE(edit.IsButtonWidthStored());
    edit.SetGlyphKind(gkDefault);
    EXPECT_EQ(edit.Glyph().size(), FileEditGlyph().size());
    // The default glyph is drawn once and shared.
    EXPECT_EQ(&FileEditGlyph(), &FileEditGlyph());
}
