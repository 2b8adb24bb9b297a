// The two pointer shapes the components share: the hand (14000) and the hand that drags (14001).
#pragma once

#include "platform/Cursors.h"

// Defined with the drawings of the shapes, so that a unit using either number brings their
// registration into the program with it.
extern const TCursor crHand;
extern const TCursor crDragHand;
