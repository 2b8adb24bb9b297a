// The compiled tables stream of TCodeMemoParser: property layout, round trips, old versions, corrupt images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/SynParse.h"
#include "support/ParserTables.h"
#include "support/TablesImage.h"
#include "platform/core/SysUtils.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------- bytes

uint32_t u32At(const Bytes& bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
                                 bytes.at(offset + 3) << 24);
}

// Little-endian values appended one after the other, to spell out expected images.
struct ByteWriter {
    Bytes bytes;
    ByteWriter& byte(uint8_t value)
    {
        bytes.push_back(value);
        return *this;
    }
    ByteWriter& word(uint16_t value) { return byte(value & 0xFF).byte(value >> 8); }
    ByteWriter& u32(uint32_t value) { return word(value & 0xFFFF).word(static_cast<uint16_t>(value >> 16)); }
    ByteWriter& set(const TStateSet& set)
    {
        bytes.insert(bytes.end(), set.Bytes.begin(), set.Bytes.end());
        return *this;
    }
    // A character group by value: its set, no further ranges, the negation byte.
    ByteWriter& group(const TStateSet& chars, uint8_t negated = 0) { return set(chars).u32(0).byte(negated); }
    ByteWriter& append(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

Bytes store(TCodeMemoParser& parser)
{
    TMemoryStream stream;
    parser.StoreParserData(stream);
    return stream.Bytes();
}

// Loads from the first `length` bytes only, as a form file cut short would give them.
void load(TCodeMemoParser& parser, const Bytes& bytes, size_t length)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(length));
    parser.LoadParserData(stream);
}
void load(TCodeMemoParser& parser, const Bytes& bytes) { load(parser, bytes, bytes.size()); }

// The table image inside a property value.
Bytes unpack(const Bytes& property) { return UnpackTablesImage(property.data(), property.size()); }

// A property value holding `image` under the version word `version`.
Bytes pack(uint16_t version, const Bytes& image)
{
    TMemoryStream output;
    ByteWriter header;
    header.word(version).u32(static_cast<uint32_t>(image.size()));
    output.WriteBuffer(header.bytes.data(), static_cast<int64_t>(header.bytes.size()));
    TCustomMemoryStream input(image.data(), static_cast<int64_t>(image.size()));
    TCompressor compressor;
    compressor.Method = TCompressor::MethodLZRW1KH;
    compressor.UseStreams = true;
    compressor.InputStream = &input;
    compressor.OutputStream = &output;
    compressor.Compress();
    return output.Bytes();
}

Bytes settingsStream(TSM_Settings& settings, int32_t version)
{
    TMemoryStream stream;
    settings.StreamVersion = version;
    settings.SaveToStream(stream);
    settings.StreamVersion = TSM_Settings::kDefaultStreamVersion;
    return stream.Bytes();
}

// Where the parser's own tables begin inside its image: after the settings and the keyword table.
size_t tablesOffset(TCodeMemoParser& parser)
{
    TMemoryStream keywords;
    parser.Keywords().SaveToStream(keywords);
    return settingsStream(parser.Settings(), 51).size() + keywords.Bytes().size();
}

// ---------------------------------------------------------------- scanning

// One token as the highlighter sees it: value, length, the states after it and the pending flag.
struct Step {
    int token;
    int length;
    TStateSet states;
    bool pending;
    friend bool operator==(const Step&, const Step&) = default;
};
std::ostream& operator<<(std::ostream& os, const Step& s)
{
    return os << "{" << s.token << ", " << s.length << (s.pending ? ", pending" : "") << "}";
}
using Steps = std::vector<Step>;

// Scans `text` from `position` after a restart in the context of `context`, playing the driver's
// rescan of container contents.
Steps trace(TCodeMemoParser& parser, const std::string& text, uint8_t context, int64_t position = 0)
{
    TCodeMemoCore editor;
    if (!text.empty())
        editor.InsertText(text.c_str());
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    cursor.SetPos(position);
    parser.ResetScanner(context);
    Steps steps;
    auto next = [&] {
        int length = 0;
        const int token = parser.ScanToken(nullptr, cursor, length);
        steps.push_back({token, length, parser.CurrentStates(), parser.GetTokenPending()});
        return length;
    };
    while (!cursor.AtEnd()) {
        const int64_t start = cursor.GetPos();
        if (next() < 1)
            break;
        if (!parser.InContainer())
            continue;
        cursor.SetPos(start);
        while (parser.InContainer() && !cursor.AtEnd())
            if (next() < 1)
                break;
    }
    return steps;
}

// ---------------------------------------------------------------- languages

// "match(n)": a run of digits, whose token value depends on n.
bool customDigits(TCodeMemoParser*, int id, TEdStream& s, int& length, int& value)
{
    int taken = 0;
    while (!s.AtEnd() && s.CurrentChar() >= '0' && s.CurrentChar() <= '9') {
        s.Next();
        ++taken;
    }
    length += taken;
    value = 50 + id;
    return taken > 0;
}

// A language with an entry of every kind: keywords with follow groups and states, handlers with
// character, built-in and custom elements, start records, InState tables with a range chain,
// state changes through the stack, a container, contexts, and settings with a keyword table.
void buildLanguage(TCodeMemoParser& p)
{
    TParserTables& t = p.Tables();
    TSM_CharGroup follow;
    int position = 1;
    follow.ParseSpec("[^A-Za-z0-9_]", position);
    p.Keywords().Add("if", 0, 4, TStateSet{0, 1}, follow);
    p.Keywords().Add("while", 0, 5, TStateSet{0}, follow);
    p.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    p.Keywords().Add("$", 0, 41, TStateSet{0}, TSM_CharGroup{});
    p.Keywords().Add("%", 0, 42, TStateSet{0, 1}, TSM_CharGroup{});
    t.EnsureHandler(40) = {charElement(group(p, "[a-z]"), 1), bodyElement({group(p, ";")}, 1)};
    t.EnsureHandler(41) = {procElement(riStdNumber), {}};
    t.EnsureHandler(42) = {procElement(4, 0, true), {}};
    p.Settings().AddKeywordTable(TStateSet{1}, "", {{"else", 6}}, 0);

    TStartTable& def = t.DefaultStartTable;
    builtinStart(p, def, riStdIdentifier, 10, TStateSet{0, 1});
    builtinStart(p, def, riStdCNumberOrFPSigned, 15, TStateSet{0, 1});
    builtinStart(p, def, riStdCString, 13, TStateSet{0, 1});
    builtinStart(p, def, riStdJSLineComment, 19, TStateSet{0, 1});
    charStart(p, def, "{", 1, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    charStart(p, def, "}", 2, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    charStart(p, def, "<", 80, charElement(group(p, "[^>]"), 1), bodyElement({group(p, ">")}, 1));
    charStart(p, def, "!", 7, procElement(1), procElement(2, 1));
    charStart(p, def, "=", 8, procElement(0, 1), bodyElement({group(p, "="), group(p, "=")}, 0));
    charStart(p, def, "#", 9, procElement(3, 1, true), bodyElement({group(p, "[^0-9]")}, 1));
    TStartTable& inOne = t.EnsureInStateTable(1);
    charStart(p, inOne, "[a-z]", 11, charElement(group(p, "[a-z]"), 1), bodyElement({group(p, "[^a-z]")}, 0),
              TStateSet{1});
    inOne.Ranges.push_back({'a', 'z', *inOne.Records['a']});
    inOne.Ranges.push_back({'0', '9', TStartRec{procElement(riStdNumber), TStateSet{1}, {}, {}, 16}});
    builtinStart(p, t.EnsureInStateTable(2), riStdCString, 12, TStateSet{2});
    t.UpdateNoInState();

    stateRecord(t, 1, TStateSet{0, 1}, TStateSet{1}, TStateSet{0}, saPushBefore);
    stateRecord(t, 2, TStateSet{0, 1}, {}, {}, saPopAfter);
    stateRecord(t, 80, TStateSet{0}, TStateSet{2}, TStateSet{0}).Container = 1;
    stateRecord(t, 6, TStateSet{3}, TStateSet{4});
    t.ContextStates[1] = TStateSet{1};
    t.ContextStates[80] = TStateSet{2};
    t.AnchorStates = TStateSet{0, 1, 2};
    t.BoundStates = TStateSet{2};
    t.MatchUsed = 1;

    TSM_Settings& s = p.Settings();
    s.LanguageName = "Prueba";
    s.TabDefault = 3;
    TSM_TokenStyle bold;
    bold.FontStyle = fsBold;
    bold.Foreground = clRed;
    bold.Defined = 1;
    s.SetStyle(1, bold);
    s.SetStyleFlag(4, 1);
    s.GutterFont().SetName("Arial");
    s.GutterFont().SetSize(9);
    p.OnCustomParse = customDigits;
}

// A small language with an entry in every section, for tests that load each cut of its image.
void buildSmallLanguage(TCodeMemoParser& p)
{
    TParserTables& t = p.Tables();
    p.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    t.EnsureHandler(40) = {charElement(group(p, "[a-z]"), 1), bodyElement({group(p, ";")}, 1)};
    charStart(p, t.DefaultStartTable, "{", 1, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    TStartTable& inOne = t.EnsureInStateTable(1);
    charStart(p, inOne, "}", 2, charElement(0, 1), bodyElement({}, 0), TStateSet{1});
    inOne.Ranges.push_back({'}', '}', *inOne.Records['}']});
    t.UpdateNoInState();
    stateRecord(t, 1, TStateSet{0, 1}, TStateSet{1}, TStateSet{0}, saPushBefore);
    stateRecord(t, 2, TStateSet{1}, {}, {}, saPopAfter);
    // Context sets equal to the start state set are left out, which keeps the image short.
    for (TStateSet& states : t.ContextStates)
        states = TStateSet{0};
    t.ContextStates[1] = TStateSet{1};
    t.AnchorStates = TStateSet{0, 1};
    t.BoundStates = TStateSet{1};
    t.MatchUsed = 1;
    p.Settings().LanguageName = "Breve";
    p.Settings().AddKeywordTable(TStateSet{1}, "", {{"else", 6}}, 0);
    p.Settings().GutterFont().SetName("Arial");
}

const std::vector<std::string> kSamples = {
    "if (x) { while y; } else",
    "&amp; &1 $123x %42 #12a !www.x.org ==",
    "<b if \"s\"> {a b} \"c\\\"d\" // -->",
    "-7.5e3 +x { if { } } } 12.x",
    "abc\rdef \"open\r{ else if }",
};

void expectSameScans(TCodeMemoParser& expected, TCodeMemoParser& actual)
{
    for (const std::string& text : kSamples)
        for (uint8_t context : {0, 1, 2, 80})
            EXPECT_EQ(trace(actual, text, context), trace(expected, text, context)) << text << " / " << int(context);

    const std::string alphabet = "abe if else {}()<>\"'\\/-+=.;&$%#!@0123456789\r";
    std::mt19937 rng(19);
    for (int round = 0; round < 150; ++round) {
        std::string text(rng() % 80, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        const auto context = static_cast<uint8_t>(rng() % 3);
        const int64_t position = text.empty() ? 0 : static_cast<int64_t>(rng() % text.size());
        ASSERT_EQ(trace(actual, text, context, position), trace(expected, text, context, position)) << text;
    }
}

// The parser as Clear leaves it.
void expectEmpty(TCodeMemoParser& p)
{
    const TParserTables& t = p.Tables();
    EXPECT_EQ(p.Keywords().WordCount(), 0);
    for (int slot = 0; slot < 256; ++slot) {
        ASSERT_EQ(t.Handlers[static_cast<size_t>(slot)], nullptr);
        ASSERT_EQ(t.TokenStates[static_cast<size_t>(slot)], nullptr);
        ASSERT_EQ(t.DefaultStartTable.Records[static_cast<size_t>(slot)], nullptr);
        ASSERT_EQ(t.InStateTables[static_cast<size_t>(slot)], nullptr);
        ASSERT_TRUE(t.ContextStates[static_cast<size_t>(slot)].IsEmpty());
    }
    EXPECT_EQ(t.NoInState, 1);
    EXPECT_EQ(t.AnchorStates, TStateSet{0});
    EXPECT_EQ(t.StartStates, TStateSet{0});
    EXPECT_TRUE(t.BoundStates.IsEmpty());
    EXPECT_EQ(t.MatchUsed, 0);
    EXPECT_EQ(p.Settings().TabDefault, 4);
    EXPECT_EQ(p.Settings().KeywordTableCount(), 0);
    EXPECT_EQ(p.Settings().StreamVersion, TSM_Settings::kDefaultStreamVersion);
}

} // namespace

TEST(ParserStream, PropertyIsVersionLengthAndPackedImage)
{
    TCodeMemoParser p;
    buildLanguage(p);
    const Bytes property = store(p);
    ASSERT_GT(property.size(), 14u);
    EXPECT_EQ(property[0], 0x33);
    EXPECT_EQ(property[1], 0x00);
    EXPECT_EQ(std::string(property.begin() + 6, property.begin() + 10), "WRZL");
    const Bytes image = unpack(property);
    EXPECT_EQ(u32At(property, 2), image.size());
    EXPECT_EQ(u32At(property, 10), image.size());
    EXPECT_EQ(p.Settings().StreamVersion, TSM_Settings::kDefaultStreamVersion);
    EXPECT_EQ(p.Compressor().InputStream, nullptr);
    EXPECT_EQ(p.Compressor().OutputStream, nullptr);

    // The image opens with the settings in their version-51 form, then the keyword table.
    const Bytes settings = settingsStream(p.Settings(), 51);
    TMemoryStream keywords;
    p.Keywords().SaveToStream(keywords);
    ASSERT_GT(image.size(), settings.size() + keywords.Bytes().size());
    EXPECT_TRUE(std::equal(settings.begin(), settings.end(), image.begin()));
    EXPECT_TRUE(std::equal(keywords.Bytes().begin(), keywords.Bytes().end(), image.begin() + settings.size()));

    // Written at the filer's position, after whatever the stream already holds.
    TMemoryStream stream;
    StreamWriteLong(stream, 7);
    p.StoreParserData(stream);
    EXPECT_EQ(Bytes(stream.Bytes().begin() + 4, stream.Bytes().end()), property);
}

TEST(ParserStream, TableSectionsHaveTheirFixedLayout)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    const uint16_t lower = group(p, "[a-z]");
    const uint16_t semicolon = group(p, "[^;]");
    t.EnsureHandler(40) = {charElement(lower, 1), bodyElement({semicolon, lower}, 1)};
    t.EnsureHandler(7) = {procElement(riStdNumber), procElement(3, 0, true)};
    t.DefaultStartTable.Ensure('x') = TStartRec{procElement(riStdIdentifier), TStateSet{0, 1}, {}, {}, 10};
    for (TStateSet& states : t.ContextStates)
        states = TStateSet{0};
    t.ContextStates[9] = TStateSet{1};
    t.ContextStates[12].Clear();
    stateRecord(t, 40, TStateSet{0}, TStateSet{2}, TStateSet{0}, saPushAfter).Container = 1;
    TStartTable& inTwo = t.EnsureInStateTable(2);
    inTwo.Ensure('b') = TStartRec{charElement(lower), TStateSet{2}, charElement(lower, 1), bodyElement({}, 0), 11};
    inTwo.Ensure('a') = *inTwo.Records['b'];
    inTwo.Ranges.push_back({'a', 'b', *inTwo.Records['a']});
    t.UpdateNoInState();
    t.AnchorStates = TStateSet{0, 40};
    t.BoundStates = TStateSet{2};
    t.MatchUsed = 1;

    TStateSet letters;
    for (char c = 'a'; c <= 'z'; ++c)
        letters.Include(static_cast<uint8_t>(c));
    // The character entry of InState table 2 ("a" and "b" hold the same record).
    ByteWriter entry;
    entry.byte(0).group(letters).byte(0).set(TStateSet{2}).byte(1).group(letters).byte(0).byte(0).byte(0).byte(0).byte(11);
    ByteWriter chain;
    chain.u32(1).word('a').word('b').append(entry.bytes);

    ByteWriter expected;
    expected.u32(2)
        .byte(7).byte(0).group({}).byte(1).byte(0).u32(riStdNumber) // built-in start; group 0 written all the same
        .byte(0).byte(1).byte(1).u32(3)                            // custom body: no groups
        .byte(40).byte(1).group(letters).byte(0)                   // optional character start
        .byte(1).byte(0).byte(2).group(TStateSet{';'}, 1).group(letters);
    expected.u32(1).byte('x').byte(0).group({}).byte(1).byte(0).u32(riStdIdentifier).set(TStateSet{0, 1});
    expected.byte(0).group({}).byte(0).byte(0).byte(0).byte(0).byte(10);
    expected.u32(2).byte(9).set(TStateSet{1}).byte(12).set({});
    expected.u32(1).byte(40).set(TStateSet{0}).set(TStateSet{2}).set(TStateSet{0}).byte(1).byte(0).byte(saPushAfter);
    expected.u32(1).byte(2).u32(2).byte('a').append(entry.bytes).append(chain.bytes);
    expected.byte('b').append(entry.bytes).append(chain.bytes);
    expected.set(TStateSet{0, 40}).set(TStateSet{2}).set(TStateSet{0}).byte(1);

    const Bytes image = unpack(store(p));
    EXPECT_EQ(Bytes(image.begin() + static_cast<ptrdiff_t>(tablesOffset(p)), image.end()), expected.bytes);

    // Without the InState flag the InState section is empty whatever the tables hold, and the
    // loaded language has no InState table.
    t.NoInState = 1;
    const Bytes flagged = store(p);
    const Bytes flaggedImage = unpack(flagged);
    const size_t inStateSection = flaggedImage.size() - 3 * 32 - 1 - 4;
    EXPECT_EQ(u32At(flaggedImage, inStateSection), 0u);
    TCodeMemoParser q;
    load(q, flagged);
    EXPECT_EQ(q.Tables().NoInState, 1);
    EXPECT_TRUE(q.Tables().InStateOwners.IsEmpty());
    EXPECT_EQ(q.Tables().InStateTables[2], nullptr);
    // Context sets equal to the start state set were left out and come back empty.
    EXPECT_EQ(q.Tables().ContextStates[9], TStateSet{1});
    EXPECT_TRUE(q.Tables().ContextStates[8].IsEmpty());
    EXPECT_TRUE(q.Tables().ContextStates[12].IsEmpty());

    // A language without anything of its own still stores the 256 context sets that differ from {0}.
    TCodeMemoParser empty;
    const Bytes emptyImage = unpack(store(empty));
    ByteWriter emptyTables;
    emptyTables.u32(0).u32(0).u32(256);
    for (int token = 0; token < 256; ++token)
        emptyTables.byte(static_cast<uint8_t>(token)).set({});
    emptyTables.u32(0).u32(0).set(TStateSet{0}).set({}).set(TStateSet{0}).byte(0);
    EXPECT_EQ(Bytes(emptyImage.begin() + static_cast<ptrdiff_t>(tablesOffset(empty)), emptyImage.end()),
              emptyTables.bytes);
}

TEST(ParserStream, AStoredLanguageLoadsAndScansAlike)
{
    TCodeMemoParser source;
    source.Name = "ParserJS";
    buildLanguage(source);
    const Bytes property = store(source);

    TCodeMemoParser loaded;
    loaded.Tables().EnsureHandler(99); // replaced, not merged
    loaded.OnCustomParse = customDigits;
    load(loaded, property);

    const TParserTables& t = loaded.Tables();
    EXPECT_EQ(t.Handlers[99], nullptr);
    EXPECT_EQ(t.NoInState, 0);
    EXPECT_EQ(t.InStateOwners, (TStateSet{1, 2}));
    EXPECT_EQ(t.AnchorStates, (TStateSet{0, 1, 2}));
    EXPECT_EQ(t.BoundStates, TStateSet{2});
    EXPECT_EQ(t.MatchUsed, 1);
    EXPECT_EQ(t.ContextStates[80], TStateSet{2});
    EXPECT_TRUE(t.ContextStates[3].IsEmpty());
    // The chain comes back once, node for node.
    const auto& ranges = t.InStateTables[1]->Ranges;
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[1].Low, '0');
    EXPECT_EQ(ranges[1].High, '9');
    EXPECT_EQ(ranges[1].Record.Start.ProcID, riStdNumber);
    EXPECT_EQ(ranges[1].Record.TokenValue, 16);
    EXPECT_EQ(ranges[0].Record.TokenValue, 11);
    // Groups are registered once each, by value.
    EXPECT_EQ(loaded.Keywords().Groups().Count(), source.Keywords().Groups().Count());
    EXPECT_EQ(loaded.Keywords().WordCount(), 5);
    EXPECT_EQ(loaded.Settings().LanguageName, "Prueba");
    EXPECT_EQ(loaded.Settings().TabDefault, 3);
    EXPECT_EQ(loaded.Settings().GetStyleFlag(4), 1);
    EXPECT_EQ(loaded.Settings().GetStyle(1).FontStyle, fsBold);
    EXPECT_EQ(loaded.Settings().GutterFont(), source.Settings().GutterFont());
    EXPECT_EQ(loaded.Settings().KeywordTableCount(), 1);
    EXPECT_EQ(loaded.Settings().StreamVersion, TSM_Settings::kDefaultStreamVersion);

    expectSameScans(source, loaded);
    // What was loaded stores to the very same bytes, and Assign copies it through them.
    EXPECT_EQ(store(loaded), property);
    TCodeMemoParser assigned;
    assigned.Assign(loaded);
    EXPECT_EQ(store(assigned), property);
    EXPECT_EQ(store(loaded), property);

    // The image length ahead of the packed form only makes room: none, a short one or an
    // impossible one loads the same language.
    for (const uint32_t length : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Bytes told = property;
        for (int i = 0; i < 4; ++i)
            told[2 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
        TCodeMemoParser again;
        load(again, told);
        EXPECT_EQ(store(again), property) << length;
    }
}

TEST(ParserStream, TheCaseFlagComesBackWithTheLanguageWords)
{
    TCodeMemoParser source;
    source.Tables().CaseFlag = 1;
    source.Keywords().Add("Begin", 1, 4, TStateSet{0}, TSM_CharGroup{});
    source.Settings().AddKeywordTable(TStateSet{0}, "", {{"End", 5}}, 1);
    TCodeMemoParser loaded;
    load(loaded, store(source));
    EXPECT_EQ(loaded.Tables().CaseFlag, 1);
    for (const char* text : {"Begin End", "begin end", "END"})
        EXPECT_EQ(trace(loaded, text, 0), trace(source, text, 0)) << text;
}

TEST(ParserStream, OlderVersionsAreReportedOrReadInTheirForm)
{
    std::vector<std::string> shown;
    TCodeMemoParser::SetInformationBox([&shown](const std::string& text) { shown.push_back(text); });

    TCodeMemoParser source;
    buildLanguage(source);
    const Bytes property = store(source);
    const Bytes image = unpack(property);

    TCodeMemoParser p;
    p.Name = "ParserHTML";
    buildLanguage(p);
    Bytes old = property;
    old[0] = 49;
    TCustomMemoryStream stream(old.data(), static_cast<int64_t>(old.size()));
    p.LoadParserData(stream);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "ParserHTML: DFM file saved by different version of TCodeMemoParser.\n\r"
                        "Recompile script to update DFM file.\n\r"
                        "Expected version was 51 read version was 49");
    EXPECT_EQ(stream.GetPosition(), 2); // the rest of the value is not read
    expectEmpty(p);

    // A version-50 image has no gutter font in its settings: the one in use stays.
    const size_t settingsSize = settingsStream(source.Settings(), 51).size();
    Bytes image50 = settingsStream(source.Settings(), 50);
    image50.insert(image50.end(), image.begin() + static_cast<ptrdiff_t>(settingsSize), image.end());
    p.Settings().GutterFont().SetName("Verdana");
    p.OnCustomParse = customDigits;
    load(p, pack(50, image50));
    EXPECT_EQ(p.Settings().GutterFont().Name(), "Verdana");
    EXPECT_EQ(p.Settings().LanguageName, "Prueba");
    expectSameScans(source, p);

    // Later versions are read as version 51.
    load(p, pack(52, image));
    EXPECT_EQ(p.Settings().GutterFont().Name(), "Arial");
    EXPECT_EQ(store(p), property);
    EXPECT_EQ(shown.size(), 1u);

    // Without an installed box the report is dropped.
    TCodeMemoParser::SetInformationBox(nullptr);
    load(p, old);
    expectEmpty(p);
}

TEST(ParserStream, CutPropertiesFailAndLeaveTheParserEmpty)
{
    TCodeMemoParser source;
    buildSmallLanguage(source);
    const Bytes property = store(source);

    TCodeMemoParser p;
    p.Name = "P";
    for (size_t length = 0; length < property.size(); ++length) {
        buildSmallLanguage(p);
        p.Settings().GutterFont().SetName("Verdana");
        EXPECT_THROW(load(p, property, length), Exception) << length;
        expectEmpty(p);
        ASSERT_EQ(p.Settings().GutterFont().Name(), "Verdana") << length;
        ASSERT_FALSE(p.IsLoading());
    }
    load(p, property);
    EXPECT_EQ(p.Settings().LanguageName, "Breve");
    EXPECT_EQ(p.Settings().GutterFont().Name(), "Arial");
    EXPECT_NE(p.Tables().InStateTables[1], nullptr);
    EXPECT_EQ(trace(p, "{&ab;}", 0), trace(source, "{&ab;}", 0));
}

TEST(ParserStream, CutImagesRaiseErrorsNamingTheParser)
{
    TCodeMemoParser source;
    buildSmallLanguage(source);
    const Bytes image = unpack(store(source));

    TCodeMemoParser p;
    p.Name = "P";
    p.Settings().GutterFont().SetName("Verdana");
    for (size_t length = 0; length < image.size(); ++length) {
        const Bytes property = pack(51, Bytes(image.begin(), image.begin() + static_cast<ptrdiff_t>(length)));
        try {
            load(p, property);
            ADD_FAILURE() << "a cut image loaded: " << length;
        } catch (const Exception& e) {
            ASSERT_EQ(e.Message().rfind("P: ", 0), 0u) << length << ": " << e.Message();
        }
        // The settings section may have been whole: the parser still takes nothing of it.
        ASSERT_EQ(p.Settings().GutterFont().Name(), "Verdana") << length;
        ASSERT_EQ(p.Keywords().WordCount(), 0) << length;
        ASSERT_EQ(p.Tables().MatchUsed, 0) << length;
    }
    expectEmpty(p);
}

TEST(ParserStream, CorruptCountsAndGroupsRaiseErrors)
{
    TCodeMemoParser source;
    source.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    source.Tables().EnsureHandler(40) = {charElement(group(source, "[a-z]"), 1), bodyElement({group(source, ";")}, 1)};
    const Bytes image = unpack(store(source));
    const size_t handlers = tablesOffset(source);
    ASSERT_EQ(u32At(image, handlers), 1u);

    TCodeMemoParser p;
    p.Name = "P";
    auto expectError = [&p](const Bytes& corrupt, const std::string& message) {
        try {
            load(p, pack(51, corrupt));
            ADD_FAILURE() << "loaded: " << message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().substr(0, message.size()), message);
        }
        expectEmpty(p);
    };

    Bytes corrupt = image;
    corrupt[handlers + 3] = 0x80;
    expectError(corrupt, "P: Invalid stream: count -2147483647 outside 0..256");
    corrupt = image;
    corrupt[handlers + 1] = 1;
    expectError(corrupt, "P: Invalid stream: count 257 outside 0..256");
    corrupt = image;
    corrupt[handlers] = 255; // each handler takes at least 43 bytes
    expectError(corrupt, Format("P: Invalid stream: 255 items cannot fit in the %d bytes that remain",
                                static_cast<int>(image.size() - handlers - 4)));
    // The start group claims a further range, which groups never carry.
    corrupt = image;
    corrupt[handlers + 4 + 1 + 1 + 32] = 1;
    expectError(corrupt, "P: ");

    // Packed data that is not packed: the compressor's own error, unchanged.
    Bytes property = pack(51, image);
    std::memcpy(property.data() + 6, "XXXX", 4);
    EXPECT_THROW(load(p, property), ECompressorException);
    expectEmpty(p);
}

TEST(ParserStream, ABodyStoresAtMostFourGroups)
{
    TCodeMemoParser source;
    source.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    const uint16_t a = group(source, "a");
    const uint16_t b = group(source, "b");
    THandlerRec& handler = source.Tables().EnsureHandler(40);
    handler = {charElement(group(source, "[x-z]"), 1), bodyElement({a, b, a, b}, 1)};
    const Bytes four = store(source);
    handler.Body.Count = 9; // a record holds four ids however high its count
    const Bytes property = store(source);
    EXPECT_EQ(property, four);

    // An image whose count byte promises more: four groups are read and the count kept at four.
    Bytes image = unpack(property);
    const size_t countByte = tablesOffset(source) + 4 + 1 + (1 + 37 + 1) + 1 + 1;
    ASSERT_EQ(image[countByte], 4);
    image[countByte] = 200;
    TCodeMemoParser loaded;
    load(loaded, pack(51, image));
    ASSERT_NE(loaded.Tables().Handlers[40], nullptr);
    EXPECT_EQ(loaded.Tables().Handlers[40]->Body.Count, 4);
    for (const char* text : {"&xabab", "&zzabaq", "&abab"})
        EXPECT_EQ(trace(loaded, text, 0), trace(source, text, 0)) << text;
    EXPECT_EQ(store(loaded), four);
}

TEST(ParserStream, ASlotThatComesTwiceTakesTheLastRecord)
{
    // Two languages that differ only in the handler of token 40; their entries are 80 bytes each.
    auto language = [](TCodeMemoParser& p, const std::string& body) {
        p.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
        p.Tables().EnsureHandler(40) = {charElement(group(p, "[a-z]"), 1), bodyElement({group(p, body)}, 1)};
    };
    TCodeMemoParser first, second;
    language(first, ";");
    language(second, ".");
    const Bytes firstImage = unpack(store(first));
    const Bytes secondImage = unpack(store(second));
    const size_t handlers = tablesOffset(first);
    const size_t entry = 1 + (1 + 37 + 1) + (1 + 1 + 1 + 37);
    ASSERT_EQ(u32At(firstImage, handlers + 4 + entry), 0u); // the empty default start table follows

    Bytes twice(firstImage.begin(), firstImage.begin() + static_cast<ptrdiff_t>(handlers));
    twice.insert(twice.end(), {2, 0, 0, 0});
    twice.insert(twice.end(), firstImage.begin() + static_cast<ptrdiff_t>(handlers + 4),
                 firstImage.begin() + static_cast<ptrdiff_t>(handlers + 4 + entry));
    twice.insert(twice.end(), secondImage.begin() + static_cast<ptrdiff_t>(handlers + 4), secondImage.end());

    TCodeMemoParser loaded;
    load(loaded, pack(51, twice));
    EXPECT_EQ(trace(loaded, "&ab. &ab;", 0), trace(second, "&ab. &ab;", 0));
    EXPECT_EQ(store(loaded), store(second));

    // An InState state that comes twice keeps the table read last.
    TCodeMemoParser states;
    charStart(states, states.Tables().EnsureInStateTable(3), "q", 21, charElement(0, 1), bodyElement({}, 0),
              TStateSet{3});
    states.Tables().UpdateNoInState();
    const Bytes statesImage = unpack(store(states));
    const size_t inState = statesImage.size() - 3 * 32 - 1 - (4 + 1 + 4 + 1 + 114 + 4);
    ASSERT_EQ(u32At(statesImage, inState), 1u);
    const auto sets = static_cast<ptrdiff_t>(statesImage.size() - 3 * 32 - 1);
    Bytes doubled(statesImage.begin(), statesImage.begin() + static_cast<ptrdiff_t>(inState));
    doubled.insert(doubled.end(), {2, 0, 0, 0});
    doubled.insert(doubled.end(), statesImage.begin() + static_cast<ptrdiff_t>(inState + 4), statesImage.begin() + sets);
    doubled.insert(doubled.end(), {3, 0, 0, 0, 0}); // state 3 again, without characters
    doubled.insert(doubled.end(), statesImage.begin() + sets, statesImage.end());
    load(loaded, pack(51, doubled));
    EXPECT_EQ(loaded.Tables().InStateOwners, TStateSet{3});
    ASSERT_NE(loaded.Tables().InStateTables[3], nullptr);
    EXPECT_EQ(loaded.Tables().InStateTables[3]->Records['q'], nullptr);
}

TEST(ParserStream, StoringAnUnknownGroupRaisesAnErrorNamingTheParser)
{
    TCodeMemoParser p;
    p.Name = "ParserTXT";
    p.Tables().EnsureHandler(40) = {charElement(77), {}};
    TMemoryStream stream;
    try {
        p.StoreParserData(stream);
        ADD_FAILURE() << "stored";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "ParserTXT: Invalid Set ID (77)");
    }
    EXPECT_EQ(stream.Bytes(), (Bytes{51, 0}));
    EXPECT_EQ(p.Settings().StreamVersion, TSM_Settings::kDefaultStreamVersion);
    EXPECT_EQ(p.Compressor().InputStream, nullptr);
}

TEST(ParserStream, LoadingRefreshesTheAttachedEditors)
{
    TCodeMemoParser source;
    buildLanguage(source);
    const Bytes property = store(source);

    TCodeMemo memo;
    TCodeMemoParser p;
    p.AttachEditor(&memo);
    p.SettingsApplied = 0;
    load(p, property);
    EXPECT_EQ(p.SettingsApplied, 1);
    EXPECT_FALSE(p.IsLoading());
    EXPECT_EQ(p.Editors(), (std::vector<TParserClient*>{&memo}));

    // A failed load has reset the settings the editors paint with: they are refreshed too.
    p.SettingsApplied = 0;
    EXPECT_THROW(load(p, property, property.size() - 1), Exception);
    EXPECT_EQ(p.SettingsApplied, 1);
    EXPECT_FALSE(p.IsLoading());
}

TEST(ParserStream, ACompiledScriptLoadsAndScansAlike)
{
    const std::string script = "%%language name = 'Prueba' startstate = [1] anchor = [0 1] boundstates = [2]\r\n"
                               "contextstates = (5 6 [2]), (9 [])\r\n"
                               "tabdefault = 3 tabcolumns = '9 17' options = 1024\r\n"
                               "editablestyles ('Comentario', 3)\r\n"
                               "GutterFontName = 'Arial' GutterFontSize = 7 GutterFontStyle = [fsBold]\r\n";
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    TCodeMemoParser compiled;
    compiled.CompileScript(source);

    TCodeMemoParser loaded;
    load(loaded, store(compiled));
    EXPECT_EQ(settingsStream(loaded.Settings(), 51), settingsStream(compiled.Settings(), 51));
    EXPECT_EQ(loaded.Settings().GutterFont().Name(), "Arial");
    EXPECT_EQ(loaded.Tables().StartStates, TStateSet{1});
    EXPECT_EQ(loaded.Tables().AnchorStates, (TStateSet{0, 1}));
    EXPECT_EQ(loaded.Tables().BoundStates, TStateSet{2});
    for (int context = 0; context < 256; ++context)
        ASSERT_EQ(trace(loaded, "ab\rc", static_cast<uint8_t>(context)),
                  trace(compiled, "ab\rc", static_cast<uint8_t>(context)))
            << context;
    EXPECT_EQ(loaded.CurrentStates(), TStateSet{1});
}
