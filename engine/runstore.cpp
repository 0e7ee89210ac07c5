// A run is written as: a head byte (bit 0: dropped, bit 1: more than one
// number, bit 2: more bytes of the start follow, bits 3-7: the start's low
// bits), the rest of the start, then for a run of more numbers its count
// less 2 and its step. Values are base-128 with a high continue bit, signed
// ones zigzagged (0, -1, 1, -2 ... as 0, 1, 2, 3 ...).
#include "engine/runstore.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

const uint32_t BLOCK_SIZE = 65536;
const int32_t BLOCK_SHIFT = 16;
const int32_t LONGEST = 30;

const uint8_t DROPPED = 1, MANY = 2, MORE = 4;

uint64_t ZigZag(int64_t v) {
    return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v < 0 ? -1 : 0);
}
int64_t UnZigZag(uint64_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

uint8_t* PutValue(uint8_t* p, uint64_t v) {
    for (; v >= 0x80; v >>= 7)
        *p++ = static_cast<uint8_t>(v | 0x80);
    *p++ = static_cast<uint8_t>(v);
    return p;
}

const uint8_t* GetValue(const uint8_t* p, uint64_t* v) {
    uint64_t value = 0;
    for (int32_t shift = 0;; shift += 7) {
        const uint8_t b = *p++;
        value |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (b < 0x80) break;
    }
    *v = value;
    return p;
}

int32_t Encode(const NumberRun* run, uint8_t* out) {
    const uint64_t start = ZigZag(run->start);
    const bool many = run->count > 1;
    uint8_t* p = out;
    *p++ =
        static_cast<uint8_t>((start & 0x1F) << 3 | (start > 0x1F ? MORE : 0) | (many ? MANY : 0));
    if (start > 0x1F) p = PutValue(p, start >> 5);
    if (many) {
        p = PutValue(p, static_cast<uint64_t>(run->count - 2));
        p = PutValue(p, ZigZag(run->step));
    }
    return static_cast<int32_t>(p - out);
}

// Decodes the run at p; returns its length in bytes.
int32_t Decode(const uint8_t* p, NumberRun* run) {
    const uint8_t* q = p + 1;
    uint64_t start = *p >> 3;
    if (*p & MORE) {
        uint64_t high;
        q = GetValue(q, &high);
        start |= high << 5;
    }
    run->start = UnZigZag(start);
    run->count = 1;
    run->step = 0;
    if (*p & MANY) {
        uint64_t count, step;
        q = GetValue(GetValue(q, &count), &step);
        run->count = static_cast<int64_t>(count) + 2;
        run->step = UnZigZag(step);
    }
    return static_cast<int32_t>(q - p);
}

uint8_t* Place(const RunStore* store, uint32_t offset) {
    return store->blocks[offset >> BLOCK_SHIFT].bytes + (offset & (BLOCK_SIZE - 1));
}

bool AddBlock(RunStore* store) {
    // Offsets are 32 bits: at most 2^16 blocks.
    if (!Mem_Grow(&store->blocks, &store->blockCapacity, store->blockCount,
                  int64_t{store->blockCount} + 1, 8, 1 << BLOCK_SHIFT))
        return false;
    uint8_t* bytes = static_cast<uint8_t*>(Mem_Alloc(BLOCK_SIZE));
    if (!bytes) return false;
    store->blocks[store->blockCount++] = RunBlock{bytes, 0};
    return true;
}

void FreeBlocksFrom(RunStore* store, int32_t first) {
    for (int32_t i = first; i < store->blockCount; i++)
        Mem_Free(store->blocks[i].bytes);
    if (first < store->blockCount) store->blockCount = first;
}

} // namespace

void RunStore_Init(RunStore* store) {
    *store = RunStore{nullptr, 0, 0, 0, 0, 0};
}

void RunStore_Free(RunStore* store) {
    FreeBlocksFrom(store, 0);
    Mem_Free(store->blocks);
    RunStore_Init(store);
}

void RunStore_Clear(RunStore* store) {
    FreeBlocksFrom(store, 1);
    if (store->blockCount) store->blocks[0].used = 0;
    store->liveRuns = store->liveBytes = store->deadBytes = 0;
}

bool RunStore_Add(RunStore* store, const NumberRun* run, uint32_t* offset) {
    uint8_t bytes[LONGEST];
    const int32_t length = Encode(run, bytes);
    RunBlock* last = store->blockCount ? &store->blocks[store->blockCount - 1] : nullptr;
    if (!last || last->used + length > BLOCK_SIZE) {
        if (!AddBlock(store)) return false;
        last = &store->blocks[store->blockCount - 1];
    }
    memcpy(last->bytes + last->used, bytes, static_cast<size_t>(length));
    *offset = static_cast<uint32_t>(store->blockCount - 1) << BLOCK_SHIFT | last->used;
    last->used += static_cast<uint32_t>(length);
    store->liveRuns++;
    store->liveBytes += length;
    return true;
}

void RunStore_Drop(RunStore* store, uint32_t offset) {
    uint8_t* head = Place(store, offset);
    NumberRun run;
    const int32_t length = Decode(head, &run);
    store->liveRuns--;
    store->liveBytes -= length;
    RunBlock* block = &store->blocks[offset >> BLOCK_SHIFT];
    const uint32_t at = offset & (BLOCK_SIZE - 1);
    if (block == &store->blocks[store->blockCount - 1] && at + length == block->used) {
        block->used = at; // the last run: its bytes are free again
        return;
    }
    *head |= DROPPED;
    store->deadBytes += length;
}

NumberRun RunStore_At(const RunStore* store, uint32_t offset) {
    NumberRun run;
    Decode(Place(store, offset), &run);
    return run;
}

bool RunStore_Next(const RunStore* store, uint32_t* at, NumberRun* run, uint32_t* offset) {
    for (uint32_t block = *at >> BLOCK_SHIFT, pos = *at & (BLOCK_SIZE - 1);;) {
        if (block >= static_cast<uint32_t>(store->blockCount)) return false;
        const RunBlock* b = &store->blocks[block];
        if (pos >= b->used) {
            block++, pos = 0;
            continue;
        }
        const uint8_t* head = b->bytes + pos;
        const uint32_t here = block << BLOCK_SHIFT | pos;
        pos += static_cast<uint32_t>(Decode(head, run));
        if (*head & DROPPED) continue;
        *at = (block << BLOCK_SHIFT) + pos; // pos may be BLOCK_SIZE: the next block
        *offset = here;
        return true;
    }
}

void RunStore_Compact(RunStore* store) {
    // Runs only move towards the start: a run that does not fit at the write
    // place goes to the next block, which the reading has already left.
    int32_t wb = 0;
    uint32_t wp = 0;
    for (int32_t rb = 0; rb < store->blockCount; rb++) {
        const uint32_t used = store->blocks[rb].used;
        for (uint32_t rp = 0; rp < used;) {
            uint8_t* head = store->blocks[rb].bytes + rp;
            NumberRun run;
            const uint32_t length = static_cast<uint32_t>(Decode(head, &run));
            if (!(*head & DROPPED)) {
                if (wp + length > BLOCK_SIZE) {
                    store->blocks[wb++].used = wp;
                    wp = 0;
                }
                memmove(store->blocks[wb].bytes + wp, head, length);
                wp += length;
            }
            rp += length;
        }
    }
    if (store->blockCount) {
        store->blocks[wb].used = wp;
        FreeBlocksFrom(store, wb + 1);
    }
    store->deadBytes = 0;
}
