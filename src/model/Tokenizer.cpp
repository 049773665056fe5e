#include "model/Tokenizer.h"

#include <cstdio>
#include <cstdlib>

namespace tavu {

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string_view RecordText(std::string_view line)
{
    const std::size_t dollar = line.find('$');
    return dollar == std::string_view::npos ? line : line.substr(0, dollar);
}

double NumberValue(std::string_view token)
{
    std::size_t i = 0;
    const std::size_t n = token.size();
    while (i < n && (token[i] == ' ' || token[i] == '\t' || token[i] == '\r' || token[i] == '\n'))
        ++i;

    // value = sign * digits * 10^scale, with at most 40 significant digits kept: more
    // cannot change the double.
    bool negative = false;
    if (i < n && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    char digits[48];
    int kept = 0;
    long long scale = 0;
    bool any = false;
    auto take = [&](char c, bool fraction) {
        if (kept == 0 && c == '0') {
            if (fraction)
                --scale;
            return;
        }
        if (kept < 40) {
            digits[kept++] = c;
            if (fraction)
                --scale;
        } else if (!fraction) {
            ++scale;
        }
    };
    while (i < n && IsDigit(token[i])) {
        take(token[i++], false);
        any = true;
    }
    if (i < n && token[i] == '.') {
        if (i + 1 < n && IsDigit(token[i + 1])) {
            ++i;
            while (i < n && IsDigit(token[i]))
                take(token[i++], true);
            any = true;
        } else if (any) {
            ++i; // "5." reads as 5
        }
    }
    if (!any || kept == 0)
        return 0.0;
    if (i < n && (token[i] == 'E' || token[i] == 'e' || token[i] == 'D' || token[i] == 'd')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (token[j] == '+' || token[j] == '-'))
            expNegative = token[j++] == '-';
        long long e = 0;
        while (j < n && IsDigit(token[j])) {
            if (e < 100000)
                e = e * 10 + (token[j] - '0');
            ++j;
        }
        scale += expNegative ? -e : e;
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s%.*se%lld", negative ? "-" : "", kept, digits, scale);
    return std::strtod(buf, nullptr);
}

void SplitFields(std::string_view text, int maxNumbers, int maxWords, Record& rec)
{
    if (maxNumbers > Record::MaxNumbersCapacity)
        maxNumbers = Record::MaxNumbersCapacity;
    if (maxWords > Record::MaxWordsCapacity)
        maxWords = Record::MaxWordsCapacity;
    rec.Number.fill(0.0);
    rec.Word.fill(std::string_view());
    rec.nNumbers = 0;
    rec.nWords = 0;

    std::string_view rest = text;
    for (;;) {
        std::string_view token;
        bool last = false;
        std::size_t p = 0;
        while (p < rest.size() && rest[p] != ' ' && rest[p] != ',')
            ++p;
        if (p < rest.size()) {
            token = TrimBlanks(rest.substr(0, p));
            rest.remove_prefix(p + 1);
            while (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
        } else {
            token = rest;
            last = true;
        }

        if (!token.empty()) {
            const unsigned char first = static_cast<unsigned char>(token.front());
            if (first >= 0x41) {
                if (++rec.nWords > maxWords) {
                    rec.nWords = -1;
                    return;
                }
                rec.Word[static_cast<std::size_t>(rec.nWords)] = token;
            } else if (first >= 0x2D) {
                if (++rec.nNumbers > maxNumbers) {
                    rec.nWords = -1;
                    return;
                }
                rec.Number[static_cast<std::size_t>(rec.nNumbers)] = NumberValue(token);
            }
        }
        if (last)
            return;
    }
}

bool WordIs(std::string_view word, std::string_view upperKeyword)
{
    if (word.size() != upperKeyword.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != upperKeyword[i])
            return false;
    }
    return true;
}

bool StartsWithSubcase(std::string_view line)
{
    return line.size() >= 7 && WordIs(line.substr(0, 7), "SUBCASE");
}

} // namespace tavu
