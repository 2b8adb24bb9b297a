// The program's shell verbs turned on and off from the options dialog: the file types in the registry
// store and their mirror on the desktop.
#pragma once

#include <string>

#include "app/model/u_registerextensions.h"

class QWidget;

// Registers or removes the verb for the running program (or `programPath` when given) in the store and
// then on the desktop. A desktop folder that cannot be written is reported over `owner` once, until a
// later change reaches the desktop again; the store keeps the change. Returns whether the desktop took it.
bool ChangeShellVerb(QWidget* owner, TShellVerbKind kind, bool registered, const std::string& programPath = {});
