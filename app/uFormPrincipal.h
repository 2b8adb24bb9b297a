// The main window of the program: the shared editor, its three highlighting languages, the status bar with its three buttons and the opening of files.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

class QShowEvent;
class QStatusBar;
class TCodeMemo;
class TKrSpeedButton;
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
    // The status bar and its three buttons: tool bar, side panel and auxiliary editor.
    QStatusBar* BarraEstado() const { return FBarraEstado; }
    TKrSpeedButton* sbBarra() const { return FsbBarra; }
    TKrSpeedButton* sbLateral() const { return FsbLateral; }
    TKrSpeedButton* sbAuxiliar() const { return FsbAuxiliar; }

    // The editor kind for a file, by its extension (compared without regard to case).
    int TipoDeArchivo(const std::string& FileName) const;
    // Loads the file into the editor and colours it as kind Tipo; a file that cannot be read is
    // reported to the user.
    void AbreArchivo(const std::string& FileName, int Tipo);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Puts the three small buttons into the status bar's first panel, square and as tall as the bar.
    void placeStatusButtons();
    // Opens every command-line argument that names an existing file; runs once.
    void FormFirstShow();

    // The parsers go before the editor, a child widget that the window's base deletes; each one
    // empties the editor's slot as it goes.
    std::unique_ptr<TCodeMemoParser> FHTMLParser;
    std::unique_ptr<TCodeMemoParser> FTextParser;
    std::unique_ptr<TCodeMemoParser> FJavaParser;
    TCodeMemo* FCodeMemo;
    QStatusBar* FBarraEstado;
    QWidget* FStatusPanel0;
    TKrSpeedButton* FsbBarra;
    TKrSpeedButton* FsbLateral;
    TKrSpeedButton* FsbAuxiliar;
    std::vector<std::string> FArguments;
    bool FFirstShowDone = false;
};
