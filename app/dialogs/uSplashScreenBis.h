// TSplashScreenBis: the about box: the program's picture, the thank-you text, the version and the buttons to the program's web page and mail address.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QStackedWidget;
class TKestrimaConfig;

class TSplashScreenBis : public QDialog {
public:
    // The web page and mail address come from the settings; our own ones stand in for empty ones.
    static constexpr const char* kDefaultWeb = "https://www.kestrima.example/";
    static constexpr const char* kDefaultEmail = "comentarios@kestrima.example";

    TSplashScreenBis(const TKestrimaConfig& config, QWidget* parent);

    QStackedWidget* Notebook;
    QWidget* AboutBox;
    QWidget* Picture;
    QLabel* lblGracias;
    QLabel* lblVersion;
    QPushButton* btnInternet;
    QPushButton* btnEmail;
    QPushButton* btnContinuar;

    // Turns to the about page and shows the form modally until Continuar.
    void ShowAbout();
    // Tag 1 (btnEmail) opens a mail message to the address, Tag 2 (btnInternet) the web page.
    void btnInternetClick(QObject* Sender);

private:
    std::string FEmail;
    std::string FWeb;
};

// While set, ShowAbout hands the shown form to the hook instead of running it modally. Returns the
// hook it replaces.
using TAboutBoxHook = std::function<void(TSplashScreenBis& form)>;
TAboutBoxHook SetAboutBoxHook(TAboutBoxHook hook);
