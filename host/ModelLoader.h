// Loading Rose model files (.mdl, petal format of Rose 98 to Rose 2003) and Rose
// property files into the in-memory model.
//
// Every failure (unreadable or malformed file, missing unit file, unknown virtual path
// symbol) throws one RoseLoadError naming the file, line and column; no partial model is
// handed out. Unknown objects and fields are skipped.
#pragma once

#include "PetalParser.h"
#include "RoseModel.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace RoseHost {

struct LoadOptions {
    // Code page of the file's 8-bit text; 0 = the ANSI code page (CP_ACP).
    unsigned codePage = 0;
    // Virtual path map: symbol (without '$', compared without regard to case) -> folder.
    // Unit file names of the form "$SYMBOL\rest" are expanded through it.
    std::map<std::wstring, std::wstring> pathMap;
    // Load controlled units that the model names but did not load itself.
    bool loadUnits = true;
    unsigned maxDepth = 1000;
    // Handed every file parsed (the model and each unit) while its tree is alive: the
    // diagram reader takes the views from there.
    std::function<void(const PetalDocument&)> onDocument;
};

// Loads a model file; unit files named in it are read relative to the referencing file
// or through the path map.
std::unique_ptr<Model> LoadRoseModel(const std::wstring& fileName, const LoadOptions& options);

// Loads a model from text in memory. `fileName` is used in messages and as the base of
// relative unit file names.
std::unique_ptr<Model> LoadRoseModelFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options);

// Reads a property file: a "(object Petal ...)" header followed by
// "(object Attribute tool ... name "default__<Kind>" value (list Attribute_Set ...))"
// entries, or by one "(list Attribute_Set ...)" or "(object Properties ...)" holding them.
DefaultPropertySets LoadPropertyFile(const std::wstring& fileName, const LoadOptions& options);
DefaultPropertySets LoadPropertyFileFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options);

// Reads a property file and puts its sets over the model's defaults.
void MergePropertyFile(Model& model, const std::wstring& fileName, const LoadOptions& options);

// Names the "(\"SetName\" 801)" values of the model's elements that its own sets left as
// numbers, through its defaults as they are now: a model without sets of its own gets the
// shipped property files' sets after loading, and its values are read through those.
void ResolveEnumerations(Model& model);

// Expands a leading "$SYMBOL" of a file name through the path map; the name unchanged
// when it has none. Throws RoseLoadError (at the given place) for an unknown symbol.
std::wstring ExpandVirtualPath(const std::wstring& name, const std::map<std::wstring, std::wstring>& pathMap,
                               const std::wstring& file, unsigned line, unsigned column);

} // namespace RoseHost
