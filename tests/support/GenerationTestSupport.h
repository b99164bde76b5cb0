// Helpers for the generators' tests: a model of one tool (ModelBuilder.h), the stand-in
// host serving it, a scratch output folder, a private registry, and generation through
// the components' extension interface as the add-in's driver calls it. The tool ("Delphi" or "C#") is data.
#pragma once

#include "Automation.h"
#include "LmException.h"
#include "LmTestHelpers.h"
#include "ModelBuilder.h"
#include "VXClass.h"
#include "VXCommon.h"
#include "VXModule.h"

#include <vxplat/Registry.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace GenTest {

namespace fs = std::filesystem;
using namespace RoseHost;
using LmLib::CLmPtr;
using LmLib::Errors::Exception::CLmException;
using LmLib::Values::CLmBSTR;

using VexloTest::ModelBuilder;
using VexloTest::Raised;
using VexloTest::SourceDir;
using VexloTest::Text;

inline std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t ch : text)
        result += static_cast<char>(ch);
    return result;
}

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Runs a shell command; its output (standard error included) and exit status.
inline std::string Shell(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    status = pclose(pipe);
    return output;
}

// Puts body into the zone of the given scope and tag (replacing what is there and
// keeping the end marker's indentation); false when the file has no such zone.
inline bool FillZone(const fs::path& file, const std::string& scope, const std::string& tag, const std::string& body)
{
    std::string text = ReadBytes(file);
    const std::string head = "//## begin " + scope + "%";
    size_t begin = text.find(head);
    while (begin != std::string::npos) {
        size_t tagEnd = text.find(" preserve=", begin);
        size_t dot = text.find('.', begin + head.size());
        if (text.compare(dot + 1, tagEnd - dot - 1, tag) == 0)
            break;
        begin = text.find(head, begin + 1);
    }
    if (begin == std::string::npos)
        return false;
    size_t textStart = text.find("\r\n", begin) + 2;
    size_t end = text.find("//## end", textStart);
    size_t lineStart = text.rfind("\r\n", end) + 2;
    text.replace(textStart, lineStart - textStart, body);
    WriteBytes(file, text);
    return true;
}

// A generated file against the expected file written by hand; on a difference, the
// first differing line of each.
inline void ExpectGolden(const fs::path& output, const fs::path& golden)
{
    std::string expected = ReadBytes(golden);
    ASSERT_FALSE(expected.empty()) << "missing expected file " << golden;
    ASSERT_TRUE(fs::exists(output)) << output;
    std::string actual = ReadBytes(output);
    if (actual == expected)
        return;
    std::istringstream a(actual), e(expected);
    std::string al, el;
    int line = 1;
    while (std::getline(a, al) && std::getline(e, el) && al == el)
        ++line;
    ADD_FAILURE() << golden.filename() << " differs at line " << line << "\n  generated: [" << al
                  << "]\n  expected:  [" << el << "]";
}

// The preserved zones of a generated text, in file order.
struct TextZone {
    std::string key;    // "id.tag"
    std::string indent; // of the begin marker
    std::string text;
};

inline std::vector<TextZone> ZonesIn(const std::string& text)
{
    std::vector<TextZone> zones;
    size_t position = 0;
    while ((position = text.find("//## begin ", position)) != std::string::npos) {
        size_t lineStart = text.rfind('\n', position) + 1;
        size_t percent = text.find('%', position);
        size_t preserve = text.find(" preserve=", percent);
        size_t textStart = text.find("\r\n", preserve) + 2;
        size_t end = text.find("//## end", textStart);
        zones.push_back({text.substr(percent + 1, preserve - percent - 1), text.substr(lineStart, position - lineStart),
                         text.substr(textStart, end - textStart)});
        position = text.find("\r\n", end);
    }
    return zones;
}

// The text with each zone's content replaced by make(zone); the end marker keeps the
// indentation it had.
template <class F>
inline std::string FillZones(const std::string& text, F&& make)
{
    std::string result;
    size_t position = 0;
    for (const TextZone& zone : ZonesIn(text)) {
        size_t textStart = text.find("\r\n", text.find("%" + zone.key + " preserve=", position)) + 2;
        size_t end = text.find("//## end", textStart);
        result += text.substr(position, textStart - position) + make(zone) + zone.indent;
        position = end;
    }
    return result + text.substr(position);
}

// Every test process uses a registry file of its own, set before the first registry use.
inline fs::path TestRegistryFile()
{
    static fs::path file = [] {
        fs::path path = fs::temp_directory_path() /
                        ("vexlo_gen_registry_" + std::to_string(std::random_device{}()) + ".reg");
        setenv("VEXLO_REGISTRY", path.c_str(), 1);
        return path;
    }();
    return file;
}

// Sets (or, for an empty value, deletes) a virtual path symbol of the host's map.
inline void SetPathSymbol(const std::wstring& name, const std::wstring& value)
{
    TestRegistryFile();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map",
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    if (value.empty())
        RegDeleteValueW(key, name.c_str());
    else
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// A test with a model of one tool, the stand-in host over it, a scratch folder that is
// the model's "Directory", and the log lines the add-in wrote.
class GenerationTest : public ::testing::Test {
protected:
    ModelBuilder build;
    fs::path dir;
    std::vector<std::wstring> log;

    explicit GenerationTest(const std::wstring& tool) : build(tool) {}

    void SetUp() override
    {
        TestRegistryFile();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("vexlo_gen_") + info->name() + "_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        build.Prop(build.model.get(), L"Directory", dir.wstring());
    }
    void TearDown() override
    {
        m_host.reset();
        // VEXLO_TEST_KEEP keeps the generated files for a look.
        if (std::getenv("VEXLO_TEST_KEEP"))
            return;
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    // Replaces the built model by one loaded from a model file (its "Directory" set to
    // the scratch folder).
    void LoadModel(const fs::path& file)
    {
        build.model = std::shared_ptr<Model>(LoadRoseModel(file.wstring(), LoadOptions()));
        build.Prop(build.model.get(), L"Directory", dir.wstring());
    }

    AutomationHost& Host()
    {
        if (!m_host) {
            m_host = std::make_unique<AutomationHost>(build.model);
            m_host->SetLogSink([this](const std::wstring& line) { log.push_back(line); });
        }
        return *m_host;
    }

    // A wrapper W of the element's automation object.
    template <class W>
    CLmPtr<W> Wrap(Element* element)
    {
        CVXDispatchRef object(Host().CreateElementObject(*element));
        return W::Create(CVXParentPtr(), object.Get());
    }

    // Generates the component in the builder's language (or the one given) as the
    // driver does.
    void Generate(Module* module, const wchar_t* language = nullptr)
    {
        Wrap<CVXModule>(module)->Generate(CLmBSTR(language ? language : build.tool.c_str()));
    }

    // The file the component was written to, as the platform resolves "\" paths.
    fs::path Output(const std::wstring& relative) const
    {
        fs::path path = dir;
        std::wstring part;
        for (wchar_t ch : relative) {
            if (ch == L'\\') {
                path /= part;
                part.clear();
            } else {
                part += ch;
            }
        }
        return path / part;
    }

private:
    std::unique_ptr<AutomationHost> m_host;
};

} // namespace GenTest
