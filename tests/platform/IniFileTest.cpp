// Tests of the INI file reader: names without case, trimmed and unquoted values, the first of two, and every truncation of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"

namespace {

const std::string kProject =
    "; proyecto de prueba\r\n"
    "[Datos del proyecto]\r\n"
    "Nombre = Mi sitio  \r\n"
    "Archivo modelo=\"C:\\web\\modelo.htm\"\r\n"
    "Comillas='uno\"\r\n"
    "Vacio=\r\n"
    "Nombre=Otro\r\n"
    "sin igual\r\n"
    "[Archivos del proyecto]\n"
    "Archivos=0x10\n"
    "A0=1 C:\\web\\index.htm\n"
    "Negativo=-7\n"
    "Mal=12x\n"
    "[ datos DEL proyecto ]\n"
    "Extra=si\n";

std::string AnsiUpperCaseForTest(std::string text)
{
    for (char& c : text)
        c = AnsiUpper(c);
    return text;
}

} // namespace

TEST(IniFile, ReadsValuesAsTheProfileFunctionsDo)
{
    TempDir folder("platform");
    const TIniFile ini(folder.file("sitio.kr", kProject));
    EXPECT_EQ(ini.ReadString("datos del PROYECTO", "nombre", "?"), "Mi sitio");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "ARCHIVO MODELO", ""), "C:\\web\\modelo.htm");
    // Only a matching pair of quotes goes.
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Comillas", ""), "'uno\"");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Vacio", "?"), "");
    EXPECT_TRUE(ini.ValueExists("Datos del proyecto", "vacio"));
    EXPECT_FALSE(ini.ValueExists("Datos del proyecto", "sin igual"));
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Extra", "no"), "si");
    EXPECT_EQ(ini.ReadString("Otra", "Nombre", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Archivos", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Negativo", 0), -7);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Mal", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Falta", 3), 3);
    EXPECT_TRUE(ini.ReadBool("Archivos del proyecto", "Archivos", false));
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A0", ""), "1 C:\\web\\index.htm");

    TStringList names;
    ini.ReadSection("DATOS DEL PROYECTO", names);
    EXPECT_EQ(names.Text(), "Nombre\r\nArchivo modelo\r\nComillas\r\nVacio\r\nExtra\r\n");
    ini.ReadSections(names);
    EXPECT_EQ(names.Text(), "Datos del proyecto\r\nArchivos del proyecto\r\n");

    const TIniFile missing(folder.path.string() + "/no.kr");
    EXPECT_FALSE(missing.SectionExists("Datos del proyecto"));
    EXPECT_EQ(missing.ReadString("Datos del proyecto", "Nombre", "d"), "d");
}

TEST(IniFile, EveryTruncationReadsWhatItHolds)
{
    for (size_t n = 0; n <= kProject.size(); ++n) {
        const std::string cut = kProject.substr(0, n);
        const TIniFile ini = TIniFile::FromText(cut);
        const std::string name = ini.ReadString("Datos del proyecto", "Nombre", "");
        // The value is whatever of "Mi sitio" the cut kept, never the later duplicate.
        EXPECT_EQ(std::string("Mi sitio").rfind(name, 0), 0u) << n;
        EXPECT_EQ(ini.SectionExists("Archivos del proyecto"), cut.find("[Archivos del proyecto") != std::string::npos) << n;
    }
}

TEST(IniFile, ManyKeysAndSectionsAnswerAsAScanOfTheFileWould)
{
    // Names over a few letters in either case (Windows-1252 ones too), so that many repeat.
    std::mt19937 random(1212);
    const std::string letters = "aAbB\xE1\xC1\xF1\xD1";
    const auto name = [&] {
        std::string n;
        const int length = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < length; ++i)
            n += letters[random() % letters.size()];
        return n;
    };
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> model;
    std::string text;
    for (int line = 0; line < 4000; ++line) {
        if (line % 200 == 0 || model.empty()) {
            const std::string section = name();
            text += "[" + section + "]\n";
            auto at = std::find_if(model.begin(), model.end(), [&](const auto& s) { return AnsiSameText(s.first, section); });
            if (at == model.end())
                model.push_back({section, {}});
            else
                std::rotate(at, at + 1, model.end());
            continue;
        }
        const std::string key = name() + name();
        const std::string value = std::to_string(line);
        text += key + "=" + value + "\n";
        auto& values = model.back().second;
        if (std::none_of(values.begin(), values.end(), [&](const auto& v) { return AnsiSameText(v.first, key); }))
            values.push_back({key, value});
    }
    const TIniFile ini = TIniFile::FromText(text);
    TStringList names;
    for (const auto& [section, values] : model) {
        ini.ReadSection(AnsiLowerCase(section), names);
        ASSERT_EQ(names.Count(), static_cast<int>(values.size())) << section;
        for (size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(names[static_cast<int>(i)], values[i].first);
            EXPECT_EQ(ini.ReadString(section, AnsiUpperCaseForTest(values[i].first), "?"), values[i].second);
        }
    }
}
