// Tests of a new page typed in the window and saved, against the same text put into a page by replace in files: the same bytes, read as a browser reads them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/dialogs/UFormReemplazar.h"
#include "app/model/EditorKind.h"
#include "support/BoxAnswers.h"
#include "support/BrowserPageText.h"
#include "support/MainWindowDocuments.h"

namespace {

// Each character of `utf8` as a key that types it.
void typeCharacters(TCodeMemo& memo, const QString& utf8)
{
    for (const QChar c : utf8) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&memo, &key);
    }
}

} // namespace

TEST(PageCharsetSave, TheSaveAndReplaceInFilesWriteATypedPageInTheSetItDeclares)
{
    // Archivo > Nuevo, a head typed, then the body key by key; Guardar asks for the name. The same
    // body put by replace in files into a page of that head gives the same bytes.
    const QString body = QString::fromUtf8("5 \xE2\x82\xAC \xE2\x80\x94 \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6 \xC3\xB1 \xCE\xB1");
    const std::pair<const char*, std::string> heads[] = {
        {"windows-1252", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">"},
        {"iso-8859-1", "<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">"},
        {"utf-8", "<meta charset=\"utf-8\">"},
        {"none", "<title>x</title>"},
    };
    TWindow w;
    TDialogAnswers dialogs;
    TBoxAnswers boxes;
    int n = 0;
    for (const bool conversion : {true, false})
        for (const auto& [name, head] : heads) {
            SCOPED_TRACE(std::string(name) + (conversion ? " with the conversion" : " without it"));
            w.form.Config().InsSpecChar = conversion;
            w.form.AbreArchivo("", false, ekHTML);
            type(w.memo, head + "\r<p>");
            typeCharacters(w.memo, body);
            type(w.memo, "</p>");
            const std::string saved = (w.folder.path / ("nueva" + std::to_string(++n) + ".html")).string();
            dialogs.answers.push_back({saved});
            w.form.mGuardarClick();
            EXPECT_TRUE(boxes.texts.empty()) << (boxes.texts.empty() ? "" : boxes.texts.back());
            const std::string bytes = ReadFileBytes(saved);
            // A page that declares nothing is written in UTF-8 without the conversion, which a
            // browser finds in its bytes.
            const bool sniffedUtf8 = std::string(name) == "none" && !conversion;
            EXPECT_EQ(BrowserPageText(bytes, sniffedUtf8), head + "\r\n<p>" + body.toStdString() + "</p>");
            if (std::string(name) != "utf-8" && !sniffedUtf8) {
                EXPECT_FALSE(HoldsUtf8Sequence(bytes)) << bytes;
            }
            const std::string replaced = w.folder.file("reemplazo" + std::to_string(n) + ".html", head + "\r\n<p>XYZ</p>");
            {
                TformReemplazar form(w.form);
                form.AddFile(replaced);
                form.edtFind->setText("XYZ");
                form.edtReplace->setText(body);
                form.btnStartClick();
            }
            EXPECT_EQ(ReadFileBytes(replaced), bytes);
            w.form.mCerrarClick();
            EXPECT_TRUE(boxes.texts.empty());
        }
    EXPECT_EQ(w.form.DocumentCount(), 0);
}
