#pragma once
// Large model texts for the benchmarks, made in memory.

#include <string>

namespace tavu::bench {

struct GeneratedModel
{
    std::string text; // CR LF line ends, as the editor holds it
    int lines = 0;
    int grids = 0;
    int beams = 0;
    int quads = 0;
};

// A plate of quads `width` grids wide, row after row, stiffened by a beam along every
// row and held by springs along its first row, with a few load records: about `lines`
// lines in all. Grid ids follow the rows, so the equations of neighbours stay close.
GeneratedModel GeneratePlateModel(int lines, int width = 20);

// A plane frame: a chain of grids joined by beams with every tenth grid restrained, and
// every fifth beam pinned: about `lines` lines.
GeneratedModel GenerateFrameModel(int lines);

} // namespace tavu::bench
