// Preserved zones of a large old file: about 10 MB with 20,000 zones (a var and a body
// zone for each of 10,000 methods).
//
//   Floor              the least any scan must do: a memmem/memchr pass that finds
//                      every begin marker, its line end, the end marker and its line end
//   Scan               reading the zones into a set (zone objects and the lookup index
//                      included), from the text in memory
//   LoadFile           the same from the file on disk (one allocation, one read)
//   LookupInFileOrder  one FindZone per zone, in file order, as a generator asks
//   LookupByWalk       the same lookup done as a walk over the set, on a sample of
//                      zones spread over the file: what the index saves
//   ScanAndLookup      a whole regeneration's worth: scan, then every lookup
//
// Compare bytes_per_second of Scan with that of Floor, and the time per item of
// LookupInFileOrder with that of LookupByWalk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <vxplat/CodePage.h>

#include "VXPreservedZones.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    constexpr size_t kMethods = 10000;
    constexpr size_t kTargetSize = 10 * 1024 * 1024;

    struct OldFile
    {
        std::string Text;
        std::vector<CLmBSTR> Ids;  // per zone, in file order
        std::vector<CLmBSTR> Tags; // per zone, in file order
    };

    std::string Id(size_t method)
    {
        char id[32];
        std::snprintf(id, sizeof id, "3A5F0B2C%04X", static_cast<unsigned>(method));
        return id;
    }

    // Generated Delphi text with both line comments and zones; each method body is
    // padded so that the whole file comes to the target size.
    const OldFile& TheOldFile()
    {
        static const OldFile file = [] {
            VxpSetAnsiCodePage(1252);
            OldFile result;
            const std::string bodyLine = "    Total := Total + Items[I].Value * Factor; // add the weighted value\r\n";
            std::string head;
            for (size_t m = 0; m < kMethods; ++m)
            {
                std::string cls = "TClass" + std::to_string(m / 20);
                std::string scope = cls + "::Method" + std::to_string(m);
                std::string id = Id(m);
                std::string text = "procedure " + cls + ".Method" + std::to_string(m) +
                                   "(A: Integer; const S: string);\r\n//## begin " + scope + "%" + id +
                                   ".var preserve=yes\r\nvar\r\n  I: Integer;\r\n//## end " + scope + "%" + id +
                                   ".var\r\nbegin\r\n  //## begin " + scope + "%" + id + ".body preserve=yes\r\n";
                std::string tail = "  //## end " + scope + "%" + id + ".body\r\nend;\r\n\r\n";
                size_t budget = kTargetSize / kMethods;
                while (text.size() + tail.size() + bodyLine.size() <= budget)
                    text += bodyLine;
                result.Text += text + tail;
                result.Ids.push_back(CLmBSTR::FromAnsi(id.c_str()));
                result.Tags.push_back(L"var");
                result.Ids.push_back(CLmBSTR::FromAnsi(id.c_str()));
                result.Tags.push_back(L"body");
            }
            return result;
        }();
        return file;
    }

    CVXZoneText Shared(const std::string& text)
    {
        std::shared_ptr<char[]> buffer(new char[text.size() + 1]);
        std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
        return buffer;
    }

    CLmPtr<CVXPreservedZones> Scan(const CVXZoneText& text, size_t size)
    {
        CLmPtr<CVXPreservedZones> zones = CVXPreservedZones::Create(nullptr);
        zones->LoadText(text, size, L"Old.pas");
        return zones;
    }

    void Floor(benchmark::State& state)
    {
        const std::string& text = TheOldFile().Text;
        const char* data = text.data();
        const char* end = data + text.size();
        for (auto _ : state)
        {
            size_t zones = 0;
            const char* at = data;
            while (const char* begin = static_cast<const char*>(memmem(at, end - at, "//## begin ", 11)))
            {
                const char* line = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
                const char* close = line ? static_cast<const char*>(memmem(line, end - line, "//## end", 8)) : nullptr;
                const char* closeLine =
                    close ? static_cast<const char*>(std::memchr(close, '\n', end - close)) : nullptr;
                if (!closeLine)
                    break;
                ++zones;
                at = closeLine + 1;
            }
            benchmark::DoNotOptimize(zones);
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    }

    void ScanText(benchmark::State& state)
    {
        const OldFile& file = TheOldFile();
        CVXZoneText text = Shared(file.Text);
        for (auto _ : state)
        {
            CLmPtr<CVXPreservedZones> zones = Scan(text, file.Text.size());
            if (zones->GetCount() != static_cast<int>(file.Ids.size()))
                state.SkipWithError("wrong zone count");
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.Text.size()));
        state.counters["zones"] = static_cast<double>(file.Ids.size());
    }

    void LoadFile(benchmark::State& state)
    {
        const OldFile& file = TheOldFile();
        std::filesystem::path path = std::filesystem::temp_directory_path() / "vexlo_zones_bench.pas";
        std::ofstream(path, std::ios::binary) << file.Text;
        CLmBSTR widePath = path.wstring().c_str();
        for (auto _ : state)
        {
            CLmPtr<CVXPreservedZones> zones = CVXPreservedZones::Create(nullptr);
            if (!zones->LoadFile(widePath) || zones->GetCount() != static_cast<int>(file.Ids.size()))
                state.SkipWithError("file not read");
        }
        std::filesystem::remove(path);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.Text.size()));
    }

    void LookupInFileOrder(benchmark::State& state)
    {
        const OldFile& file = TheOldFile();
        CLmPtr<CVXPreservedZones> zones = Scan(Shared(file.Text), file.Text.size());
        for (auto _ : state)
        {
            for (size_t i = 0; i < file.Ids.size(); ++i)
            {
                CLmPtr<CVXPreservedZone> zone = zones->FindZone(file.Ids[i], file.Tags[i]);
                benchmark::DoNotOptimize(zone.Get());
            }
        }
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.Ids.size()));
    }

    void LookupByWalk(benchmark::State& state)
    {
        const OldFile& file = TheOldFile();
        CLmPtr<CVXPreservedZones> zones = Scan(Shared(file.Text), file.Text.size());
        const size_t sample = 64;
        for (auto _ : state)
        {
            for (size_t s = 0; s < sample; ++s)
            {
                size_t i = s * file.Ids.size() / sample;
                CLmPtr<CVXPreservedZone> found;
                for (int z = 0; z < zones->GetCount() && found.IsNull(); ++z)
                {
                    CLmPtr<CVXPreservedZone> zone = zones->GetZone(z);
                    if (zone->GetUniqueId() == file.Ids[i].GetBSTR() && zone->GetTag() == file.Tags[i].GetBSTR())
                        found = zone;
                }
                benchmark::DoNotOptimize(found.Get());
            }
        }
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sample));
    }

    void ScanAndLookup(benchmark::State& state)
    {
        const OldFile& file = TheOldFile();
        CVXZoneText text = Shared(file.Text);
        for (auto _ : state)
        {
            CLmPtr<CVXPreservedZones> zones = Scan(text, file.Text.size());
            for (size_t i = 0; i < file.Ids.size(); ++i)
                benchmark::DoNotOptimize(zones->FindZone(file.Ids[i], file.Tags[i]).Get());
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.Text.size()));
    }
} // namespace

BENCHMARK(Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanText)->Name("Scan")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(LookupInFileOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(LookupByWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanAndLookup)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
