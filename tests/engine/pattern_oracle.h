// The reference the engine is compared with: a plain, literal tile map job.
// Numbers are formatted into text lists as " %lld," and read back with the
// tokenizer one at a time, ranges and repeats are counted out, a loop is
// flushed pass by pass and the map is filled one number at a time. Sums are
// exact 64-bit values; a number outside 0..inputs is out of range for the
// map. Small patterns only: once a job has made more numbers than its budget
// the oracle gives up (overBudget) and its answer means nothing.
#pragma once
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "textlib/strbuf.h"

class PatternOracle {
  public:
    explicit PatternOracle(int64_t budget) : budget_(budget) {
        line_ = StrBuf_New();
        token_ = StrBuf_New();
        item_ = StrBuf_New();
        direct_ = StrBuf_New();
        body_ = StrBuf_New();
        ResetKeywords();
    }
    ~PatternOracle() {
        for (StrBuf* b : {line_, token_, item_, direct_, body_})
            StrBuf_Free(b);
    }
    PatternOracle(const PatternOracle&) = delete;
    PatternOracle& operator=(const PatternOracle&) = delete;

    // Keyword texts stay from job to job, as in the engine, until this.
    void ResetKeywords() {
        SetKeyword(0, "LOOP", "LOOP", 1);
        SetKeyword(1, "REPEAT", "REPEAT", 2);
    }
    const char* KeywordText(int row) const { return keywords_[row].text; }

    // Runs one job over lines (each as the reader yields it, with its LF).
    // Returns the count of numbers the map took; *map receives the map bytes.
    int64_t Run(const std::vector<std::string>& lines, int32_t inputs, int32_t outputs,
                int32_t method, std::vector<uint8_t>* map) {
        overBudget = false;
        made_ = 0;
        inputs_ = inputs;
        outputs_ = outputs;
        inverse_ = method == 1;
        int64_t count = inverse_ ? inputs : outputs;
        words_.assign(static_cast<size_t>(count) + 1, 0);
        words_[0] = count;
        filled_ = 0;
        rowCount_ = 2;
        inLoop_ = 0;
        depth_ = 0;
        base_ = 0;
        step_ = 0;
        count_ = 1;
        StrBuf_AssignStr(direct_, "");
        StrBuf_AssignStr(body_, "");
        for (const std::string& text : lines) {
            if (filled_ >= outputs_ || overBudget) break;
            StrBuf_AssignStr(line_, "");
            StrBuf_Insert(line_, -1, text.data(), static_cast<uint32_t>(text.size()));
            Line();
        }
        map->clear();
        for (int64_t i = 0; i < count; i++)
            map->push_back(static_cast<uint8_t>(words_[static_cast<size_t>(i) + 1]));
        return filled_;
    }

    bool overBudget = false;

  private:
    struct Keyword {
        char name[8];
        char text[24];
        int kind;
    };

    void SetKeyword(int row, const char* name, const char* text, int kind) {
        snprintf(keywords_[row].name, sizeof keywords_[row].name, "%s", name);
        snprintf(keywords_[row].text, sizeof keywords_[row].text, "%s", text);
        keywords_[row].kind = kind;
    }

    static bool Same(const char* a, const char* b) {
        for (;; a++, b++) {
            int x = (*a >= 'a' && *a <= 'z') ? *a - 32 : *a;
            int y = (*b >= 'a' && *b <= 'z') ? *b - 32 : *b;
            if (x != y) return false;
            if (!x) return true;
        }
    }

    static int64_t Clamp(int64_t v) {
        return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v;
    }

    // Appends one number to a list as text.
    void Put(StrBuf* list, int64_t v) {
        if (++made_ > budget_) {
            overBudget = true;
            return;
        }
        char text[64];
        snprintf(text, sizeof text, " %" PRId64 ",", v);
        StrBuf_InsertStr(list, -1, text);
    }
    // Appends count numbers start, start + step, ...
    void PutRun(StrBuf* list, int64_t start, int64_t count, int64_t step) {
        if (count > budget_ - made_) {
            overBudget = true;
            return;
        }
        for (int64_t i = 0; i < count; i++)
            Put(list, start + i * step);
    }
    StrBuf* Target() { return inLoop_ ? body_ : direct_; }

    // Walks a list: every item that reads as a number, in order.
    template <typename F> void Walk(StrBuf* list, F f) {
        std::string copy = StrBuf_Data(list);
        StrTok tok;
        StrTok_Start(&tok, copy.c_str());
        while (!overBudget && StrTok_Next(item_, &tok, ',', 1)) {
            StrBuf_Trim(item_);
            if (item_->length == 0) continue;
            int64_t v;
            if (sscanf(item_->data, "%" SCNd64, &v) == 1 && !f(v)) break;
        }
    }

    // The map filler; returns false once the map is full.
    bool Take(int64_t v) {
        if (!inverse_) {
            if (v < 0 || v > inputs_) v = 0;
            words_[static_cast<size_t>(filled_) + 1] = v;
            filled_++;
        } else if (v >= 0 && v <= inputs_) {
            filled_++;
            if (v >= 1) words_[static_cast<size_t>(v)] = filled_;
        }
        return filled_ < outputs_;
    }

    void EndOfLine() {
        if (inLoop_) {
            if (depth_ > 0) return;
            if (body_->length > 0) {
                for (int64_t pass = 0; pass < count_ && !overBudget; pass++) {
                    Walk(body_, [&](int64_t n) {
                        Put(direct_, n == 0 ? 0 : n + base_);
                        return true;
                    });
                    base_ += step_;
                }
            }
            StrBuf_AssignStr(body_, "");
            inLoop_ = 0;
            depth_ = 0;
            base_ = 0;
            step_ = 0;
            count_ = 1;
        }
        if (filled_ < outputs_) Walk(direct_, [&](int64_t v) { return Take(v); });
        StrBuf_AssignStr(direct_, "");
    }

    void Directive() {
        if (line_->length == 0 || line_->data[line_->length - 1] != ')') return;
        std::string rest = line_->data + 1;
        StrTok tok;
        StrTok_Start(&tok, rest.c_str());
        if (!StrTok_Next(token_, &tok, '(', 1)) return;
        for (int row = 0; row < rowCount_; row++) {
            lastKind_ = 0;
            StrBuf_Trim(token_);
            if (!Same(token_->data, keywords_[row].text)) continue;
            if (!StrTok_Next(token_, &tok, ')', 1)) continue;
            int64_t start = 0, step = 0, count = 1, a = 0, b = 0, c = 0;
            if (keywords_[row].kind == 1) {
                if (!inLoop_) {
                    int n = sscanf(token_->data, "%" SCNd64 ",%" SCNd64, &a, &b);
                    if (n >= 1) count = Clamp(a);
                    if (n >= 2) step = Clamp(b);
                    inLoop_ = 1;
                    base_ = 0;
                    step_ = step;
                    count_ = count;
                } else {
                    int n = sscanf(token_->data, "%" SCNd64 ",%" SCNd64 ",%" SCNd64, &a, &b, &c);
                    if (n >= 1) start = Clamp(a);
                    if (n >= 2) count = Clamp(b);
                    if (n >= 3) step = Clamp(c);
                    PutRun(body_, start, count, step);
                }
            } else {
                int n = sscanf(token_->data, "%" SCNd64 ",%" SCNd64 ",%" SCNd64, &a, &b, &c);
                if (n >= 1) start = Clamp(a);
                if (n >= 2) count = Clamp(b);
                if (n >= 3) step = Clamp(c);
                lastKind_ = 2;
                PutRun(Target(), start, count, step);
            }
            break;
        }
        if (lastKind_ == 2) EndOfLine();
    }

    void Setting() {
        if (line_->length == 0 || line_->data[line_->length - 1] != ')') return;
        std::string text = line_->data;
        StrTok tok;
        StrTok_Start(&tok, text.c_str());
        if (!StrTok_Next(token_, &tok, '(', 1) || !Same(token_->data, "$SET")) return;
        if (!StrTok_Next(token_, &tok, ',', 1)) return;
        for (int row = 0; row < rowCount_; row++) {
            if (!Same(token_->data, keywords_[row].name)) continue;
            if (!StrTok_Next(token_, &tok, ')', 1)) continue;
            StrBuf_RemoveChar(token_, '"');
            StrBuf_Trim(token_);
            if (token_->length > 0) snprintf(keywords_[row].text, 24, "%s", token_->data);
            break;
        }
    }

    void List() {
        if (line_->length > 0) {
            StrTok tok;
            StrTok_Start(&tok, line_->data);
            while (!overBudget && StrTok_Next(token_, &tok, ',', 1)) {
                StrBuf_Trim(token_);
                if (token_->length == 0) continue;
                StrBuf_RemoveChar(token_, ' ');
                int64_t a, b;
                if (sscanf(token_->data, "%" SCNd64 "~%" SCNd64, &a, &b) == 2) {
                    a = Clamp(a);
                    b = Clamp(b);
                    if (a < b)
                        PutRun(Target(), a, b - a + 1, 1);
                    else
                        PutRun(Target(), a, a - b + 1, -1);
                } else if (sscanf(token_->data, "%" SCNd64 "(%" SCNd64 ")", &a, &b) == 2) {
                    PutRun(Target(), Clamp(a), Clamp(b), 0);
                } else if (sscanf(token_->data, "%" SCNd64, &a) == 1) {
                    Put(Target(), Clamp(a));
                }
            }
        }
        EndOfLine();
    }

    void Line() {
        if (line_->length > 0) {
            char last = line_->data[line_->length - 1];
            if (last == '\r' || last == '\n') line_->data[--line_->length] = 0;
        }
        if (line_->data[0] == '#') return;
        StrBuf_Trim(line_);
        switch (line_->data[0]) {
        case '/': Directive(); break;
        case '{':
            if (inLoop_) depth_++;
            break;
        case '}':
            if (depth_ > 0) depth_--;
            EndOfLine();
            break;
        case '$': Setting(); break;
        default: List(); break;
        }
    }

    int64_t budget_;
    int64_t made_ = 0;
    StrBuf *line_, *token_, *item_, *direct_, *body_;
    Keyword keywords_[2];
    int rowCount_ = 2;
    int64_t inputs_ = 0, outputs_ = 0;
    bool inverse_ = false;
    std::vector<int64_t> words_;
    int64_t filled_ = 0;
    int64_t base_ = 0, step_ = 0, count_ = 1;
    int inLoop_ = 0, depth_ = 0, lastKind_ = 0;
};
