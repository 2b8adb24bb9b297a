// The editor's pages in the print preview component: building them, setting the component up for an editor, the preview command.
#pragma once

#include "components/PrevPrinter.h"

class QWidget;
class TCustomCodeMemo;

// Discards the preview's old pages and lays the editor's text out on new ones.
void BuildPages(TPreviewPrinter& preview, TCustomCodeMemo& editor);
// Sets a preview component up for an editor's pages: the rulings off and the whole page shown, the
// editor's font as body font, and the paper, orientation and margins of the editor's page setup.
void SetUpPreview(TPreviewPrinter& preview, TCustomCodeMemo& editor);
// The preview command of an editor: a new component set up for it, built and shown; the component goes
// when its window closes.
void PreviewEditor(TCustomCodeMemo& editor, QWidget* owner);
