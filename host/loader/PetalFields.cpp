// Field values as the model keeps them: texts, tuples, enumerated pairs, and the fields every element shares.
#include "Builder.h"

namespace RoseHost::Loading {

int Builder::ToInt(std::string_view s)
{
    long v = 0;
    bool neg = false;
    size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 1000000000)
            break;
    }
    return static_cast<int>(neg ? -v : v);
}

ModelText Builder::TupleText(const PetalValue& form, FieldValue* pair)
{
    size_t count = 0;
    PetalKind kinds[2] = {};
    std::string_view texts[2];
    ModelText first;
    bool haveFirst = false;
    std::wstring wide;
    bool haveWide = false;
    while (m_r->NextItem(form)) {
        const PetalValue item = m_r->Open(form.depth);
        if (count < 2) {
            kinds[count] = item.kind;
            texts[count] = item.text;
        }
        ++count;
        ModelText piece;
        if (IsTuple(item.kind))
            piece = TupleText(item, nullptr);
        else if (IsScalarText(item.kind))
            piece = W(item.text);
        else if (item.kind != PetalKind::Reference) {
            m_r->Skip(item);
            continue;
        }
        if (!haveFirst) {
            first = std::move(piece);
            haveFirst = true;
            continue;
        }
        if (!haveWide) {
            wide = first.str();
            haveWide = true;
        }
        if (!wide.empty() && form.kind == PetalKind::Tuple)
            wide += L' ';
        piece.AppendTo(wide);
    }
    if (pair && count == 2 && kinds[0] == PetalKind::String && kinds[1] == PetalKind::Number) {
        pair->enumPair = true;
        pair->enumSet = m_r->Hold(texts[0]);
        pair->enumNumber = m_r->Hold(texts[1]);
    }
    return haveWide ? ModelText(wide) : first;
}

bool Builder::Common(Element& e, uint32_t key, const PetalValue& v)
{
    switch (key) {
    case K("quid"):
        if (!e.quid.empty())
            m_r->Skip(v);
        else if (IsTuple(v.kind))
            e.quid = TupleText(v, nullptr);
        else {
            m_r->Skip(v);
            e.quid = Unique(v.text);
        }
        return true;
    case K("documentation"):
        e.documentation = TakeText(v);
        return true;
    case K("stereotype"):
        m_r->Skip(v);
        if (v.kind == PetalKind::String)
            e.stereotype = W(v.text);
        return true;
    case K("attributes"):
        ReadProperties(v, e.properties);
        return true;
    default:
        return false;
    }
}

} // namespace RoseHost::Loading
