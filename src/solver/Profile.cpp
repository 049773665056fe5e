#include "solver/Profile.h"

namespace tavu {

bool BuildProfile(Analysis& a)
{
    a.Profile.DiagPos.Create(1);
    a.Profile.DiagPos(1) = 2;
    a.Profile.ProfileSize = 2;
    return true;
}

} // namespace tavu
