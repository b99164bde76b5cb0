#include "ShowMembers.h"

#include "Console.h"
#include "ModelSetup.h"

#include "ElementProperties.h"
#include "RoseModel.h"

#include <vector>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* Visibility(int16_t exportControl)
{
    switch (exportControl) {
    case PublicAccess: return L"public";
    case ProtectedAccess: return L"protected";
    case PrivateAccess: return L"private";
    default: return L"implementation";
    }
}

// The visibility, "static", and the settings of the class's language that differ from
// the defaults (a Delphi operation's "Kind", a property's accessors): what the code shows.
std::wstring Notes(const Model& model, const Element& e, int16_t exportControl, bool isStatic,
                   const std::wstring& language)
{
    std::wstring notes = Visibility(exportControl);
    if (isStatic)
        notes += L", static";
    if (!language.empty())
        for (const VexloDiagram::PropertyRow& row : VexloDiagram::PropertyRows(model, e, language))
            if (row.changed)
                notes += L", " + ArgumentText(row.name.c_str()) + L"=" + ArgumentText(row.value.c_str());
    return L" (" + notes + L")";
}

} // namespace

void ShowMembers(const Model& model, const Class& cls, size_t depth)
{
    const std::wstring indent(depth * 2 + 2, L' ');
    const std::wstring language = LanguageOf(cls);
    for (const Attribute* a : cls.attributes) {
        std::wstring line = indent + L"attribute " + a->name.str();
        if (!a->type.empty())
            line += L": " + a->type.str();
        if (!a->initValue.empty())
            line += L" = " + a->initValue.str();
        OutLine(line + Notes(model, *a, a->exportControl, a->isStatic, language));
    }
    for (const Operation* op : cls.operations) {
        std::wstring line = indent + L"operation " + op->name.str() + L"(";
        for (size_t i = 0; i < op->parameters.size(); ++i) {
            const Parameter& p = *op->parameters[i];
            line += (i ? L"; " : L"") + p.name.str();
            if (!p.type.empty())
                line += L": " + p.type.str();
            if (!p.initValue.empty())
                line += L" = " + p.initValue.str();
        }
        line += L")";
        if (!op->returnType.empty())
            line += L": " + op->returnType.str();
        OutLine(line + Notes(model, *op, op->exportControl, op->isStatic, language));
    }
}

} // namespace VexloCli
