// The help engine: a help file name stands for a folder of HTML pages, shown through the shell.
#pragma once

#include <string>

#include "platform/core/HelpIndex.h"
#include "platform/core/ScopeGuard.h"

class QWidget;

// Where help files named without a folder lie: their pages are in the folder of the name's stem there
// ("Kestrima.hlp" -> <folder>/Kestrima/). A name with a folder keeps it.
void SetHelpFolder(const std::string& folder);
// The folder of pages of a help file, ending in a separator.
std::string HelpPagesFolder(const std::string& helpFile);

// The application's help file, which the window's help commands use.
const std::string& ApplicationHelpFile();
void SetApplicationHelpFile(const std::string& helpFile);
// Makes `helpFile` the application's help file until the guard goes.
TScopeGuard UseHelpFile(const std::string& helpFile);

// Runs a help request on `helpFile`: the page of the request (see THelpIndex) opens through the shell,
// an anchor after "#" included. A missing folder or index page is reported over `owner`; false then,
// or when the shell opened nothing. HELP_QUIT has nothing to close and succeeds.
bool WinHelp(QWidget* owner, const std::string& helpFile, unsigned command, const std::string& key = {}, int context = 0);
// The same on the application's help file.
bool HelpCommand(QWidget* owner, unsigned command, const std::string& key = {}, int context = 0);

// The help context of a control: its own ("HelpContext", as the forms set it), else that of the
// nearest of its parents that has one, up to its window; 0 when none has.
int ControlHelpContext(const QWidget* control);
// The help at `context` over `owner`; context 0 (none) shows the help's contents.
bool ShowHelpContext(QWidget* owner, int context);
// F1 over a window: the help at the context of `control` (the focused one), else of its form; with
// no context anywhere, the help's contents.
bool ShowControlHelp(QWidget* control);
