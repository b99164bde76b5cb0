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
        // Kept in place, not on the heap: the module that holds them may be unloaded.
        struct Slot
        {
            std::atomic<int> state{0}; // 0 empty, 1 being filled, 2 filled
            const void* vtable = nullptr;
            std::ptrdiff_t offset = 0;
            bool typed = false;
        };
        static Slot slots[16];
        const void* vtable;
        std::memcpy(&vtable, static_cast<const void*>(object), sizeof vtable);
        Slot& slot = slots[(reinterpret_cast<std::uintptr_t>(vtable) >> 4) & 15];
        int state = slot.state.load(std::memory_order_acquire);
        if (state == 2 && slot.vtable == vtable)
            return slot.typed ? reinterpret_cast<T*>(reinterpret_cast<char*>(object) + slot.offset) : nullptr;
        T* typed = dynamic_cast<T*>(object);
        if (state == 0 && slot.state.compare_exchange_strong(state, 1, std::memory_order_acq_rel))
        {
            slot.vtable = vtable;
            slot.offset = typed ? reinterpret_cast<char*>(typed) - reinterpret_cast<char*>(object) : std::ptrdiff_t(0);
            slot.typed = typed != nullptr;
            slot.state.store(2, std::memory_order_release);
        }
        return typed;
    }
}
