// The typed view of a library object, as dynamic_cast<T*> gives it, without walking the
// class hierarchy each time. Every object whose base part holds the same vtable pointer
// has the same dynamic type (or the same construction stage) and layout, so the cast
// moves the pointer by the same amount or fails for all of them: that answer is kept
// per vtable, in a few slots per target type, filled once and never changed.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace LmLib
{
    template <class T, class From>
    T* LmTypedCast(From* object)
    {
        if (!object)
            return nullptr;
        struct Entry
        {
            const void* vtable;
            std::ptrdiff_t offset;
            bool typed;
        };
        static std::atomic<const Entry*> slots[16];
        const void* vtable;
        std::memcpy(&vtable, static_cast<const void*>(object), sizeof vtable);
        std::atomic<const Entry*>& slot = slots[(reinterpret_cast<std::uintptr_t>(vtable) >> 4) & 15];
        const Entry* entry = slot.load(std::memory_order_acquire);
        if (entry && entry->vtable == vtable)
            return entry->typed ? reinterpret_cast<T*>(reinterpret_cast<char*>(object) + entry->offset) : nullptr;
        T* typed = dynamic_cast<T*>(object);
        if (!entry)
        {
            const Entry* made =
                new Entry{vtable,
                          typed ? reinterpret_cast<char*>(typed) - reinterpret_cast<char*>(object) : std::ptrdiff_t(0),
                          typed != nullptr};
            if (!slot.compare_exchange_strong(entry, made, std::memory_order_acq_rel))
                delete made;
        }
        return typed;
    }
}
