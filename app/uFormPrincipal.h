// The main window of the program: the shared editor, its three highlighting languages and the opening of files.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

class QShowEvent;
class TCodeMemo;
class TCodeMemoParser;

// Editor kinds of a document; each is the editor's parser slot that colours it.
enum TEditorKind : int { ekHTML = 1, ekText = 2, ekJavaScript = 3 };

class TformPrincipal : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` is the command line after the program's name; the window opens the files among
    // them when it is first shown.
    explicit TformPrincipal(std::vector<std::string> arguments = {}, QWidget* parent = nullptr);
    ~TformPrincipal() override;

    // The editor every document is shown in.
    TCodeMemo* CodeMemo() const { return FCodeMemo; }
    // The languages in the editor's slots ekHTML, ekText and ekJavaScript.
    TCodeMemoParser& HTMLParser() const { return *FHTMLParser; }
    TCodeMemoParser& TextParser() const { return *FTextParser; }
    TCodeMemoParser& JavaParser() const { return *FJavaParser; }

    // The editor kind for a file, by its extension (compared without regard to case).
    int TipoDeArchivo(const std::string& FileName) const;
    // Loads the file into the editor and colours it as kind Tipo; a file that cannot be read is
    // reported to the user.
    void AbreArchivo(const std::string& FileName, int Tipo);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Opens every command-line argument that names an existing file; runs once.
    void FormFirstShow();

    // The parsers go before the editor, a child widget that the window's base deletes; each one
    // empties the editor's slot as it goes.
    std::unique_ptr<TCodeMemoParser> FHTMLParser;
    std::unique_ptr<TCodeMemoParser> FTextParser;
    std::unique_ptr<TCodeMemoParser> FJavaParser;
    TCodeMemo* FCodeMemo;
    std::vector<std::string> FArguments;
    bool FFirstShowDone = false;
};
