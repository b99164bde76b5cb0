// The comparison's working state, shared by the files that compare one area each
// (classes and members, relations and roles, packages and components). Internal.
#pragma once

#include "ModelDiff.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace VexloDiff {

using namespace RoseHost;

std::string U8(const ModelText& text);
std::string U8(const std::wstring& text);

// Paths as a reviewer reads them: packages below "Logical View" ("Catalog::Search"),
// classes in their package ("Catalog::TItem"), members after a dot ("Catalog::TItem.Notes"),
// parameters in brackets ("Catalog::TItem.CanBorrow(AMember)"), components by name.
std::string PathOf(const Element& e);
// The package a line about the element is listed under, and the class (or component).
std::string GroupOf(const Element& e);
std::string OwnerOf(const Element& e);
// The element that a line about `e` belongs to in the listing (its class, component or package).
const Element* ParentOf(const Element& e);
// The word a line uses for the element's kind ("class", "attribute", "generalization", ...).
const char* KindWord(const Element& e);
// A relation's or role's supplier, by its plain name.
std::string SupplierOf(const Element& e);
// "Logical View", "Use Case View", "Component View" and the model: in every model.
bool IsRoot(const Element& e);
// "Public", "Protected", "Private", "Implementation".
const char* ExportWord(int value);
// A value shown: empty as (none), quoted when asked or when it holds blanks.
std::string Shown(const std::string& value, bool quote);

class Comparer {
public:
    Comparer(const Model& before, const Model& after, const DiffOptions& options, DiffResult& result)
        : m_old(before), m_new(after), m_options(options), m_result(result)
    {
    }
    void Run();

private:
    // Pairing.
    void Pair();
    void PairByPath(const std::vector<const Element*>& olds, const std::vector<const Element*>& news);
    std::vector<const Element*> Elements(const Model& m) const;
    const Element* Partner(const Element* e, bool fromOld) const;
    // The old element and the new one stand for the same: paired, or classes the models
    // only name (external) of the same name.
    bool Same(const Element* before, const Element* after) const;

    // Lines.
    void Add(char sign, const Element& e, const std::string& field, const std::string& before, const std::string& after,
             const Element* oldE, const Element* newE, std::string text = {});
    void Field(const Element& o, const Element& n, const char* field, const std::string& before, const std::string& after,
               bool quote = false);
    // The same for model texts, flags and export controls: compared before they are shown.
    void Field(const Element& o, const Element& n, const char* field, const ModelText& before, const ModelText& after,
               bool quote = false);
    // Names joined with ", ", shown as they are.
    void List(const Element& o, const Element& n, const char* field, const std::string& before, const std::string& after);
    void Flag(const Element& o, const Element& n, const char* field, bool before, bool after);
    void Export(const Element& o, const Element& n, int before, int after);
    void Mark(const Element& e, char sign);

    // What is compared (Compare*.cpp).
    void Added(const Element& e);
    void Removed(const Element& e);
    void Matched(const Element& o, const Element& n);
    void Common(const Element& o, const Element& n);      // name, place, stereotype, documentation, properties
    void Properties(const Element& o, const Element& n);
    void ClassFields(const Class& o, const Class& n);
    void AttributeFields(const Attribute& o, const Attribute& n);
    void OperationFields(const Operation& o, const Operation& n);
    void Parameters(const Operation& o, const Operation& n);
    void RoleFields(const Role& o, const Role& n);
    void RelationFields(const Relation& o, const Relation& n);
    void ModuleFields(const Module& o, const Module& n);
    void PackageFields(const Element& o, const Element& n);
    std::string AddedSummary(const Element& e) const;
    bool CoveredByParent(const Element& e, bool removed) const;

    const Model& m_old;
    const Model& m_new;
    const DiffOptions& m_options;
    DiffResult& m_result;
    std::unordered_map<const Element*, const Element*> m_oldToNew, m_newToOld;
    std::unordered_set<const Element*> m_external;
};

} // namespace VexloDiff
