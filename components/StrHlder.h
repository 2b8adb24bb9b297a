// StrHlder: TStrHolder, a non-visual component that keeps a string list in its form as one "StrData" list, optionally masked with a key.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "platform/StringListMeta.h"
#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"

class TStrHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Capacity READ Capacity WRITE SetCapacity)
    Q_PROPERTY(TDuplicates Duplicates READ Duplicates WRITE SetDuplicates)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    // Both travel inside "StrData", never as properties of their own in the form.
    Q_PROPERTY(QString KeyString READ KeyStringText WRITE SetKeyStringText STORED false)
    Q_PROPERTY(TStringList Strings READ Strings WRITE SetStrings STORED false)

public:
    // What a sorted list does with a line it already holds (compared without case).
    enum TDuplicates { dupIgnore, dupAccept, dupError };
    Q_ENUM(TDuplicates)
    using TNotifyEvent = std::function<void(TStrHolder* Sender)>;

    explicit TStrHolder(QObject* owner = nullptr);

    // Room the list is meant to take; never below the lines it holds.
    int Capacity() const;
    void SetCapacity(int value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool Sorted() const { return FStrings.Sorted(); }
    void SetSorted(bool value);
    const std::string& KeyString() const { return FKeyString; }
    void SetKeyString(std::string value) { FKeyString = std::move(value); }
    QString KeyStringText() const;
    void SetKeyStringText(const QString& value);

    const TStringList& Strings() const { return FStrings; }
    // Copies the lines (and their objects) of the given list.
    void SetStrings(const TStringList& value) { Assign(value); }
    // Adds a line where Sorted puts it, as Duplicates allows; the line's index (-1 when ignored).
    int Add(const std::string& line);
    void Delete(int index);
    void Clear();
    void Assign(const TStringList& source);
    void Assign(const TStrHolder& source);
    void AssignTo(TStringList& dest) const;

    // Change events stay silent while the holder is being loaded from its form.
    bool Loading() const { return FLoading; }
    [[nodiscard]] TScopeGuard BeginLoading();

    // The "StrData" list. Reading takes the key and the lines only once the whole list has been read,
    // so a bad stream raises EReadError and leaves the holder as it was.
    void ReadStrData(TStream& stream);
    void WriteStrData(TStream& stream) const;
    // Whether the form writes "StrData": when there are lines or a key, and, for a holder of a form
    // inherited from `ancestor`, only when it differs from the ancestor's list.
    bool StrDataStored(const TStrHolder* ancestor = nullptr) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

private:
    // The change with its events around it; the list is built aside, so a failing change leaves it.
    void change(const std::function<void(TStringList&)>& edit);
    int addTo(TStringList& list, const std::string& line) const;

    TStringList FStrings;
    std::string FKeyString;
    TDuplicates FDuplicates = dupIgnore;
    int FCapacity = 0;
    bool FLoading = false;
};
