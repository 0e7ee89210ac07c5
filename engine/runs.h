// Numbers held as runs: a pattern line such as 1~2000000000 makes one run of
// two billion numbers instead of two billion numbers, so that the work of a
// job follows the length of its pattern and of its map, never the size of
// the numbers written in it. Values are exact 64-bit integers.
#pragma once
#include <cstdint>

// count numbers start, start + step, start + 2 * step, ... (count >= 1).
struct NumberRun {
    int64_t start;
    int64_t count;
    int64_t step;
};

// A growable list of runs in delivery order. Every run either is all zeros
// (start 0, step 0) or holds no zero at all, because a loop shifts every
// number of its body except 0.
struct RunList {
    NumberRun* runs;
    int32_t count;
    int32_t capacity;
};

void RunList_Init(RunList* list);
void RunList_Free(RunList* list);
// Empties the list and keeps its storage.
inline void RunList_Clear(RunList* list) {
    list->count = 0;
}
// Appends count numbers start, start + step, ... (nothing when count <= 0).
// start and step must lie in the signed 32-bit range, count below 2^33; a run
// that continues the last one merges with it. Returns false, leaving the list
// unchanged, when memory runs out.
bool RunList_Append(RunList* list, int64_t start, int64_t count, int64_t step);
// Appends one number; the same as RunList_Append(list, n, 1, 0), quicker
// when n continues the last run.
inline bool RunList_AppendOne(RunList* list, int64_t n) {
    if (list->count > 0 && n != 0) {
        NumberRun* last = &list->runs[list->count - 1];
        if (last->count > 1 && last->start != 0 && n == last->start + last->count * last->step) {
            last->count++;
            return true;
        }
    }
    return RunList_Append(list, n, 1, 0);
}

inline bool Run_IsZero(const NumberRun* run) {
    return run->start == 0 && run->step == 0;
}
// The last number of the run.
inline int64_t Run_Last(const NumberRun* run) {
    return run->start + (run->count - 1) * run->step;
}

// The indexes of the numbers of run, each plus shift, that lie in lo..hi:
// they form one interval, stored in *first..*last. Returns false when there
// is none.
bool Run_Clip(const NumberRun* run, int64_t shift, int64_t lo, int64_t hi, int64_t* first,
              int64_t* last);

// The first pass p in from..passes-1 on which run, every number plus
// p * passStep, has a number in lo..hi; -1 when there is none. Costs a
// number of steps that grows with the number of digits of its arguments.
int64_t Run_NextPass(const NumberRun* run, int64_t passStep, int64_t lo, int64_t hi, int64_t from,
                     int64_t passes);

// The least x >= 0 with (a * x + b) mod m in 0..width, or -1 when there is
// none; 0 <= a, b < m, 0 <= width, m <= 2^32.
int64_t Run_FirstHit(int64_t a, int64_t b, int64_t m, int64_t width);
