#include "ModelGenerator.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace tavu::bench {

namespace {

class TextBuilder
{
public:
    explicit TextBuilder(GeneratedModel& m) : m_(m) {}

    TextBuilder& Word(const char* w)
    {
        Separate();
        m_.text.append(std::string_view(w));
        return *this;
    }
    TextBuilder& Int(long long v)
    {
        Separate();
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        m_.text.append(buf, static_cast<std::size_t>(r.ptr - buf));
        return *this;
    }
    TextBuilder& Real(double v)
    {
        Separate();
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        m_.text.append(buf, static_cast<std::size_t>(r.ptr - buf));
        return *this;
    }
    void End()
    {
        m_.text.push_back('\r');
        m_.text.push_back('\n');
        ++m_.lines;
        fresh_ = true;
    }

private:
    void Separate()
    {
        if (!fresh_)
            m_.text.push_back(' ');
        fresh_ = false;
    }
    GeneratedModel& m_;
    bool fresh_ = true;
};

// Load records after ENDMODEL until the text has `lines` lines (the last without CR LF).
void PadWithLoads(GeneratedModel& m, TextBuilder& t, int lines, int grids)
{
    int g = 1;
    while (m.lines < lines) {
        t.Word("LOAD").Int(g).Real(0).Real(-1.5);
        t.End();
        g = g % grids + 1;
    }
    if (m.text.size() >= 2)
        m.text.resize(m.text.size() - 2);
}

} // namespace

GeneratedModel GeneratePlateModel(int lines, int width)
{
    GeneratedModel m;
    if (width < 2)
        width = 2;
    const int perRow = width + 2 * (width - 1); // grids, beams along the row, quads below
    const int trailer = 8;
    const int rows = std::max(2, (lines - 4 - trailer) / perRow);
    m.text.reserve(static_cast<std::size_t>(lines) * 28);

    TextBuilder t(m);
    t.Word("$ generated plate:").Int(rows).Word("rows of").Int(width).Word("grids");
    t.End();
    t.Word("PROP").Int(1).Real(0.25).Real(0.01).Real(0).Real(0);
    t.End();
    t.Word("PROP").Int(2).Real(1.5).Real(0.8).Real(0.5);
    t.End();
    t.Word("MATL").Int(1).Real(30000).Real(0.2).Real(1e-5).Real(2.4);
    t.End();

    for (int r = 0; r < rows; ++r) {
        const int first = r * width + 1;
        for (int c = 0; c < width; ++c) {
            t.Word("GRID").Int(first + c).Real(c * 0.5).Real(r * 0.75);
            t.End();
        }
        for (int c = 0; c + 1 < width; ++c) {
            t.Word("BEAM").Int(++m.beams).Int(first + c).Int(first + c + 1).Int(2).Int(1);
            t.End();
        }
        if (r > 0) {
            for (int c = 0; c + 1 < width; ++c) {
                const int a = first - width + c;
                t.Word("QUAD").Int(++m.quads).Int(a).Int(a + 1).Int(a + width + 1).Int(a + width);
                t.Int(1).Int(1);
                t.End();
            }
        }
    }
    m.grids = rows * width;

    t.Word("DOFS").Word("DEF").Int(1).Int(1).Int(1);
    t.End();
    t.Word("SPRG").Int(1).Word("THRU").Int(width).Real(1e6).Real(1e6).Real(0);
    t.End();
    t.Word("RACT").Int(1).Int(1).Int(1).Int(1);
    t.End();
    t.Word("ENDMODEL");
    t.End();
    PadWithLoads(m, t, lines, m.grids);
    return m;
}

GeneratedModel GenerateFrameModel(int lines)
{
    GeneratedModel m;
    const int trailer = 6;
    // Per grid: its GRID line, a beam to the next one, and every tenth a RACT line.
    const int grids = std::max(2, static_cast<int>((lines - 4 - trailer) / 2.1));
    m.text.reserve(static_cast<std::size_t>(lines) * 26);

    TextBuilder t(m);
    t.Word("$ generated frame of").Int(grids).Word("grids");
    t.End();
    t.Word("PROP").Int(1).Real(12.5).Real(400).Real(0).Real(0);
    t.End();
    t.Word("MATL").Int(1).Real(29000).Real(0.3).Real(6.5e-6).Real(0.28);
    t.End();
    for (int g = 1; g <= grids; ++g) {
        t.Word("GRID").Int(g).Real((g % 100) * 12.0).Real((g / 100) * 10.0);
        t.End();
    }
    for (int g = 1; g < grids; ++g) {
        t.Word("BEAM").Int(g).Int(g).Int(g + 1).Int(1).Int(1);
        if (g % 5 == 0)
            t.Word("PIN");
        t.End();
        ++m.beams;
    }
    t.Word("DOFS").Word("DEF").Int(1).Int(1).Int(1);
    t.End();
    for (int g = 1; g <= grids; g += 10) {
        if (m.lines >= lines - 2)
            break;
        t.Word("RACT").Int(g).Int(1).Int(1).Int(0);
        t.End();
    }
    t.Word("ENDMODEL");
    t.End();
    m.grids = grids;
    PadWithLoads(m, t, lines, grids);
    return m;
}

} // namespace tavu::bench
