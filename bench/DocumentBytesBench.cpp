// Speed of working out a document's bytes on save (untouched, with one letter typed, and the saves after a typed code, replace all or another character set) and of saving an untouched page, for large pages; the memory a save needs after codes typed far apart, replace all or another character set.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "app/host/EditingFile.h"
#include "app/model/EditorKind.h"
#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"

namespace {

// The range is the page's size in MB.
void BM_DocumentBytesWrite(benchmark::State& state)
{
    TCodigosISO entities;
    entities.LoadDefaults();
    const std::string page = RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20);
    TDocumentBytes document;
    std::string text;
    document.Read(page, &entities, text);
    const bool typed = state.range(1) != 0;
    if (typed)
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(text.size() / 2), 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(document.Write(text, &entities));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_DocumentBytesWrite)->Args({5, 0})->Args({5, 1})->Args({20, 1})->Unit(benchmark::kMillisecond);

// A page with characters Windows-1252 lacks ("→" and "✓", one in every 8 KB, as in real pages),
// read and written with one letter typed. The range is the page's size in MB.
void BM_DocumentBytesWithReferences(benchmark::State& state)
{
    TCodigosISO entities;
    entities.LoadDefaults();
    const std::string plain = RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20);
    std::string page;
    page.reserve(plain.size() + plain.size() / 2048);
    for (size_t at = 0; at < plain.size(); at += 8192) {
        page.append(plain, at, 8192);
        page += at % 16384 ? "\xE2\x86\x92" : "\xE2\x9C\x93";
    }
    for (auto _ : state) {
        TDocumentBytes document;
        std::string text;
        document.Read(page, &entities, text);
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(text.size() / 2), 'x');
        benchmark::DoNotOptimize(document.Write(text, &entities));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_DocumentBytesWithReferences)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);

// The three saves after a code typed into a large page with the shipped library, against the same
// after a letter: the first save, a second after one more letter elsewhere, a third with nothing
// changed since. Each save works out the bytes (with the question's check) and keeps them, as
// saving does. Ranges: the page's size in MB, and 1 for "&nbsp;" typed, 0 for "x". The counters
// give each save's milliseconds.
void BM_SavesAfterTyping(benchmark::State& state)
{
    TCodigosISO shipped;
    if (!shipped.LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb"))
        state.SkipWithError("no shipped library");
    const std::string page = RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20);
    const std::string typed = state.range(1) ? "&nbsp;" : "x";
    double milliseconds[3] = {};
    for (auto _ : state) {
        state.PauseTiming();
        TDocumentBytes document;
        std::string text;
        document.Read(page, &shipped, text);
        text.insert(text.size() / 2, typed);
        state.ResumeTiming();
        for (int save = 0; save < 3; ++save) {
            if (save == 1) {
                state.PauseTiming();
                text.insert(text.size() / 4, 1, 'y');
                state.ResumeTiming();
            }
            const auto start = std::chrono::steady_clock::now();
            TDocumentBytes::TSaveBytes bytes = document.SaveBytes(text, &shipped);
            if (!bytes.ReadsBack)
                state.SkipWithError("the save would ask");
            document.Format = bytes.Format;
            document.Written(std::move(bytes), &shipped);
            milliseconds[save] += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
    }
    for (int save = 0; save < 3; ++save)
        state.counters["save" + std::to_string(save + 1) + "_ms"] =
            benchmark::Counter(milliseconds[save], benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SavesAfterTyping)->Args({20, 0})->Args({20, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// A save of a large page after "&ntilde;" typed near its top and near its bottom: the memory the
// save needs at its peak, and what it still holds afterwards, beyond the page's text and its kept
// bytes that the document held before (the most of three saves); the text's size for scale. The
// range is the page's size in MB.
void BM_SaveAfterCodesAtBothEnds(benchmark::State& state)
{
    TCodigosISO shipped;
    if (!shipped.LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb"))
        state.SkipWithError("no shipped library");
    double peak = 0, kept = 0, textBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<TDocumentBytes>();
        std::string text;
        document->Read(RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20), &shipped, text);
        text.insert(text.size() - std::min<size_t>(text.size(), 1000), "&ntilde;");
        text.insert(std::min<size_t>(text.size(), 1000), "&ntilde;");
        textBytes = static_cast<double>(text.size());
        malloc_trim(0);
        const double before = statusBytes("VmRSS");
        resetPeakResidentSize();
        state.ResumeTiming();
        TDocumentBytes::TSaveBytes bytes = document->SaveBytes(text, &shipped, true);
        if (!bytes.ReadsBack)
            state.SkipWithError("the save would ask");
        document->Format = bytes.Format;
        document->Written(std::move(bytes), &shipped);
        state.PauseTiming();
        peak = std::max(peak, statusBytes("VmHWM") - before);
        malloc_trim(0);
        kept = std::max(kept, statusBytes("VmRSS") - before);
        document.reset();
        state.ResumeTiming();
    }
    state.counters["save_peak"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["kept_after"] = benchmark::Counter(kept, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["text"] = benchmark::Counter(textBytes, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}
BENCHMARK(BM_SaveAfterCodesAtBothEnds)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(3);

// A save of a 20 MB page (the varied sample pages, read with the shipped library) after replace all
// of "table" (some 6,700 lines of the page), or after its declared character set became UTF-8 (the
// lines with letters beyond ASCII written anew), against one after "&ntilde;" typed near its top and
// near its bottom: the save's milliseconds, and the memory it needs at its peak beyond the page's text
// and kept bytes (as BM_SaveAfterCodesAtBothEnds counts it), with the new file's size for scale. The
// ranges: the page's size in MB, and 1 for replace all, 2 for the character set, 0 for the codes at
// both ends.
void BM_SaveAfterReplaceAll(benchmark::State& state)
{
    TCodigosISO shipped;
    if (!shipped.LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb"))
        state.SkipWithError("no shipped library");
    const std::string page = VariedSamplePages(static_cast<size_t>(state.range(0)) << 20);
    double peak = 0, milliseconds = 0, fileBytes = 0, lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<TDocumentBytes>();
        std::string text;
        document->Read(page, &shipped, text);
        lines = 0;
        if (state.range(1) == 2) {
            const size_t at = text.find("charset=\"windows-1252\"");
            if (at == std::string::npos)
                state.SkipWithError("no declaration to change");
            else
                text.replace(at + 9, 12, "utf-8");
        } else if (state.range(1)) {
            for (size_t at = 0; (at = text.find("table", at)) != std::string::npos; at += 5) {
                text.replace(at, 5, "tabla");
                ++lines;
            }
        } else {
            text.insert(text.size() - std::min<size_t>(text.size(), 1000), "&ntilde;");
            text.insert(std::min<size_t>(text.size(), 1000), "&ntilde;");
        }
        malloc_trim(0);
        const double before = statusBytes("VmRSS");
        resetPeakResidentSize();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        TDocumentBytes::TSaveBytes bytes = document->SaveBytes(text, &shipped, true);
        if (!bytes.ReadsBack)
            state.SkipWithError("the save would ask");
        fileBytes = static_cast<double>(bytes.Bytes.size());
        document->Format = bytes.Format;
        document->Written(std::move(bytes), &shipped);
        milliseconds += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        peak = std::max(peak, statusBytes("VmHWM") - before);
        document.reset();
        state.ResumeTiming();
    }
    state.counters["save_ms"] = benchmark::Counter(milliseconds, benchmark::Counter::kAvgIterations);
    state.counters["save_peak"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["file"] = benchmark::Counter(fileBytes, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["replaced"] = lines;
}
BENCHMARK(BM_SaveAfterReplaceAll)->Args({20, 1})->Args({20, 2})->Args({20, 0})->Unit(benchmark::kMillisecond)->Iterations(3);

// Saving a 5 MB page that was opened and not changed, to a file of its own: working out the bytes
// and writing them safely (a new file synced to the disk, then put in the old one's place). The
// second range 1 looks at the disk first, as the window's save does (which file the name leads to,
// and whether another program changed it: a file written within the same tick is read again).
void BM_SaveUntouchedPage(benchmark::State& state)
{
    TCodigosISO entities;
    entities.LoadDefaults();
    const std::string page = VariedSamplePages(static_cast<size_t>(state.range(0)) << 20);
    TEditingFile file(ekHTML);
    file.FileName = BenchFolder() + "/untouched.html";
    WriteFileBytes(file.FileName, page);
    std::string text;
    file.ReadFile(file.FileName, &entities, text);
    file.SetText(text);
    for (auto _ : state) {
        if (state.range(1) && file.DiskChange() != TEditingFile::TDiskChange::None)
            state.SkipWithError("the file seems changed on disk");
        file.WriteFile(false, &entities);
    }
    if (ReadFileBytes(file.FileName) != page)
        state.SkipWithError("the saved file differs from the one read");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_SaveUntouchedPage)->Args({5, 0})->Args({5, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
