// Reads the diagrams of a model file and its units into plain data (Diagram.h).
//
// The loader hands every file it parses to the reader while the file's tree is alive
// (LoadOptions::onDocument); the reader copies what the views hold and never throws for
// odd view data: a view without a place, a reference to a view or element that is not
// there, or a kind it does not know becomes a warning with the file and line.
#pragma once

#include "Diagram.h"
#include "ModelLoader.h"

#include <set>

namespace RoseHost::Diagrams {

class DiagramReader {
public:
    // codePage: of the file's 8-bit text (0 = the ANSI code page when a file is read).
    explicit DiagramReader(unsigned codePage = 0);

    // Every diagram of one parsed file, wherever it stands in the tree.
    void Read(const PetalDocument& doc);

    // Links the views to the model's elements, finds each diagram's package path and
    // warns about views whose element the model does not hold. Hands out what was read.
    DiagramSet Finish(const Model& model);

    // Sets `options.onDocument` so that loading feeds this reader, in the loader's code page.
    void Attach(LoadOptions& options);

private:
    void Walk(const PetalDocument& doc, const PetalNode& node, unsigned depth);
    void ReadDiagram(const PetalDocument& doc, const PetalNode& node);
    void ReadView(const PetalDocument& doc, const PetalNode& node, Diagram& d, int parent,
                  std::unordered_map<std::string, int>& tags,
                  std::vector<std::pair<int, std::pair<int, std::string>>>& refs, unsigned depth);
    std::string Text(std::string_view bytes) const;
    void ClampToPage(Diagram& d);
    void CheckViews(const Diagram& d);

    unsigned m_codePage;
    DiagramSet m_set;
    std::vector<std::pair<std::string, std::string>> m_containers;
    std::set<const View*> m_clamped; // of the diagram being read
    std::set<int> m_warned;          // its views warned about already
};

} // namespace RoseHost::Diagrams
