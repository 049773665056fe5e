#include "mesh/GridOrder.h"

#include <algorithm>
#include <utility>

namespace tavu::mesh {

GridGraph BuildGridGraph(int nGrids, const std::vector<std::array<int, 4>>& elements)
{
    const auto n = static_cast<std::size_t>(std::max(nGrids, 0));
    const auto valid = [nGrids](int g) { return g >= 0 && g < nGrids; };
    // Each pair of an element's grids, in both directions: counted, then placed.
    std::vector<std::size_t> count(n + 1, 0);
    const auto forEachPair = [&](auto&& visit) {
        for (const auto& e : elements)
            for (std::size_t i = 0; i < e.size(); ++i)
                for (std::size_t j = i + 1; j < e.size(); ++j)
                    if (valid(e[i]) && valid(e[j]) && e[i] != e[j]) {
                        visit(e[i], e[j]);
                        visit(e[j], e[i]);
                    }
    };
    forEachPair([&](int a, int) { ++count[static_cast<std::size_t>(a) + 1]; });
    for (std::size_t g = 0; g < n; ++g)
        count[g + 1] += count[g];
    std::vector<int> pairs(count[n]);
    std::vector<std::size_t> fill(count.begin(), count.end() - 1);
    forEachPair([&](int a, int b) { pairs[fill[static_cast<std::size_t>(a)]++] = b; });

    // Each neighbour once: the rows sorted and their repeats dropped.
    GridGraph graph;
    graph.start.assign(n + 1, 0);
    graph.adjacent.reserve(pairs.size() / 2);
    for (std::size_t g = 0; g < n; ++g) {
        const auto first = pairs.begin() + static_cast<std::ptrdiff_t>(count[g]);
        const auto last = pairs.begin() + static_cast<std::ptrdiff_t>(count[g + 1]);
        std::sort(first, last);
        graph.adjacent.insert(graph.adjacent.end(), first, std::unique(first, last));
        graph.start[g + 1] = graph.adjacent.size();
    }
    return graph;
}

namespace {

// Breadth-first searches over one graph. A grid is marked by the number of the search that
// reached it, so no marks are cleared between searches.
class Search
{
public:
    explicit Search(const GridGraph& graph)
        : graph_(graph), mark_(static_cast<std::size_t>(graph.Size()), 0)
    {
    }

    // The level structure rooted at root: the grids level by level, and where the last
    // level starts in that list. Returns the number of levels.
    int Levels(int root, std::vector<int>& grids, std::size_t& lastLevel)
    {
        const int stamp = ++stamp_;
        grids.assign(1, root);
        mark_[static_cast<std::size_t>(root)] = stamp;
        int depth = 1;
        lastLevel = 0;
        for (std::size_t begin = 0, end = 1; begin < end; begin = end, end = grids.size()) {
            lastLevel = begin;
            for (std::size_t i = begin; i < end; ++i)
                for (int next : Neighbours(grids[i]))
                    if (mark_[static_cast<std::size_t>(next)] != stamp) {
                        mark_[static_cast<std::size_t>(next)] = stamp;
                        grids.push_back(next);
                    }
            if (grids.size() > end)
                ++depth;
        }
        return depth;
    }

    // Cuthill-McKee from root: each grid's neighbours not yet numbered, by increasing
    // degree, join the end of the order.
    void CuthillMcKee(int root, std::vector<int>& order)
    {
        const int stamp = ++stamp_;
        std::size_t head = order.size();
        order.push_back(root);
        mark_[static_cast<std::size_t>(root)] = stamp;
        std::vector<int> fresh;
        for (; head < order.size(); ++head) {
            fresh.clear();
            for (int next : Neighbours(order[head]))
                if (mark_[static_cast<std::size_t>(next)] != stamp) {
                    mark_[static_cast<std::size_t>(next)] = stamp;
                    fresh.push_back(next);
                }
            std::stable_sort(fresh.begin(), fresh.end(),
                             [this](int x, int y) { return graph_.Degree(x) < graph_.Degree(y); });
            order.insert(order.end(), fresh.begin(), fresh.end());
        }
    }

private:
    struct Range
    {
        const int* first;
        const int* last;
        const int* begin() const { return first; }
        const int* end() const { return last; }
    };
    Range Neighbours(int g) const
    {
        const int* base = graph_.adjacent.data();
        return {base + graph_.start[static_cast<std::size_t>(g)],
                base + graph_.start[static_cast<std::size_t>(g) + 1]};
    }

    const GridGraph& graph_;
    std::vector<int> mark_;
    int stamp_ = 0;
};

// The grid of least degree among grids[from..], the first such on a tie.
int LeastDegree(const GridGraph& graph, const std::vector<int>& grids, std::size_t from)
{
    int best = grids[from];
    for (std::size_t i = from + 1; i < grids.size(); ++i)
        if (graph.Degree(grids[i]) < graph.Degree(best))
            best = grids[i];
    return best;
}

} // namespace

std::vector<int> ProfileReducingOrder(const GridGraph& graph)
{
    const int n = graph.Size();
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(std::max(n, 0)));
    std::vector<bool> placed(static_cast<std::size_t>(std::max(n, 0)), false);
    Search search(graph);
    std::vector<int> grids;
    std::size_t lastLevel = 0;
    for (int g = 0; g < n; ++g) {
        if (placed[static_cast<std::size_t>(g)])
            continue;
        // The part of the mesh that holds g; its search starts at a grid of least degree and
        // moves to the far end of the level structure while that makes it deeper (the
        // pseudo-peripheral grid of George and Liu).
        search.Levels(g, grids, lastLevel);
        int root = LeastDegree(graph, grids, 0);
        int depth = search.Levels(root, grids, lastLevel);
        for (;;) {
            const int candidate = LeastDegree(graph, grids, lastLevel);
            std::vector<int> candidateGrids;
            std::size_t candidateLast = 0;
            const int candidateDepth = search.Levels(candidate, candidateGrids, candidateLast);
            if (candidateDepth <= depth)
                break;
            root = candidate;
            depth = candidateDepth;
            grids = std::move(candidateGrids);
            lastLevel = candidateLast;
        }
        const std::size_t first = order.size();
        search.CuthillMcKee(root, order);
        std::reverse(order.begin() + static_cast<std::ptrdiff_t>(first), order.end());
        for (std::size_t i = first; i < order.size(); ++i)
            placed[static_cast<std::size_t>(order[i])] = true;
    }
    return order;
}

} // namespace tavu::mesh
