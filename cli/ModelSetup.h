// Preparing the model for a run: loading it with the shipped property sets as defaults,
// the --language and --out changes a user would make in Rose, and the selection.
#pragma once

#include "Options.h"
#include "ModelLoader.h"
#include "RoseModel.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VexloCli {

// Folder of the shipped property sets: beside the executable in
// ../share/vexlo/properties when installed, else the source tree's properties/.
// Empty when neither exists.
std::wstring FindPropertiesFolder(const std::wstring& executableFolder);

// Loads the model; the shipped property sets become defaults under the model's own.
// Throws CliError (ExitModelLoad) naming file:line:column.
// `prepare` may add to the load options (the diagram reader's hook).
using PrepareLoad = std::function<void(RoseHost::LoadOptions&)>;
std::shared_ptr<RoseHost::Model> LoadModel(const Options& options, const std::wstring& propertiesFolder,
                                           const PrepareLoad& prepare = {});

// A model loaded by LoadModel stays until the process ends (the system takes it back far
// faster than freeing it would). A run that no longer needs it lets it go here instead,
// so that what the run builds next reuses its memory; nothing may use it afterwards.
void LetGoOfModel(std::shared_ptr<RoseHost::Model>& model);

// Every component gets the language; classes without a component get one component per
// logical package, named after it, in the root component package.
void AssignLanguage(RoseHost::Model& model, const std::wstring& language);

// Gives the element its own value of a tool property (a "String" when it is new).
void SetOwnProperty(RoseHost::Element& element, const std::wstring& tool, const std::wstring& name,
                    const std::wstring& value);

// Sets the model's "Directory" of both tools.
void SetOutputDirectory(RoseHost::Model& model, const std::wstring& folder);

// "Pkg::Sub::Name" below "Logical View" (nested classes below their class).
std::wstring QualifiedName(const RoseHost::Class& cls);
// "Subsystem::Name" below "Component View".
std::wstring QualifiedName(const RoseHost::Module& module);
std::wstring QualifiedName(const RoseHost::Category& category);
std::wstring QualifiedName(const RoseHost::Subsystem& subsystem);

struct Selection {
    std::vector<RoseHost::Class*> classes;
    std::vector<RoseHost::Module*> modules;
};

// The named classes and components; with none named, every component whose language is
// "Delphi" or "C#". Throws CliError (ExitUsage) for a name that matches nothing (listing
// close matches) or several elements.
Selection SelectElements(const RoseHost::Model& model, const std::vector<std::wstring>& classNames,
                         const std::vector<std::wstring>& componentNames);

// The language an element is generated in: a component's assigned language, a class's
// the one of the first component it is assigned to (as the host reports it).
std::wstring LanguageOf(const RoseHost::Class& cls);

// Up to `limit` of the candidates closest to `name` (edit distance, substring), best first.
std::vector<std::wstring> CloseMatches(const std::wstring& name, const std::vector<std::wstring>& candidates,
                                       size_t limit = 5);

} // namespace VexloCli
