// HTML and RTF export of a 20 MB highlighted page (the sample page repeated), in bytes of text per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"

namespace {

// The main window's editor holding the sample page repeated to 20 MB, coloured whole by the HTML
// language, with all of it selected.
struct TExportPage {
    TExportPage()
    {
        ensureApplication();
        const std::string page = RepeatedSamplePage(20u << 20);
        size = static_cast<int64_t>(page.size());
        // The benchmark program's own folder: nobody else can put a file or a link at that name.
        const std::string path = BenchFolder() + "/export.html";
        WriteFileBytes(path, page);
        form = std::make_unique<TformPrincipal>();
        form->AbreArchivo(path, false, ekHTML);
        std::remove(path.c_str());
        TCodeMemo& memo = *form->CodeMemo();
        memo.Change();
        memo.SelectAll();
    }
    std::unique_ptr<TformPrincipal> form;
    int64_t size = 0;
};

TExportPage& exportPage()
{
    static TExportPage page;
    return page;
}

void exportAs(benchmark::State& state, WPARAM format)
{
    TExportPage& page = exportPage();
    TCodeMemo& memo = *page.form->CodeMemo();
    int64_t written = 0;
    TMemoryStream output;
    for (auto _ : state) {
        output.Clear();
        memo.Perform(SMM_SAVESTREAM, format, reinterpret_cast<LPARAM>(&output));
        written = output.GetSize();
    }
    if (written < page.size)
        state.SkipWithError("the export wrote less than the text");
    state.SetBytesProcessed(state.iterations() * page.size);
    state.counters["output_bytes"] = static_cast<double>(written);
}

void BM_ExportHtml(benchmark::State& state)
{
    exportAs(state, SMM_FORMAT_HTML);
}
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportRtf(benchmark::State& state)
{
    exportAs(state, SMM_FORMAT_RTF);
}
BENCHMARK(BM_ExportRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
