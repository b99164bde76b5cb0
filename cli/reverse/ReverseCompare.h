// What the code holds that the model lacks: the declarations the readers found in the
// user's file against those of the file the model generates now (or the base), turned
// into model changes. Types and members are matched by the unique ids of their zones,
// then by name, then by position (a renamed member keeps its id).
#pragma once

#include "BodyCarry.h"
#include "Declarations.h"
#include "ModelWriter.h"
#include "RoseModel.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VexloReverse {

struct ModelChange {
    std::string line; // "add operation Catalog::TBook.Summary(...) (Catalog.pas:12)"
    // Writes the change; gives the unique ids of the elements whose zones get bodies, one
    // for each of `carried` (none for other changes).
    std::function<std::vector<std::string>(VexloModelWriter::ModelWriter&)> apply;
    // Methods and accessors added in the code: their bodies go into the zones of the new
    // elements (each one's id is filled in from apply's).
    std::vector<AddedMethod> carried = {};
    // For the three-way comparison: what the change is about ("change type of attribute
    // Catalog::TItem.Title"), the value it gives, the model element and the code's line.
    std::string key = "", value = "";
    const RoseHost::Element* element = nullptr;
    std::string codePlace = "";
    // A class the change adds; its bases that are no class of the model are named as
    // added (`NewBase::added`) until LinkAddedBases sees whether the run adds them, with
    // the line saying why one is not read back when it does not.
    std::shared_ptr<VexloModelWriter::NewClass> newClass = nullptr;
    std::map<std::string, std::pair<std::string, std::string>> unknownBases = {}; // name: as written, why
    // A base given to a class of the model that is no class of the model: a class the run
    // may add (written after it; the change goes when the run adds none of that name).
    std::string addedBase = "";
};

struct Comparison {
    std::vector<ModelChange> changes;
    std::vector<std::string> kept;        // "kept in the model: ... (its declaration is gone from F; --prune removes it)"
    std::vector<std::string> notReadBack; // "FILE:LINE: why"
};

// Compares one file. `generated` is what the model gives for the file now, `user` the
// file as it stands; `shown` is the file's name in messages.
void CompareFile(const RoseHost::Model& model, const VexloCode::CodeFile& generated, const VexloCode::CodeFile& user,
                 const std::string& shown, bool prune, Comparison& out);

// The changes of the code since the base (`code`, compared with the base) that the model
// has not made since (`model`, the base compared with what the model generates now):
// changes both made alike are dropped, changes of one thing both made differently are
// conflicts ("CODE:LINE ... MODEL:LINE ..."), the rest stay in `code`.
std::vector<std::string> ThreeWay(const RoseHost::Model& model, Comparison& code, const Comparison& modelSide);

// New classes whose bases are other classes the run adds: linked to them; the bases no
// type of the run gives are taken out and said not read back. So are the bases given to
// classes of the model: a change naming no class the run adds goes (`firstChange`, the
// first change of each file, follows the changes).
void LinkAddedBases(Comparison& comparison, std::vector<size_t>* firstChange = nullptr);
// The order the changes are written in: a new class after the new classes it names as bases.
std::vector<size_t> ApplyOrder(const Comparison& comparison);

// "Catalog::TBook": the class's packages below the root and its name.
std::string ClassPath(const RoseHost::Class& cls);

} // namespace VexloReverse
