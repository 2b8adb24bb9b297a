// Tests of the compiled tables the program carries: each is the tables stream of its script as it stands.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <filesystem>
#include <string>
#include <vector>

#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "support/TablesImage.h"

namespace {

std::string shippedTables(const char* script)
{
    QFile file(QStringLiteral(":/parsers/%1.tbl").arg(QLatin1String(script)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string scriptPath(const char* script)
{
    namespace fs = std::filesystem;
    return (fs::path(KESTRIMA_TEST_DATA).parent_path().parent_path() / "resources" / "scripts" /
            (std::string(script) + ".syn"))
        .string();
}

// A little-endian 32-bit integer.
uint32_t u32At(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

} // namespace

TEST(ShippedTables, EachIsItsScriptCompiledAndLoadsWhole)
{
    const struct {
        const char* script;
        const char* language;
    } shipped[] = {{"html", "HTML"}, {"javascript", "JavaScript"}, {"text", "Texto"}};
    for (const auto& s : shipped) {
        SCOPED_TRACE(s.script);
        const std::string blob = shippedTables(s.script);
        ASSERT_GE(blob.size(), 14u);
        // Version word 51, the image length, then the packed image whose header repeats it.
        EXPECT_EQ(static_cast<uint8_t>(blob[0]) | static_cast<uint8_t>(blob[1]) << 8, 51);
        EXPECT_EQ(blob.substr(6, 4), "WRZL");
        EXPECT_EQ(u32At(blob, 2), u32At(blob, 10));

        TCodeMemoParser loaded;
        TCustomMemoryStream in(blob.data(), static_cast<int64_t>(blob.size()));
        loaded.LoadParserData(in);
        EXPECT_EQ(in.GetPosition(), static_cast<int64_t>(blob.size()));
        EXPECT_EQ(loaded.Settings().LanguageName, s.language);

        // The build compiled the script in the source tree, includes and all, and the program
        // carries its tables byte for byte (packing aside).
        TCodeMemoParser compiled;
        compiled.Script = scriptPath(s.script);
        compiled.LoadScriptFile();
        TMemoryStream stored;
        compiled.StoreParserData(stored);
        EXPECT_EQ(UnpackTablesImage(stored.Memory(), static_cast<size_t>(stored.GetSize())),
                  UnpackTablesImage(blob.data(), blob.size()));
    }
}
