#include "model/Tokenizer.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

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

    // value = sign * digits * 10^scale. A double is decided by its first 768 significant
    // digits; the digits after those only break ties, so one sticky digit stands for them.
    constexpr int MaxDigits = 780;
    bool negative = false;
    if (i < n && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    char digits[MaxDigits + 1];
    int kept = 0;
    bool dropped = false;       // a nonzero digit beyond MaxDigits
    std::uint64_t mantissa = 0; // the first 19 digits
    long long scale = 0;
    bool any = false;
    const auto take = [&](char c, bool fraction) {
        if (kept == 0 && c == '0') {
            if (fraction)
                --scale;
            return;
        }
        if (kept < MaxDigits) {
            digits[kept++] = c;
            if (kept <= 19)
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            if (fraction)
                --scale;
        } else {
            dropped = dropped || c != '0';
            if (!fraction)
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

    // Most numbers of a model: at most 15 or so digits and a small exponent. Both factors
    // are exact doubles, so the one rounding of the product or quotient is the right one.
    static constexpr double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double value;
    if (kept <= 19 && mantissa <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        const double m = static_cast<double>(mantissa);
        value = scale < 0 ? m / exact[-scale] : m * exact[scale];
    } else {
        char buf[MaxDigits + 32];
        std::memcpy(buf, digits, static_cast<std::size_t>(kept));
        std::size_t len = static_cast<std::size_t>(kept);
        if (dropped) {
            buf[len++] = '1';
            --scale;
        }
        buf[len++] = 'e';
        len = static_cast<std::size_t>(std::to_chars(buf + len, buf + sizeof buf, scale).ptr - buf);
        const std::from_chars_result r = std::from_chars(buf, buf + len, value);
        if (r.ec == std::errc::result_out_of_range)
            value = kept + scale > 0 ? HUGE_VAL : 0.0; // beyond the largest, below the least
        else if (r.ec != std::errc())
            value = 0.0;
    }
    return negative ? -value : value;
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
