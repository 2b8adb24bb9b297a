// A persistent list of icons, each kept as the list's own copy, streamed as the binary property "Icons".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Icon.h"

class TStream;

class TIconList {
public:
    TIconList() = default;
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;
    virtual ~TIconList() = default;

    // Fires OnChange unless an update is open.
    virtual void Changed();
    // The entry at `index` (EListError out of range); an entry may be an empty icon.
    virtual const TIcon& Get(int index) const;
    virtual int GetCount() const;
    // Copies the icon into the entry.
    virtual void Put(int index, const TIcon& icon);
    // A copy of the icon as a new last entry; returns its index.
    virtual int Add(const TIcon& icon);
    // The icon file among the program's resources (a Qt resource path).
    virtual int AddResource(const std::string& resourceName);
    virtual void Clear();
    virtual void Delete(int index);
    virtual void Exchange(int index1, int index2);
    // The index of the entry that is this very icon; -1 when none is.
    virtual int IndexOf(const TIcon* icon) const;
    virtual void Insert(int index, const TIcon& icon);
    virtual void InsertResource(int index, const std::string& resourceName);
    virtual void Move(int fromIndex, int toIndex);

    void BeginUpdate() { ++FUpdateCount; }
    // Closing the last update reports the changes made inside it at once.
    void EndUpdate();

    // The "Icons" property: a 32-bit count, then per entry a 32-bit size and that many bytes of icon
    // file (0 for an empty entry). Reading replaces the list; a damaged stream raises EReadError or
    // EInvalidGraphic and leaves the list as it was.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;
    // Written when the list has entries and, below an inherited form, when it differs from the ancestor's.
    bool NeedsWriting(const TIconList* ancestor) const;
    bool SameAs(const TIconList& other) const;

    std::function<void(TIconList&)> OnChange;

private:
    std::unique_ptr<TIcon> ownCopy(const TIcon& icon);
    void checkIndex(int index) const;

    std::vector<std::unique_ptr<TIcon>> FIcons;
    int FUpdateCount = 0;
};

// Holds an update of the list open for the lifetime of the guard.
class TIconListUpdate {
public:
    explicit TIconListUpdate(TIconList& list) : FList(list) { FList.BeginUpdate(); }
    ~TIconListUpdate() noexcept(false) { FList.EndUpdate(); }
    TIconListUpdate(const TIconListUpdate&) = delete;
    TIconListUpdate& operator=(const TIconListUpdate&) = delete;

private:
    TIconList& FList;
};
