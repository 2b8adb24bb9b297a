// The main window of the program: the shared editor, its three highlighting languages and the opening of files.
#include "app/uFormPrincipal.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QShowEvent>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

// The kind of files whose extension no kind claims, until the settings carry the user's choice.
constexpr int kDefaultParser = ekHTML;
constexpr int kFileCannotBeOpened = 4400;

// Parser messages separate their lines with LF CR; a Qt label would show the CR.
void showParserInformation(const std::string& text)
{
    std::string message = text;
    std::erase(message, '\r');
    MessageBox(nullptr, message, {}, MB_OK | MB_ICONINFORMATION);
}

// Gives the parser the tables the build compiled from the shipped script `script`.
void loadShippedTables(TCodeMemoParser& parser, const char* script)
{
    const std::string resource = Format(":/parsers/%s.tbl", script);
    QFile file(FromWin1252(resource));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(FmtLoadStr(kFileCannotBeOpened, resource.c_str()));
    const QByteArray bytes = file.readAll();
    TCustomMemoryStream stream(bytes.constData(), bytes.size());
    parser.LoadParserData(stream);
}

std::unique_ptr<TCodeMemoParser> makeParser(const char* name, const char* registryKey)
{
    auto parser = std::make_unique<TCodeMemoParser>();
    parser->Name = name;
    parser->RegistryKey = registryKey;
    parser->UseRegistry = true;
    return parser;
}

} // namespace

TformPrincipal::TformPrincipal(std::vector<std::string> arguments, QWidget* parent)
    : QMainWindow(parent),
      FHTMLParser(makeParser("HTMLParser", "Software\\Dremal\\Kestrima\\ParserHTML")),
      FTextParser(makeParser("TextParser", "Software\\Dremal\\Kestrima\\ParserTEXT")),
      FJavaParser(makeParser("JavaParser", "Software\\Dremal\\Kestrima\\ParserJAVA")),
      FArguments(std::move(arguments))
{
    setObjectName("formPrincipal");
    setWindowTitle("Kestrima");
    resize(800, 600);
    TCodeMemoParser::SetInformationBox(showParserInformation);

    FCodeMemo = new TCodeMemo(this);
    FCodeMemo->setObjectName("CodeMemo");
    setCentralWidget(FCodeMemo);
    FCodeMemo->SetParser1(FHTMLParser.get());
    FCodeMemo->SetParser2(FTextParser.get());
    FCodeMemo->SetParser3(FJavaParser.get());

    // The languages are loaded once the editor holds them: loading refreshes the editors that hold
    // a language, so the editor takes each one's settings at once.
    const std::pair<TCodeMemoParser*, const char*> shipped[] = {
        {FHTMLParser.get(), "html"}, {FTextParser.get(), "text"}, {FJavaParser.get(), "javascript"}};
    for (const auto& [parser, script] : shipped) {
        try {
            loadShippedTables(*parser, script);
        } catch (const Exception& e) {
            // The editor still works with the language empty: its text is shown uncoloured.
            MessageBox(this, e.Message(), {}, MB_OK | MB_ICONSTOP);
            continue;
        }
        // The options dialog saves any of the three languages, so each one takes back what the user
        // stored for it.
        try {
            parser->LoadFromRegistry(true, "");
        } catch (const Exception& e) {
            MessageBox(this, e.Message(), {}, MB_OK | MB_ICONSTOP);
            // What a broken value left half applied goes: the language starts as compiled. The
            // tables loaded a moment ago, so they load again.
            loadShippedTables(*parser, script);
        }
    }
    FCodeMemo->setFocus();
}

TformPrincipal::~TformPrincipal() = default;

int TformPrincipal::TipoDeArchivo(const std::string& FileName) const
{
    const size_t slash = FileName.find_last_of("/\\");
    const size_t dot = FileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return kDefaultParser;
    const std::string extension = FileName.substr(dot);
    for (const char* html : {".htm", ".html", ".asp", ".krd", ".krp", ".cod"})
        if (SameText(extension, html))
            return ekHTML;
    if (SameText(extension, ".js"))
        return ekJavaScript;
    for (const char* text : {".txt", ".css", ".krc"})
        if (SameText(extension, text))
            return ekText;
    return kDefaultParser;
}

void TformPrincipal::AbreArchivo(const std::string& FileName, int Tipo)
{
    try {
        // The kind goes first, so that the text is coloured once, by its own language.
        if (FCodeMemo->ActiveParser() != Tipo)
            FCodeMemo->SetActiveParser(Tipo);
        FCodeMemo->LoadFromFile(FileName);
    } catch (const Exception& e) {
        MessageBox(this, e.Message(), {}, MB_OK | MB_ICONSTOP);
    }
}

void TformPrincipal::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!FFirstShowDone) {
        FFirstShowDone = true;
        FormFirstShow();
    }
}

void TformPrincipal::FormFirstShow()
{
    // File names go to the file system as the shell gave them; names of no existing file are
    // passed over without a word.
    for (const std::string& argument : FArguments)
        if (FileExists(argument))
            AbreArchivo(argument, TipoDeArchivo(argument));
}
