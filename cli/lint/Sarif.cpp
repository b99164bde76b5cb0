#include "Sarif.h"

#include "Console.h"
#include "run/RunReport.h"

#include <cstdio>
#include <map>

namespace VexloCli {

namespace {

std::string J(const std::wstring& text) { return JsonText(text); }

// A relative URI reference: the path's bytes in UTF-8, all but the unreserved characters
// and "/" percent-encoded (a blank, "#", "%", non-ASCII names).
std::wstring UriOf(const std::wstring& path)
{
    std::string bytes = Narrow(path);
    std::wstring uri;
    for (unsigned char c : bytes) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += static_cast<wchar_t>(c);
        } else {
            wchar_t hex[4];
            std::swprintf(hex, 4, L"%%%02X", c);
            uri += hex;
        }
    }
    return uri;
}

} // namespace

std::string SarifLog(const std::vector<VexloLint::Finding>& findings, const std::wstring& version,
                     const std::wstring& currentFolder)
{
    // Each rule once, in lint's order, with its index for the results.
    std::map<std::wstring, size_t> index;
    std::string rules;
    for (const VexloLint::RuleInfo& rule : VexloLint::Rules()) {
        if (!index.emplace(rule.name, index.size()).second)
            continue;
        rules += std::string(index.size() > 1 ? "," : "") + "\n        {\"id\": " + J(rule.name) +
                 ", \"shortDescription\": {\"text\": " + J(rule.summary) + "}, \"properties\": {\"languages\": " +
                 J(rule.languages) + "}, \"defaultConfiguration\": {\"level\": \"error\"}}";
    }
    std::string results;
    for (size_t i = 0; i < findings.size(); ++i) {
        const VexloLint::Finding& f = findings[i];
        std::string location = "{\"artifactLocation\": {\"uri\": " + J(UriOf(f.file)) + ", \"uriBaseId\": \"SRCROOT\"}";
        if (f.line)
            location += ", \"region\": {\"startLine\": " + std::to_string(f.line) + "}";
        location += "}";
        auto it = index.find(f.rule);
        results += std::string(i ? "," : "") + "\n        {\"ruleId\": " + J(f.rule) +
                   (it != index.end() ? ", \"ruleIndex\": " + std::to_string(it->second) : std::string()) +
                   ", \"level\": \"error\", \"message\": {\"text\": " + J(f.path + L": " + f.message + L". Fix: " + f.fix + L".") +
                   "}, \"locations\": [{\"physicalLocation\": " + location +
                   ", \"logicalLocations\": [{\"fullyQualifiedName\": " + J(f.path) + "}]}]}";
    }
    std::wstring base = UriOf(currentFolder);
    if (base.empty() || base.back() != L'/')
        base += L'/';
    return "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n  \"version\": \"2.1.0\",\n"
           "  \"runs\": [{\n    \"tool\": {\"driver\": {\"name\": \"vexlo\", \"version\": " + J(version) +
           ", \"rules\": [" + rules +
           "]}},\n    \"originalUriBaseIds\": {\"SRCROOT\": {\"uri\": " + J(std::wstring(L"file://") + (base[0] == L'/' ? L"" : L"/") + base) +
           "}},\n    \"results\": [" + results + (results.empty() ? "" : "\n    ") + "]\n  }]\n}\n";
}

} // namespace VexloCli
