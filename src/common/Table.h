#pragma once
// The 1-based tables of the program: rows (or entries) 0..last, where row 0 is the
// neutral row that a lookup of an undefined id lands on.

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <map>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(TAVU_CHECKED)
#define TAVU_ASSERT(cond) ((cond) ? (void)0 : ::tavu::AssertFailed(#cond, __FILE__, __LINE__))
#else
#define TAVU_ASSERT(cond) ((void)0)
#endif

namespace tavu {

[[noreturn]] void AssertFailed(const char* what, const char* file, int line);

// Memory for tables of numbers from calloc: a large table comes as pages the system has
// zeroed, and value-initialising its entries writes nothing more, so the zeros are not
// written a second time (nor all pages touched before they are used).
template <class T> struct ZeroedAllocator
{
    static_assert(std::is_arithmetic_v<T>);
    using value_type = T;

    ZeroedAllocator() = default;
    template <class U> ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        void* p = std::calloc(n == 0 ? 1 : n, sizeof(T));
        if (p == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }

    // A value-initialised entry is the zero the memory already holds.
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) { return true; }
};

// The storage of a table: numbers in zeroed memory, anything else in a plain vector.
template <class T>
using TableStorage =
    std::conditional_t<std::is_arithmetic_v<T>, std::vector<T, ZeroedAllocator<T>>, std::vector<T>>;

// The storage made anew with n value-initialised entries; the old memory is released first.
template <class T> void CreateStorage(TableStorage<T>& data, std::size_t n)
{
    data = TableStorage<T>();
    data.resize(n);
}

// Entries 0..Last(), value-initialised.
template <class T> class Vec
{
public:
    Vec() = default;
    explicit Vec(long long last) { Create(last); }

    void Create(long long last)
    {
        CreateStorage<T>(data_, last < 0 ? 0 : static_cast<std::size_t>(last) + 1);
    }
    void Clear() { data_.clear(); }

    T& operator()(long long i)
    {
        TAVU_ASSERT(Has(i));
        return data_[static_cast<std::size_t>(i)];
    }
    const T& operator()(long long i) const
    {
        TAVU_ASSERT(Has(i));
        return data_[static_cast<std::size_t>(i)];
    }

    long long Last() const { return static_cast<long long>(data_.size()) - 1; }
    bool Has(long long i) const { return i >= 0 && i <= Last(); }
    bool Empty() const { return data_.empty(); }
    T* Data() { return data_.data(); }
    const T* Data() const { return data_.data(); }

private:
    TableStorage<T> data_;
};

// Rows 0..LastRow() by slots 0..LastSlot(), value-initialised, rows contiguous.
template <class T> class Table
{
public:
    Table() = default;
    Table(int lastRow, int lastSlot) { Create(lastRow, lastSlot); }

    void Create(int lastRow, int lastSlot)
    {
        lastRow_ = lastRow < 0 ? -1 : lastRow;
        width_ = lastSlot < 0 ? 0 : lastSlot + 1;
        CreateStorage<T>(data_,
                         static_cast<std::size_t>(lastRow_ + 1) * static_cast<std::size_t>(width_));
    }
    void Clear() { Create(-1, -1); }

    T& operator()(int row, int slot)
    {
        TAVU_ASSERT(HasRow(row) && slot >= 0 && slot < width_);
        return data_[static_cast<std::size_t>(row) * width_ + slot];
    }
    const T& operator()(int row, int slot) const
    {
        TAVU_ASSERT(HasRow(row) && slot >= 0 && slot < width_);
        return data_[static_cast<std::size_t>(row) * width_ + slot];
    }

    int LastRow() const { return lastRow_; }
    int LastSlot() const { return width_ - 1; }
    bool HasRow(int row) const { return row >= 0 && row <= lastRow_; }
    T* Row(int row)
    {
        TAVU_ASSERT(HasRow(row));
        return data_.data() + static_cast<std::size_t>(row) * width_;
    }

private:
    TableStorage<T> data_;
    int lastRow_ = -1;
    int width_ = 0;
};

// Rows by id 0..Last() where memory follows the rows written, not the largest id: the ids
// up to a bound set by the expected number of records sit in a vector, any id above it in
// an ordered map. Every id in range has a row: one never written reads as a
// value-initialised row, as in a table of all the ids.
template <class T> class IdRows
{
public:
    // Ids 0..last, for about `records` records. The vector holds at most a few rows per
    // record, so ids with gaps still mostly land in it.
    void Create(long long last, long long records = 0)
    {
        last_ = last < 0 ? -1 : last;
        const long long bound = 8 * std::max(records, 0LL) + 1024;
        dense_.assign(static_cast<std::size_t>(std::min(last_, bound) + 1), T{});
        sparse_.clear();
    }

    long long Last() const { return last_; }
    bool Has(long long id) const { return id >= 0 && id <= last_; }

    // The row of id, created when it is new.
    T& operator()(long long id)
    {
        TAVU_ASSERT(Has(id));
        if (id < DenseSize())
            return dense_[static_cast<std::size_t>(id)];
        return sparse_[id];
    }
    const T& operator()(long long id) const
    {
        TAVU_ASSERT(Has(id));
        if (id < DenseSize())
            return dense_[static_cast<std::size_t>(id)];
        static const T unwritten{};
        const auto at = sparse_.find(id);
        return at != sparse_.end() ? at->second : unwritten;
    }

    // Calls visit(id, row) for the rows with ids first..last in ascending order: every id
    // the vector holds, and the ids above it that were written. The cost follows the
    // rows, not the span of ids.
    template <class Visit> void ForEachRow(long long first, long long last, Visit visit) const
    {
        first = std::max(first, 0LL);
        last = std::min(last, last_);
        for (long long id = first; id <= last && id < DenseSize(); ++id)
            visit(id, dense_[static_cast<std::size_t>(id)]);
        for (auto at = sparse_.lower_bound(first); at != sparse_.end() && at->first <= last; ++at)
            visit(at->first, at->second);
    }

private:
    long long DenseSize() const { return static_cast<long long>(dense_.size()); }

    std::vector<T> dense_;          // ids 0..DenseSize()-1
    std::map<long long, T> sparse_; // ids written above them
    long long last_ = -1;
};

} // namespace tavu
