// TDocumentList: the open documents of the window in tab order, with their captions and the current one.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

// Owns the documents; the tab strip only shows the captions. A document type gives `FileName` (empty
// while untitled) and `Guardado` (no unsaved change).
template <class TDocument>
class TDocumentList {
public:
    int Count() const { return static_cast<int>(FEntries.size()); }
    // The document at `index`; nil out of range.
    TDocument* At(int index) const
    {
        return index >= 0 && index < Count() ? FEntries[static_cast<size_t>(index)].Document.get() : nullptr;
    }
    const std::string& Caption(int index) const { return FEntries.at(static_cast<size_t>(index)).Caption; }
    void SetCaption(int index, std::string caption) { FEntries.at(static_cast<size_t>(index)).Caption = std::move(caption); }

    // The current document's index, -1 when none is.
    int Current() const { return FCurrent; }
    // An index out of range makes none current.
    void SetCurrent(int index) { FCurrent = index >= 0 && index < Count() ? index : -1; }
    TDocument* CurrentDocument() const { return At(FCurrent); }

    // Puts the document at the end; the current one stays.
    int Add(std::string caption, std::unique_ptr<TDocument> document)
    {
        FEntries.push_back({std::move(caption), std::move(document)});
        return Count() - 1;
    }
    // Takes the document at `index` out and gives it back; the current one stays current, and none is
    // when it was the one taken.
    std::unique_ptr<TDocument> Remove(int index)
    {
        if (index < 0 || index >= Count())
            return nullptr;
        std::unique_ptr<TDocument> document = std::move(FEntries[static_cast<size_t>(index)].Document);
        FEntries.erase(FEntries.begin() + index);
        if (FCurrent == index)
            FCurrent = -1;
        else if (FCurrent > index)
            --FCurrent;
        return document;
    }
    // Moves a document to another place in the order; the current one stays current.
    void Move(int from, int to)
    {
        if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
            return;
        TDocument* current = CurrentDocument();
        auto first = FEntries.begin();
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else
            std::rotate(first + to, first + from, first + from + 1);
        FCurrent = IndexOf(current);
    }

    int IndexOf(const TDocument* document) const
    {
        for (int i = 0; i < Count(); ++i)
            if (document && At(i) == document)
                return i;
        return -1;
    }
    int IndexOfCaption(const std::string& caption) const
    {
        for (int i = 0; i < Count(); ++i)
            if (Caption(i) == caption)
                return i;
        return -1;
    }
    // The document open on the file `fileName` names, however it is spelled or linked (SameFile);
    // -1 when none is.
    int IndexOfFile(const std::string& fileName) const
    {
        for (int i = 0; i < Count(); ++i)
            if (!At(i)->FileName.empty() && SameFile(At(i)->FileName, fileName))
                return i;
        return -1;
    }
    // The indexes of the documents with unsaved changes, in order.
    std::vector<int> Changed() const
    {
        std::vector<int> changed;
        for (int i = 0; i < Count(); ++i)
            if (!At(i)->Guardado)
                changed.push_back(i);
        return changed;
    }

private:
    struct TEntry {
        std::string Caption;
        std::unique_ptr<TDocument> Document;
    };
    std::vector<TEntry> FEntries;
    int FCurrent = -1;
};
