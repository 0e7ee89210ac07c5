// Random pattern texts drawn from the pattern language's grammar, for the
// comparison of the engine with its reference: comments, number lists with
// ranges, repeats, blanks and junk, directives under their own or renamed
// words, braces and "$SET" lines. Numbers stay small so that the reference
// can count them out, with a few huge ones where they cannot multiply.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class PatternGen {
  public:
    explicit PatternGen(uint64_t seed) : state_(seed) {}

    uint64_t Next() { // splitmix64: the same sequence on every platform
        uint64_t z = (state_ += UINT64_C(0x9E3779B97F4A7C15));
        z = (z ^ (z >> 30)) * UINT64_C(0xBF58476D1CE4E5B9);
        z = (z ^ (z >> 27)) * UINT64_C(0x94D049BB133111EB);
        return z ^ (z >> 31);
    }
    // A number in lo..hi.
    int64_t In(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }
    bool Chance(int percent) { return In(1, 100) <= percent; }
    template <typename T, size_t N> const T& Pick(const T (&items)[N]) { return items[Next() % N]; }

    // A pattern of a few lines, each ending in LF (the last sometimes not).
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        int64_t n = In(0, 14);
        for (int64_t i = 0; i < n; i++) {
            std::string line = Line();
            if (Chance(5)) line += '\r';
            if (i + 1 < n || Chance(80)) line += '\n';
            if (line.empty()) continue; // a reader never yields an empty line
            lines.push_back(line);
        }
        return lines;
    }

  private:
    std::string Blanks() {
        static const char* const kinds[] = {"", "", "", " ", "  ", "\t", " \t "};
        return Pick(kinds);
    }
    // A number as written: mostly small, sometimes signed, padded or huge.
    std::string Number(int64_t lo, int64_t hi) {
        if (Chance(3)) {
            static const char* const huge[] = {"2147483647",   "-2147483648", "3000000000",
                                               "-99999999999", "2147483648",  "4294967296"};
            return Pick(huge);
        }
        int64_t v = In(lo, hi);
        std::string text = std::to_string(v);
        if (v >= 0 && Chance(5)) text = "+" + text;
        if (Chance(3)) text = "0" + text;
        return text;
    }
    std::string Word() {
        static const char* const words[] = {"LOOP",
                                            "REPEAT",
                                            "loop",
                                            "Repeat",
                                            "L",
                                            "R",
                                            "X",
                                            "\xEB\xB0\x98\xEB\xB3\xB5", // a Korean word, UTF-8
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                            "LOOPS",
                                            ""};
        return Pick(words);
    }
    std::string Item() {
        switch (In(0, 9)) {
        case 0:
        case 1:
        case 2: return Number(-3, 40);
        case 3:
        case 4: return Number(-5, 40) + Blanks() + "~" + Blanks() + Number(-5, 40);
        case 5: return Number(-3, 40) + "(" + Number(-2, 5) + ")";
        case 6: return Number(-3, 40) + " " + Number(0, 9); // blanks inside vanish
        default: {
            static const char* const junk[] = {"abc",   "~5",   "5~",   "(3)", "12abc", "1~3(2)",
                                               "5/7",   "- 5",  "+",    "#1",  "7(",    "3(x)",
                                               "\t4\t", "0(3)", "-2~1", "9~6", "1 ~ 5", "\"5\""};
            return Pick(junk);
        }
        }
    }
    std::string List() {
        std::string line = Blanks();
        int64_t n = In(0, 5);
        for (int64_t i = 0; i < n; i++) {
            if (i > 0) line += Chance(10) ? ",," : ",";
            line += Blanks() + Item() + Blanks();
        }
        if (Chance(10)) line += ",";
        return line;
    }
    std::string Arguments(int64_t countHi) {
        std::string text;
        int64_t n = In(0, 3);
        for (int64_t i = 0; i < n; i++) {
            if (i > 0) text += Chance(90) ? "," : " ,";
            if (Chance(20)) text += Blanks();
            // Second argument of three is a count; of two (a loop) the first.
            bool isCount = (n == 3 && i == 1) || (n == 2 && i == 0);
            text += isCount ? Number(-1, countHi) : Number(-25, 40);
        }
        return text;
    }
    std::string Directive() {
        std::string line = "/" + Blanks() + Word() + Blanks() + "(" + Arguments(6);
        if (Chance(90)) line += ")";
        if (Chance(10)) line += Pick({"x", ")", " 1,2"});
        return line;
    }
    std::string Setting() {
        static const char* const rows[] = {"LOOP", "REPEAT", "loop", " LOOP", "REP", ""};
        std::string line = Chance(85) ? "$SET" : Pick({"$set", "$SET ", "$SETX", "SET"});
        line += "(";
        line += Pick(rows);
        line += ",";
        std::string word = Word();
        if (Chance(30)) word = "\"" + word + "\"";
        if (Chance(15)) word = Blanks() + word + Blanks();
        line += word;
        if (Chance(90)) line += ")";
        return line;
    }
    std::string Line() {
        switch (In(0, 15)) {
        case 0: return "#" + List();
        case 1: return "  # 1,2";
        case 2: return "";
        case 3: return Blanks();
        case 4:
        case 5: return Blanks() + "{" + (Chance(20) ? " 1,2" : "");
        case 6:
        case 7: return Blanks() + "}" + (Chance(20) ? " 3" : "");
        case 8:
        case 9:
        case 10: return Directive();
        case 11: return Setting();
        default: return List();
        }
    }

    uint64_t state_;
};
