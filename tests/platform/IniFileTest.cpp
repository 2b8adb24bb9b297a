// Tests of the INI file reader: names without case, trimmed and unquoted values, the first of two, and every truncation of a file.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/Classes.h"
#include "platform/core/IniFile.h"
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
