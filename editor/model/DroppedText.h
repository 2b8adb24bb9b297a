// What pasted and dropped data offers (TSourceTypes), and the filter that pasted and dropped HTML passes through.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Classes.h"

// A set of bits describing offered data and what to do with it. The control fills it; the
// application's OnDataDrop may change it before the data is read.
using TSourceTypes = uint16_t;

enum : TSourceTypes {
    stFiles = 0x0001,        // file names are offered (drops only)
    stUnicodeText = 0x0002,  // Unicode text is offered (drops only)
    stCFText = 0x0004,       // text is offered
    stHTML = 0x0100,         // "HTML Format" is offered
    stAny = 0x0200,          // set by paste whenever a format is offered
    stNoFilter = 0x0400,     // HTML is taken whole; for drops also: file names are inserted as text
    stProcessFiles = 0x0800, // dropped file names go to OnFilesDropped
    stHandled = 0x1000,      // the handler took the drop itself: nothing is read or inserted
    stFragment = 0x2000,     // keep only the marked HTML fragment
    stStripHeader = 0x4000,  // drop everything before the first "<"
    // The bits that say what to do rather than what is offered.
    stActions = stNoFilter | stProcessFiles | stHandled | stFragment | stStripHeader,
};

// The markers around the part of a page that was selected when it was copied.
inline constexpr char kStartFragment[] = "<!--StartFragment-->";
inline constexpr char kEndFragment[] = "<!--EndFragment-->";

// Only for HTML (stHTML without stNoFilter): with stStripHeader the text is cut to start at its first
// "<"; otherwise with stFragment it is cut so, and then, when both markers occur in order, only the
// text between them remains. Any other text is left as it is.
void FilterDroppedText(std::string& text, TSourceTypes sourceTypes);

// The kinds of dropped data, each the number of its bit in TSourceTypes.
enum TDropKind : int { dkFiles = 0, dkUnicodeText = 1, dkText = 2, dkHTML = 8 };

// What one drop read: a list per kind (a line per file name, or the whole text as one line) and the
// length of the kind's text, so that the line end the list adds is not taken for part of it.
class TDropObj {
public:
    static constexpr int kKinds = 15;
    // Kinds are taken modulo 128; any outside the table are dropped.
    void SetList(int kind, std::unique_ptr<TStringList> list, size_t length);
    const TStringList* GetList(int kind) const;
    // The kind's list as text, cut to its length; empty when the kind was not read.
    std::string Text(int kind) const;

private:
    std::array<std::unique_ptr<TStringList>, kKinds> FLists;
    std::array<size_t, kKinds> FLengths{};
};
