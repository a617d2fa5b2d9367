// A set of pointers in one open-addressed table: inserting and erasing reach the heap only when
// the table grows, so objects made and deleted on every frame cost no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

class pointer_set {
public:
    void insert(const void* pointer) {
        if ((m_size + 1) * 2 > m_slots.size()) grow();
        size_t slot = find_slot(pointer);
        if (m_slots[slot]) return;
        m_slots[slot] = pointer;
        ++m_size;
    }

    // The pointer found last is remembered: drawing asks for the same device context call after call.
    bool contains(const void* pointer) const {
        if (pointer == m_last_found && pointer) return true;
        if (m_slots.empty() || !m_slots[find_slot(pointer)]) return false;
        m_last_found = pointer;
        return true;
    }

    // Linear probing without tombstones: the entries after the hole that may move into it do.
    void erase(const void* pointer) {
        if (pointer == m_last_found) m_last_found = nullptr;
        if (m_slots.empty()) return;
        size_t hole = find_slot(pointer);
        if (!m_slots[hole]) return;
        m_slots[hole] = nullptr;
        --m_size;
        for (size_t next = (hole + 1) & mask(); m_slots[next]; next = (next + 1) & mask()) {
            size_t home = home_of(m_slots[next]);
            bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
            if (stays) continue;
            m_slots[hole] = m_slots[next];
            m_slots[next] = nullptr;
            hole = next;
        }
    }

    size_t size() const { return m_size; }

private:
    size_t mask() const { return m_slots.size() - 1; }
    size_t home_of(const void* pointer) const {
        uint64_t mixed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer)) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(mixed >> 32) & mask();
    }
    // The slot holding `pointer`, or the empty slot where it would go.
    size_t find_slot(const void* pointer) const {
        size_t slot = home_of(pointer);
        while (m_slots[slot] && m_slots[slot] != pointer) slot = (slot + 1) & mask();
        return slot;
    }
    void grow() {
        std::vector<const void*> old(m_slots.empty() ? 64 : m_slots.size() * 2, nullptr);
        old.swap(m_slots);
        for (const void* pointer : old)
            if (pointer) m_slots[find_slot(pointer)] = pointer;
    }

    std::vector<const void*> m_slots;  // a power of two in size, at most half full
    size_t m_size = 0;
    mutable const void* m_last_found = nullptr;
};

}  // namespace platform
