#pragma once
// Working tables of the model reader: section properties and materials by id. They live
// only while the model is read; the elements keep what they need in their own tables.

#include "common/Table.h"

#include <unordered_map>

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

// Rows by id 0..Last() where only the rows written take memory, so a table grows with its
// records and not with the largest id. Every id in range has a row: one never written
// reads as a value-initialised row, as in a table of all the ids.
template <class T> class IdRows
{
public:
    void Create(long long last)
    {
        last_ = last < 0 ? -1 : last;
        rows_.clear();
    }

    long long Last() const { return last_; }
    bool Has(long long id) const { return id >= 0 && id <= last_; }

    // The row of id, created when it is new.
    T& operator()(long long id)
    {
        TAVU_ASSERT(Has(id));
        return rows_[id];
    }
    const T& operator()(long long id) const
    {
        TAVU_ASSERT(Has(id));
        static const T unwritten{};
        const auto at = rows_.find(id);
        return at != rows_.end() ? at->second : unwritten;
    }

private:
    std::unordered_map<long long, T> rows_;
    long long last_ = -1;
};

struct ReaderTables
{
    IdRows<PropRow> PropTable; // (0..maxPropId)
    IdRows<MatlRow> MatlTable; // (0..maxMatlId)
};

} // namespace tavu
