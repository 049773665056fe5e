#include "model/PreScan.h"

namespace tavu {

void PreScanModel(Analysis& a)
{
    a.State.FatalText.clear();
    a.Summary.ReadText.clear();
    a.Summary.LogText.clear();
}

} // namespace tavu
