// tessa_bench --xml FILE --bin FILE [benchmark options]
// Times the model loaders and the frame against their baselines (baselines.h)
// in one run, interleaved, and prints each as a ratio to its baseline. The
// absolute times depend on the machine; the ratios are what is compared.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "baselines.h"
#include "frame_fixture.h"
#include "formats/bin/bin_format.h"
#include "formats/xml/xml_reader.h"
#include "formats/xml/xml_parallel.h"

namespace {

struct Paths {
    std::string xml;
    std::string bin;
};

// Takes --xml and --bin out of argv, leaving the benchmark library's options.
bool TakePaths(int& argc, char** argv, Paths& paths) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const bool xml = std::strcmp(argv[i], "--xml") == 0;
        const bool bin = std::strcmp(argv[i], "--bin") == 0;
        if ((xml || bin) && i + 1 < argc) {
            (xml ? paths.xml : paths.bin) = argv[++i];
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    return !paths.xml.empty() && !paths.bin.empty();
}

void Fail(benchmark::State& state, const std::string& why) { state.SkipWithError(why.c_str()); }

void XmlLoad(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        Mesh mesh;
        const LoadResult result = ReadXML(path, mesh, [](Mesh&) {});
        if (!result) return Fail(state, result.reason);
        benchmark::DoNotOptimize(mesh.verts.data());
    }
}

void XmlEmptySax(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        const std::int64_t starts = ParseWithEmptySax(path);
        if (starts < 0) return Fail(state, "libxml2 refused the file");
        benchmark::DoNotOptimize(starts);
    }
}

void BinLoad(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        Mesh mesh;
        const LoadResult result = ReadBIN(path, mesh);
        if (!result) return Fail(state, result.reason);
        benchmark::DoNotOptimize(mesh.faces.data());
    }
}

void BinFreshBuffers(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        const std::int64_t bytes = ReadBinIntoFreshBuffers(path);
        if (bytes < 0) return Fail(state, "cannot read the file");
        benchmark::DoNotOptimize(bytes);
    }
}

// The context and the model are made once, for both frame benchmarks.
FrameFixture* Frames(const std::string& path, std::string& error) {
    static std::unique_ptr<FrameFixture> fixture;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        fixture = FrameFixture::Create(path, failure);
    }
    error = failure;
    return fixture.get();
}

void ViewerFrame(benchmark::State& state, const std::string& path) {
    std::string error;
    FrameFixture* frames = Frames(path, error);
    if (!frames) return Fail(state, error);
    for (auto _ : state) frames->ViewerFrame();
}

void BareFrame(benchmark::State& state, const std::string& path) {
    std::string error;
    FrameFixture* frames = Frames(path, error);
    if (!frames) return Fail(state, error);
    frames->BeginBareFrames();
    for (auto _ : state) frames->BareFrame();
    frames->EndBareFrames();
}

// Keeps the median of each benchmark's repetitions (or its one run).
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failed.push_back(run.benchmark_name());
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians.count(run.run_name.function_name)))
                medians[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;  // milliseconds
    std::vector<std::string> failed;
};

void PrintRatio(const CollectingReporter& r, const char* what, const char* subject, const char* baseline, double goal) {
    const auto s = r.medians.find(subject);
    const auto b = r.medians.find(baseline);
    if (s == r.medians.end() || b == r.medians.end() || b->second <= 0) {
        std::printf("%-44s  not measured\n", what);
        return;
    }
    const double ratio = s->second / b->second;
    std::printf("%-44s  %9.1f ms / %9.1f ms = %5.2fx  (goal <= %.2fx: %s)\n", what, s->second, b->second, ratio, goal,
                ratio <= goal ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    Paths paths;
    if (!TakePaths(argc, argv, paths)) {
        std::fprintf(stderr, "usage: %s --xml FILE --bin FILE [benchmark options]\n", argv[0]);
        return 2;
    }
    // A fixed threshold: every large buffer of the baseline is a fresh
    // mapping, as it is for the loader, instead of reusing freed heap pages.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);

    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("xml_load", XmlLoad, paths.xml)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("xml_libxml2_empty_sax", XmlEmptySax, paths.xml)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("bin_load", BinLoad, paths.bin)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("bin_read_into_fresh_buffers", BinFreshBuffers, paths.bin)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("frame_render_frame", ViewerFrame, paths.bin)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("frame_bare_draw", BareFrame, paths.bin)->Unit(ms)->UseRealTime();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (median times):\n");
    // The load reads a big file's lists on all cores; the baseline stays on one.
    std::error_code error;
    const unsigned pieces = XmlPieceCount(std::filesystem::file_size(paths.xml, error));
    const std::string xmlWhat = "XML load (" + std::to_string(pieces) + " pieces) / libxml2 empty SAX";
    PrintRatio(reporter, xmlWhat.c_str(), "xml_load", "xml_libxml2_empty_sax", 0.6);
    PrintRatio(reporter, "BIN load / read() into fresh buffers", "bin_load", "bin_read_into_fresh_buffers", 1.5);
    PrintRatio(reporter, "RenderFrame / bare glDrawElements", "frame_render_frame", "frame_bare_draw", 1.1);
    if (const auto bin = reporter.medians.find("bin_load"); bin != reporter.medians.end())
        std::printf("%-44s  %9.1f ms  (goal < 25 ms: %s)\n", "BIN load", bin->second,
                    bin->second < 25.0 ? "met" : "MISSED");
    for (const std::string& name : reporter.failed) std::printf("FAILED: %s\n", name.c_str());
    return reporter.failed.empty() ? 0 : 1;
}
