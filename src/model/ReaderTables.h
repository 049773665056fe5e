#pragma once
// Working tables of the model reader: section properties and materials by id. They live
// only while the model is read; the elements keep what they need in their own tables.

#include "common/Table.h"

namespace tavu {

// Numbers 2..5 of a PROP record. Beams: area, moment of inertia, shear term As, axial
// compressive load P. Quads use only the first, as the thickness.
struct PropRow
{
    double area = 0;
    double inertia = 0;
    double shearTerm = 0;
    double axialLoad = 0;
};

enum class MaterialMode
{
    PlaneStress,
    PlaneStrain, // option STRAIN
    ShearPanel,  // option SHEAR
};

// Numbers 2..5 of a MATL record and its option. The mode is kept apart from Poisson's
// ratio, so any ratio keeps the mode the option gave.
struct MatlRow
{
    double modulus = 0;
    double poisson = 0;
    double expansion = 0;
    double density = 0;
    MaterialMode mode = MaterialMode::PlaneStress;
};

struct ReaderTables
{
    IdRows<PropRow> PropTable; // (0..maxPropId)
    IdRows<MatlRow> MatlTable; // (0..maxMatlId)
};

} // namespace tavu
