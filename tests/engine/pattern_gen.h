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
        for (int64_t i = 0, n = In(0, 14); i < n; i++) {
            std::string line = Line();
            if (Chance(5)) line += '\r';
            if (i + 1 < n || Chance(80)) line += '\n';
            if (!line.empty()) lines.push_back(line); // a reader never yields an empty line
        }
        return lines;
    }

    // A loop over a long block of numbers, many of them outside the map
    // until the passes bring them in (or past it), some merging into runs.
    std::vector<std::string> LoopBlock() {
        const int64_t step = In(-12, 12), reach = 15 * (step < 0 ? -step : step);
        std::vector<std::string> lines = {
            "/LOOP(" + std::to_string(In(1, 60)) + "," + std::to_string(step) + ")\n", "{\n"};
        for (int64_t i = 0, n = In(1, 200); i < n; i++) {
            const int64_t v = step > 0 ? In(-reach - 10, 10) : In(-10, reach + 50);
            lines.push_back(std::to_string(v) +
                            (Chance(10) ? "~" + std::to_string(v + In(-3, 3)) : "") + "\n");
        }
        lines.push_back("}\n");
        return lines;
    }

  private:
    std::string Blanks() { return Pick({"", "", "", " ", "  ", "\t", " \t "}); }
    // A number as written: mostly small, sometimes signed, padded or huge.
    std::string Number(int64_t lo, int64_t hi) {
        if (Chance(3))
            return Pick({"2147483647", "-2147483648", "3000000000", "-99999999999", "2147483648",
                         "4294967296"});
        int64_t v = In(lo, hi);
        std::string text = (v >= 0 && Chance(5) ? "+" : "") + std::to_string(v);
        return Chance(3) ? "0" + text : text;
    }
    // Directive words, one of them Korean in UTF-8.
    std::string Word() {
        return Pick({"LOOP", "REPEAT", "loop", "Repeat", "L", "R", "X", "\xEB\xB0\x98\xEB\xB3\xB5",
                     "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "LOOPS", ""});
    }
    std::string Item() {
        int64_t kind = In(0, 9);
        if (kind < 3) return Number(-3, 40);
        if (kind < 5) return Number(-5, 40) + Blanks() + "~" + Blanks() + Number(-5, 40);
        if (kind == 5) return Number(-3, 40) + "(" + Number(-2, 5) + ")";
        if (kind == 6) return Number(-3, 40) + " " + Number(0, 9); // blanks inside vanish
        return Pick({"abc", "~5", "5~", "(3)", "12abc", "1~3(2)", "5/7", "- 5", "+", "#1", "7(",
                     "3(x)", "\t4\t", "0(3)", "-2~1", "9~6", "1 ~ 5", "\"5\""});
    }
    std::string List() {
        std::string line = Blanks();
        for (int64_t i = 0, n = In(0, 5); i < n; i++)
            line += (i == 0 ? "" : Chance(10) ? ",," : ",") + Blanks() + Item() + Blanks();
        return Chance(10) ? line + "," : line;
    }
    // Up to three arguments; the count is the second of three, the first of two (a loop).
    std::string Arguments() {
        std::string text;
        for (int64_t i = 0, n = In(0, 3); i < n; i++) {
            if (i > 0) text += Chance(90) ? "," : " ,";
            if (Chance(20)) text += Blanks();
            bool isCount = (n == 3 && i == 1) || (n == 2 && i == 0);
            text += isCount ? Number(-1, 6) : Number(-25, 40);
        }
        return text;
    }
    std::string Directive() {
        std::string line = "/" + Blanks() + Word() + Blanks() + "(" + Arguments();
        line += Chance(90) ? ")" : "";
        return Chance(10) ? line + Pick({"x", ")", " 1,2"}) : line;
    }
    std::string Setting() {
        std::string line = Chance(85) ? "$SET" : Pick({"$set", "$SET ", "$SETX", "SET"});
        line += "(" + std::string(Pick({"LOOP", "REPEAT", "loop", " LOOP", "REP", ""})) + ",";
        std::string word = Word();
        if (Chance(30)) word = "\"" + word + "\"";
        if (Chance(15)) word = Blanks() + word + Blanks();
        return line + word + (Chance(90) ? ")" : "");
    }
    std::string Line() {
        int64_t kind = In(0, 15);
        if (kind == 0) return "#" + List();
        if (kind == 1) return "  # 1,2";
        if (kind < 4) return Blanks(); // often nothing at all
        if (kind < 6) return Blanks() + "{" + (Chance(20) ? " 1,2" : "");
        if (kind < 8) return Blanks() + "}" + (Chance(20) ? " 3" : "");
        if (kind < 11) return Directive();
        return kind == 11 ? Setting() : List();
    }

    uint64_t state_;
};
