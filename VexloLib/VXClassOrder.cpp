#include "VXClassOrder.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXClassDependency.h"
#include "VXClassRelation.h"
#include "VXClassDependencyCollection.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModule.h"

#include <vxplat/User.h>

#include <exception>
#include <string>
#include <deque>
#include <unordered_map>
#include <utility>

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    // The classes met while ordering one component, one node per unique id, with the
    // suppliers of their inherit relations and class dependencies as node numbers. A
    // host failure while reading is kept where it happened and raised when a walk gets
    // there, as the walk over the host would have raised it.
    class RelationGraph
    {
    public:
        struct Links
        {
            bool Read = false;
            std::vector<size_t> Suppliers;
            std::exception_ptr Error; // stands after the suppliers read before it
        };
        struct Node
        {
            CLmPtr<CVXClass> Class;
            std::exception_ptr IdError;
            Links Inherits;
            Links Depends;
            bool NameRead = false; // the name is read for the first message that needs it
            CLmBSTR Name;
        };

        // The node of a class; a class whose id was met before shares that node.
        size_t NodeOf(CLmPtr<CVXClass>&& cls)
        {
            std::wstring id;
            std::exception_ptr error;
            try
            {
                // Ids compare as CLmBSTR does: up to the first terminator, and a null id
                // equals only a null id.
                CLmBSTR text = cls->GetUniqueID();
                if (text.GetBSTR())
                    id = L"#" + std::wstring(text.GetBSTR());
            }
            catch (...)
            {
                error = std::current_exception();
            }
            if (!error)
            {
                auto known = m_Ids.find(id);
                if (known != m_Ids.end())
                    return known->second;
                m_Ids.emplace(std::move(id), m_Nodes.size());
            }
            m_Nodes.push_back(Node{std::move(cls), error, {}, {}, false, CLmBSTR()});
            return m_Nodes.size() - 1;
        }

        // The same steps as CVXClass::InheritsFrom(other, counter).
        bool InheritsFrom(size_t node, size_t other, LONG& counter)
        {
            const Links& links = Inherits(node);
            for (size_t supplier : links.Suppliers)
            {
                if (supplier == other)
                    return true;
                ++counter;
                bool inherits = counter <= CVXClass::MaxRelationSteps && InheritsFrom(supplier, other, counter);
                if (counter > CVXClass::MaxRelationSteps)
                    return inherits;
                if (inherits)
                    return true;
            }
            if (links.Error)
                std::rethrow_exception(links.Error);
            return false;
        }

        // The same steps as CVXClass::DependsOn(other, counter).
        bool DependsOn(size_t node, size_t other, LONG& counter)
        {
            const Links& links = Depends(node);
            for (size_t supplier : links.Suppliers)
            {
                if (supplier == other)
                    return true;
                if (++counter > CVXClass::MaxRelationSteps)
                {
                    const CLmBSTR& name = NameOf(node);
                    const CLmBSTR& otherName = NameOf(other);
                    CLmBSTR text = CLmBSTR::FormatString(L"%s - %s recursive dependency !!!",
                                                         name.GetBSTR() ? name.GetBSTR() : L"",
                                                         otherName.GetBSTR() ? otherName.GetBSTR() : L"");
                    MessageBoxW(nullptr, text.GetBSTR(), L"Recursive", MB_OK);
                    return false;
                }
                if (DependsOn(supplier, other, counter))
                    return true;
            }
            if (links.Error)
                std::rethrow_exception(links.Error);
            return false;
        }

        // A pair of the exchange loop: each walk starts with the id of the class sought.
        bool Needs(size_t node, size_t other)
        {
            if (m_Nodes[other].IdError)
                std::rethrow_exception(m_Nodes[other].IdError);
            LONG counter = 0;
            if (InheritsFrom(node, other, counter))
                return true;
            counter = 0;
            return DependsOn(node, other, counter);
        }

    private:
        // A walk past the limit shows a message at every step it still takes on its way
        // back, so a cycle can show thousands: each name is asked of the host once.
        const CLmBSTR& NameOf(size_t node)
        {
            Node& n = m_Nodes[node];
            if (!n.NameRead)
            {
                n.Name = n.Class->GetName();
                n.NameRead = true;
            }
            return n.Name;
        }

        template <class Collection>
        void ReadLinks(size_t node, Links Node::*which, Collection (CVXClass::*list)())
        {
            // Nodes may be added while reading, so the links are filled in a local first.
            Links links;
            links.Read = true;
            try
            {
                CLmPtr<CVXClass> cls = m_Nodes[node].Class;
                auto relations = ((*cls).*list)();
                for (LONG i = 0, count = relations->GetCount(); i < count; ++i)
                {
                    CLmPtr<CVXClassRelation> relation = relations->GetAt(i);
                    LM_CHECK_POINTER(relation.GetTyped(), L"relation");
                    size_t supplier = NodeOf(relation->GetSupplierClass());
                    if (m_Nodes[supplier].IdError)
                    {
                        links.Error = m_Nodes[supplier].IdError;
                        break;
                    }
                    links.Suppliers.push_back(supplier);
                }
            }
            catch (...)
            {
                links.Error = std::current_exception();
            }
            m_Nodes[node].*which = std::move(links);
        }

        const Links& Inherits(size_t node)
        {
            if (!m_Nodes[node].Inherits.Read)
                ReadLinks(node, &Node::Inherits, &CVXClass::GetInheritRelations);
            return m_Nodes[node].Inherits;
        }

        const Links& Depends(size_t node)
        {
            if (!m_Nodes[node].Depends.Read)
                ReadLinks(node, &Node::Depends, &CVXClass::GetClassDependencies);
            return m_Nodes[node].Depends;
        }

        std::deque<Node> m_Nodes; // stable while walks hold references into it
        std::unordered_map<std::wstring, size_t> m_Ids;
    };
}

std::vector<CLmPtr<CVXClass>> CVXClassOrder::GetOrderedClasses(const CLmPtr<CVXModule>& module)
{
    LM_TRY
    {
        RelationGraph graph;
        std::vector<size_t> order;
        std::vector<CLmPtr<CVXClass>> classes;
        CLmPtr<CVXClassCollection> assigned = module->GetAssignedClasses();
        for (LONG i = 0, count = assigned->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClass> cls = assigned->GetAt(i);
            if (cls.IsNull())
                continue;
            classes.push_back(cls);
            order.push_back(graph.NodeOf(std::move(cls)));
        }
        // Not a topological sort: each pair is compared once, on the list as earlier
        // exchanges left it.
        for (size_t i = 0; i + 1 < order.size(); ++i)
            for (size_t j = i + 1; j < order.size(); ++j)
                if (graph.Needs(order[i], order[j]))
                {
                    std::swap(order[i], order[j]);
                    std::swap(classes[i], classes[j]);
                }
        return classes;
    }
    LM_END_TRY
}
