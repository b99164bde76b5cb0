// What the host answered while one file is generated, kept for the rest of that file.
//
// A file's texts ask for the same host values more than once: a class's declaration and
// its implementation both need every member's name, type, properties and so on. The
// wrappers read the host on every call by design, so the generators keep what they read
// here instead, as records of their own types keyed by an element's unique id:
//
//   CVXGenerationMemo::Scope scope;      // in the file's DoGenerate; ends with the file
//   ...
//   std::shared_ptr<const Members> members =
//       CVXGenerationMemo::Get<Members>(classId, [&] { return ReadMembers(); });
//
// Outside a scope nothing is kept: Get reads every time, so an extension asked for one
// text alone behaves as before. Scopes nest; the innermost one is used, and each file's
// generation opens its own, so nothing read for one file is seen by the next. The memo
// knows no language: every generator keeps its own record types in it.
#pragma once

#include <memory>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <utility>

class CVXGenerationMemo
{
public:
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CVXGenerationMemo* m_Previous;
    };

    // The record of type R kept under key in the current scope; read() (returning an R)
    // makes it at the first request. A read that throws keeps nothing.
    template <class R, class Read>
    static std::shared_ptr<const R> Get(const std::wstring& key, Read&& read)
    {
        CVXGenerationMemo* memo = Current();
        if (!memo)
            return std::make_shared<const R>(read());
        std::shared_ptr<const void>& slot = memo->Slot(typeid(R), key);
        if (!slot)
            slot = std::make_shared<const R>(read());
        return std::static_pointer_cast<const R>(slot);
    }

    // The record of type R that the current scope keeps under key; empty when there is
    // none (or no scope).
    template <class R>
    static std::shared_ptr<const R> Find(const std::wstring& key)
    {
        CVXGenerationMemo* memo = Current();
        const std::shared_ptr<const void>* slot = memo ? memo->Existing(typeid(R), key) : nullptr;
        return slot ? std::static_pointer_cast<const R>(*slot) : std::shared_ptr<const R>();
    }

    // True while a scope is open.
    static bool IsActive() { return Current() != nullptr; }

private:
    struct KeyHash
    {
        size_t operator()(const std::pair<std::type_index, std::wstring>& key) const noexcept;
    };

    static CVXGenerationMemo* Current();
    std::shared_ptr<const void>& Slot(std::type_index type, const std::wstring& key);
    const std::shared_ptr<const void>* Existing(std::type_index type, const std::wstring& key) const;

    std::unordered_map<std::pair<std::type_index, std::wstring>, std::shared_ptr<const void>, KeyHash> m_Records;
};
