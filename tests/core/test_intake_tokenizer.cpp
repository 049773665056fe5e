#include "model/Keywords.h"
#include "model/Tokenizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tavu {
namespace {

struct SplitCase
{
    const char* line; // the whole line; the record text is cut at "$"
    int maxNumbers;
    std::vector<std::string> words;
    std::vector<double> numbers;
    int nWords; // as reported (-1 on overflow)
    int nNumbers;
    std::vector<std::string> odd = {}; // number tokens with text after the number
    bool tab = false;
};

TEST(SplitFields, CutsLinesIntoWordsAndNumbers)
{
    const SplitCase cases[] = {
        {"GRID,1,,2.5", 10, {"GRID"}, {1, 2.5}, 1, 2},
        {"grid 1 +2 3", 10, {"grid"}, {1, 3}, 1, 2},
        {"RACT 5 1 0 0 $ fixed support", 10, {"RACT"}, {5, 1, 0, 0}, 1, 4},
        {"RACT 5 1 $ fixed $ 2 3", 10, {"RACT"}, {5, 1}, 1, 2}, // the first $ starts the comment
        {"RACT 5 1 0 0   ", 10, {"RACT"}, {5, 1, 0, 0}, 1, 4},
        {"\t", 10, {}, {}, 0, 0},
        {" \t $ 1 2", 10, {}, {}, 0, 0},
        {"GRID\t1", 10, {"GRID"}, {1}, 1, 1, {}, true},
        {"\tLOAD\t 2,\t0 -1O\t", 10, {"LOAD"}, {2, 0, -1}, 1, 3, {"-1O"}, true},
        // Overflow stops the split; what was stored stays.
        {"1 2 3 4 5 6 7 8 9 10 11 12", 10, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, -1, 11},
        {"1 2 3 4 5 6 7 8 9 10 11", 20, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0, 11},
        {"A B C 4", 10, {"A", "B"}, {}, -1, 0},
        {"Quad 7", 10, {"Quad"}, {7}, 1, 1},
        {"1 GRID 2 3", 10, {"GRID"}, {1, 2, 3}, 1, 3},
        {"GRID 5 EQ 3", 10, {"GRID", "EQ"}, {5, 3}, 2, 2},
        {"GRID EQ 5 3", 10, {"GRID", "EQ"}, {5, 3}, 2, 2},
        {"  GRID  ,  1   ,2", 10, {"GRID"}, {1, 2}, 1, 2},
        {"GRID ,, 1", 10, {"GRID"}, {1}, 1, 1},
        {"\xC4rger 1", 10, {"\xC4rger"}, {1}, 1, 1},
        {"#x &y (z *w 5", 10, {}, {5}, 0, 1},
        {":5 =3 @ / - ?", 10, {}, {0, 0, 0, 0, 0, 0}, 0, 6, {":5", "=3", "@", "/", "-", "?"}},
        {"12abc .5 -2.5E-3 1D3 2O 5.",
         10,
         {},
         {12, 0.5, -0.0025, 1000, 2, 5},
         0,
         6,
         {"12abc", "2O"}},
        {"", 10, {}, {}, 0, 0},
    };
    Record rec;
    for (const SplitCase& c : cases) {
        SplitFields(RecordText(c.line), c.maxNumbers, 2, rec);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(rec.nWords, c.nWords);
        EXPECT_EQ(rec.nNumbers, c.nNumbers);
        for (std::size_t i = 0; i < c.numbers.size(); ++i)
            EXPECT_EQ(rec.Number[i + 1], c.numbers[i]) << "number " << i + 1;
        for (std::size_t i = 0; i < c.words.size(); ++i)
            EXPECT_EQ(rec.Word[i + 1], c.words[i]) << "word " << i + 1;
        // Slots the line does not fill read as 0 and as the empty word.
        for (std::size_t i = c.numbers.size() + 1; i < rec.Number.size(); ++i)
            EXPECT_EQ(rec.Number[i], 0.0);
        for (std::size_t i = c.words.size() + 1; i < rec.Word.size(); ++i)
            EXPECT_TRUE(rec.Word[i].empty());
        EXPECT_EQ(std::vector<std::string>(rec.OddNumber.begin(),
                                           rec.OddNumber.begin() + rec.nOddNumbers),
                  c.odd);
        EXPECT_EQ(rec.hasTab, c.tab);
    }
}

TEST(SplitFields, ReusedRecordsStartEmpty)
{
    Record rec;
    SplitFields("BEAM PIN 1 2 3 4 5 6 7", 20, 2, rec);
    SplitFields("GRID", 20, 2, rec);
    EXPECT_EQ(rec.nNumbers, 0);
    EXPECT_EQ(rec.nWords, 1);
    EXPECT_TRUE(rec.Word[2].empty());
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(rec.N(i), 0.0);
    EXPECT_EQ(rec.N(0), 0.0);
    EXPECT_EQ(rec.N(21), 0.0);
    EXPECT_EQ(rec.N(-3), 0.0);
}

TEST(NumberValue, ReadsTheLongestLeadingNumber)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char* token;
        double value;
    } cases[] = {
        // clang-format off
        {"12abc", 12}, {".5", 0.5}, {"-2.5E-3", -0.0025}, {"1D3", 1000}, {"1d-2", 0.01},
        {"2e+2", 200}, {"-", 0}, {"?", 0}, {"-.", 0}, {"5.", 5}, {"1.e2", 100}, {"1e", 1},
        {"1e+", 1}, {"1E-x", 1}, {"0x10", 0}, {"007", 7}, {" \t\r\n7", 7}, {"+5", 5}, {"-0", 0},
        {"0.000", 0}, {"1e999", inf}, {"-1e999", -inf}, {"1e-999", 0},
        {"1e99999999999999999999", inf}, {"0.1", 0.1},
        {"3.14159265358979323846", 3.14159265358979323846},
        {"9007199254740993", 9007199254740992.0}, // halfway: to even
        {"9007199254740995", 9007199254740996.0},
        {"1.7976931348623157e308", 1.7976931348623157e308}, {"4.9e-324", 4.9e-324},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"0.000000000000000000000000000001234", 1.234e-30},
        {"1000000000000000000000000000000000000000000000000000e-50", 10.0},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberValue(c.token), c.value) << c.token;
    // How much of a token the number is: the rest is text the reader warns about.
    const std::pair<const char*, std::size_t> lengths[] = {
        {"12abc", 2}, {"1O", 1},   {"1e+", 1}, {"1E-x", 1}, {"5.", 2}, {"1.e2", 4}, {"1D3", 3},
        {"1d", 1},    {"0x10", 1}, {"-", 0},   {"?", 0},    {".", 0},  {"-.5", 3},  {"1e999", 5}};
    for (const auto& [token, length] : lengths)
        EXPECT_EQ(ReadNumber(token).length, length) << token;
    // A zero reads as +0 whatever its sign; a negative value too small for a double, as -0.
    for (const char* zero : {"-0", "-0.0", "-0.0e5", "-000D-7"})
        EXPECT_FALSE(std::signbit(NumberValue(zero))) << zero;
    for (const char* tiny : {"-1e-999", "-2.4D-324"})
        EXPECT_TRUE(std::signbit(NumberValue(tiny))) << tiny;
}

// Plain decimal tokens read exactly as the C library reads them: correctly rounded.
TEST(NumberValue, AgreesWithTheLibraryOnRandomDecimals)
{
    std::mt19937_64 rng(20240611);
    std::uniform_int_distribution<int> digitCount(1, 25), digit(0, 9), exponent(-340, 340),
        coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        if (coin(rng) == 0)
            s += '-';
        const int n = digitCount(rng);
        const int point = coin(rng) == 0 ? -1 : std::uniform_int_distribution<int>(0, n)(rng);
        for (int k = 0; k < n; ++k) {
            if (k == point)
                s += '.';
            s += static_cast<char>('0' + digit(rng));
        }
        if (point == n)
            s += '.';
        switch (coin(rng)) {
        case 0:
            s += "e" + std::to_string(exponent(rng));
            break;
        case 1:
            s += (coin(rng) < 2 ? "E" : "D") + std::to_string(exponent(rng) / 20);
            break;
        default:
            break;
        }
        std::string library = s; // the C library knows no exponent D
        std::replace(library.begin(), library.end(), 'D', 'E');
        const double expected = std::strtod(library.c_str(), nullptr);
        const double got = NumberValue(s);
        ASSERT_TRUE(got == expected || (std::isnan(got) && std::isnan(expected)))
            << s << " read " << got << " expected " << expected;
        ASSERT_EQ(std::signbit(got) && got != 0, std::signbit(expected) && expected != 0) << s;
    }
}

// Ties decided by a digit far beyond the 19th: 2^53 + 1 is halfway between two doubles.
TEST(NumberValue, DigitsFarBehindTheFirstStillDecideTheRounding)
{
    const std::string zeros(900, '0');
    const std::string tokens[] = {
        "9007199254740993." + zeros + "1",     "9007199254740993." + zeros,
        "9007199254740993" + zeros + "1e-901", "0." + zeros + "9007199254740993" + zeros + "1e917",
        std::string(500, '9') + "e-500",       "1" + zeros + zeros + "e-1800",
    };
    for (const std::string& t : tokens)
        EXPECT_EQ(NumberValue(t), std::strtod(t.c_str(), nullptr)) << t.substr(0, 30);
    EXPECT_EQ(NumberValue(tokens[0]), 9007199254740994.0);
    EXPECT_EQ(NumberValue(tokens[1]), 9007199254740992.0);
}

TEST(Keywords, AreMatchedWithoutRegardToCase)
{
    EXPECT_TRUE(WordIs("quad", "QUAD"));
    EXPECT_TRUE(WordIs("QuAd", "QUAD"));
    EXPECT_FALSE(WordIs("QUADS", "QUAD"));
    EXPECT_FALSE(WordIs("QUA", "QUAD"));
    EXPECT_FALSE(WordIs(std::string("qu\xC4") + "d", "QUAD")); // only a..z are folded

    // Every keyword and option, in any case; near misses are other words.
    const char* keywords[] = {"grid",  "Beam",  "QUAD",     "prop",    "matl", "dofs", "ract",
                              "sprg",  "nseq",  "EndModel", "subcase", "load", "disp", "grav",
                              "bload", "binit", "btemp",    "qload",   "qtemp"};
    for (int k = 0; k < 19; ++k)
        EXPECT_EQ(static_cast<int>(KeywordOf(keywords[k])), static_cast<int>(Keyword::Grid) + k)
            << keywords[k];
    for (const char* other : {"GRIDS", "END", "SUBCASE1", "GRID\t1", "POLAR"})
        EXPECT_EQ(KeywordOf(other), Keyword::Other) << other;
    EXPECT_EQ(KeywordOf(""), Keyword::None);

    const char* options[] = {"polar",  "Eq",    "pin", "BEND", "curv",
                             "strain", "Shear", "def", "thru"};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(static_cast<int>(OptionOf(options[k])), static_cast<int>(Option::Polar) + k)
            << options[k];
    EXPECT_EQ(OptionOf("THROUGH"), Option::Other);
    EXPECT_EQ(OptionOf(""), Option::None);
}

TEST(Keywords, ClassifyLinesForTheEditorAsTheReaderCutsThem)
{
    // Each character marked with its part: K keyword, O option, N number, C comment,
    // U a record without a known keyword, "." nothing.
    const char* const cases[][2] = {
        {"GRID POLAR 3 1.5,2 $ c", "KKKK.OOOOO.N.NNN.N.CCC"},
        {"beam 1 1 2 1 1 pinned", "KKKK.N.N.N.N.N......."}, // an unknown option is a word
        {"GRIDS 1 0 0 $ typo", "UUUUUUUUUUU.CCCCCC"},
        {"1 GRID 2 3", "N.KKKK.N.N"}, // the first word is the keyword wherever it stands
        {"  $ only a comment", "..CCCCCCCCCCCCCCCC"},
        {"LOAD\t2 0 -1", "KKKK.N.N.NN"},            // a tab separates fields
        {"DOFS DEF 1 1 1 +2", "KKKK.OOO.N.N.N..."}, // "+2" is ignored by the reader
        {"7 8", "UUU"},
        {"ENDMODEL", "KKKKKKKK"},
        {"x\xE9 1", "UUUU"},
        {"", ""},
    };
    for (const auto& [line, expected] : cases) {
        std::string marks(std::string_view(line).size(), '.');
        std::size_t end = 0;
        for (const LineSpan& span : ClassifyLine(line)) {
            EXPECT_GE(span.start, end) << line; // left to right, no overlap
            end = span.start + span.length;
            ASSERT_LE(end, marks.size()) << line;
            marks.replace(span.start, span.length, span.length, "KONCU"[int(span.part)]);
        }
        EXPECT_EQ(marks, expected) << line;
    }
}

} // namespace
} // namespace tavu
