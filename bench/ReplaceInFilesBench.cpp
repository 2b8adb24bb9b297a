// Speed of replace in files: one word replaced across 200 pages of 100 KB each, on disk, with and without backups.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/model/ReplaceInFiles.h"
#include "platform/core/Classes.h"

namespace {

constexpr int kFiles = 200;
constexpr size_t kFileBytes = 100 * 1024;

// A folder of sample pages, each with the word "Kestrima" in it every few lines; removed when the run ends.
struct TPages {
    std::string folder;
    std::vector<std::string> files;
    TPages()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "replace-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        folder = pattern;
        const std::string page = RepeatedSamplePage(kFileBytes);
        std::string marked;
        for (size_t at = 0; at < page.size(); at += 2000)
            marked += page.substr(at, 2000) + "\nKestrima\n";
        for (int i = 0; i < kFiles; ++i) {
            files.push_back(folder + "/pagina" + std::to_string(i) + ".htm");
            WriteFileBytes(files.back(), marked);
        }
    }
    ~TPages()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void BM_ReplaceInFiles(benchmark::State& state)
{
    static TPages pages;
    TReplaceRequest request;
    request.WholeWord = true;
    request.Backup = state.range(0) != 0;
    bool forth = true;
    int64_t bytes = 0;
    for (auto _ : state) {
        // Back and forth, so that every pass changes every file.
        request.Find = forth ? "kestrima" : "Velero";
        request.Replacement = forth ? "Velero" : "Kestrima";
        forth = !forth;
        for (const std::string& file : pages.files) {
            const TFileReplacement done = ReplaceInFile(file, request);
            benchmark::DoNotOptimize(done.Count);
        }
        bytes += static_cast<int64_t>(pages.files.size() * BenchBytes(kFileBytes));
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReplaceInFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
