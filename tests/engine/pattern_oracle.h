// The reference the engine is compared with: a plain, literal tile map job.
// Numbers are formatted into text lists as " %lld," and read back with the
// tokenizer one at a time, ranges and repeats are counted out, a loop is
// flushed pass by pass and the map is filled one number at a time. Sums are
// exact 64-bit values; a number outside 0..inputs is out of range for the
// map. Small patterns only: once a job has made more numbers than its budget
// the oracle gives up (overBudget) and its answer means nothing. It also
// names the lines each map entry came from: the line that made the number,
// or for a loop's numbers the loop's first and last lines, and the lines where
// the job passes text over in silence or fails (passedOver), for the check.
#pragma once
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "textlib/strbuf.h"

class PatternOracle {
  public:
    explicit PatternOracle(int64_t budget) : budget_(budget) {}
    ~PatternOracle() {
        for (StrBuf* b : {line_, token_, item_, direct_, body_})
            StrBuf_Free(b);
    }
    PatternOracle(const PatternOracle&) = delete;
    PatternOracle& operator=(const PatternOracle&) = delete;

    // Keyword texts stay from job to job, as in the engine, until this.
    void ResetKeywords() { texts_[0] = "LOOP", texts_[1] = "REPEAT"; }
    const std::string& KeywordText(int row) const { return texts_[row]; }

    // Runs one job over lines (each as the reader yields it, with its LF).
    // Returns the count of numbers the map took; *map receives the map bytes.
    int64_t Run(const std::vector<std::string>& lines, int32_t inputs, int32_t outputs,
                int32_t method, std::vector<uint8_t>* map) {
        overBudget = false;
        made_ = filled_ = 0;
        inputs_ = inputs;
        outputs_ = outputs;
        inverse_ = method == 1;
        map_ = map;
        map->assign(static_cast<size_t>(inverse_ ? inputs : outputs), 0);
        origins.assign(map->size(), {0, 0});
        directOrigins_.clear();
        passedOver.clear();
        lineNumber_ = 0;
        CloseLoop();
        StrBuf_AssignStr(direct_, "");
        for (const std::string& text : lines) {
            if (filled_ >= outputs_ || overBudget) break;
            lineNumber_++;
            StrBuf_AssignStr(line_, "");
            StrBuf_Insert(line_, -1, text.data(), static_cast<uint32_t>(text.size()));
            Line();
            // The job reads no further than where the map fills: of the line it
            // fills on, nothing is said.
            if (filled_ >= outputs_) passedOver.erase(lineNumber_);
        }
        if (filled_ >= outputs_) { // the first line after that says anything is never read
            for (size_t k = static_cast<size_t>(lineNumber_); k < lines.size(); k++)
                if (lines[k][0] != '#' &&
                    lines[k].find_first_not_of(" \t\r\n") != std::string::npos) {
                    passedOver.insert(static_cast<int32_t>(k + 1));
                    break;
                }
        } else if (inLoop_) {
            passedOver.insert(loopLine_); // its numbers are dropped
        }
        if (filled_ == 0) passedOver.insert(1); // the job fails
        return filled_;
    }

    // Lines where the job passes text over without a word, or fails.
    std::set<int32_t> passedOver;

    bool overBudget = false;
    std::vector<std::pair<int32_t, int32_t>> origins; // per map entry; 0, 0: none

  private:
    static bool Same(std::string a, std::string b) { // ignoring the case of ASCII letters
        for (std::string* s : {&a, &b})
            for (char& c : *s)
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        return a == b;
    }
    static int64_t Clamp(int64_t v) {
        return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v;
    }
    bool EndsWith(char c) const { return line_->length > 0 && line_->data[line_->length - 1] == c; }
    StrBuf* Target() { return inLoop_ ? body_ : direct_; }

    // Appends count numbers start, start + step, ... to a list as text.
    void Put(StrBuf* list, int64_t start, int64_t count = 1, int64_t step = 0) {
        if (count > budget_ - made_) {
            overBudget = true;
            return;
        }
        if (list == direct_ && count > 0)
            directOrigins_.insert(directOrigins_.end(), static_cast<size_t>(count),
                                  inLoop_ ? std::make_pair(loopLine_, lineNumber_)
                                          : std::make_pair(lineNumber_, lineNumber_));
        for (int64_t i = 0; i < count; i++, made_++) {
            char text[64];
            snprintf(text, sizeof text, " %" PRId64 ",", start + i * step);
            StrBuf_InsertStr(list, -1, text);
        }
    }

    // Walks a list: every item that reads as a number, in order, until f says stop.
    template <typename F> void Walk(StrBuf* list, F f) {
        std::string copy = StrBuf_Data(list);
        StrTok tok;
        StrTok_Start(&tok, copy.c_str());
        while (!overBudget && StrTok_Next(item_, &tok, ',', 1)) {
            StrBuf_Trim(item_);
            int64_t v;
            if (item_->length > 0 && sscanf(item_->data, "%" SCNd64, &v) == 1 && !f(v)) break;
        }
    }

    // The map filler; returns false once the map is full.
    bool Take(int64_t v, std::pair<int32_t, int32_t> origin) {
        if (!inverse_) {
            origins[static_cast<size_t>(filled_)] = origin;
            (*map_)[static_cast<size_t>(filled_++)] =
                static_cast<uint8_t>(v < 0 || v > inputs_ ? 0 : v);
        } else if (v >= 0 && v <= inputs_) {
            filled_++;
            if (v >= 1) (*map_)[static_cast<size_t>(v - 1)] = static_cast<uint8_t>(filled_);
            if (v >= 1) origins[static_cast<size_t>(v - 1)] = origin;
        }
        return filled_ < outputs_;
    }

    void CloseLoop() {
        StrBuf_AssignStr(body_, "");
        inLoop_ = depth_ = 0;
        base_ = step_ = 0;
        count_ = 1;
    }

    void EndOfLine() {
        if (inLoop_) {
            if (depth_ > 0) return;
            for (int64_t pass = 0; body_->length > 0 && pass < count_ && !overBudget; pass++) {
                Walk(body_, [&](int64_t n) {
                    Put(direct_, n == 0 ? 0 : n + base_);
                    return true;
                });
                base_ += step_;
            }
            CloseLoop();
        }
        size_t k = 0;
        if (filled_ < outputs_)
            Walk(direct_, [&](int64_t v) { return Take(v, directOrigins_[k++]); });
        StrBuf_AssignStr(direct_, "");
        directOrigins_.clear();
    }

    void PassOver() { passedOver.insert(lineNumber_); }
    static bool Blank(const char* text) { // as isspace sees it
        for (; *text; text++)
            if (!strchr(" \t\n\v\f\r", *text)) return false;
        return true;
    }

    void Directive() {
        if (!EndsWith(')')) return PassOver();
        std::string rest = line_->data + 1;
        StrTok tok;
        StrTok_Start(&tok, rest.c_str());
        if (!StrTok_Next(token_, &tok, '(', 1)) return PassOver();
        bool repeat = false, done = false;
        for (int row = 0; row < 2 && !done; row++) {
            StrBuf_Trim(token_);
            if (!Same(token_->data, texts_[row])) continue;
            if (!StrTok_Next(token_, &tok, ')', 1)) continue;
            // A loop line outside a loop opens one: count, step. Otherwise a
            // repeat, or a loop line inside a loop: start, count, step.
            bool opens = row == 0 && !inLoop_;
            int64_t v[3] = {opens ? 1 : 0, opens ? 0 : 1, 0};
            int end[3] = {-1, -1, -1}; // where each value read ends
            sscanf(token_->data, "%" SCNd64 "%n,%" SCNd64 "%n,%" SCNd64 "%n", &v[0], &end[0], &v[1],
                   &end[1], &v[2], &end[2]);
            int used = 0; // what the directive reads of the arguments
            for (int k = 0; k < (opens ? 2 : 3); k++)
                used = end[k] >= 0 ? end[k] : used;
            if (!Blank(token_->data + used) || !Blank(tok.cursor)) PassOver();
            if (opens) {
                inLoop_ = 1;
                loopLine_ = lineNumber_;
                count_ = Clamp(v[0]);
                step_ = Clamp(v[1]);
                if (count_ <= 0) PassOver(); // the body makes no pass
            } else {
                repeat = row == 1;
                Put(Target(), Clamp(v[0]), Clamp(v[1]), Clamp(v[2]));
            }
            done = true;
        }
        if (!done) PassOver();
        if (repeat) EndOfLine();
    }

    void Setting() {
        if (!EndsWith(')')) return PassOver();
        std::string text = line_->data;
        StrTok tok;
        StrTok_Start(&tok, text.c_str());
        if (!StrTok_Next(token_, &tok, '(', 1) || !Same(token_->data, "$SET")) return PassOver();
        if (!StrTok_Next(token_, &tok, ',', 1)) return PassOver();
        static const char* const names[2] = {"LOOP", "REPEAT"};
        for (int row = 0; row < 2; row++) {
            if (!Same(token_->data, names[row])) continue;
            if (!StrTok_Next(token_, &tok, ')', 1)) continue;
            StrBuf_RemoveChar(token_, '"');
            StrBuf_Trim(token_);
            if (token_->length > 0) texts_[row] = std::string(token_->data).substr(0, 23);
            // Nothing set, the word cut short, text after the ')'.
            if (token_->length == 0 || token_->length > 23 || !Blank(tok.cursor)) PassOver();
            return;
        }
        PassOver();
    }

    void List() {
        StrTok tok;
        StrTok_Start(&tok, line_->data);
        while (!overBudget && StrTok_Next(token_, &tok, ',', 1)) {
            StrBuf_Trim(token_);
            StrBuf_RemoveChar(token_, ' ');
            int64_t a, b;
            int end = -1; // where the form read ends
            if (sscanf(token_->data, "%" SCNd64 "~%" SCNd64 "%n", &a, &b, &end) == 2) {
                a = Clamp(a), b = Clamp(b);
                Put(Target(), a, a < b ? b - a + 1 : a - b + 1, a < b ? 1 : -1);
            } else if (sscanf(token_->data, "%" SCNd64 "(%" SCNd64 "%n", &a, &b, &end) == 2) {
                end += token_->data[end] == ')';
                Put(Target(), Clamp(a), Clamp(b));
            } else if (sscanf(token_->data, "%" SCNd64 "%n", &a, &end) == 1) {
                Put(Target(), Clamp(a));
            }
            if (token_->length > 0 && (end < 0 || !Blank(token_->data + end))) PassOver();
        }
        EndOfLine();
    }

    void Line() {
        if (EndsWith('\r') || EndsWith('\n')) line_->data[--line_->length] = 0;
        if (line_->data[0] == '#') return;
        // Nothing after a NUL is read.
        if (memchr(line_->data, 0, static_cast<size_t>(line_->length))) PassOver();
        StrBuf_Trim(line_);
        switch (line_->data[0]) {
        case '/': Directive(); break;
        case '{':
            if (!inLoop_ || !Blank(line_->data + 1)) PassOver();
            depth_ += inLoop_;
            break;
        case '}':
            if (depth_ == 0 || !Blank(line_->data + 1)) PassOver();
            if (depth_ > 0) depth_--;
            EndOfLine();
            break;
        case '$': Setting(); break;
        default: List(); break;
        }
    }

    int64_t budget_, made_ = 0;
    StrBuf *line_ = StrBuf_New(), *token_ = StrBuf_New(), *item_ = StrBuf_New();
    StrBuf *direct_ = StrBuf_New(), *body_ = StrBuf_New();
    std::string texts_[2] = {"LOOP", "REPEAT"};
    int64_t inputs_ = 0, outputs_ = 0, filled_ = 0;
    bool inverse_ = false;
    std::vector<uint8_t>* map_ = nullptr;
    int64_t base_ = 0, step_ = 0, count_ = 1;
    int inLoop_ = 0, depth_ = 0;
    int32_t lineNumber_ = 0, loopLine_ = 0;
    std::vector<std::pair<int32_t, int32_t>> directOrigins_; // one per number in direct_
};
