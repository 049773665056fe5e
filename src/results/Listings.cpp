#include "results/Listings.h"

namespace tavu {

int BuildResultLines(const Analysis&, int, int, const ListingOptions&, std::array<std::string, 5>&)
{
    return 0;
}

bool DeflectionValues(const Analysis&, int, std::array<double, 3>&)
{
    return false;
}

bool ReactionValues(const Analysis&, int, std::array<double, 3>&)
{
    return false;
}

std::array<std::string, 7> ResultHeadings(int, bool)
{
    return {};
}

std::string ResultText(const Analysis&, int, bool)
{
    return std::string();
}

} // namespace tavu
