// A piece of a page's code as an HTML parser reads it (Qt's rich-text reader): the links and
// pictures it makes, each with the file its address leads to, and the text a reader sees.
#pragma once

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <string>
#include <vector>

#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"

struct TPageElement {
    // "a" for a link, "img" for a picture.
    std::string Tag;
    // The file the address names (its escapes undone), UTF-8.
    std::string File;
    // The link's text, UTF-8; empty for a picture.
    std::string Text;
    bool operator==(const TPageElement&) const = default;
};

struct TParsedCode {
    std::vector<TPageElement> Elements;
    // Every character a reader sees, a picture as U+FFFC.
    std::string Text;
};

// Parses `code` (the editor's Windows-1252 text): one element per link (its fragments joined) or picture.
inline TParsedCode ParsePageCode(const std::string& code)
{
    QTextDocument document;
    document.setHtml(FromWin1252(code));
    TParsedCode parsed;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                parsed.Elements.push_back({"img", DecodeAddressEscapes(format.toImageFormat().name().toStdString()), {}});
            } else if (format.isAnchor()) {
                const std::string file = DecodeAddressEscapes(format.anchorHref().toStdString());
                const std::string text = fragment.text().toStdString();
                if (!parsed.Elements.empty() && parsed.Elements.back().Tag == "a" && parsed.Elements.back().File == file)
                    parsed.Elements.back().Text += text;
                else
                    parsed.Elements.push_back({"a", file, text});
            }
        }
    }
    parsed.Text = document.toPlainText().toStdString();
    return parsed;
}
