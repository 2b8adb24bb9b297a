// The icon list: own copies of icons, change notices held back during updates, and the "Icons" stream.
#include "components/IcoList.h"

#include <QFile>

#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kListIndexText = 65214;
constexpr int kResourceNotFoundText = 65231;

uint32_t readLe32(TStream& stream)
{
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

void writeLe32(TStream& stream, uint32_t value)
{
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    stream.WriteBuffer(b, 4);
}

TIcon resourceIcon(const std::string& resourceName)
{
    QFile file(QString::fromStdString(resourceName)); // Not editor text: a resource's path in the program
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(FmtLoadStr(kResourceNotFoundText, resourceName.c_str()));
    const QByteArray bytes = file.readAll();
    TIcon icon;
    icon.LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return icon;
}

} // namespace

void TIconList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(*this);
}

void TIconList::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TIconList::checkIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError(FmtLoadStr(kListIndexText, index));
}

std::unique_ptr<TIcon> TIconList::ownCopy(const TIcon& icon)
{
    auto copy = std::make_unique<TIcon>(icon);
    copy->OnChange = [this] { Changed(); };
    return copy;
}

const TIcon& TIconList::Get(int index) const
{
    checkIndex(index);
    return *FIcons[static_cast<size_t>(index)];
}

int TIconList::GetCount() const
{
    return static_cast<int>(FIcons.size());
}

void TIconList::Put(int index, const TIcon& icon)
{
    checkIndex(index);
    FIcons[static_cast<size_t>(index)]->Assign(icon);
}

int TIconList::Add(const TIcon& icon)
{
    Insert(GetCount(), icon);
    return GetCount() - 1;
}

int TIconList::AddResource(const std::string& resourceName)
{
    return Add(resourceIcon(resourceName));
}

void TIconList::Clear()
{
    TIconListUpdate update(*this);
    for (int i = GetCount() - 1; i >= 0; --i)
        Delete(i);
}

void TIconList::Delete(int index)
{
    checkIndex(index);
    FIcons.erase(FIcons.begin() + index);
    Changed();
}

void TIconList::Exchange(int index1, int index2)
{
    checkIndex(index1);
    checkIndex(index2);
    std::swap(FIcons[static_cast<size_t>(index1)], FIcons[static_cast<size_t>(index2)]);
    Changed();
}

int TIconList::IndexOf(const TIcon* icon) const
{
    for (size_t i = 0; i < FIcons.size(); ++i)
        if (FIcons[i].get() == icon)
            return static_cast<int>(i);
    return -1;
}

void TIconList::Insert(int index, const TIcon& icon)
{
    if (index < 0 || index > GetCount())
        throw EListError(FmtLoadStr(kListIndexText, index));
    FIcons.insert(FIcons.begin() + index, ownCopy(icon));
    Changed();
}

void TIconList::InsertResource(int index, const std::string& resourceName)
{
    Insert(index, resourceIcon(resourceName));
}

void TIconList::Move(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex)
        return;
    checkIndex(fromIndex);
    checkIndex(toIndex);
    auto icon = std::move(FIcons[static_cast<size_t>(fromIndex)]);
    FIcons.erase(FIcons.begin() + fromIndex);
    FIcons.insert(FIcons.begin() + toIndex, std::move(icon));
    Changed();
}

void TIconList::ReadData(TStream& stream)
{
    // Nothing is reserved by the count: a count larger than the stream can hold ends in a read error
    // at the stream's end, after at most one entry per four bytes.
    const uint32_t count = readLe32(stream);
    std::vector<std::unique_ptr<TIcon>> icons;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t size = readLe32(stream);
        auto icon = ownCopy(TIcon());
        if (size != 0) {
            TIcon read;
            read.LoadFromStream(stream, size);
            *icon = read;
        }
        icons.push_back(std::move(icon));
    }
    TIconListUpdate update(*this);
    Clear();
    FIcons = std::move(icons);
}

void TIconList::WriteData(TStream& stream) const
{
    writeLe32(stream, static_cast<uint32_t>(FIcons.size()));
    for (const auto& icon : FIcons) {
        writeLe32(stream, static_cast<uint32_t>(icon->Bytes().size()));
        icon->SaveToStream(stream);
    }
}

bool TIconList::SameAs(const TIconList& other) const
{
    if (GetCount() != other.GetCount())
        return false;
    for (int i = 0; i < GetCount(); ++i)
        if (!Get(i).SameAs(other.Get(i)))
            return false;
    return true;
}

bool TIconList::NeedsWriting(const TIconList* ancestor) const
{
    return GetCount() > 0 && (!ancestor || !SameAs(*ancestor));
}
