// Speed of reading INI files and project files with many keys; time must grow linearly with the keys.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "app/ProjectFile.h"
#include "platform/core/IniFile.h"

namespace {

// A project file of `keys` entries in the files' section, in sections of a thousand keys before it.
std::string projectText(int keys)
{
    std::string text = "[Datos del proyecto]\nNombre=Sitio\n";
    for (int i = 0; i < keys; ++i) {
        if (i % 1000 == 0)
            text += "[Seccion " + std::to_string(i / 1000) + "]\n";
        text += "Clave" + std::to_string(i) + "=valor " + std::to_string(i) + "\n";
    }
    text += "[Archivos del proyecto]\nArchivos=" + std::to_string(keys) + "\n";
    for (int i = 0; i < keys; ++i)
        text += "A" + std::to_string(i) + "=1,/web/pagina" + std::to_string(i) + ".htm\n";
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
