// TEditorKind: the kind of a document, which is the editor's parser slot that colours it.
#pragma once

// Editor kinds of a document; each is the editor's parser slot that colours it.
// ekNoColouring is the editor's slot that holds no parser: the text shows uncoloured.
enum TEditorKind : int { ekHTML = 1, ekText = 2, ekJavaScript = 3, ekNoColouring = 6 };
