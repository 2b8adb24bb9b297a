// TSplashScreenBis: the about box: the program's picture, the thank-you text, the version and the buttons to the program's web page and mail address.
#include "app/dialogs/uSplashScreenBis.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <span>
#include <stdexcept>
#include <utility>

#include "app/model/KestrimaConfig.h"
#include "app/dialogs/uSplashScreen.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/Shell.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCaption = 5988;
constexpr int kVersion = 5989;
constexpr int kThanks = 5990;
constexpr int kMailSubject = 5994;

enum TKind : int { kPicture, kLabel, kButton };

constexpr TControlSpec kControls[] = {
    {.Name = "Picture", .Kind = kPicture, .Left = 8, .Width = TSplashScreen::kSize, .Top = 8, .Height = TSplashScreen::kSize},
    {.Name = "lblGracias", .Kind = kLabel, .Left = 270, .Width = 260, .Top = 12, .Height = 160, .Caption = kThanks},
    {.Name = "lblVersion", .Kind = kLabel, .Left = 270, .Width = 260, .Top = 184, .Height = 20, .Caption = kVersion},
    {.Name = "btnInternet", .Kind = kButton, .Tag = 2, .Left = 270, .Width = 80, .Top = 232, .Height = 25, .Caption = 5991},
    {.Name = "btnEmail", .Kind = kButton, .Tag = 1, .Left = 356, .Width = 80, .Top = 232, .Height = 25, .Caption = 5992},
    {.Name = "btnContinuar", .Kind = kButton, .Left = 442, .Width = 88, .Top = 232, .Height = 25, .Caption = 5993},
};

// The program's picture as the splash window draws it.
class TPicture : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        PaintSplashPicture(painter);
    }
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kPicture: return new TPicture(parent);
    case kLabel: return new QLabel(caption, parent);
    case kButton: return new QPushButton(caption, parent);
    default: throw std::logic_error(std::string("about box control of no kind: ") + spec.Name);
    }
}

TAboutBoxHook& hook()
{
    static TAboutBoxHook answer;
    return answer;
}

// A text as it goes into an address: letters and digits as they are, the rest as "%XX" of its
// UTF-8 bytes.
std::string addressText(const std::string& text)
{
    std::string out;
    for (const unsigned char c : EditorTextToUtf8(text)) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            out += static_cast<char>(c);
        else
            out += Format("%%%02X", c);
    }
    return out;
}

} // namespace

TAboutBoxHook SetAboutBoxHook(TAboutBoxHook hook_)
{
    return std::exchange(hook(), std::move(hook_));
}

TSplashScreenBis::TSplashScreenBis(const TKestrimaConfig& config, QWidget* parent)
    : QDialog(parent),
      FEmail(config.Email.empty() ? kDefaultEmail : config.Email),
      FWeb(config.Web.empty() ? kDefaultWeb : config.Web)
{
    setObjectName("SplashScreenBis");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(540, 266);
    Notebook = new QStackedWidget(this);
    Notebook->setObjectName("Notebook");
    Notebook->setGeometry(rect());
    AboutBox = new QWidget;
    AboutBox->setObjectName("AboutBox");
    Notebook->addWidget(AboutBox);
    BuildControls(AboutBox, kControls, TFormRow{}, makeControl);
    Picture = FormControl<QWidget>(AboutBox, "Picture");
    lblGracias = FormControl<QLabel>(AboutBox, "lblGracias");
    lblVersion = FormControl<QLabel>(AboutBox, "lblVersion");
    btnInternet = FormControl<QPushButton>(AboutBox, "btnInternet");
    btnEmail = FormControl<QPushButton>(AboutBox, "btnEmail");
    btnContinuar = FormControl<QPushButton>(AboutBox, "btnContinuar");
    lblGracias->setWordWrap(true);
    lblGracias->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnContinuar->setDefault(true);
    btnContinuar->setEnabled(false);
    for (QPushButton* link : {btnInternet, btnEmail})
        connect(link, &QPushButton::clicked, this, [this, link] { CallHandler(this, [this, link] { btnInternetClick(link); }); });
    connect(btnContinuar, &QPushButton::clicked, this, &QDialog::accept);
}

void TSplashScreenBis::ShowAbout()
{
    Notebook->setCurrentWidget(AboutBox);
    btnContinuar->setEnabled(true);
    if (hook()) {
        show();
        hook()(*this);
        hide();
        return;
    }
    exec();
}

void TSplashScreenBis::btnInternetClick(QObject* Sender)
{
    switch (Sender->property("Tag").toInt()) {
    case 1:
        ShellOpen("mailto:" + FEmail + "?subject=" + addressText(LoadResString(kMailSubject)));
        break;
    case 2:
        ShellOpen(FWeb);
        break;
    default:
        break;
    }
}
