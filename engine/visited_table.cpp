#include "engine/visited_table.h"

#include "engine/scan_job.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kFirstSlots = 512;
constexpr size_t kFirstBlockBytes = 8 * 1024;
constexpr size_t kLargestBlockBytes = 256 * 1024;

std::atomic<int> gFailAllocations{0};

void* Allocate(size_t bytes)
{
    int left = gFailAllocations.load();
    while (left > 0)
        if (gFailAllocations.compare_exchange_weak(left, left - 1)) return nullptr;
    return std::calloc(1, bytes);
}

uint64_t Mix(uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    x ^= x >> 31;
    return x;
}

// A key as the table holds it: its first 499 characters with a to z upper-cased, and its hash.
struct FOLDEDKEY {
    char text[kVisitedKeyMax + 1];
    size_t length = 0;
    uint64_t hash = 0;
};

void FoldKey(const char* key, FOLDEDKEY* folded)
{
    size_t n = 0;
    for (; n < kVisitedKeyMax && key[n] != '\0'; ++n) {
        char c = key[n];
        folded->text[n] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    folded->text[n] = '\0';
    folded->length = n;
    folded->hash = VisitedKeyHash(folded->text, n);
}

VISITEDSLOT* FindSlot(VISITEDSLOT* slots, size_t capacity, const FOLDEDKEY& key, bool* found)
{
    const uint64_t hash = key.hash;
    size_t mask = capacity - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        VISITEDSLOT& s = slots[i];
        if (s.hash == 0) {
            *found = false;
            return &s;
        }
        if (s.hash == hash && std::memcmp(s.text, key.text, key.length + 1) == 0) {
            *found = true;
            return &s;
        }
    }
}

// Doubles the slot array; false (and no change) when the memory cannot be had.
bool Grow(HTABLE& t)
{
    size_t capacity = t.capacity * 2;
    auto* slots = static_cast<VISITEDSLOT*>(Allocate(capacity * sizeof(VISITEDSLOT)));
    if (slots == nullptr) return false;
    for (size_t i = 0; i < t.capacity; ++i) {
        const VISITEDSLOT& s = t.slots[i];
        if (s.hash == 0) continue;
        size_t mask = capacity - 1, j = s.hash & mask;
        while (slots[j].hash != 0) j = (j + 1) & mask;
        slots[j] = s;
    }
    std::free(t.slots);
    t.bytes += (capacity - t.capacity) * sizeof(VISITEDSLOT);
    t.slots = slots;
    t.capacity = capacity;
    return true;
}

VISITEDBLOCK* NewBlock(size_t size)
{
    auto* block = static_cast<VISITEDBLOCK*>(Allocate(sizeof(VISITEDBLOCK) + size));
    if (block != nullptr) block->size = size;
    return block;
}

// Room for `bytes` of text in the arena, or nullptr when no block can be had.
char* Reserve(HTABLE& t, size_t bytes)
{
    if (t.blocks->size - t.blockUsed < bytes) {
        size_t size = t.blocks->size * 2 < kLargestBlockBytes ? t.blocks->size * 2 : kLargestBlockBytes;
        VISITEDBLOCK* block = NewBlock(size);
        if (block == nullptr) return nullptr;
        block->next = t.blocks;
        t.blocks = block;
        t.blockUsed = 0;
        t.bytes += sizeof(VISITEDBLOCK) + size;
    }
    char* room = t.blocks->Text() + t.blockUsed;
    t.blockUsed += bytes;
    return room;
}

void FreeTable(HTABLE* t)
{
    for (VISITEDBLOCK* b = t->blocks; b != nullptr;) {
        VISITEDBLOCK* next = b->next;
        std::free(b);
        b = next;
    }
    std::free(t->slots);
    t->~HTABLE();
    std::free(t);
}

}  // namespace

uint64_t VisitedKeyHash(const char* folded, size_t length)
{
    uint64_t h = 0x9e3779b97f4a7c15ull ^ length;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, folded + i, 8);
        h = Mix(h ^ word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, folded + i, length - i);
    h = Mix(h ^ tail ^ 0xff51afd7ed558ccdull);
    return h != 0 ? h : 1;
}

bool MakeVisitedTable(SCANJOB* job)
{
    void* memory = Allocate(sizeof(HTABLE));
    if (memory == nullptr) return false;
    HTABLE* t = new (memory) HTABLE;
    t->slots = static_cast<VISITEDSLOT*>(Allocate(kFirstSlots * sizeof(VISITEDSLOT)));
    t->blocks = NewBlock(kFirstBlockBytes);
    if (t->slots == nullptr || t->blocks == nullptr) {
        FreeTable(t);
        return false;
    }
    t->blocks->next = nullptr;
    t->capacity = kFirstSlots;
    t->bytes = sizeof(HTABLE) + kFirstSlots * sizeof(VISITEDSLOT) + sizeof(VISITEDBLOCK) + kFirstBlockBytes;
    ReleaseVisitedTable(job);
    job->pVisited.store(t, std::memory_order_release);
    return true;
}

void ReleaseVisitedTable(SCANJOB* job)
{
    HTABLE* t = job->pVisited.exchange(nullptr, std::memory_order_acq_rel);
    if (t != nullptr) FreeTable(t);
}

int MarkIfNew(SCANJOB* job, const char* key)
{
    HTABLE* t = job->pVisited.load(std::memory_order_acquire);
    if (t == nullptr) return 1;
    FOLDEDKEY folded;
    FoldKey(key, &folded);

    std::lock_guard<std::mutex> lock(t->lock);
    bool found;
    VISITEDSLOT* slot = FindSlot(t->slots, t->capacity, folded, &found);
    if (found) return 0;
    // At most half full, so probes stay short.
    if ((t->count + 1) * 2 > t->capacity) {
        if (!Grow(*t)) return 0;
        slot = FindSlot(t->slots, t->capacity, folded, &found);
    }
    char* text = Reserve(*t, folded.length + 1);
    if (text == nullptr) return 0;
    std::memcpy(text, folded.text, folded.length + 1);
    slot->hash = folded.hash;
    slot->text = text;
    ++t->count;
    return 1;
}

int IsVisited(SCANJOB* job, const char* key)
{
    HTABLE* t = job->pVisited.load(std::memory_order_acquire);
    if (t == nullptr) return 0;
    FOLDEDKEY folded;
    FoldKey(key, &folded);
    std::lock_guard<std::mutex> lock(t->lock);
    bool found;
    FindSlot(t->slots, t->capacity, folded, &found);
    return found ? 1 : 0;
}

size_t VisitedCount(SCANJOB* job)
{
    HTABLE* t = job->pVisited.load(std::memory_order_acquire);
    if (t == nullptr) return 0;
    std::lock_guard<std::mutex> lock(t->lock);
    return t->count;
}

size_t VisitedBytes(SCANJOB* job)
{
    HTABLE* t = job->pVisited.load(std::memory_order_acquire);
    if (t == nullptr) return 0;
    std::lock_guard<std::mutex> lock(t->lock);
    return t->bytes;
}

void FailVisitedAllocationsForTest(int count)
{
    gFailAllocations = count;
}
