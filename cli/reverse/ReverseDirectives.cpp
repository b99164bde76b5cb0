// A method's directives and modifiers read back as the operation settings that give them:
// "Kind" (virtual, abstract, dynamic, reintroduce, override; C#: virtual, abstract,
// static, override), "Type" (constructor, destructor, class methods; C#: new), "IsOverload"
// and the calling convention.
#include "CompareSupport.h"

#include <algorithm>

namespace VexloReverse::Detail {

namespace {

bool Has(const Member& m, const char* word)
{
    return std::find(m.modifiers.begin(), m.modifiers.end(), word) != m.modifiers.end();
}

struct Word {
    const wchar_t* setting;
    const wchar_t* set; // "" for a boolean
    std::string value;
};

std::vector<Word> DelphiWords(const Member& m, bool interface)
{
    std::vector<Word> words;
    if (!interface) {
        std::string kind = "common";
        for (const char* k : {"virtual", "dynamic", "reintroduce", "override"})
            if (Has(m, k))
                kind = k;
        if (Has(m, "abstract"))
            kind = "abstract";
        words.push_back({L"Kind", L"MemberKindSet", kind});
        std::string type = m.methodKind == "constructor" || m.methodKind == "destructor" ? m.methodKind
                           : Has(m, "class")                                             ? "static"
                                                                                         : "operation";
        words.push_back({L"Type", L"MethodTypeSet", type});
    }
    std::string convention = "none";
    for (const char* k : {"stdcall", "cdecl", "pascal", "register", "safecall"})
        if (Has(m, k))
            convention = k;
    words.push_back({L"CallingConvention", L"CallingConventionSet", convention});
    words.push_back({L"IsOverload", L"", Has(m, "overload") ? "TRUE" : "FALSE"});
    return words;
}

std::vector<Word> CSharpWords(const Member& m, bool interface)
{
    if (interface)
        return {};
    std::string kind = "common";
    for (const char* k : {"virtual", "abstract", "static", "override"})
        if (Has(m, k))
            kind = k;
    return {{L"Kind", L"MemberKindSet", kind}, {L"Type", L"OperationTypeSet", Has(m, "new") ? "new" : "operation"}};
}

// The settings a method's text asks for; `text` gets them as the code says them.
std::vector<VexloModelWriter::Setting> SettingsOf(const FileContext& c, const Member& m, bool interface,
                                                  std::string& text)
{
    const bool delphi = c.user.language == Language::Delphi;
    const std::wstring tool = delphi ? L"Delphi" : L"C#";
    std::vector<VexloModelWriter::Setting> settings;
    for (const Word& w : delphi ? DelphiWords(m, interface) : CSharpWords(m, interface)) {
        std::string value = *w.set ? EnumValue(c.model, tool, w.set, w.value) : w.value;
        if (value.empty())
            continue;
        settings.push_back({Narrow(tool), Narrow(w.setting), value, true});
        if (w.value != "common" && w.value != "operation" && w.value != "none" && w.value != "FALSE")
            text += (text.empty() ? "" : ", ") + (*w.set ? w.value : std::string("overload"));
    }
    return settings;
}

bool IsInterface(const Model& model, const Class& cls, Language language)
{
    const std::wstring kind = model.GetPropertyValue(cls, language == Language::Delphi ? L"Delphi" : L"C#", L"Kind");
    return kind == L"interface" || kind == L"dispinterface";
}

} // namespace

std::string EnumValue(const Model& model, const std::wstring& tool, const std::wstring& set, const std::string& word)
{
    auto t = model.defaults.find(tool);
    if (t == model.defaults.end())
        return "";
    for (const auto& [kind, properties] : t->second)
        for (const ToolProperty& p : properties)
            if (p.name == set)
                for (const ToolProperty& item : p.items)
                    if (item.name == Widen(word))
                        return "(\"" + Narrow(set) + "\" " + Narrow(item.value) + ")";
    return "";
}

std::vector<VexloModelWriter::Setting> NewOperationSettings(const FileContext& c, const Class& cls, const Member& u)
{
    std::string text;
    std::vector<VexloModelWriter::Setting> all = SettingsOf(c, u, IsInterface(c.model, cls, c.user.language), text);
    // Only what differs from the defaults is written, as the modelling tool does.
    std::vector<VexloModelWriter::Setting> settings;
    for (const auto& s : all) {
        const std::wstring tool = Widen(s.tool);
        const ToolProperty* def = nullptr;
        auto t = c.model.defaults.find(tool);
        if (t != c.model.defaults.end())
            if (auto k = t->second.find(L"default__Operation"); k != t->second.end())
                for (const ToolProperty& p : k->second)
                    if (p.name == Widen(s.name))
                        def = &p;
        const std::string defaultValue =
            !def ? "" : def->enumSet.empty() ? Narrow(def->value) : EnumValue(c.model, tool, def->enumSet, Narrow(def->value));
        if (defaultValue != s.value)
            settings.push_back(s);
    }
    return settings;
}

void CompareDirectives(const FileContext& c, const Class& cls, const Element& op, const Member& g, const Member& u)
{
    // The settings are those of the words: the same words, the same settings.
    if (g.modifiers == u.modifiers && g.methodKind == u.methodKind)
        return;
    const bool interface = IsInterface(c.model, cls, c.user.language);
    std::string was, now;
    std::vector<VexloModelWriter::Setting> before = SettingsOf(c, g, interface, was);
    std::vector<VexloModelWriter::Setting> after = SettingsOf(c, u, interface, now);
    std::vector<VexloModelWriter::Setting> changed;
    for (const auto& s : after) {
        auto old = std::find_if(before.begin(), before.end(), [&](const auto& b) { return b.name == s.name; });
        if (old == before.end() || old->value != s.value)
            changed.push_back(s);
    }
    if (changed.empty())
        return;
    c.Change("change directives of operation " + ClassPath(cls) + "." + Narrow(op.name) + " to " +
                 (now.empty() ? std::string("none") : now) + c.At(u.line),
             [&op, changed](ModelWriter& w) {
                 for (const auto& s : changed)
                     w.SetSetting(op, s);
             });
}

} // namespace VexloReverse::Detail
