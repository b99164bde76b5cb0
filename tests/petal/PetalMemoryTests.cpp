// What the petal reader and the model loader cost in memory, counted by this program's
// allocator.
#include "ModelLoader.h"
#include "PetalParser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size)
{
    char* p = static_cast<char*>(std::malloc(size + kHeader));
    if (!p)
        throw std::bad_alloc();
    *reinterpret_cast<size_t*>(p) = size;
    // The document's large parts are pages (PageMemory.h): counted with the heap here.
    const size_t live = (g_live += size) + RoseHost::PageMemoryInUse();
    size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return p + kHeader;
}

void Release(void* q) noexcept
{
    if (!q)
        return;
    char* p = static_cast<char*>(q) - kHeader;
    g_live -= *reinterpret_cast<size_t*>(p);
    std::free(p);
}

} // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

using namespace RoseHost;

namespace {

// A model-like text: classes with operations, parameters, properties and documentation.
std::string SampleText(int classes)
{
    std::string t = "(object Petal version 42 _written \"Rose 8.3.0407.2800\" charSet 0)\n"
                    "(object Design \"Logical View\" quid \"Q0\" root_category (object Class_Category "
                    "\"Logical View\" quid \"Q1\" logical_models (list unit_reference_list\n";
    for (int c = 0; c < classes; ++c) {
        const std::string n = std::to_string(c);
        t += "  (object Class \"T" + n + "\" quid \"C" + n + "\"\n    documentation\n|Class " + n +
             "\n|second line\n    operations (list Operations\n";
        for (int o = 0; o < 10; ++o)
            t += "      (object Operation \"Op" + std::to_string(o) +
                 "\" attributes (list Attribute_Set (object Attribute tool \"Delphi\" name \"Kind\" value "
                 "(\"MemberKindSet\" 121))) quid \"O" + n + "_" + std::to_string(o) +
                 "\" parameters (list Parameters (object Parameter \"AValue\" type \"Integer\") (object Parameter "
                 "\"A\\\"Text\\\"\" type \"string\")) result \"Integer\" concurrency \"Sequential\" "
                 "opExportControl \"Public\" uid 0)\n";
        t += "    ) location (12, -34) abstract TRUE)\n";
    }
    t += ")))\n";
    return t;
}

} // namespace

TEST(PetalMemory, PeakStaysWithinItsMultipleOfTheText)
{
    // The document alone (what the diagrams read), and the model, built while the text is
    // read with no document at all.
    struct Reader {
        const char* name;
        void (*read)(const std::string& text, int classes);
        size_t timesText;
        size_t floor; // small texts pay for the first blocks of the stores
    };
    const Reader readers[] = {
        {"parse", [](const std::string& text, int) { ASSERT_EQ(ParsePetal(text, L"m.mdl").roots.size(), 2u); }, 5, 512 * 1024},
        {"load", [](const std::string& text, int classes) {
             ASSERT_EQ(LoadRoseModelFromText(text, L"m.mdl", LoadOptions{})->allClasses.size(), size_t(classes));
         }, 3, 1536 * 1024},
    };
    // The block this thread fills with lasting texts (ModelText::Lasting) stays for the next load.
    LoadRoseModelFromText(SampleText(1), L"m.mdl", LoadOptions{});
    for (const Reader& reader : readers) {
        for (int classes : {1, 50, 500}) {
            const std::string text = SampleText(classes);
            const size_t before = g_live.load();
            const size_t pagesBefore = PageMemoryInUse();
            g_peak = before + pagesBefore;
            reader.read(text, classes);
            const size_t peak = g_peak.load() - before - pagesBefore;
            EXPECT_LE(peak, std::max(reader.timesText * text.size(), reader.floor))
                << reader.name << ": " << classes << " classes, " << text.size() << " bytes";
            EXPECT_EQ(g_live.load(), before) << reader.name << " left memory behind";
            EXPECT_EQ(PageMemoryInUse(), pagesBefore) << reader.name << " left pages behind";
        }
    }
}
