// The template merge: reading data files, filling templates, and the two files merged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/TemplateMerge.h"
#include "platform/core/Classes.h"
#include "support/TempDir.h"

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const TTemplateData& data)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < data.Count(); ++i)
        pairs.emplace_back(data.Key(i), data.Value(i));
    return pairs;
}

} // namespace

TEST(TemplateMerge, DataFilesGiveTheirKeysAndValuesWhateverTheirLineBreaks)
{
    using P = std::vector<std::pair<std::string, std::string>>;
    // The example file, in UTF-8 with CR LF and with LF: the same values, the last ending in CR LF.
    for (const char* bytes : {"{*titulo*}\r\nMi p\xC3\xA1gina\r\n{*autor*}\r\nL1\r\nL2\r\n",
                              "{*titulo*}\nMi p\xC3\xA1gina\n{*autor*}\nL1\nL2\n",
                              "{*titulo*}\nMi p\xC3\xA1gina\n{*autor*}\nL1\nL2"}) {
        const TTemplateData data = ParseTemplateData(TemplateFileText(bytes));
        EXPECT_EQ(Pairs(data), (P{{"{*titulo*}", "Mi p\xE1gina"}, {"{*autor*}", "L1\r\nL2\r\n"}})) << bytes;
    }
    const struct {
        const char* text;
        P pairs;
    } cases[] = {
        {"", {}},
        {"no keys\r\n", {}},
        {"ignored\r\n{*a*}\r\n1\r\n", {{"{*a*}", "1\r\n"}}},
        // "{*}" is a whole key; a key without "*}" ends the reading.
        {"{*}\r\nx\r\n{*b", {{"{*}", "x"}}},
        // Too short before the next key, or at the very end: empty values, never a read past the text.
        {"{*a*}\r\n{*b*}\r\nx{*c*}", {{"{*a*}", ""}, {"{*b*}", ""}, {"{*c*}", ""}}},
        {"{*a*}\r\nx\r\n{*A*}\r\ny\r\n", {{"{*a*}", "x"}, {"{*A*}", "y\r\n"}}},
        {"{*multi\r\nline*}\r\nv\r\n", {{"{*multi\r\nline*}", "v\r\n"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pairs(ParseTemplateData(c.text)), c.pairs) << c.text;
}

TEST(TemplateMerge, FieldsTakeTheFirstValueOfTheirKeyWithoutCase)
{
    TTemplateData data = ParseTemplateData("{*TITULO*}\r\nT1\r\n{*titulo*}\r\nT2\r\n{*}\r\nbrace\r\n{*x*}\r\nX\r\n");
    EXPECT_EQ(data.IndexOf("{*Titulo*}"), 0);
    EXPECT_EQ(data.IndexOf("{*nada*}"), -1);
    const struct {
        const char* templ;
        const char* merged;
    } cases[] = {
        {"<h1>{*titulo*}</h1>", "<h1>T1</h1>"},
        {"{*nada*} y {*x*}", "{*nada*} y X\r\n"},
        {"a{*}b", "abraceb"},
        {"fin {*abc", "fin {*abc"},
        {"{*x*}{*abc", "X\r\n{*abc"},
        {"sin campos", "sin campos"},
        {"", ""},
        {"{**}", "{**}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeTemplate(c.templ, data), c.merged) << c.templ;
}

TEST(TemplateMerge, FilesMergeWithTheirCodesDecodedOutsideProtectedRegions)
{
    TempDir dir("templatemerge");
    TCodigosISO entities;
    entities.LoadDefaults();
    const std::string data = dir.file("datos.krd", "{*titulo*}\nMi p&aacute;gina\n{*autor*}\nL1\nL2\n");
    const std::string templ = dir.file("pagina.krp",
                                       "<title>{*titulo*}</title>\n<!--INI_OMITECHAR-->&aacute;{*titulo*}"
                                       "<!--FIN_OMITECHAR-->\n{*autor*}");
    EXPECT_EQ(MergeTemplateFiles(templ, data, entities),
              "<title>Mi p\xE1gina</title>\r\n<!--INI_OMITECHAR-->&aacute;Mi p&aacute;gina<!--FIN_OMITECHAR-->"
              "\r\nL1\r\nL2\r\n\r\n");
    // Either file missing is a failure of the read, not an empty merge.
    EXPECT_THROW(MergeTemplateFiles(templ, dir.path.string() + "/none.krd", entities), EFOpenError);
    EXPECT_THROW(MergeTemplateFiles(dir.path.string() + "/none.krp", data, entities), EFOpenError);
}

TEST(TemplateMerge, TheShippedTemplatesAreFilledWholeByTheShippedData)
{
    const std::string folder = std::string(KESTRIMA_SOURCE_DIR) + "/resources/Plantillas/";
    TCodigosISO entities;
    entities.LoadDefaults();
    for (const char* name : {"pagina.krp", "noticia.krp", "contacto.krp"}) {
        const std::string merged = MergeTemplateFiles(folder + name, folder + "datos.krd", entities);
        EXPECT_EQ(merged.find("{*"), std::string::npos) << name;
        EXPECT_NE(merged.find("Ana P\xE9rez"), std::string::npos) << name;
    }
}
