// The string holder: list changes with their events, duplicates of a sorted list, and its "StrData" list.
#include "components/StrHlder.h"

#include <algorithm>

#include "components/core/StrData.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {
constexpr int kDuplicateString = 65411;
}

TStrHolder::TStrHolder(QObject* owner) : QObject(owner) {}

int TStrHolder::Capacity() const
{
    return std::max(FCapacity, FStrings.Count());
}

void TStrHolder::SetCapacity(int value)
{
    FCapacity = std::max(value, 0);
}

void TStrHolder::SetSorted(bool value)
{
    if (value == FStrings.Sorted())
        return;
    change([&](TStringList& list) { list.SetSorted(value); });
}

QString TStrHolder::KeyStringText() const
{
    return FromEditorText(FKeyString);
}

void TStrHolder::SetKeyStringText(const QString& value)
{
    FKeyString = ToEditorText(value);
}

int TStrHolder::addTo(TStringList& list, const std::string& line) const
{
    int index = 0;
    if (list.Sorted() && FDuplicates != dupAccept && list.Find(line, index)) {
        if (FDuplicates == dupError)
            throw EListError(LoadResString(kDuplicateString));
        return -1;
    }
    return list.Add(line);
}

void TStrHolder::change(const std::function<void(TStringList&)>& edit)
{
    TStringList edited = FStrings;
    edit(edited);
    if (!FLoading && OnChanging)
        OnChanging(this);
    FStrings = std::move(edited);
    if (!FLoading && OnChange)
        OnChange(this);
}

int TStrHolder::Add(const std::string& line)
{
    int index = -1;
    change([&](TStringList& list) { index = addTo(list, line); });
    return index;
}

void TStrHolder::Delete(int index)
{
    change([&](TStringList& list) { list.Delete(index); });
}

void TStrHolder::Clear()
{
    change([](TStringList& list) { list.Clear(); });
}

void TStrHolder::Assign(const TStringList& source)
{
    change([&](TStringList& list) {
        list.Clear();
        for (int i = 0; i < source.Count(); ++i)
            if (const int at = addTo(list, source[i]); at >= 0)
                list.SetObject(at, source.Objects(i));
    });
}

void TStrHolder::Assign(const TStrHolder& source)
{
    if (&source != this)
        Assign(source.FStrings);
}

void TStrHolder::AssignTo(TStringList& dest) const
{
    dest.Clear();
    for (int i = 0; i < FStrings.Count(); ++i)
        dest.Add(FStrings[i], FStrings.Objects(i));
}

TScopeGuard TStrHolder::BeginLoading()
{
    const bool was = FLoading;
    FLoading = true;
    return TScopeGuard([this, was] { FLoading = was; });
}

void TStrHolder::ReadStrData(TStream& stream)
{
    const TStrData data = ::ReadStrData(stream);
    TScopeGuard loading = BeginLoading();
    std::string key = data.Key.value_or(FKeyString);
    change([&](TStringList& list) {
        list.Clear();
        for (const std::string& line : data.Lines)
            addTo(list, line);
    });
    FKeyString = std::move(key);
}

void TStrHolder::WriteStrData(TStream& stream) const
{
    ::WriteStrData(stream, FKeyString, FStrings);
}

bool TStrHolder::StrDataStored(const TStrHolder* ancestor) const
{
    if (FStrings.Count() == 0 && FKeyString.empty())
        return false;
    if (!ancestor)
        return true;
    return StrDataDiffers(FKeyString, FStrings, ancestor->FKeyString, ancestor->FStrings);
}
