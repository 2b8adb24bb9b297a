// What the benchmarks of the editor control share: an application object without a display.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/Tips.h"
#include "app/model/KestrimaConfig.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

// A folder of the benchmark program's own under the temporary folder, made at the first call and
// removed with what it holds when the program ends; empty when it cannot be made.
inline const std::string& BenchFolder()
{
    static struct TFolder {
        TFolder()
        {
            std::string pattern = (std::filesystem::temp_directory_path() / "kestrima-bench-XXXXXX").string();
            if (mkdtemp(pattern.data()))
                path = pattern;
        }
        ~TFolder()
        {
            std::error_code ec;
            if (!path.empty())
                std::filesystem::remove_all(path, ec);
        }
        std::string path;
    } folder;
    return folder.path;
}

// The control needs an application object; benchmarks run without a display.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "kestrima_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // The user's settings are neither read nor written: what a window keeps goes to the program's
        // own folder, so every run starts from the same settings.
        if (!BenchFolder().empty()) {
            for (const auto& [name, sub] : {std::pair{"KESTRIMA_CONFIG_DIR", "kestrima"}, std::pair{"XDG_CONFIG_HOME", "config"},
                                            std::pair{"XDG_DATA_HOME", "data"}})
            {
                const std::filesystem::path folder = std::filesystem::path(BenchFolder()) / sub;
                std::error_code ec;
                std::filesystem::create_directories(folder, ec);
                setenv(name, folder.c_str(), 1);
            }
        }
        // Never destroyed: at exit Qt's own statics (the icon theme's loader among them) are gone
        // before a static application's clean-up, which would still reach them.
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
        SetProgramFolder(KESTRIMA_BENCH_PROGRAM_FOLDER);
        // A window's tip of the day closes at once: nobody is there to read it.
        SetTipsHook([](TTipForm&) {});
    }
}

// The size of a benchmark's large input: `bytes`, or a 64th of it when KESTRIMA_BENCH_SMALL is set, as
// CTest sets it for its one run that only checks that every benchmark runs to its end.
inline size_t BenchBytes(size_t bytes)
{
    static const bool small = std::getenv("KESTRIMA_BENCH_SMALL") != nullptr;
    return small ? bytes / 64 : bytes;
}

// The sample page (head with style sheet and script, tags, entities, comments, links) repeated to at
// least `bytes` bytes (as BenchBytes scales them).
inline std::string RepeatedSamplePage(size_t bytes)
{
    bytes = BenchBytes(bytes);
    const std::string sample = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/sample.html");
    std::string page;
    page.reserve(bytes + sample.size());
    while (page.size() < bytes)
        page += sample;
    return page;
}

// The sample pages of varied shape taken in turn (documentation with minified script, style and
// navigation lines; an article with running text, comments and old-style blocks; the small sample
// page) to at least `bytes` bytes (as BenchBytes scales them).
inline std::string VariedSamplePages(size_t bytes)
{
    bytes = BenchBytes(bytes);
    const std::string data = std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/";
    const std::string pages[] = {ReadFileBytes(data + "pages/documentation.html"),
                                 ReadFileBytes(data + "pages/article.html"), ReadFileBytes(data + "sample.html")};
    std::string text;
    text.reserve(bytes + pages[0].size());
    for (size_t i = 0; text.size() < bytes; ++i)
        text += pages[i % std::size(pages)];
    return text;
}

// The UTF-8 sample pages as a real page of these days has them: with characters Windows-1252 lacks
// (arrows, Greek, an emoji) in a paragraph after each, which the editor holds as references. The
// Windows-1252 sample would make the whole file read as Windows-1252.
inline std::string PagesWithWideCharacters(size_t bytes)
{
    bytes = BenchBytes(bytes);
    const std::string data = std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/";
    const std::string wide = "<p>Flecha \xE2\x86\x92 siguiente, griego \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82, "
                             "marca \xE2\x9C\x93 y cara \xF0\x9F\x98\x80; \xC2\xAB" "cita\xC2\xBB \xE2\x80\x94 fin.</p>\n";
    const std::string pages[] = {ReadFileBytes(data + "pages/documentation.html") + wide,
                                 ReadFileBytes(data + "pages/article.html") + wide};
    std::string text;
    text.reserve(bytes + pages[0].size());
    for (size_t i = 0; text.size() < bytes; ++i)
        text += pages[i % std::size(pages)];
    return text;
}

// 20 MB of HTML (as BenchBytes scales it: the documentation page and a long list of links, in
// turns) in which `matches` occurrences of "class", spread evenly, are left; the others become "cl4ss".
inline std::string PageWithMatchesOfClass(size_t matches)
{
    const std::string data = std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/";
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += "<LI class=\"entrada\"><A class=\"enlace\" HREF=\"pagina" + std::to_string(i) + ".html\">Entrada " +
                std::to_string(i) + "</A></LI>\r\n";
    const std::string block = ReadFileBytes(data + "pages/documentation.html") + list;
    std::string text;
    text.reserve(BenchBytes(20u << 20) + block.size());
    while (text.size() < BenchBytes(20u << 20))
        text += block;
    std::vector<size_t> found;
    const std::string lower = AsciiLowerCase(text);
    for (size_t at = lower.find("class"); at != std::string::npos; at = lower.find("class", at + 5))
        found.push_back(at);
    for (size_t i = 0; i < found.size(); ++i)
        if (i * matches / found.size() == (i + 1) * matches / found.size())
            text.replace(found[i], 5, "cl4ss");
    return text;
}

// A minified script of at least `bytes` bytes (as BenchBytes scales them) as bundlers write it: a
// licence comment, then one line of functions, objects and string tables; the documentation page's
// search index repeated with its names numbered, so that no two stretches are alike.
inline std::string MinifiedScript(size_t bytes)
{
    const std::string page = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/pages/documentation.html");
    const size_t open = page.find("<script>") + 8;
    const std::string block = page.substr(open, page.find("</script>") - open);
    bytes = BenchBytes(bytes);
    std::string text = "/*! bundle 4.2.0 | (c) Kestrima | MIT */\n";
    text.reserve(bytes + block.size() + 200);
    for (int i = 0; text.size() < bytes; ++i) {
        text += "!function(e,t){\"use strict\";var m" + std::to_string(i) + "=function(n){return n&&n.__esModule?n:{default:n}};";
        text += block;
        text += ";e.module" + std::to_string(i) + "=m" + std::to_string(i) + "}(window,document);";
    }
    text += "\n//# sourceMappingURL=bundle.min.js.map\n";
    return text;
}

// Each iteration types a character at `at` or takes it away again, in turns: an edit with its
// highlighting run.
inline void TypeAndTakeBack(benchmark::State& state, TCodeMemo& memo, int at)
{
    bool typed = false;
    for (auto _ : state) {
        memo.SetSelection(at, typed ? at + 1 : at);
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(typed ? "" : "x"));
        typed = !typed;
    }
    state.SetItemsProcessed(state.iterations());
}

// A line "Name:   123 kB" of /proc/self/status in bytes, 0 when it cannot be read.
inline double statusBytes(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name + ":", 0) == 0)
            return std::stod(line.substr(name.size() + 1)) * 1024;
    return 0;
}

// Lets the process's peak resident size start again from its current size.
inline void resetPeakResidentSize()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
