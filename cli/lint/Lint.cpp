#include "LintModel.h"

#include <set>
#include <tuple>

namespace VexloLint {

using namespace RoseHost;

namespace {

// Every rule group, in the order findings are reported for a component.
std::vector<const Rule*> AllRules()
{
    std::vector<const Rule*> rules;
    for (const std::vector<Rule>* group : {&MemberRules(), &TypeRules(), &DelphiRules(), &CSharpRules(), &SettingRules()})
        for (const Rule& rule : *group)
            rules.push_back(&rule);
    return rules;
}

} // namespace

std::vector<Finding> LintComponents(const Model& model, const std::vector<const Module*>& modules,
                                    const ZoneLookup& zones, const LintSettings& settings)
{
    std::vector<Finding> findings;
    // A class assigned to two components of a language is judged twice; it is reported once.
    std::set<std::tuple<std::wstring, unsigned, std::wstring, std::wstring>> seen;
    for (const Module* module : modules) {
        UnitText unit;
        unit.settings = &settings;
        if (!ReadUnit(model, *module, unit))
            continue;
        Report report(zones);
        for (const Rule* rule : AllRules())
            rule->check(unit, report);
        for (Finding& finding : report.Take())
            if (seen.emplace(finding.file, finding.line, finding.rule, finding.message).second)
                findings.push_back(std::move(finding));
    }
    return findings;
}

std::wstring FindingText(const Finding& finding)
{
    return finding.file + L":" + std::to_wstring(finding.line) + L": " + finding.rule + L": " + finding.path + L": " +
           finding.message + L". Fix: " + finding.fix + L".";
}

const std::vector<RuleInfo>& Rules()
{
    static const std::vector<RuleInfo> infos = [] {
        std::vector<RuleInfo> list;
        for (const Rule* rule : AllRules())
            if (rule->info.summary)
                list.push_back(rule->info);
        return list;
    }();
    return infos;
}

} // namespace VexloLint
