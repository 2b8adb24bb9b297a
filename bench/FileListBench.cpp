// Speed of filling a file list from a large folder, and of matching many names against a mask list.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "components/FileList.h"
#include "components/core/MaskSearch.h"

namespace {

// A folder of `count` small files of mixed kinds, made once per run and removed at exit.
const std::string& largeFolder(int count)
{
    static std::string folder;
    static struct Remover {
        ~Remover()
        {
            std::error_code ec;
            if (!folder.empty())
                std::filesystem::remove_all(folder, ec);
        }
    } remover;
    if (folder.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "filelist-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return folder;
        folder = pattern;
        const char* const extensions[] = {".htm", ".html", ".gif", ".jpg", ".css", ".js", ".txt"};
        for (int i = 0; i < count; ++i) {
            std::string name = folder + "/pagina" + std::to_string(i) + extensions[i % 7];
            if (FILE* f = std::fopen(name.c_str(), "w"))
                std::fclose(f);
        }
    }
    return folder;
}

void BM_FillFileListFrom10000Files(benchmark::State& state)
{
    ensureApplication();
    const std::string& folder = largeFolder(10000);
    TFileList list;
    list.SetViewStyle(vsReport);
    list.SetFileTypes(ftAll);
    list.SetMask("*.htm;*.gif;*.css;*.js;*.txt;*.jpg;*.html");
    for (auto _ : state) {
        list.SetDirectory(folder);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_FillFileListFrom10000Files)->Unit(benchmark::kMillisecond);

void BM_Match100000NamesAgainstMaskList(benchmark::State& state)
{
    std::mt19937 rng(4102);
    const char* const stems[] = {"index", "Pagina", "logo", "estilo", "menu", "LEEME", "foto_vacaciones"};
    const char* const extensions[] = {".htm", ".HTML", ".gif", ".jpg", ".css", ".js", ".bak", ""};
    std::vector<std::string> names;
    for (int i = 0; i < 100000; ++i)
        names.push_back(stems[rng() % 7] + std::to_string(rng() % 1000) + extensions[rng() % 8]);
    TPatternList masks;
    ParseMaskList("*.htm;*.html, pag?na*.*;logo;*.gif", masks, true, false);
    for (auto _ : state) {
        int matched = 0;
        for (const std::string& name : names)
            matched += MatchesMaskList(name, masks, true, false);
        benchmark::DoNotOptimize(matched);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Match100000NamesAgainstMaskList)->Unit(benchmark::kMillisecond);

} // namespace
