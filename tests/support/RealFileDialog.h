// Test helper that answers the next file dialog the program shows, as a user does: the name typed into the dialog's own name field and its open or save button pressed.
#pragma once

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

// Once the event loop runs (the dialog's own), types `name` into the shown dialog and presses its
// accept button; a dialog that does not take the name is cancelled. `mode` gets the dialog's file
// mode and `accepting` whether the button could be pressed. With `filter`, that filter of the dialog
// is chosen first.
struct TRealFileDialogAnswer {
    QFileDialog::FileMode mode = QFileDialog::Directory;
    bool accepting = false;
    bool shown = false;

    explicit TRealFileDialogAnswer(const QString& name, const QString& filter = {})
    {
        QTimer::singleShot(0, [this, name, filter] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                shown = true;
                mode = dialog->fileMode();
                if (!filter.isEmpty())
                    dialog->selectNameFilter(filter);
                // Typed with the keyboard in the name field, which takes the selection off the list.
                QApplication::setActiveWindow(dialog);
                if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) {
                    edit->setFocus();
                    QApplication::processEvents();
                    edit->setText(name);
                }
                auto* buttons = dialog->findChild<QDialogButtonBox*>();
                QPushButton* accept = buttons ? buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave
                                                                    ? QDialogButtonBox::Save
                                                                    : QDialogButtonBox::Open)
                                              : nullptr;
                accepting = accept && accept->isEnabled();
                if (accepting)
                    accept->click();
                if (dialog->isVisible())
                    dialog->reject();
            }
        });
    }
};
