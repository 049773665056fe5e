#include "model/Reader.h"

namespace tavu {

bool ReadModel(Analysis&)
{
    return false;
}

void ComposeReadText(Analysis&, long long) {}

} // namespace tavu
