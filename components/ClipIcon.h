// The clipboard format of icons: an icon file under a MIME type of the program's own.
#pragma once

#include "platform/Icon.h"

// The MIME type under which icons travel through the clipboard.
extern const char* const CF_ICON;

void CopyIconToClipboard(const TIcon& icon);
bool ClipboardHasIcon();
// The icon on the clipboard; raises EInvalidGraphic when there is none or its bytes hold no icon.
TIcon PasteIconFromClipboard();
