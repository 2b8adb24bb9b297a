// The main window of the program.
#pragma once

#include <QMainWindow>
#include <string>

class TCodeMemo;

class TformPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit TformPrincipal(QWidget* parent = nullptr);

    // The main editor.
    TCodeMemo* CodeMemo() const { return FCodeMemo; }
    // Loads a file into the main editor; a file that cannot be read is reported to the user.
    void OpenFile(const std::string& fileName);

private:
    TCodeMemo* FCodeMemo;
};
