#pragma once
// The 1-based tables of the program: rows (or entries) 0..last, where row 0 is the
// neutral row that a lookup of an undefined id lands on.

#include <cstddef>
#include <vector>

#if defined(TAVU_CHECKED)
#define TAVU_ASSERT(cond) ((cond) ? (void)0 : ::tavu::AssertFailed(#cond, __FILE__, __LINE__))
#else
#define TAVU_ASSERT(cond) ((void)0)
#endif

namespace tavu {

[[noreturn]] void AssertFailed(const char* what, const char* file, int line);

// Entries 0..Last(), value-initialised.
template <class T> class Vec
{
public:
    Vec() = default;
    explicit Vec(long long last) { Create(last); }

    void Create(long long last)
    {
        data_.assign(last < 0 ? 0 : static_cast<std::size_t>(last) + 1, T{});
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
    std::vector<T> data_;
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
        data_.assign(static_cast<std::size_t>(lastRow_ + 1) * static_cast<std::size_t>(width_),
                     T{});
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
    std::vector<T> data_;
    int lastRow_ = -1;
    int width_ = 0;
};

} // namespace tavu
