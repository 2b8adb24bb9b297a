// The class-library streams (abstract, memory and file) and the string list, in standard C++ only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exception.h"

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// Horizontal alignment; a control that sits at one edge takes only the first two.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
using TLeftRight = TAlignment;

// Whether a control draws a single-line frame round itself.
enum TBorderStyle : uint8_t { bsNone, bsSingle };

// A byte stream with a position. Read and Write move as many bytes as they can and return the count;
// ReadBuffer and WriteBuffer raise when the whole count cannot be moved.
class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual void SetSize(int64_t newSize);

    int64_t GetPosition() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soFromBeginning); }
    virtual int64_t GetSize();
    // Bytes left between the position and the end.
    int64_t Remaining() { return GetSize() - GetPosition(); }

    void ReadBuffer(void* buffer, int64_t count);   // EReadError "Stream read error"
    void WriteBuffer(const void* buffer, int64_t count); // EWriteError "Stream write error"
    // Copies `count` bytes from `source`'s position; count 0 copies the whole of `source` from its start.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a block of memory it does not own; writing is refused.
class TCustomMemoryStream : public TStream {
public:
    TCustomMemoryStream() = default;
    TCustomMemoryStream(const void* memory, int64_t size) { SetPointer(memory, size); }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() override { return FSize; }
    const uint8_t* Memory() const { return FMemory; }

protected:
    void SetPointer(const void* memory, int64_t size);
    const uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// A growable stream in memory that owns its bytes.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    void SetSize(int64_t newSize) override;
    int64_t GetSize() override { return static_cast<int64_t>(FData.size()); }
    // Makes room for `capacity` bytes, so that writes up to that size never move the memory; the
    // size stays as it is.
    void SetCapacity(int64_t capacity) { FData.reserve(static_cast<size_t>(std::max<int64_t>(capacity, 0))); }
    void Clear();
    uint8_t* Memory() { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    std::string AsString() const { return std::string(FData.begin(), FData.end()); }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& dest);
    void SaveToFile(const std::string& fileName);

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFFFF,
};

// A stream over a file; opening failures raise EFOpenError/EFCreateError with the file name.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    void SetSize(int64_t newSize) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::FILE* FFile = nullptr;
    std::string FFileName;
};

// Reads a whole file into a string; raises EFOpenError when it cannot be opened (a folder, a named
// pipe or a socket is refused, never waited on).
std::string ReadFileBytes(const std::string& fileName);
// Reads a whole regular file of at most `maxSize` bytes into `bytes`; false, with nothing raised, when
// it cannot be opened or read, is longer (errno EFBIG) or is no regular file (a named pipe is never
// waited on), with errno saying why.
bool ReadFileBytes(const std::string& fileName, int64_t maxSize, std::string& bytes);
// ReadFileBytes for a file the user named: raises EFOpenError saying which file and why it cannot
// be read (what the name is when it is no regular file, a file too large, the system's reason).
std::string ReadUsersFile(const std::string& fileName, int64_t maxSize);
// Writes a string as a whole file through ReplaceFileContents, so that a failure (a full disk, a
// size limit) leaves the old file as it was; raises EFCreateError with the reason when the file was
// not written.
void WriteFileBytes(const std::string& fileName, std::string_view bytes);
bool FileExists(const std::string& fileName);
// Whether a file or a folder answers to the name (a link as what it leads to).
bool PathExists(const std::string& path);
// A regular file that this user may run.
bool IsExecutableFile(const std::string& fileName);

// A list of strings, each with an optional object pointer. Look-ups compare without case by default.
class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const;
    std::string& operator[](int index);
    const std::string& Strings(int index) const { return (*this)[index]; }
    void* Objects(int index) const;
    void SetObject(int index, void* object);

    int Add(std::string s, void* object = nullptr);
    void Insert(int index, std::string s, void* object = nullptr);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    void Exchange(int a, int b);
    int IndexOf(std::string_view s) const;
    void AddStrings(const TStringList& other);

    // Sorted lists keep their order on Add and find by binary search.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    void Sort();
    // Binary search of a sorted list: true when found; `index` is where it is or would go.
    bool Find(std::string_view s, int& index) const;

    // The lines joined with CR LF, each followed by one; setting splits at CR LF, CR or LF.
    std::string Text() const;
    void SetText(std::string_view text);
    // "name=value" lines.
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;
    void SetValue(std::string_view name, std::string_view value);
    int IndexOfName(std::string_view name) const;

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

private:
    int compare(std::string_view a, std::string_view b) const;
    void checkIndex(int index) const;
    struct Item {
        std::string text;
        void* object;
    };
    std::vector<Item> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
};
