// Speed of reading INI files and project files with many keys; time must grow linearly with the keys.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "app/model/ProjectFile.h"
#include "platform/core/IniFile.h"

namespace {

// A project file of `keys` entries in the files' section, in sections of a thousand keys before it.
std::string projectText(int keys)
{
    // Appended piece by piece: GCC 12 warns falsely about a literal added to a temporary string.
    std::string text = "[Datos del proyecto]\nNombre=Sitio\n";
    for (int i = 0; i < keys; ++i) {
        const std::string number = std::to_string(i);
        if (i % 1000 == 0)
            text.append("[Seccion ").append(std::to_string(i / 1000)).append("]\n");
        text.append("Clave").append(number).append("=valor ").append(number).append("\n");
    }
    text.append("[Archivos del proyecto]\nArchivos=").append(std::to_string(keys)).append("\n");
    for (int i = 0; i < keys; ++i) {
        const std::string number = std::to_string(i);
        text.append("A").append(number).append("=1,/web/pagina").append(number).append(".htm\n");
    }
    return text;
}

int keyCount(const benchmark::State& state)
{
    return static_cast<int>(BenchBytes(static_cast<size_t>(state.range(0))));
}

// Reading the whole file into sections and values; the range is the number of keys.
void BM_IniFileRead(benchmark::State& state)
{
    const std::string text = projectText(keyCount(state) / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(TIniFile::FromText(text));
    state.SetComplexityN(keyCount(state));
}
BENCHMARK(BM_IniFileRead)->Arg(10000)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Reading it and listing the files that open with the project, as the start-up does.
void BM_ProjectFilesToOpen(benchmark::State& state)
{
    const std::string text = projectText(keyCount(state) / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProjectFilesToOpen(TIniFile::FromText(text)));
    state.SetComplexityN(keyCount(state));
}
BENCHMARK(BM_ProjectFilesToOpen)->Arg(10000)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
