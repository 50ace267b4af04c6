// Growable array of the host.
//
// A thin layer over std::vector with the host's spelling; handles are only
// ever appended at the end, and entries() reports a 64-bit count.
#pragma once

#include <cstdint>
#include <vector>

template <typename T>
class UT_Array
{
public:
    typedef typename std::vector<T>::iterator iterator;
    typedef typename std::vector<T>::const_iterator const_iterator;

    UT_Array() = default;

    int64_t append(const T &value)
    {
        myData.push_back(value);
        return int64_t(myData.size()) - 1;
    }
    int64_t entries() const { return int64_t(myData.size()); }
    bool isEmpty() const { return myData.empty(); }
    void clear() { myData.clear(); }
    void setCapacity(int64_t n) { myData.reserve(size_t(n)); }

    T &operator()(int64_t i) { return myData[size_t(i)]; }
    const T &operator()(int64_t i) const { return myData[size_t(i)]; }
    T &operator[](int64_t i) { return myData[size_t(i)]; }
    const T &operator[](int64_t i) const { return myData[size_t(i)]; }
    T &last() { return myData.back(); }
    const T &last() const { return myData.back(); }

    iterator begin() { return myData.begin(); }
    iterator end() { return myData.end(); }
    const_iterator begin() const { return myData.begin(); }
    const_iterator end() const { return myData.end(); }

    T *data() { return myData.data(); }
    const T *data() const { return myData.data(); }

private:
    std::vector<T> myData;
};
