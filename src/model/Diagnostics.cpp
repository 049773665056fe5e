#include "model/Diagnostics.h"

#include "common/Numbers.h"

namespace tavu {

std::string DiagnosticMessage(int code, int first, int second)
{
    const std::string f = NumberText(first);
    switch (code) {
    case 1:
        return "... Grid equate" + f + " not found";
    case 2:
        return "... Polar center grid" + f + " not found";
    case 3:
        return "... Polar center grid" + f + " not cartesian";
    case 4:
        return "... Grid number" + f + " not found";
    case 5:
        return "... Prop" + f + " not found";
    case 6:
        return "... Matl" + f + " not found";
    case 7:
        return "... Grid" + f + " a duplicate";
    case 8:
        return "... Bad record... check syntax";
    case 9:
        return "Grid" + f + " of beam" + NumberText(second) + " not found";
    case 10:
        return "Grid" + f + " of quad" + NumberText(second) + " not found";
    case 11:
        return "PROP missing from beam" + f;
    case 12:
        return "MATL missing from beam" + f;
    case 13:
        return "PROP missing from quad" + f;
    case 14:
        return "MATL missing from quad" + f;
    case 15:
        return "No PROP record found";
    case 16:
        return "No MATL record found";
    case 17:
        return first != 0 ? "Input order is wrong for record" + f : "Input order is wrong";
    case 18:
        return "Must re-sequence all grids consecutively";
    case 19:
        return "Must include constraints (RACT or SPRG)";
    case 21:
        return "Quad" + f + " grids not counter-clockwise order";
    case 22:
        return "Number of subcases exceeds maximum of" + f;
    case 23:
        return "No grids found (GRID)";
    case 24:
        return "No elements found (BEAM, QUAD)";
    case 25:
        return "No properties found (PROP)";
    case 26:
        return "No materials found (MATL)";
    case 27:
        return "No restraints found (RACT, SPRG)";
    case 28:
        return "ENDMODEL not found";
    case 29:
        return "Stiffness matrix too large: more than" + f + " terms";
    default:
        return std::string();
    }
}

void Diagnose(Analysis& a, int code, int first, int second)
{
    std::string& fatal = a.State.FatalText;
    if (code <= 8) {
        fatal += ModelLine(a, second);
        fatal += CRLF;
    }
    fatal += DiagnosticMessage(code, first, second);
    fatal += CRLF;
}

} // namespace tavu
