// What the petal reader costs in memory, counted by this program's allocator, and that
// the tree it returns does not depend on the text it was read from.
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
    const size_t live = g_live += size;
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
std::string ModelText(int classes)
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

TEST(PetalMemory, PeakStaysWithinFiveTimesTheText)
{
    for (int classes : {1, 50, 500}) {
        const std::string text = ModelText(classes);
        const size_t before = g_live.load();
        g_peak = before;
        {
            const PetalDocument d = ParsePetal(text, L"m.mdl");
            ASSERT_EQ(d.roots.size(), 2u);
        }
        const size_t peak = g_peak.load() - before;
        // Small texts pay for the first block of the text store.
        EXPECT_LE(peak, std::max<size_t>(5 * text.size(), 512 * 1024)) << classes << " classes, " << text.size() << " bytes";
        EXPECT_EQ(g_live.load(), before) << "the document left memory behind";
    }
}

TEST(PetalMemory, TheTreeOutlivesTheText)
{
    PetalDocument d;
    {
        std::string text = ModelText(3);
        d = ParsePetal(text, L"m.mdl");
        text.assign(text.size(), 'x');
    }
    const PetalNode design = d[d.roots.at(1)];
    EXPECT_EQ(design.text, "Design");
    EXPECT_EQ(design.names, (std::vector<std::string>{"Logical View"}));
    const PetalNode classes = *d.Field(*d.Field(design, "root_category"), "logical_models");
    ASSERT_EQ(classes.children.size(), 3u);
    const PetalNode last = d[classes.children[2]];
    EXPECT_EQ(last.names.at(0), "T2");
    EXPECT_EQ(d.Field(last, "documentation")->text, "Class 2\r\nsecond line");
    EXPECT_EQ(d.Field(last, "abstract")->text, "TRUE");
    const PetalNode op = d[d.Field(last, "operations")->children.at(9)];
    EXPECT_EQ(d.Field(op, "quid")->text, "O2_9");
    const PetalNode param = d[d.Field(op, "parameters")->children.at(1)];
    EXPECT_EQ(param.names.at(0), "A\"Text\"");
    EXPECT_EQ(param.keys, (std::vector<std::string>{"type"}));
}
