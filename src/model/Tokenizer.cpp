#include "model/Tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

namespace tavu {

namespace {

// A tab separates fields as a blank does.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsExponentLetter(char c)
{
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Whether the digits of a number, up to its exponent, are not all zero.
bool HasNonzeroDigit(std::string_view number)
{
    return number.substr(0, number.find_first_of("EeDd")).find_first_of("123456789") !=
           std::string_view::npos;
}

// For a number out of the range of a double: whether it lies beyond the largest rather
// than below the least. The number has no sign and a nonzero digit. Exponents of six
// digits or more count as about 100000, as good as infinite.
bool BeyondTheLargest(std::string_view number)
{
    // The number is 0.d1d2... times ten to the power magnitude, d1 its first nonzero digit.
    const std::size_t letter = std::min(number.find_first_of("EeDd"), number.size());
    const std::string_view digits = number.substr(0, letter);
    const long long point = static_cast<long long>(std::min(digits.find('.'), digits.size()));
    const long long first = static_cast<long long>(digits.find_first_not_of("0."));
    long long magnitude = first < point ? point - first : point - first + 1;

    long long e = 0;
    bool expNegative = false;
    std::size_t j = letter + 1;
    if (j < number.size() && (number[j] == '+' || number[j] == '-'))
        expNegative = number[j++] == '-';
    for (; j < number.size(); ++j) {
        if (e < 100000)
            e = e * 10 + (number[j] - '0');
    }
    magnitude += expNegative ? -e : e;
    return magnitude > 0;
}

} // namespace

std::string_view RecordText(std::string_view line)
{
    const std::size_t dollar = line.find('$');
    const std::string_view text = dollar == std::string_view::npos ? line : line.substr(0, dollar);
    return TrimBlanks(text).empty() ? std::string_view() : text;
}

double NumberValue(std::string_view token)
{
    return ReadNumber(token).value;
}

NumberRead ReadNumber(std::string_view token)
{
    const char* const begin = token.data();
    const char* p = begin;
    const char* const last = p + token.size();
    const auto read = [begin](double value, const char* end) {
        return NumberRead{value, static_cast<std::size_t>(end - begin)};
    };
    while (p != last && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'))
        ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    // A number starts with a digit or a point ("-+1", "-inf" and "nan" have no value).
    if (p == last || !(IsDigit(*p) || *p == '.'))
        return {};

    // A whole number (ids, counts and most coordinates) up to 2^53 converts exactly from
    // its integer value; zero reads as +0 whatever its sign.
    std::uint64_t whole = 0;
    const std::from_chars_result w = std::from_chars(p, last, whole);
    if (w.ec == std::errc() && whole <= std::uint64_t{1} << 53 &&
        (w.ptr == last || !(*w.ptr == '.' || IsExponentLetter(*w.ptr)))) {
        const double value = static_cast<double>(whole);
        return read(negative && whole != 0 ? -value : value, w.ptr);
    }

    // Any other number is converted by the library, correctly rounded, and so is the
    // longest leading number in the form digits, point, digits, exponent with E or e;
    // ".", "5." and "1e+" read as this format wants (0, 5 and 1).
    double value = 0.0;
    std::from_chars_result r = std::from_chars(p, last, value);
    if (r.ec == std::errc::invalid_argument)
        return {};
    // An exponent with D or d: the number is read again from a copy with an e.
    const char* letter = r.ptr;
    if (letter != last && (*letter == 'D' || *letter == 'd')) {
        const char* end = letter + 1;
        if (end != last && (*end == '+' || *end == '-'))
            ++end;
        if (end != last && IsDigit(*end)) {
            while (end != last && IsDigit(*end))
                ++end;
            const std::size_t size = static_cast<std::size_t>(end - p);
            char buffer[64];
            std::string longer;
            char* copy = buffer;
            if (size > sizeof buffer) {
                longer.resize(size);
                copy = longer.data();
            }
            std::memcpy(copy, p, size);
            copy[letter - p] = 'e';
            r = std::from_chars(copy, copy + size, value);
            r.ptr = p + (r.ptr - copy);
        }
    }

    const std::string_view number(p, static_cast<std::size_t>(r.ptr - p));
    if (r.ec == std::errc::result_out_of_range)
        value = BeyondTheLargest(number) ? HUGE_VAL : 0.0;
    else if (value == 0.0 && !HasNonzeroDigit(number))
        return read(0.0, r.ptr); // zero reads as +0 whatever its sign
    return read(negative ? -value : value, r.ptr);
}

FieldKind KindOfField(std::string_view field)
{
    const unsigned char first = field.empty() ? 0 : static_cast<unsigned char>(field.front());
    if (first >= 0x41)
        return FieldKind::Word;
    if (first >= 0x2D)
        return FieldKind::Number;
    return FieldKind::Ignored;
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
    rec.hasTab = text.find('\t') != std::string_view::npos;
    rec.nOddNumbers = 0;

    ForEachField(text, [&](std::string_view field, std::size_t) {
        switch (KindOfField(field)) {
        case FieldKind::Word:
            if (++rec.nWords > maxWords) {
                rec.nWords = -1;
                return false;
            }
            rec.Word[static_cast<std::size_t>(rec.nWords)] = field;
            break;
        case FieldKind::Number: {
            if (++rec.nNumbers > maxNumbers) {
                rec.nWords = -1;
                return false;
            }
            const NumberRead n = ReadNumber(field);
            rec.Number[static_cast<std::size_t>(rec.nNumbers)] = n.value;
            if (n.length < field.size() && rec.nOddNumbers < Record::MaxNumbersCapacity)
                rec.OddNumber[static_cast<std::size_t>(rec.nOddNumbers++)] = field;
            break;
        }
        case FieldKind::Ignored:
            break;
        }
        return true;
    });
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
