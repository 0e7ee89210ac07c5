// Runs of numbers: the list that the pattern interpreter collects them in,
// and the arithmetic that lets the map filler take a run, or a whole loop of
// runs, without counting through numbers that cannot reach the map.
//
// Bounds that keep every sum below 2^63: a run is made from 32-bit start and
// step values with fewer than 2^33 numbers, and runs merge only while their
// step stays within 32 bits, so every number of a run lies within 2^62; a
// loop adds at most (2^31 - 1) passes of a 32-bit step, again within 2^62.
#include "engine/runs.h"
#include "textlib/mem.h"

namespace {

const int64_t STEP_LIMIT = INT64_C(1) << 31;

// Division rounded down and up; b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}
int64_t CeilDiv(int64_t a, int64_t b) {
    return a / b + (a % b != 0 && a > 0 ? 1 : 0);
}
// The remainder in 0..m-1; m > 0.
int64_t Mod(int64_t a, int64_t m) {
    int64_t r = a % m;
    return r < 0 ? r + m : r;
}
int64_t Min(int64_t a, int64_t b) {
    return a < b ? a : b;
}
int64_t Max(int64_t a, int64_t b) {
    return a > b ? a : b;
}

bool Reserve(RunList* list, int32_t extra) {
    return Mem_Grow(&list->runs, &list->capacity, list->count, int64_t{list->count} + extra, 16,
                    1 << 30);
}

// Adds a run that is all zeros or holds no zero; room is reserved.
void AddPiece(RunList* list, int64_t start, int64_t count, int64_t step) {
    if (list->count > 0) {
        NumberRun* last = &list->runs[list->count - 1];
        bool zero = start == 0 && step == 0;
        if (zero && Run_IsZero(last)) {
            last->count += count;
            return;
        }
        if (!zero && !Run_IsZero(last)) {
            if (last->count == 1) {
                int64_t joint = start - last->start;
                if ((count == 1 || step == joint) && joint <= STEP_LIMIT && joint >= -STEP_LIMIT) {
                    last->step = joint;
                    last->count += count;
                    return;
                }
            } else if (start == Run_Last(last) + last->step && (count == 1 || step == last->step)) {
                last->count += count;
                return;
            }
        }
    }
    list->runs[list->count++] = NumberRun{start, count, step};
}

} // namespace

void RunList_Init(RunList* list) {
    list->runs = nullptr;
    list->count = 0;
    list->capacity = 0;
}

void RunList_Free(RunList* list) {
    Mem_Free(list->runs);
    RunList_Init(list);
}

bool RunList_Append(RunList* list, int64_t start, int64_t count, int64_t step) {
    if (count <= 0) return true;
    if (!Reserve(list, 3)) return false;
    if (count == 1) step = 0;
    // Split out the one number of the run that is 0, if there is one.
    if (step != 0 && start % step == 0) {
        int64_t zeroAt = -start / step;
        if (zeroAt >= 0 && zeroAt < count) {
            if (zeroAt > 0) AddPiece(list, start, zeroAt, step);
            AddPiece(list, 0, 1, 0);
            if (count - zeroAt - 1 > 0) AddPiece(list, step, count - zeroAt - 1, step);
            return true;
        }
    }
    AddPiece(list, start, count, step);
    return true;
}

bool Run_Clip(const NumberRun* run, int64_t shift, int64_t lo, int64_t hi, int64_t* first,
              int64_t* last) {
    int64_t s = run->start + shift;
    int64_t d = run->step;
    int64_t i0 = 0, i1 = run->count - 1;
    if (d == 0 || run->count == 1) {
        if (s < lo || s > hi) return false;
    } else if (d > 0) {
        i0 = Max(i0, CeilDiv(lo - s, d));
        i1 = Min(i1, FloorDiv(hi - s, d));
    } else {
        i0 = Max(i0, CeilDiv(s - hi, -d));
        i1 = Min(i1, FloorDiv(s - lo, -d));
    }
    if (i0 > i1) return false;
    *first = i0;
    *last = i1;
    return true;
}

namespace {

// The least x >= 1 with (a * x) mod m in lo..hi, 1 <= lo <= hi < m, or -1.
int64_t HitFromOne(int64_t a, int64_t m, int64_t lo, int64_t hi) {
    if (a == 0) return -1;
    int64_t k = CeilDiv(lo, a);
    if (k * a <= hi) return k; // reached before the first wrap past m
    // Otherwise a * x = m * y + (something in lo..hi) for the least y >= 1
    // for which lo + m * y .. hi + m * y holds a multiple of a, that is
    // (m * y + hi) mod a <= hi - lo: the same problem with modulus a.
    int64_t y = Run_FirstHit(m % a, hi % a, a, hi - lo);
    if (y < 0) return -1;
    return CeilDiv(lo + m * y, a);
}

} // namespace

int64_t Run_FirstHit(int64_t a, int64_t b, int64_t m, int64_t width) {
    if (b <= width) return 0;
    // b > width: (a * x + b) mod m in 0..width means a * x mod m in
    // m - b .. m - b + width, which does not wrap past m.
    return HitFromOne(a, m, m - b, m - b + width);
}

int64_t Run_NextPass(const NumberRun* run, int64_t passStep, int64_t lo, int64_t hi, int64_t from,
                     int64_t passes) {
    if (from < 0) from = 0;
    if (from >= passes || lo > hi) return -1;
    // Only which numbers the run holds matters here, not their order: take
    // them in rising order, start + i * d with d >= 0.
    int64_t count = run->count;
    int64_t d = count == 1 ? 0 : run->step;
    int64_t first = d < 0 ? Run_Last(run) : run->start;
    if (d < 0) d = -d;
    int64_t t = passStep;
    if (t < 0) {
        // Mirror everything so that the numbers rise from pass to pass.
        first = -(first + (count - 1) * d);
        t = -t;
        int64_t mirroredLo = -hi;
        hi = -lo;
        lo = mirroredLo;
    }
    if (t == 0) {
        NumberRun rising = {first, count, d};
        int64_t i0, i1;
        return Run_Clip(&rising, 0, lo, hi, &i0, &i1) ? from : -1;
    }
    // Passes outside pLow..pHigh put the whole run below lo or above hi.
    int64_t last = first + (count - 1) * d;
    int64_t p1 = Max(from, CeilDiv(lo - last, t));
    int64_t p2 = Min(passes - 1, FloorDiv(hi - first, t));
    if (p1 > p2) return -1;
    int64_t width = hi - lo;
    if (d == 0 || width >= d - 1) return p1; // the run cannot jump over lo..hi
    // Between them, the run's least number at or above lo is
    // lo + ((first + p * t - lo) mod d), so a pass hits when that remainder
    // is at most width.
    int64_t b = Mod(Mod(first - lo, d) + Mod(p1, d) * Mod(t, d), d);
    int64_t q = Run_FirstHit(Mod(t, d), b, d, width);
    if (q < 0 || q > p2 - p1) return -1;
    return p1 + q;
}
