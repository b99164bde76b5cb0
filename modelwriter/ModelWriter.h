// Changes a loaded model's files in place: only the objects that change are touched, every
// other byte (line ends, order, numbering, fields nobody here knows) stays. Each element
// is found through the byte range the loader remembered (Element::textBegin/textEnd); the
// edits are collected as splices and applied once, per file, by Texts().
#pragma once

#include "RoseModel.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace VexloModelWriter {

// A tool property as the writer adds it: `word` values (TRUE, numbers, ("Set" 12)) are
// written as they are, others as strings.
struct Setting {
    std::string tool;
    std::string name;
    std::string value;
    bool word = false;
};

struct NewParameter {
    std::string name;
    std::string type;
    std::string initValue;
};

struct NewAttribute {
    std::string name;
    std::string type;
    std::string initValue;
    std::string exportControl = "Private"; // "Public", "Protected", "Private", "Implementation"
    bool isStatic = false;
    std::string documentation;
    std::vector<Setting> settings;
};

struct NewOperation {
    std::string name;
    std::string result;
    std::string exportControl = "Public";
    std::string documentation;
    std::vector<NewParameter> parameters;
    std::vector<Setting> settings;
};

// A base of a new class: a class of the model, or (`cls` null) one this writer added
// before, by name.
struct NewBase {
    const RoseHost::Class* cls = nullptr;
    std::string added;
    NewBase(const RoseHost::Class* c) : cls(c) {}
    NewBase(std::string name) : added(std::move(name)) {}
};

struct NewClass {
    std::string name;
    std::string documentation;
    std::string stereotype;
    std::string language;
    std::vector<Setting> settings;
    std::vector<NewAttribute> attributes;
    std::vector<NewOperation> operations;
    std::vector<NewBase> superclasses;
};

class ModelWriter {
public:
    using ReadFile = std::function<std::optional<std::string>(const std::wstring& path)>;
    ModelWriter(const RoseHost::Model& model, ReadFile read);

    // A fresh unique id in the form of the model's: eight hex digits of the time, four of a
    // count, none of them used in any file the writer read.
    std::string NewQuid();

    void Rename(const RoseHost::Element& e, const std::string& name);
    // Sets a field to a string ("" removes it) or to a word written as it is.
    void SetString(const RoseHost::Element& e, const std::string& field, const std::string& text);
    void SetWord(const RoseHost::Element& e, const std::string& field, const std::string& word);
    void RemoveField(const RoseHost::Element& e, const std::string& field);
    // Sets (or adds) a tool property; "" with `remove` removes it.
    void SetSetting(const RoseHost::Element& e, const Setting& setting, bool remove = false);

    std::string AddAttribute(const RoseHost::Class& cls, const NewAttribute& a);
    // A new attribute right before or after `neighbour`, an attribute of the same class
    // (where the order of attributes means something: an enumeration's values).
    std::string InsertAttribute(const RoseHost::Attribute& neighbour, bool before, const NewAttribute& a);
    // The class at the role's end becomes `cls` (its supplier and quidu); in the class
    // diagrams, the role's line ends at the class's box, or the association's view goes
    // where the diagram has no box of the class.
    void SetRoleClass(const RoseHost::Role& role, const RoseHost::Class& cls);
    std::string AddOperation(const RoseHost::Class& cls, const NewOperation& o);
    void ReplaceParameters(const RoseHost::Operation& op, const std::vector<NewParameter>& parameters);
    std::string AddSuperclass(const RoseHost::Class& cls, const RoseHost::Class& supplier);
    // A base this writer added before (by name; else it throws), or one of the model.
    std::string AddSuperclass(const RoseHost::Class& cls, const NewBase& supplier);
    std::string AddRealization(const RoseHost::Class& cls, const RoseHost::Class& supplier);
    // A new class in `category`, assigned to `module`; `operationIds` (when given) gets the
    // ids of its operations. A base named as added must have been added before (else it
    // throws: the model would name a class it does not hold).
    std::string AddClass(const RoseHost::Category& category, const RoseHost::Module* module, const NewClass& c,
                         std::vector<std::string>* operationIds = nullptr);
    // Takes the element's object out of its list.
    void Remove(const RoseHost::Element& e);

    // The new text of every file that changed, by path.
    std::map<std::wstring, std::string> Texts() const;
    // The text of a file as it was read.
    const std::string* Original(const std::wstring& path);

private:
    struct Splice {
        size_t at;
        size_t length;
        std::string text;
        size_t order;
    };
    struct File {
        std::string text;
        std::vector<Splice> splices;
    };
    File& FileOf(const RoseHost::Element& e);
    File& Load(const std::wstring& path);
    void Put(File& f, size_t at, size_t length, std::string text);
    void SetFieldValue(const RoseHost::Element& e, const std::string& field, const std::string& value,
                       bool isString);
    void InsertField(File& f, const RoseHost::Element& e, const std::string& field, const std::string& value);
    void AppendItem(const RoseHost::Element& e, const std::string& field, const std::string& listType,
                    const std::function<std::string(unsigned column)>& item);
    std::string PathOf(const RoseHost::Class& cls) const;
    void MoveRoleViews(const RoseHost::Role& role, const RoseHost::Class& cls); // RoleViews.cpp

    struct Added {
        std::string path, quid;
    };
    std::map<std::string, Added> m_added; // the classes added, by name

    const RoseHost::Model& m_model;
    ReadFile m_read;
    std::map<std::wstring, File> m_files;
    std::set<std::string> m_usedQuids;
    std::string m_eol = "\r\n";
    size_t m_order = 0;
    unsigned m_count = 0;
};

} // namespace VexloModelWriter
