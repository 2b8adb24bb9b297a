// Files dropped from the desktop: accepting a drag that carries files and taking the names it drops.
#pragma once

#include "platform/core/Classes.h"
#include "platform/core/Geometry.h"

class QDragMoveEvent;
class QDropEvent;

// Accepts the drag when `accept` is on and it carries files; ignores it otherwise.
void AcceptFileDrag(QDragMoveEvent& event, bool accept);
// Takes a drop of files when `accept` is on: the drop point and the local file names, in the file
// system's own bytes. False (the drop ignored) when it is off or the drop carries no files.
bool TakeFileDrop(QDropEvent& event, bool accept, TPoint& at, TStringList& files);
