// The compiled tables of a TCodeMemoParser as a byte image: StoreParserData, LoadParserData, Assign.
#include "highlight/CodeMemoParser.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "editor/model/CharGroups.h"
#include "editor/model/StreamPrims.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kVersionMismatchMessage = 4129;
constexpr int kInvalidSetIdMessage = 4199;

// Every table indexed by token value, character or state has 256 slots; a writer never stores more
// entries than that, so a larger count marks a corrupt image.
constexpr int32_t kSlotCount = 256;
constexpr int64_t kSetBytes = sizeof(TStateSet);

// The smallest stream form of each record, against which every count is held before anything is
// read: a corrupt count then fails at once instead of allocating what it asks.
constexpr int64_t kStartFormMinBytes = 1 + TSM_CharGroup::kStreamSize + 1;
constexpr int64_t kBodyFormMinBytes = 1 + 1 + 1;
constexpr int64_t kStartRecordMinBytes = kStartFormMinBytes + kSetBytes + kStartFormMinBytes + kBodyFormMinBytes + 1;
constexpr int64_t kHandlerMinBytes = kStartFormMinBytes + kBodyFormMinBytes;
constexpr int64_t kTokenStateBytes = 3 * kSetBytes + 3;
// The shipped tables pack to about a fifth; room for more than this many bytes per packed byte is
// made only as the image grows.
constexpr int64_t kLargestExpansion = 32;
constexpr int64_t kRangeNodeMinBytes = 2 + 2 + kStartRecordMinBytes;
constexpr int64_t kRangeChainMinBytes = 4;

static_assert(kTokenStateBytes == 99, "a token-state record streams as its 99 bytes");

// ---------------------------------------------------------------- writing

// Groups travel by value: each id is resolved here and the group itself written, since ids are
// only meaningful inside one keyword table's manager.
class TablesWriter {
public:
    TablesWriter(TStream& out, const TSM_CharGroupManager& groups) : FOut(out), FGroups(groups) {}

    void Write(const TParserTables& tables)
    {
        writeSparse(tables.Handlers, [this](const THandlerRec& handler) {
            startForm(handler.Start);
            bodyForm(handler.Body);
        });
        writeSparse(tables.DefaultStartTable.Records, [this](const TStartRec& record) { startRecord(record); });

        int32_t contexts = 0;
        for (const TStateSet& states : tables.ContextStates)
            contexts += states != tables.StartStates ? 1 : 0;
        StreamWriteLong(FOut, contexts);
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const TStateSet& states = tables.ContextStates[static_cast<size_t>(slot)];
            if (states == tables.StartStates)
                continue;
            StreamWriteByte(FOut, static_cast<uint8_t>(slot));
            StreamWriteSet(FOut, states);
        }

        writeSparse(tables.TokenStates, [this](const TTokenStateRec& record) {
            StreamWriteSet(FOut, record.ValidIn);
            StreamWriteSet(FOut, record.Enter);
            StreamWriteSet(FOut, record.Leave);
            StreamWriteByte(FOut, record.Container);
            StreamWriteByte(FOut, record.NoStateChange);
            StreamWriteByte(FOut, record.StackAction);
        });

        // A language that consults no InState table stores none, whatever the tables hold.
        if (tables.NoInState) {
            StreamWriteLong(FOut, 0);
        } else {
            writeSparse(tables.InStateTables, [this](const TStartTable& table) {
                // The chain follows every character entry: a reader keeps the copy it reads last.
                writeSparse(table.Records, [this, &table](const TStartRec& record) {
                    startRecord(record);
                    rangeChain(table.Ranges);
                });
            });
        }

        StreamWriteSet(FOut, tables.AnchorStates);
        StreamWriteSet(FOut, tables.BoundStates);
        StreamWriteSet(FOut, tables.StartStates);
        StreamWriteByte(FOut, tables.MatchUsed);
    }

private:
    // The count of occupied slots, then slot index and record of each in ascending order.
    template <class TSlots, class TWriteRecord>
    void writeSparse(const TSlots& slots, TWriteRecord writeRecord)
    {
        int32_t occupied = 0;
        for (const auto& slot : slots)
            occupied += slot ? 1 : 0;
        StreamWriteLong(FOut, occupied);
        for (size_t index = 0; index < slots.size(); ++index) {
            if (!slots[index])
                continue;
            StreamWriteByte(FOut, static_cast<uint8_t>(index));
            writeRecord(*slots[index]);
        }
    }

    void group(uint16_t id) { FGroups.GetGroup(id).SaveToStream(FOut); }

    void procedure(const TElementRec& element)
    {
        StreamWriteByte(FOut, element.CustomFlag);
        StreamWriteLong(FOut, element.ProcID);
    }

    // The group is written whatever the procedure flag says, so that the form has one shape.
    void startForm(const TElementRec& element)
    {
        StreamWriteByte(FOut, element.Flag);
        group(element.GroupID);
        StreamWriteByte(FOut, element.ProcFlag);
        if (element.ProcFlag)
            procedure(element);
    }

    void bodyForm(const TElementRec& element)
    {
        StreamWriteByte(FOut, element.Flag);
        StreamWriteByte(FOut, element.ProcFlag);
        if (element.ProcFlag) {
            procedure(element);
            return;
        }
        // A record holds four group ids; a count beyond them would promise groups that never follow.
        const int count = element.GroupCount();
        StreamWriteByte(FOut, static_cast<uint8_t>(count));
        for (int i = 0; i < count; ++i)
            group(element.GroupIDs[static_cast<size_t>(i)]);
    }

    void startRecord(const TStartRec& record)
    {
        startForm(record.Start);
        StreamWriteSet(FOut, record.ValidIn);
        startForm(record.Repeat);
        bodyForm(record.Terminator);
        StreamWriteByte(FOut, record.TokenValue);
    }

    void rangeChain(const std::vector<TRangeNode>& ranges)
    {
        StreamWriteLong(FOut, static_cast<int32_t>(ranges.size()));
        for (const TRangeNode& node : ranges) {
            StreamWriteWord(FOut, node.Low);
            StreamWriteWord(FOut, node.High);
            startRecord(node.Record);
        }
    }

    TStream& FOut;
    const TSM_CharGroupManager& FGroups;
};

// ---------------------------------------------------------------- reading

// Reads into tables of its own, which the caller takes only when the whole image has been read.
// Every count is held against the bytes that remain and every loop reads at least one byte per
// turn, so a corrupt image ends in an EReadError, never in a long loop or a wild allocation.
class TablesReader {
public:
    TablesReader(TStream& in, TSM_CharGroupManager& groups) : FIn(in), FGroups(groups) {}

    void Read(TParserTables& tables)
    {
        // A slot that comes twice takes the record read last; the earlier one is released.
        int32_t count = StreamReadCount(FIn, 1 + kHandlerMinBytes, kSlotCount);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t token = StreamReadByte(FIn);
            auto handler = std::make_unique<THandlerRec>();
            startForm(handler->Start);
            bodyForm(handler->Body);
            tables.Handlers[token] = std::move(handler);
        }

        count = StreamReadCount(FIn, 1 + kStartRecordMinBytes, kSlotCount);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t ch = StreamReadByte(FIn);
            tables.DefaultStartTable.Records[ch] = startRecord();
        }

        count = StreamReadCount(FIn, 1 + kSetBytes, kSlotCount);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t token = StreamReadByte(FIn);
            tables.ContextStates[token] = StreamReadSet(FIn);
        }

        count = StreamReadCount(FIn, 1 + kTokenStateBytes, kSlotCount);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t token = StreamReadByte(FIn);
            auto record = std::make_unique<TTokenStateRec>();
            record->ValidIn = StreamReadSet(FIn);
            record->Enter = StreamReadSet(FIn);
            record->Leave = StreamReadSet(FIn);
            record->Container = StreamReadByte(FIn);
            record->NoStateChange = StreamReadByte(FIn);
            record->StackAction = StreamReadByte(FIn);
            tables.TokenStates[token] = std::move(record);
        }

        tables.InStateOwners.Clear();
        count = StreamReadCount(FIn, 1 + 4, kSlotCount);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t state = StreamReadByte(FIn);
            auto table = std::make_unique<TStartTable>();
            const int32_t characters = StreamReadCount(FIn, 1 + kStartRecordMinBytes + kRangeChainMinBytes, kSlotCount);
            for (int32_t c = 0; c < characters; ++c) {
                const uint8_t ch = StreamReadByte(FIn);
                table->Records[ch] = startRecord();
                table->Ranges = rangeChain();
            }
            tables.InStateTables[state] = std::move(table);
            tables.InStateOwners.Include(state);
        }
        tables.UpdateNoInState();

        tables.AnchorStates = StreamReadSet(FIn);
        tables.BoundStates = StreamReadSet(FIn);
        tables.StartStates = StreamReadSet(FIn);
        tables.MatchUsed = StreamReadByte(FIn);
    }

private:
    // Equal groups share one id, whatever ids they had when they were written.
    uint16_t group()
    {
        FScratch.LoadFromStream(FIn);
        const int32_t id = FGroups.AddGroup(FScratch);
        // Element records hold 16-bit ids; a larger one could only name the wrong group.
        if (id > UINT16_MAX)
            throw ECodeMemo(FmtLoadStr(kInvalidSetIdMessage, id));
        return static_cast<uint16_t>(id);
    }

    void procedure(TElementRec& element)
    {
        element.CustomFlag = StreamReadByte(FIn);
        element.ProcID = StreamReadLong(FIn);
    }

    void startForm(TElementRec& element)
    {
        element.Flag = StreamReadByte(FIn);
        element.GroupID = group();
        element.ProcFlag = StreamReadByte(FIn);
        if (element.ProcFlag)
            procedure(element);
    }

    void bodyForm(TElementRec& element)
    {
        element.Flag = StreamReadByte(FIn);
        element.ProcFlag = StreamReadByte(FIn);
        if (element.ProcFlag) {
            procedure(element);
            return;
        }
        // Only four groups follow however high the count byte; the record keeps the count of the
        // groups it holds.
        const uint8_t count = StreamReadByte(FIn);
        element.Count = count < TElementRec::kMaxGroups ? count : TElementRec::kMaxGroups;
        for (int i = 0; i < element.Count; ++i)
            element.GroupIDs[static_cast<size_t>(i)] = group();
    }

    std::unique_ptr<TStartRec> startRecord()
    {
        auto record = std::make_unique<TStartRec>();
        startForm(record->Start);
        record->ValidIn = StreamReadSet(FIn);
        startForm(record->Repeat);
        bodyForm(record->Terminator);
        record->TokenValue = StreamReadByte(FIn);
        return record;
    }

    std::vector<TRangeNode> rangeChain()
    {
        const int32_t count = StreamReadCount(FIn, kRangeNodeMinBytes);
        std::vector<TRangeNode> ranges(static_cast<size_t>(count));
        for (TRangeNode& node : ranges) {
            node.Low = StreamReadWord(FIn);
            node.High = StreamReadWord(FIn);
            node.Record = std::move(*startRecord());
        }
        return ranges;
    }

    TStream& FIn;
    TSM_CharGroupManager& FGroups;
    TSM_CharGroup FScratch;
};

// ---------------------------------------------------------------- helpers

// The settings stream differs between versions (the gutter font came with 51); everywhere else the
// settings are written in the current form, so the version goes back to that however a block ends.
class StreamVersionScope {
public:
    StreamVersionScope(TSM_Settings& settings, int32_t version) : FSettings(settings)
    {
        FSettings.StreamVersion = version;
    }
    ~StreamVersionScope() { FSettings.StreamVersion = TSM_Settings::kDefaultStreamVersion; }
    StreamVersionScope(const StreamVersionScope&) = delete;
    StreamVersionScope& operator=(const StreamVersionScope&) = delete;

private:
    TSM_Settings& FSettings;
};

// Points the compressor at two streams for one run and lets go of them afterwards, so that it
// never keeps a stream that is about to go.
class CompressorRun {
public:
    CompressorRun(TCompressor& compressor, TStream& input, TStream& output) : FCompressor(compressor)
    {
        FCompressor.InputStream = &input;
        FCompressor.OutputStream = &output;
    }
    ~CompressorRun()
    {
        FCompressor.InputStream = nullptr;
        FCompressor.OutputStream = nullptr;
    }
    CompressorRun(const CompressorRun&) = delete;
    CompressorRun& operator=(const CompressorRun&) = delete;

private:
    TCompressor& FCompressor;
};

[[noreturn]] void raiseNamed(const std::string& name, const std::exception& error)
{
    throw Exception(Format("%s: %s", name.c_str(), error.what()));
}

TCodeMemoParser::TInformationBox& informationBox()
{
    static TCodeMemoParser::TInformationBox box;
    return box;
}

} // namespace

void TCodeMemoParser::SetInformationBox(TInformationBox box) { informationBox() = std::move(box); }

void TCodeMemoParser::StoreParserData(TStream& Stream)
{
    StreamWriteWord(Stream, kTablesVersion);
    try {
        TMemoryStream image;
        {
            StreamVersionScope version(Settings(), kTablesVersion);
            Settings().SaveToStream(image);
        }
        FKeywords->SaveToStream(image);
        TablesWriter(image, FKeywords->Groups()).Write(FTables);

        StreamWriteLong(Stream, static_cast<int32_t>(static_cast<uint32_t>(image.GetSize())));
        image.SetPosition(0);
        CompressorRun run(FCompressor, image, Stream);
        FCompressor.Compress();
    } catch (const std::exception& error) {
        raiseNamed(Name, error);
    }
}

void TCodeMemoParser::LoadParserData(TStream& Stream)
{
    auto load = [this, &Stream] {
        Clear();
        FContainer = 0;
        FPending = 0;
        FContainerEnd = 0;

        const uint16_t version = StreamReadWord(Stream);
        if (version < kOldestTablesVersion) {
            if (informationBox())
                informationBox()(FmtLoadStr(kVersionMismatchMessage, Name.c_str(), static_cast<int>(kTablesVersion),
                                            static_cast<int>(version)));
            return;
        }
        // The image length; the packed form carries it again and decides. Room is made for it
        // beforehand, as far as the packed bytes left could plausibly expand.
        const int64_t length = StreamReadLong(Stream);
        TMemoryStream image;
        image.SetCapacity(std::min(length, kLargestExpansion * (Stream.GetSize() - Stream.GetPosition())));
        {
            CompressorRun run(FCompressor, Stream, image);
            FCompressor.Decompress();
        }
        image.SetPosition(0);

        try {
            // Everything is read into objects of its own first; the parser takes them only once the
            // whole image has been read, so a corrupt image leaves it as Clear left it.
            {
                TSM_Settings settings;
                settings.StreamVersion = version;
                settings.LoadFromStream(image);
            }
            auto keywords = std::make_unique<TSyntaxKeywords>();
            keywords->LoadFromStream(image);
            auto tables = std::make_unique<TParserTables>();
            TablesReader(image, keywords->Groups()).Read(*tables);

            // The settings stream has just been read without fault, so reading it again into the
            // parser's own settings cannot fail. Reading (rather than copying the object read above)
            // keeps what the settings keep across a load: their clients and, from a version-50
            // image, the gutter font.
            image.SetPosition(0);
            {
                StreamVersionScope scope(Settings(), version);
                Settings().LoadFromStream(image);
            }
            FTables = std::move(*tables);
            FKeywords = std::move(keywords);
            // The case flag is not stored; the language's words were all added with it, so their
            // table carries it, and the settings keywords are matched as the compiled language did.
            FTables.CaseFlag = FKeywords->CaseSensitive;
            FCurrentStartTable = &FTables.DefaultStartTable;
        } catch (const std::exception& error) {
            raiseNamed(Name, error);
        }
    };

    // Editors wait while the tables are read; those already attached take the result afterwards.
    const bool wasLoading = IsLoading();
    SetLoading(true);
    try {
        load();
    } catch (...) {
        SetLoading(wasLoading);
        RefreshEditors();
        throw;
    }
    SetLoading(wasLoading);
    RefreshEditors();
}

void TCodeMemoParser::Assign(TCodeMemoParser& Source)
{
    TMemoryStream stream;
    Source.StoreParserData(stream);
    stream.SetPosition(0);
    LoadParserData(stream);
}
