// Covers the pattern language line by line: the worked examples and edge
// cases of comments, lists, ranges, repeats, directives, braces and "$SET"
// lines, which keyword words and loop state outlive a job, and that a full
// map stops delivery. Numbers are captured as the interpreter delivers them.
#include "engine/pattern.h"
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A sink that writes out every delivered number (small patterns only).
struct Capture {
    std::vector<int64_t> numbers;
    size_t limit = 1000;
    bool Put(int64_t v) {
        numbers.push_back(v);
        return numbers.size() >= limit;
    }
    static int64_t Room(void* c) {
        const Capture* self = static_cast<const Capture*>(c);
        return static_cast<int64_t>(self->limit - self->numbers.size());
    }
    static bool Runs(void* c, const NumberRun* runs, int32_t count) {
        Capture* self = static_cast<Capture*>(c);
        for (int32_t r = 0; r < count; r++)
            for (int64_t i = 0; i < runs[r].count; i++)
                if (self->Put(runs[r].start + i * runs[r].step)) return true;
        return false;
    }
    static bool Loop(void* c, const NumberRun* body, int32_t count, int64_t passes, int64_t step) {
        Capture* self = static_cast<Capture*>(c);
        for (int64_t p = 0; p < passes; p++)
            for (int32_t r = 0; r < count; r++)
                for (int64_t i = 0; i < body[r].count; i++) {
                    int64_t v = body[r].start + i * body[r].step;
                    if (self->Put(v == 0 ? 0 : v + p * step)) return true;
                }
        return false;
    }
};

// Runs the lines of text (separated by '|') as one job.
std::vector<int64_t> Deliver(const std::string& text, size_t limit = 1000) {
    Capture capture;
    capture.limit = limit;
    PatternWork work;
    EXPECT_TRUE(PatternWork_Init(
        &work, PatternSink{&capture, Capture::Room, Capture::Runs, Capture::Loop}));
    StrBuf* line = StrBuf_New();
    Pattern_StartJob();
    std::stringstream lines(text);
    std::string one;
    while (!work.full && std::getline(lines, one, '|')) {
        StrBuf_AssignStr(line, (one + "\n").c_str());
        Pattern_Line(&work, line);
    }
    Pattern_Finish(&work);
    EXPECT_FALSE(work.noMemory);
    StrBuf_Free(line);
    PatternWork_Free(&work);
    return capture.numbers;
}

struct LineCase {
    const char* lines;
    std::vector<int64_t> numbers;
};

const LineCase LINE_CASES[] = {
    // The worked examples.
    {"1,2,3|5~8|0(2)", {1, 2, 3, 5, 6, 7, 8, 0, 0}},
    {"9~6", {9, 8, 7, 6}},
    {"/LOOP(3,16)|{|1~4|}", {1, 2, 3, 4, 17, 18, 19, 20, 33, 34, 35, 36}},
    {"/LOOP(2,8)|1,0,3", {1, 0, 3, 9, 0, 11}},
    {"/LOOP(2,10)|{|/REPEAT(1,2,1)|{|5|}|}", {1, 2, 5, 11, 12, 15}},
    {"/LOOP(4,1)||7", {7}},
    {"  # 1,2", {2}},
    // Comments, blank lines and list items.
    {"#|#1,2,3| #1,2,3", {2, 3}},
    {"|   |\t", {}},
    {"5~5,3~1,-2~1", {5, 3, 2, 1, -2, -1, 0, 1}},
    {"7(0),7(-1),7(3)", {7, 7, 7}},
    {"1 2, 1 ~ 3", {12, 1, 2, 3}},
    {"12abc,1~3(2),5/7,x,~5,,5~", {12, 1, 2, 3, 5, 5}},
    {"1~\t3,+4,- 5", {1, 2, 3, 4, -5}}, // blanks go before the item is read
    {"2147483648,-3000000000", {INT32_MAX, INT32_MIN}},
    // Directives.
    {"/loop(2,1)|5|/ LOOP (2,1)|6", {5, 6, 6, 7}},
    {"/LOOP(2,1|5", {5}},
    {"/LOOP()|5,6", {5, 6}},
    {"/LOOP( 3 , 5)|1", {1, 1, 1}}, // the comma must follow the number
    {"/REPEAT(5)|/REPEAT(5,3)|/REPEAT(1,4,2)", {5, 5, 5, 5, 1, 3, 5, 7}},
    {"/REPEAT()|/REPEAT(3,0)|/REPEAT(3,-1)", {0}},
    {"/REPEAT(1,2,1) trailing)|/UNKNOWN(1)|/(1)|/REPEAT", {1, 2}},
    {"/LOOP(2,5)|{|/LOOP(1,3,1)|}", {1, 2, 3, 6, 7, 8}},
    {"/LOOP(0,5)|{|1,2|}|9", {9}},
    {"/LOOP(-2,5)|1|9", {9}},
    {"/LOOP(3,-1)|5", {5, 4, 3}},
    {"/LOOP(2,3)|-1,0,1", {-1, 0, 1, 2, 0, 4}},
    {"/LOOP(2,1)|/LOOP(5,3)|1", {5, 5, 5, 1, 6, 6, 6, 2}}, // inside a loop: start, count, step
    // Braces.
    {"}|5|{|6", {5, 6}},
    {"/LOOP(2,1)|{ 1,2|3|} 4", {3, 4}},
    {"/LOOP(2,100)|{|{|1|}|2|}", {1, 2, 101, 102}},
    // Settings.
    {"$SET(REPEAT,R)|/R(1,4,1)|/REPEAT(1,4,1)", {1, 2, 3, 4}},
    {"$set(repeat, \"R\")|/r(7)", {7}},
    {"$SET (LOOP,X)|$SET( LOOP,X)|$SET(LOOP X)|/X(2,1)|5", {5}},
    {"$SET(LOOP,)|$SET(LOOP,\" \" \")|$SET(LOOP,X|/LOOP(2,1)|5", {5, 6}},
    {"$SET(LOOP,ABCDEFGHIJKLMNOPQRSTUVWXYZ)|/abcdefghijklmnopqrstuvw(2,1)|5", {5, 6}},
    {"$SET(LOOP,\"\xEB\xB0\x98\xEB\xB3\xB5\")|/\xEB\xB0\x98\xEB\xB3\xB5(2,1)|1", {1, 2}},
    {"$SET(REPEAT,LOOP)|/LOOP(2,1)|1", {1, 2}}, // the loop row is searched first
    {"$SET(REPEAT,X)|$SET(REPEAT,Y)|/Y(3)|/X(4)", {3}},
};

TEST(Pattern, Lines) {
    for (const LineCase& c : LINE_CASES) {
        SCOPED_TRACE(c.lines);
        Pattern_ResetKeywords();
        EXPECT_EQ(Deliver(c.lines), c.numbers);
    }
    Pattern_ResetKeywords();
}

TEST(Pattern, WordsOutliveTheJobButLoopsDoNot) {
    Pattern_ResetKeywords();
    EXPECT_EQ(Deliver("$SET(LOOP,L)|/L(2,1)|5|/LOOP(2,1)|7"), (std::vector<int64_t>{5, 6, 7}));
    EXPECT_STREQ(Pattern_Keywords()[0].text, "L");
    EXPECT_STREQ(Pattern_Keywords()[0].name, "LOOP");
    EXPECT_EQ(Deliver("/L(2,1)|5|/LOOP(2,1)|5"), (std::vector<int64_t>{5, 6, 5}));
    // A job that ends inside a loop leaves it open; the next starts closed.
    Deliver("/L(3,2)|{|1");
    EXPECT_EQ(Pattern_State()->inLoop, 1);
    EXPECT_EQ(Pattern_State()->depth, 1);
    EXPECT_EQ(Deliver("4"), (std::vector<int64_t>{4}));
    EXPECT_EQ(Pattern_State()->count, 1);
    Pattern_ResetKeywords();
    EXPECT_STREQ(Pattern_Keywords()[0].text, "LOOP");
}

TEST(Pattern, AFullMapStopsDelivery) {
    Pattern_ResetKeywords();
    EXPECT_EQ(Deliver("1~5|6", 3), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(Deliver("/LOOP(1000,1)|1,2", 5), (std::vector<int64_t>{1, 2, 2, 3, 3}));
}

} // namespace
