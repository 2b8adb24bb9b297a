// Shared small routines: Windows-1252 case folding, block comparison and the path rule.
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "platform/core/SysUtils.h"

TEST(SysUtils, AnsiCaseFoldsEveryWindows1252LetterPair)
{
    // Lower-case letters and their upper-case partners.
    const std::vector<std::pair<unsigned, unsigned>> pairs = {
        {'a', 'A'}, {'z', 'Z'}, {0xE1, 0xC1}, {0xF1, 0xD1}, {0xFE, 0xDE}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (auto [lower, upper] : pairs) {
        EXPECT_EQ(static_cast<unsigned char>(AnsiUpper(static_cast<char>(lower))), upper) << lower;
        EXPECT_EQ(static_cast<unsigned char>(AnsiUpper(static_cast<char>(upper))), upper) << upper;
        EXPECT_EQ(static_cast<unsigned char>(AnsiLower(static_cast<char>(upper))), lower) << upper;
        EXPECT_EQ(static_cast<unsigned char>(AnsiLower(static_cast<char>(lower))), lower) << lower;
    }
    // Lowering undoes raising for every byte that raising changes, and changes nothing else.
    for (int c = 0; c < 256; ++c) {
        char ch = static_cast<char>(c);
        if (AnsiUpper(ch) != ch) {
            EXPECT_EQ(AnsiLower(AnsiUpper(ch)), ch) << c;
        }
        if (AnsiLower(ch) != ch) {
            EXPECT_EQ(AnsiUpper(AnsiLower(ch)), ch) << c;
        }
    }
    EXPECT_EQ(AnsiLowerCase("CANCI\xD3N \x8A.HTM"), "canci\xF3n \x9A.htm");
    // No letter partners: the division sign, the sharp s, digits and signs stay as they are.
    for (unsigned c : {0xF7u, 0xDFu, unsigned('1'), unsigned('_'), 0x80u})
        EXPECT_EQ(static_cast<unsigned char>(AnsiUpper(static_cast<char>(c))), c) << c;
    // Folding is idempotent for every byte.
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(AnsiUpper(AnsiUpper(static_cast<char>(c))), AnsiUpper(static_cast<char>(c))) << c;
    EXPECT_TRUE(AnsiSameText("Canci\xF3n \x9A", "CANCI\xD3N \x8A"));
    EXPECT_FALSE(AnsiSameText("Canci\xF3n", "Cancion"));
    EXPECT_FALSE(AnsiSameText("ab", "abc"));
}

TEST(SysUtils, CompareMemSeesADifferenceAtAnyOffset)
{
    EXPECT_TRUE(CompareMem(nullptr, nullptr, 0));
    std::mt19937 rng(105);
    for (int length = 1; length <= 19; ++length)
        for (int offset = 0; offset < 4; ++offset) {
            std::vector<unsigned char> a(static_cast<size_t>(length + offset));
            for (auto& byte : a)
                byte = static_cast<unsigned char>(rng());
            std::vector<unsigned char> b = a;
            EXPECT_TRUE(CompareMem(a.data() + offset, b.data() + offset, length));
            size_t at = static_cast<size_t>(offset) + rng() % static_cast<unsigned>(length);
            b[at] ^= 0x40;
            EXPECT_FALSE(CompareMem(a.data() + offset, b.data() + offset, length)) << length << "/" << at;
        }
}

TEST(SysUtils, OnlySlashSeparatesFoldersABackslashIsPartOfAName)
{
    EXPECT_TRUE(IsPathDelimiter('/'));
    EXPECT_FALSE(IsPathDelimiter('\\'));
    EXPECT_FALSE(IsPathDelimiter(':'));
    EXPECT_EQ(ExtractFileName("/web/sub\\page.html"), "sub\\page.html");
    EXPECT_EQ(ExtractFileName("dir/"), "");
    EXPECT_EQ(ExtractFileName("nombre"), "nombre");
    // A path is its folder part followed by its name part.
    for (const char* path : {"/web/sub\\page.html", "dir/", "nombre", "/", "", "/a/b\\", "a\\b/c\\"})
        EXPECT_EQ(ExtractFilePath(path) + ExtractFileName(path), path);
    EXPECT_EQ(ExtractFilePath("/web/sub\\page.html"), "/web/");
    EXPECT_EQ(ExtractFilePath("solo\\nota.html"), "");
    EXPECT_EQ(ExtractFilePath("/home/ana/page.htm"), "/home/ana/");
    EXPECT_EQ(ExtractFileExt("a.b\\c.html.htm"), ".htm");
    EXPECT_EQ(ExtractFileExt("a.b\\c"), ".b\\c");
    EXPECT_EQ(ExtractFileExt("a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("x."), ".");
    EXPECT_EQ(ChangeFileExt("a.b\\c.html.htm", ".bak"), "a.b\\c.html.bak");
    EXPECT_EQ(ChangeFileExt("a.b/c", ".cod"), "a.b/c.cod");
}

TEST(SysUtils, SystemErrorsAUserCanMendReadInSpanish)
{
    EXPECT_EQ(SysErrorMessage(EACCES), "Permiso denegado");
    EXPECT_EQ(SysErrorMessage(EPERM), "Permiso denegado");
    EXPECT_EQ(SysErrorMessage(ENOENT), "No existe el archivo o la carpeta");
    EXPECT_EQ(SysErrorMessage(EISDIR), "Es una carpeta");
    EXPECT_EQ(SysErrorMessage(ENOSPC), "No queda espacio en el disco");
    EXPECT_EQ(SysErrorMessage(EDQUOT), "No queda espacio en el disco");
    EXPECT_EQ(SysErrorMessage(EROFS), "El sistema de archivos es de s\xF3lo lectura");
    EXPECT_EQ(SysErrorMessage(EFBIG), "El archivo es demasiado grande");
    EXPECT_EQ(SysErrorMessage(ENAMETOOLONG), "El nombre del archivo es demasiado largo");
    EXPECT_EQ(SysErrorMessage(ELOOP), "Hay demasiados enlaces simb\xF3licos en la ruta");
    EXPECT_EQ(SysErrorMessage(ENXIO), "Ning\xFAn dispositivo ni programa atiende a ese nombre");
    EXPECT_EQ(SysErrorMessage(EINVAL), "El sistema no admite esa operaci\xF3n con este archivo");
    // No error number reaches the user in the system's English: the rest are named by number.
    EXPECT_EQ(SysErrorMessage(EXDEV), "Error del sistema " + std::to_string(EXDEV));
    for (int code = 1; code < 134; ++code) {
        const std::string text = SysErrorMessage(code);
        EXPECT_NE(text, std::strerror(code)) << code;
        EXPECT_FALSE(text.empty()) << code;
    }
}

TEST(SysUtils, ExpandFileNameMakesAPathAbsoluteWithoutFollowingLinks)
{
    EXPECT_EQ(ExpandFileName("files/a.html", "/home/ana"), "/home/ana/files/a.html");
    EXPECT_EQ(ExpandFileName("./files//./a.html", "/home/ana/"), "/home/ana/files/a.html");
    EXPECT_EQ(ExpandFileName("/w/x.htm", "/home"), "/w/x.htm");
    EXPECT_EQ(ExpandFileName("../x.htm", "/home/ana"), "/home/ana/../x.htm");
    // A "\" is a character of a name: "..\\x" is a name in the folder, not its parent's "x".
    EXPECT_EQ(ExpandFileName("sub\\page.html", "/web"), "/web/sub\\page.html");
    EXPECT_EQ(ExpandFileName("..\\x", "/web\\"), "/web\\/..\\x");
    EXPECT_EQ(ExpandFileName("", "/home"), "");
    EXPECT_EQ(ExpandFileName("/", "/home"), "/");
    const std::string here = ExpandFileName("a.htm");
    EXPECT_EQ(here.front(), '/');
    EXPECT_TRUE(here.ends_with("/a.htm"));
}
