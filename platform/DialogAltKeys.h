// Alt with a key in the program's dialogs: an accelerator, or a key without a character.
#pragma once

#include <QObject>

class QEvent;

// While it lives (the program keeps one beside its application object), Alt with a key that no
// accelerator of a dialog took reaches the dialog's controls without its text: a field types nothing
// and a list does not jump, while what a control does with the key itself (Alt+Down opens a combo's
// list, the editor's Alt commands) stays. The main window's editor keeps the same rule on its own.
class TDialogAltKeys : public QObject {
public:
    TDialogAltKeys();
    ~TDialogAltKeys() override;
    TDialogAltKeys(const TDialogAltKeys&) = delete;
    TDialogAltKeys& operator=(const TDialogAltKeys&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
