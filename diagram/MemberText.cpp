#include "MemberText.h"

#include "RoseModel.h"
#include "Utf8.h"

namespace VexloDiagram {

using namespace RoseHost;

std::string Utf8(const ModelText& text) { return ToUtf8(text.str()); }
std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

const char* VisibilityMark(int exportControl)
{
    switch (exportControl) {
    case PublicAccess: return "+";
    case ProtectedAccess: return "#";
    case PrivateAccess: return "-";
    default: return "~";
    }
}

std::string AttributeText(const Attribute& a)
{
    std::string text = Utf8(a.name);
    if (!a.type.empty())
        text += " : " + Utf8(a.type);
    if (!a.initValue.empty())
        text += " = " + Utf8(a.initValue);
    return text;
}

std::string OperationText(const Operation& o, bool signature)
{
    std::string text = Utf8(o.name) + "(";
    if (signature) {
        for (size_t i = 0; i < o.parameters.size(); ++i) {
            const Parameter& p = *o.parameters[i];
            text += (i ? ", " : "") + Utf8(p.name);
            if (!p.type.empty())
                text += " : " + Utf8(p.type);
        }
    }
    text += ")";
    if (signature && !o.returnType.empty())
        text += " : " + Utf8(o.returnType);
    return text;
}

std::string QualifiedPath(const Element& element)
{
    std::string path;
    for (const Element* e = &element; e && e->kind != ElementKind::Model; e = e->owner)
        path = Utf8(e->name) + (path.empty() ? "" : "::" + path);
    return path;
}

} // namespace VexloDiagram
