// Message boxes with Spanish buttons, built on Qt's message box.
#include "platform/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "platform/Cursors.h"
#include "platform/FormSpec.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Dde.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kButtonOk = 65220;
constexpr int kButtonCancel = 65221;
constexpr int kButtonYes = 65222;
constexpr int kButtonNo = 65223;
constexpr int kButtonAll = 65224;

TMessageBoxHook& hook()
{
    static TMessageBoxHook answer;
    return answer;
}

struct ButtonSpec {
    int Text;
    int Id;
    QMessageBox::ButtonRole Role;
};

QMessageBox::Icon iconOf(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

std::vector<ButtonSpec> buttonsOf(unsigned flags)
{
    const ButtonSpec ok{kButtonOk, IDOK, QMessageBox::AcceptRole};
    const ButtonSpec cancel{kButtonCancel, IDCANCEL, QMessageBox::RejectRole};
    const ButtonSpec yes{kButtonYes, IDYES, QMessageBox::YesRole};
    const ButtonSpec no{kButtonNo, IDNO, QMessageBox::NoRole};
    const ButtonSpec all{kButtonAll, IDALL, QMessageBox::YesRole};
    switch (flags & 0x0F) {
    case MB_YESNOCANCELALL: return {yes, no, cancel, all};
    case MB_OKCANCEL: return {ok, cancel};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    default: return {ok};
    }
}

// The system's boxes break lines at CR, LF or CR LF; a Qt label breaks only at LF.
std::string withLineFeeds(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            result += text[i];
            continue;
        }
        result += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return result;
}

int showBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags,
            const TPoint* topLeft)
{
    // The answer is about what the box shows: no macro from another start changes it meanwhile.
    TMacroHold waitForTheAnswer;
    // A question asked in the middle of a busy operation shows the normal pointer over windows that paint.
    TBusySuspended asking;
    if (hook())
        return hook()(text, caption, flags);
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setIcon(iconOf(flags));
    box.setWindowTitle(caption.empty() ? QApplication::applicationName() : FromEditorText(caption));
    // Texts carry file names and project entries from outside: none of them is markup, and no link
    // in them is followed.
    box.setTextFormat(Qt::PlainText);
    box.setText(FromEditorText(withLineFeeds(text)));
    const std::vector<ButtonSpec> specs = buttonsOf(flags);
    std::vector<QPushButton*> buttons;
    for (const ButtonSpec& spec : specs)
        buttons.push_back(box.addButton(LoadResQString(spec.Text), spec.Role));
    const size_t defaultIndex = std::min<size_t>((flags & 0xF00) >> 8, buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex]);
    // Esc and the window's close button mean Cancel, or the only button of a box without one.
    QPushButton* escape = buttons.back();
    for (size_t i = 0; i < specs.size(); ++i)
        if (specs[i].Id == IDCANCEL || specs.size() == 1)
            escape = buttons[i];
    box.setEscapeButton(escape);
    // A box narrower than its caption would show the caption cut: the box takes its width.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    if (topLeft)
        box.move(topLeft->X, topLeft->Y);
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return specs[i].Id;
    return specs.size() == 1 ? specs[0].Id : IDCANCEL;
}

} // namespace

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags)
{
    return showBox(owner, text, caption, flags, nullptr);
}

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags, TPoint topLeft)
{
    return showBox(owner, text, caption, flags, &topLeft);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook answer)
{
    return std::exchange(hook(), std::move(answer));
}

namespace {
TMessageBeepHook& beepHook()
{
    static TMessageBeepHook hook;
    return hook;
}
} // namespace

void MessageBeep(unsigned type)
{
    if (beepHook())
        beepHook()(type);
    else
        QApplication::beep();
}

TMessageBeepHook SetMessageBeepHook(TMessageBeepHook hook)
{
    return std::exchange(beepHook(), std::move(hook));
}

void ShowException(QWidget* owner)
{
    try {
        throw;
    } catch (const EAbort&) {
        // The operation was ended on purpose, and whoever ended it has told the user already.
    } catch (const std::exception& e) {
        MessageBox(owner, e.what(), {}, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing of the system's throws anything else; a foreign object carries no text to show.
    }
}
