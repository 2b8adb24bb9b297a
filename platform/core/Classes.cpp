// The class-library streams and the string list.
#include "platform/core/Classes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Collation.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {
// Texts of the string table.
constexpr int kReadErrorText = 65210;
constexpr int kWriteErrorText = 65211;
constexpr int kCreateErrorText = 65212;
constexpr int kOpenErrorText = 65213;
constexpr int kListIndexText = 65214;
constexpr int kFileCannotBeSaved = 4513;
constexpr int kCannotBeRead = 7353;
} // namespace

void TStream::SetSize(int64_t) {}

int64_t TStream::GetSize()
{
    int64_t pos = Seek(0, soFromCurrent);
    int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(LoadResString(kReadErrorText));
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(LoadResString(kWriteErrorText));
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    int64_t result = count;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 61440)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return result;
}

// ---------------------------------------------------------------- TCustomMemoryStream

void TCustomMemoryStream::SetPointer(const void* memory, int64_t size)
{
    FMemory = static_cast<const uint8_t*>(memory);
    FSize = size;
    FPosition = 0;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count)
{
    if (FPosition < 0 || count <= 0 || FPosition >= FSize)
        return 0;
    int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TCustomMemoryStream::Write(const void*, int64_t)
{
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, int origin)
{
    switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = FSize + offset; break;
    }
    return FPosition;
}

// ---------------------------------------------------------------- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    int64_t size = GetSize();
    if (FPosition < 0 || count <= 0 || FPosition >= size)
        return 0;
    int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (FPosition < 0 || count <= 0)
        return 0;
    int64_t end = FPosition + count;
    if (end > GetSize())
        FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin)
{
    switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = GetSize() + offset; break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    FData.resize(static_cast<size_t>(std::max<int64_t>(newSize, 0)));
    if (FPosition > newSize)
        FPosition = newSize;
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    int64_t size = source.GetSize();
    FData.resize(static_cast<size_t>(size));
    FPosition = 0;
    source.ReadBuffer(FData.data(), size);
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    std::string bytes = ReadFileBytes(fileName);
    FData.assign(bytes.begin(), bytes.end());
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& dest)
{
    dest.WriteBuffer(FData.data(), GetSize());
}

void TMemoryStream::SaveToFile(const std::string& fileName)
{
    WriteFileBytes(fileName, std::string_view(reinterpret_cast<const char*>(FData.data()), FData.size()));
}

// ---------------------------------------------------------------- TFileStream

namespace {

// Opens a file for a stream without waiting: a named pipe, or a socket, answering to the name would
// hold the program up until another program opened its other end, and is refused like a folder.
std::FILE* openStreamFile(const std::string& fileName, int flags, const char* how)
{
    const int fd = open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    std::FILE* file = nullptr;
    if (fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode) &&
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        file = fdopen(fd, how);
    if (!file)
        close(fd);
    return file;
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : FFileName(fileName)
{
    if (mode == fmCreate) {
        FFile = openStreamFile(fileName, O_RDWR | O_CREAT | O_TRUNC, "w+b");
        if (!FFile)
            throw EFCreateError(FmtLoadStr(kCreateErrorText, FilePathText(fileName).c_str()));
        return;
    }
    const bool reading = (mode & 3) == fmOpenRead;
    FFile = openStreamFile(fileName, reading ? O_RDONLY : O_RDWR, reading ? "rb" : "r+b");
    if (!FFile)
        throw EFOpenError(FmtLoadStr(kOpenErrorText, FilePathText(fileName).c_str()));
}

TFileStream::~TFileStream()
{
    if (FFile)
        std::fclose(FFile);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Seek(int64_t offset, int origin)
{
    int whence = origin == soFromCurrent ? SEEK_CUR : origin == soFromEnd ? SEEK_END : SEEK_SET;
    if (fseeko(FFile, static_cast<off_t>(offset), whence) != 0)
        return static_cast<int64_t>(ftello(FFile));
    return static_cast<int64_t>(ftello(FFile));
}

void TFileStream::SetSize(int64_t newSize)
{
    std::fflush(FFile);
    if (ftruncate(fileno(FFile), static_cast<off_t>(newSize)) != 0)
        throw EWriteError(LoadResString(kWriteErrorText));
}

std::string ReadFileBytes(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        int64_t n = file.Read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

std::string ReadUsersFile(const std::string& fileName, int64_t maxSize)
{
    std::string bytes;
    if (ReadFileBytes(fileName, maxSize, bytes))
        return bytes;
    const std::string why = FileProblemText(fileName, errno);
    throw EFOpenError(FmtLoadStr(kCannotBeRead, FilePathText(fileName).c_str(), why.c_str()));
}

bool ReadFileBytes(const std::string& fileName, int64_t maxSize, std::string& bytes)
{
    // Opened without waiting, so that a named pipe or a device answering to the name cannot hold the
    // program up: only a regular file is read.
    const int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const TScopeGuard closing([fd] { close(fd); });
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode) || st.st_size > maxSize) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : S_ISREG(st.st_mode) ? EFBIG : EINVAL;
        return false;
    }
    bytes.clear();
    bytes.reserve(static_cast<size_t>(st.st_size));
    // Through a small buffer that stays in the cache: the string's memory is then written once,
    // not cleared first and filled after.
    char piece[1 << 16];
    for (off_t left = st.st_size; left > 0;) {
        const ssize_t n = read(fd, piece, static_cast<size_t>(std::min<off_t>(left, sizeof piece)));
        if (n < 0 && errno == EINTR)
            continue;
        // A file that shrank while it was read is not read whole.
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        bytes.append(piece, static_cast<size_t>(n));
        left -= n;
    }
    return true;
}

void WriteFileBytes(const std::string& fileName, std::string_view bytes)
{
    std::string error;
    if (!ReplaceFileContents(fileName, bytes, error))
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FilePathText(fileName).c_str(), error.c_str()));
}

bool FileExists(const std::string& fileName)
{
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool IsExecutableFile(const std::string& fileName)
{
    return FileExists(fileName) && access(fileName.c_str(), X_OK) == 0;
}

// ---------------------------------------------------------------- TStringList

void TStringList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(FmtLoadStr(kListIndexText, index));
}

const std::string& TStringList::operator[](int index) const
{
    checkIndex(index);
    return FItems[static_cast<size_t>(index)].text;
}

std::string& TStringList::operator[](int index)
{
    checkIndex(index);
    return FItems[static_cast<size_t>(index)].text;
}

void* TStringList::Objects(int index) const
{
    checkIndex(index);
    return FItems[static_cast<size_t>(index)].object;
}

void TStringList::SetObject(int index, void* object)
{
    checkIndex(index);
    FItems[static_cast<size_t>(index)].object = object;
}

int TStringList::compare(std::string_view a, std::string_view b) const
{
    return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int TStringList::Add(std::string s, void* object)
{
    if (FSorted) {
        int index;
        Find(s, index);
        FItems.insert(FItems.begin() + index, Item{std::move(s), object});
        return index;
    }
    FItems.push_back(Item{std::move(s), object});
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s, void* object)
{
    if (index < 0 || index > Count())
        throw EListError(FmtLoadStr(kListIndexText, index));
    FItems.insert(FItems.begin() + index, Item{std::move(s), object});
}

void TStringList::Delete(int index)
{
    checkIndex(index);
    FItems.erase(FItems.begin() + index);
}

void TStringList::Exchange(int a, int b)
{
    checkIndex(a);
    checkIndex(b);
    std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
}

int TStringList::IndexOf(std::string_view s) const
{
    if (FSorted) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (compare(FItems[static_cast<size_t>(i)].text, s) == 0)
            return i;
    return -1;
}

void TStringList::AddStrings(const TStringList& other)
{
    for (const Item& item : other.FItems)
        Add(item.text, item.object);
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !FSorted) {
        FSorted = true;
        Sort();
    }
    FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool value)
{
    FCaseSensitive = value;
    if (FSorted)
        Sort();
}

void TStringList::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return compare(a.text, b.text) < 0; });
}

bool TStringList::Find(std::string_view s, int& index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = compare(FItems[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

std::string TStringList::Text() const
{
    std::string result;
    for (const Item& item : FItems) {
        result += item.text;
        result += "\r\n";
    }
    return result;
}

void TStringList::SetText(std::string_view text)
{
    FItems.clear();
    size_t i = 0, n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        FItems.push_back(Item{std::string(text.substr(start, i - start)), nullptr});
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    if (FSorted)
        Sort();
}

std::string TStringList::Names(int index) const
{
    const std::string& s = (*this)[index];
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = FItems[static_cast<size_t>(i)].text;
        size_t eq = s.find('=');
        if (eq != std::string::npos && compare(std::string_view(s).substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const
{
    int i = IndexOfName(name);
    if (i < 0)
        return {};
    const std::string& s = FItems[static_cast<size_t>(i)].text;
    return s.substr(s.find('=') + 1);
}

void TStringList::SetValue(std::string_view name, std::string_view value)
{
    int i = IndexOfName(name);
    std::string line = std::string(name) + "=" + std::string(value);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
    } else if (i >= 0) {
        FItems[static_cast<size_t>(i)].text = line;
    } else {
        Add(line);
    }
}

void TStringList::LoadFromFile(const std::string& fileName)
{
    SetText(ReadFileBytes(fileName));
}

void TStringList::SaveToFile(const std::string& fileName) const
{
    WriteFileBytes(fileName, Text());
}

void TStringList::LoadFromStream(TStream& stream)
{
    int64_t left = stream.Remaining();
    std::string bytes(static_cast<size_t>(std::max<int64_t>(left, 0)), '\0');
    int64_t n = stream.Read(bytes.data(), left);
    bytes.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
    SetText(bytes);
}

void TStringList::SaveToStream(TStream& stream) const
{
    std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}
