// Tests of the editor's text at every field and hand-off of the window: a page's character shows as itself, a typed one goes in held and is saved as the character or its reference, never "?" nor the mark.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/UFormMarcos.h"
#include "app/dialogs/uFormMapas.h"
#include "app/model/FramesetDesign.h"
#include "app/model/ImageMap.h"
#include "app/model/libKestrima.h"
#include "app/panels/SidePanelTools.h"
#include "app/panels/TagGridPage.h"
#include "app/widgets/uFormPregunta.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/EditBtns.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/Templates.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Messages.h"
#include "platform/core/ProgramFileText.h"
#include "support/EditorText.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/QuestionAnswer.h"
#include "support/ShellOpens.h"
#include "support/WordParser.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/listComboKt.h"

namespace {

const std::string kAlpha = HeldCharacter(0x3B1);
const std::string kLambda = HeldCharacter(0x3BB);
const std::string kBeta = HeldCharacter(0x3B2);
const QString kTypedBeta = QString::fromUtf8("\xCE\xB2");

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Types `typed` into the question's edit and presses Ok.
std::function<void(TformPregunta&)> answerWith(const QString& typed)
{
    return [typed](TformPregunta& form) {
        form.eTexto->setText(typed);
        form.btnTexto->click();
    };
}

// A window with the side panel shown and a page open in UTF-8 or in Windows-1252 (its META says which).
struct TGate : TWindow {
    bool utf8 = true;
    std::string page;
    // A file of the program's own that the road wrote (a library, a list of the editor's options).
    std::string written;
    TGate()
    {
        form.resize(1024, 768);
        form.Config().InsCaseMode = 4;
        // The page's characters are saved as they are, without the conversion to named codes.
        form.Config().InsSpecChar = false;
        form.mVerLateralClick();
        settle();
    }
    void open(bool asUtf8, const std::string& name)
    {
        utf8 = asUtf8;
        written.clear();
        const std::string head = asUtf8 ? "<meta charset=\"utf-8\">\r\n<p>\xC3\xB1</p>\r\n"
                                        : "<meta charset=\"windows-1252\">\r\n<p>\xF1</p>\r\n";
        page = folder.file(name, head);
        form.AbreArchivo(page, false, ekHTML);
    }
    // A file name of this round's own, beside its page.
    std::string ownName(const char* extension) const
    {
        return std::filesystem::path(page).stem().string() + extension;
    }
    // Puts `text` at the end of the page, selected.
    void append(const std::string& text)
    {
        const int at = static_cast<int>(EditorText(memo).size());
        memo.SetSelStart(at);
        type(memo, text);
        memo.SetSelStart(at);
        memo.SetSelLength(static_cast<int>(EditorText(memo).size()) - at);
    }
};

// A field or hand-off of the window. `show` puts editor text holding α and λ where the field takes it
// from (the page, a list, the field's own model) and gives what the field shows; `type` types a text
// into the field and runs the road on, giving the editor text the program took. What ends in the page
// is saved by the test; a road that writes a file of its own names it in TGate::written.
struct TRoad {
    const char* name;
    std::function<QString(TGate&, const std::string& held)> show;
    std::function<std::string(TGate&, const QString& typed)> type;
};

QString utf8Of(const std::string& held)
{
    const std::string utf8 = EditorTextToUtf8(held);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Presses the button where a user's click lands.
void press(QWidget& button)
{
    Click(button, QPoint(3, 3));
}

// The image map's dialog, as the Herramientas item runs it, with one area drawn.
void drawArea(TformMapas& d, QPoint a, QPoint b)
{
    SendMouse(*d.Imagen, QEvent::MouseButtonPress, a);
    MoveMouse(*d.Imagen, b, Qt::LeftButton);
    SendMouse(*d.Imagen, QEvent::MouseButtonRelease, b);
}

using TMapasAnswer = THookWhile<TMapasDialogHook, &SetMapasDialogHook>;

// The editor options' dialog over a parser of its own, answered by `steps` and closed with Ok.
void runOptions(TWordParser& parser, TSM_PropEdPages pages, const std::function<void(TOptionsDialog&)>& steps)
{
    TOptionsDialog dialog;
    dialog.SetParser(&parser);
    QTimer::singleShot(0, &dialog, [&] {
        steps(dialog);
        if (dialog.isVisible())
            dialog.OKButton->click();
    });
    EXPECT_TRUE(dialog.Execute(pages));
}

std::vector<TRoad> roads()
{
    return {
        {"la rejilla de atributos",
         [](TGate& w, const std::string& held) {
             w.append("<img alt=\"" + held + "\" src=\"x.gif\">");
             w.memo.SetSelStart(w.memo.GetSelStart() + 3);
             w.memo.SetSelLength(0);
             w.form.sbEditaTagClick();
             EXPECT_EQ(w.form.TagGrid().Cells(0, 1), "alt");
             return w.form.TagGrid().sgTags->item(0, 1)->text();
         },
         [](TGate& w, const QString& typed) {
             w.form.TagGrid().sgTags->item(0, 1)->setText(typed);
             w.form.sbInsertaTagClick();
             return w.memo.StoredText();
         }},
        {"un enlace abierto con Ctrl+clic",
         [](TGate& w, const std::string& held) {
             TShellOpens shell;
             w.memo.OnHyperlinkClick(&w.memo, "http://ejemplo.es/" + held, 0);
             EXPECT_EQ(shell.targets, std::vector<std::string>{"http://ejemplo.es/" + EditorTextToUtf8(held)});
             return shell.targets.empty() ? QString() : QString::fromStdString(shell.targets.back());
         },
         nullptr},
        {"la pregunta de un comodín y su respuesta",
         [](TGate& w, const std::string& held) {
             w.append("A{*" + held + "*}B");
             w.memo.SetSelLength(0);
             TQuestionAnswer answer([](TformPregunta& form) { form.close(); });
             w.form.SideTools().sbIteraComodinesClick();
             EXPECT_TRUE(answer.shown);
             EXPECT_TRUE(answer.prompt.contains(utf8Of(held))) << answer.prompt.toStdString();
             return answer.text;
         },
         [](TGate& w, const QString& typed) {
             TQuestionAnswer answer(answerWith(typed));
             w.form.SideTools().sbIteraComodinesClick();
             EXPECT_TRUE(answer.shown);
             return w.memo.StoredText();
         }},
        {"el nombre de una entrada de la librería de códigos",
         [](TGate& w, const std::string& held) {
             const std::string library = w.folder.file(w.ownName(".cod"), "");
             openCodeLibraries(w.form, {library});
             w.append(held + "\rdos");
             TQuestionAnswer answer([](TformPregunta& form) { form.btnTexto->click(); });
             w.form.SidePanel().sbLibraryClick();
             EXPECT_TRUE(answer.shown);
             // The entry under the name shown goes back into the page as it came.
             QListWidget* list = w.form.SidePanel().lbLibreria;
             EXPECT_EQ(list->count(), 1);
             const QString listed = list->count() ? list->item(0)->text() : QString();
             EXPECT_EQ(listed, answer.text);
             w.append("");
             w.form.SidePanel().lbFileListDblClick(list);
             EXPECT_NE(w.memo.StoredText().find(held + "\rdos"), std::string::npos);
             return answer.text;
         },
         [](TGate& w, const QString& typed) {
             w.append("x");
             TQuestionAnswer answer(answerWith(typed));
             w.form.SidePanel().sbLibraryClick();
             w.written = w.form.SidePanel().LibraryPath();
             TStringList names;
             EXPECT_TRUE(ReadLibrarySections(w.written, names));
             return names.Count() ? names[names.Count() - 1] : std::string();
         }},
        {"el nombre de un comodín de su librería",
         [](TGate& w, const std::string& held) {
             // As the program writes its own files: UTF-8 after its byte-order mark.
             const std::string library = w.folder.file(w.ownName(".krm"), ProgramFileBytes(held + "\r\n"));
             TDialogAnswers dialogs;
             dialogs.answers.push_back({library});
             w.form.SideTools().libComodinesClick(1);
             QListWidget* list = w.form.SideTools().lbComodines;
             return list->count() ? list->item(0)->text() : QString();
         },
         [](TGate& w, const QString& typed) {
             TQuestionAnswer answer(answerWith(typed));
             w.form.SideTools().libComodinesClick(2);
             w.written = (w.folder.path / w.ownName(".krm")).string();
             // The new name goes into the page as its field.
             QListWidget* list = w.form.SideTools().lbComodines;
             const QList<QListWidgetItem*> found = list->findItems(typed, Qt::MatchExactly);
             EXPECT_EQ(found.size(), 1);
             if (!found.isEmpty())
                 list->setCurrentItem(found.front());
             w.append("");
             w.form.SidePanel().lbFileListDblClick(list);
             return w.memo.StoredText();
         }},
        {"una dirección elegida con el diálogo de archivos",
         [](TGate& w, const std::string& held) {
             std::filesystem::create_directories(w.folder.path / "im\xC3\xA1genes");
             const std::string picture = w.folder.file("im\xC3\xA1genes/" + EditorTextToUtf8(held) + ".gif", "GIF89a");
             QComboBox* links = w.form.Herramientas().cbLinks;
             TDialogAnswers dialogs;
             dialogs.answers.push_back({picture});
             w.form.OpenURL(links);
             EXPECT_EQ(dialogs.requests.size(), 1u);
             EXPECT_EQ(links->currentText(), QString::fromUtf8("im\xC3\xA1genes/") + utf8Of(held) + ".gif");
             return links->currentText();
         },
         [](TGate& w, const QString& typed) {
             const std::string chosen = w.folder.file(typed.toStdString() + ".htm", "");
             TDialogAnswers dialogs;
             dialogs.answers.push_back({chosen});
             w.form.OpenURL(w.form.Herramientas().cbLinks);
             w.append("");
             press(*w.form.Herramientas().sbEnlace);
             return w.memo.StoredText();
         }},
        {"un campo de una página de herramientas",
         [](TGate& w, const std::string& held) {
             // The link's field keeps what went into the page in its list.
             QComboBox* links = w.form.Herramientas().cbLinks;
             links->setEditText(utf8Of(held));
             w.append("");
             press(*w.form.Herramientas().sbEnlace);
             EXPECT_NE(w.memo.StoredText().find("<A HREF=\"" + held + "\"></A>"), std::string::npos);
             return links->itemText(0);
         },
         [](TGate& w, const QString& typed) {
             w.form.Herramientas().CbFuente->setText(typed);
             w.append("");
             press(*w.form.Herramientas().sbFont);
             return w.memo.StoredText();
         }},
        {"una autocorrección de las opciones del editor",
         [](TGate&, const std::string& held) {
             TWordParser parser;
             parser.Settings().AutoReplace().AddReplacement("ab", held);
             QString shown;
             runOptions(parser, 1 << TOptionsDialog::kAutoCorrectPage, [&](TOptionsDialog& d) {
                 EXPECT_EQ(d.AutoReplBox->item(0)->text(), "ab\t" + utf8Of(held));
                 d.AutoReplBox->setCurrentRow(0);
                 d.AutoReplBoxClick();
                 shown = d.WithBox->text();
             });
             return shown;
         },
         [](TGate& w, const QString& typed) {
             TWordParser parser;
             runOptions(parser, 1 << TOptionsDialog::kAutoCorrectPage, [&](TOptionsDialog& d) {
                 d.ReplaceBox->setText("cd");
                 d.WithBox->setText(typed);
                 d.AutoReplButton1->click();
             });
             // The list the window keeps beside the program reads back as it was written.
             w.written = (w.folder.path / "krARep.krr").string();
             parser.Settings().AutoReplace().SaveToFile(w.written);
             TAutoReplace read;
             read.LoadFromFile(w.written);
             std::string with, back;
             EXPECT_TRUE(parser.Settings().AutoReplace().Lookup("cd", with));
             EXPECT_TRUE(read.Lookup("cd", back));
             EXPECT_EQ(back, with);
             return with;
         }},
        {"una plantilla de las opciones del editor",
         [](TGate&, const std::string& held) {
             TWordParser parser;
             parser.Settings().CodeTemplates().SetTemplate("ab", held, "x");
             QString shown;
             runOptions(parser, 1 << TOptionsDialog::kTemplatesPage, [&](TOptionsDialog& d) {
                 d.cteListBox->setCurrentRow(0);
                 d.cteListBoxClick();
                 shown = d.DescBox->text();
             });
             return shown;
         },
         [](TGate& w, const QString& typed) {
             TWordParser parser;
             runOptions(parser, 1 << TOptionsDialog::kTemplatesPage, [&](TOptionsDialog& d) {
                 d.NameBox->setText("cd");
                 d.DescBox->setText(typed);
                 d.CodeMemo1->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("y"));
                 d.CodeTemplateButton1->click();
             });
             w.written = (w.folder.path / "krCTem.krt").string();
             parser.Settings().CodeTemplates().SaveToFile(w.written);
             TCodeTemplates read;
             read.LoadFromFile(w.written);
             const int index = parser.Settings().CodeTemplates().IndexOf("cd");
             EXPECT_GE(index, 0);
             EXPECT_GE(read.IndexOf("cd"), 0);
             if (index < 0 || read.IndexOf("cd") < 0)
                 return std::string();
             EXPECT_EQ(read.Entry(read.IndexOf("cd")).Description, parser.Settings().CodeTemplates().Entry(index).Description);
             return parser.Settings().CodeTemplates().Entry(index).Description;
         }},
        {"el editor de mapas",
         [](TGate& w, const std::string& held) {
             TformMapas d(w.form);
             d.show();
             settle();
             drawArea(d, {10, 10}, {40, 40});
             d.eALT->setText(utf8Of(held));
             const int first = d.Map().Areas().front().Id;
             drawArea(d, {50, 50}, {80, 80});
             EXPECT_TRUE(d.eALT->text().isEmpty());
             Click(*d.ShapeOf(first));
             EXPECT_EQ(d.ShapeOf(first)->toolTip(), utf8Of(held));
             return d.eALT->text();
         },
         [](TGate& w, const QString& typed) {
             w.append("");
             TMapasAnswer accept([&](TformMapas& d) {
                 d.show();
                 drawArea(d, {5, 5}, {40, 40});
                 d.eName->setText("mapa");
                 d.eALT->setText(typed);
                 d.eHREF->setText(typed + ".htm");
                 Click(*d.bAcepta);
             });
             w.form.Commands().Action("sbMapas")->trigger();
             return w.memo.StoredText();
         }},
        {"el diseñador de marcos",
         [](TGate& w, const std::string& held) {
             TformMarcos d(w.form, nullptr);
             d.show();
             d.btnVertical->click();
             const TFrameNode& root = d.Design().Root();
             Click(*d.PanelOf(*root.Children.at(0)));
             d.eName->setText(utf8Of(held));
             Click(*d.PanelOf(*root.Children.at(1)));
             EXPECT_TRUE(d.eName->text().isEmpty());
             Click(*d.PanelOf(*root.Children.at(0)));
             return d.eName->text();
         },
         [](TGate& w, const QString& typed) {
             TformMarcos d(w.form, nullptr);
             d.show();
             d.btnVertical->click();
             Click(*d.PanelOf(*d.Design().Root().Children.at(0)));
             d.eName->setText(typed);
             d.eSrc->setText("a.htm");
             w.append("");
             d.btnInserta->click();
             return w.memo.StoredText();
         }},
    };
}

} // namespace

TEST(EditorTextGate, EveryFieldShowsThePagesCharactersAndKeepsATypedOne)
{
    TGate w;
    TBoxAnswers boxes;
    int n = 0;
    for (const TRoad& road : roads())
        for (const bool utf8 : {true, false}) {
            SCOPED_TRACE(std::string(road.name) + (utf8 ? " (UTF-8)" : " (Windows-1252)"));
            w.open(utf8, "pagina" + std::to_string(++n) + ".htm");
            const QString shown = road.show(w, kAlpha + kLambda);
            EXPECT_TRUE(shown.contains(QString::fromUtf8("\xCE\xB1\xCE\xBB"))) << shown.toStdString();
            EXPECT_FALSE(shown.contains(QChar(0x1F))) << shown.toStdString();
            EXPECT_FALSE(shown.contains('?')) << shown.toStdString();
            if (!road.type)
                continue;
            const std::string taken = road.type(w, kTypedBeta);
            EXPECT_NE(taken.find(kBeta), std::string::npos) << taken;
            EXPECT_EQ(taken.find('?'), std::string::npos) << taken;
            if (!w.written.empty()) {
                // The program's own file holds the character, never the mark.
                const std::string bytes = ReadFileBytes(w.written);
                EXPECT_NE(bytes.find("\xCE\xB2"), std::string::npos) << bytes;
                EXPECT_EQ(bytes.find('\x1F'), std::string::npos) << bytes;
                EXPECT_EQ(bytes.find('?'), std::string::npos) << bytes;
            }
            // Where the road ends elsewhere (an option, a library's name), the text goes into the page
            // as the program would put it there.
            if (w.memo.StoredText().find(kBeta) == std::string::npos)
                w.append(taken);
            boxes.texts.clear();
            w.form.mGuardarClick();
            EXPECT_TRUE(boxes.texts.empty()) << (boxes.texts.empty() ? "" : boxes.texts.back());
            const std::string saved = ReadFileBytes(w.page);
            EXPECT_NE(saved.find(utf8 ? "\xCE\xB2" : "&#946;"), std::string::npos) << saved;
            EXPECT_EQ(saved.find(utf8 ? "&#946;" : "\xCE\xB2"), std::string::npos) << saved;
            EXPECT_EQ(saved.find('?'), std::string::npos) << saved;
            EXPECT_EQ(saved.find('\x1F'), std::string::npos) << saved;
            w.form.mCerrarClick();
        }
}
