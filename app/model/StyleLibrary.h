// The style library the style sheet dialog edits: the library text as the holder keeps it and the
// sorted list of its selectors, kept in step while rules are stored, erased, loaded and saved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"

struct TCssRule;

class TStyleLibrary {
public:
    // The library's text: normalised when loaded, then with every stored rule appended as one item.
    const TStringList& Strings() const { return FStrings; }
    std::string Text() const { return FStrings.Text(); }
    // The selectors as the list shows them: sorted without case, blanks kept, repeats allowed.
    const std::vector<std::string>& Selectors() const { return FSelectors; }
    bool Empty() const { return FSelectors.empty(); }

    void Clear();
    // Replaces the library by the normalised form of a style sheet's text.
    void Load(std::string_view fileText);
    // The position of the selector equal to `name` without case (blanks counting), or -1.
    int IndexOf(std::string_view name) const;
    // Stores the rule under Trim(eClass): an existing rule of that name is cut out of the text,
    // else the name joins the list; then the rule's text is appended. An empty name stores nothing
    // and gives -1; otherwise the list position of the name.
    int Store(const TCssRule& rule);
    // Cuts the rule of the list entry `index` out of the text and drops the entry; an index off
    // the list changes nothing.
    void Erase(int index);
    // Normalises the text again and keeps it; the result is what a library file holds, every line
    // ended by CR LF.
    std::string Normalise();

private:
    int addSelector(std::string name);

    TStringList FStrings;
    std::vector<std::string> FSelectors;
};
