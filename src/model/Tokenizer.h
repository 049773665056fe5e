#pragma once
// Turns one line of the model text into a record: the comment is cut off, the rest is
// split into word fields and number fields, counted separately. Blanks, tabs and commas
// separate the fields.

#include <array>
#include <cstddef>
#include <string_view>

namespace tavu {

struct Record
{
    static constexpr int MaxNumbersCapacity = 20;
    static constexpr int MaxWordsCapacity = 2;

    // Slots 1..maxNumbers and 1..maxWords; a field the line does not give reads 0 / "".
    std::array<double, MaxNumbersCapacity + 1> Number{};
    std::array<std::string_view, MaxWordsCapacity + 1> Word{};
    int nNumbers = 0;
    int nWords = 0; // -1 when the line holds more fields than the capacities

    // What the line says that the fields do not show: a tab among the fields, and number
    // tokens with characters after their number ("1O", "12abc"), in the order of the line.
    bool hasTab = false;
    std::array<std::string_view, MaxNumbersCapacity> OddNumber{};
    int nOddNumbers = 0;

    double N(int i) const { return i >= 1 && i <= MaxNumbersCapacity ? Number[i] : 0.0; }
};

// The record text of a line: the part before the first "$". Empty means: skip the line;
// so does a record text of blanks and tabs alone.
std::string_view RecordText(std::string_view line);

// A field of a record text by its first byte: from 'A' (0x41) up a word, from '-' to '@'
// (0x2D..0x40) a number; a field that starts below '-' (a tab, '+', '#', ...) is ignored.
enum class FieldKind
{
    Word,
    Number,
    Ignored,
};
FieldKind KindOfField(std::string_view field);

// Calls visit(field, offset) for each field of text, left to right: the runs of characters
// between blanks, tabs and commas (empty runs are no fields); offset counts from the start of
// text. Stops early when visit returns false.
template <class Visit> void ForEachField(std::string_view text, Visit&& visit)
{
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',')
            ++end;
        if (end > at && !visit(text.substr(at, end - at), at))
            return;
        at = end + 1;
    }
}

// Splits text into rec (which views into text, so text must outlive rec).
void SplitFields(std::string_view text, int maxNumbers, int maxWords, Record& rec);

// The numeric value of a number token: its longest leading part that reads as a number
// (sign, digits, point, exponent with E, e, D or d); 0 when there is none.
double NumberValue(std::string_view token);

// The same, with the length of the part read: a token with characters after its number
// has length < token.size().
struct NumberRead
{
    double value = 0;
    std::size_t length = 0;
};
NumberRead ReadNumber(std::string_view token);

// Case-insensitive comparison of a word with an upper-case keyword.
bool WordIs(std::string_view word, std::string_view upperKeyword);

// True when the first seven characters of the line, upper-cased, are "SUBCASE".
bool StartsWithSubcase(std::string_view line);

} // namespace tavu
