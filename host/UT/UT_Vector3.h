// Three-component vectors of the host.
//
// Only storage, element access and comparison live here. Arithmetic that must
// round in a fixed order (dot products, cross products, normalisation) is
// spelled out where it is used, so that no operator hides an evaluation order.
#pragma once

#include <cstddef>

template <typename T>
class UT_Vector3T
{
public:
    typedef T value_type;

    constexpr UT_Vector3T() : vec{T(0), T(0), T(0)} {}
    constexpr UT_Vector3T(T vx, T vy, T vz) : vec{vx, vy, vz} {}
    template <typename S>
    explicit constexpr UT_Vector3T(const UT_Vector3T<S> &v) : vec{T(v.vec[0]), T(v.vec[1]), T(v.vec[2])}
    {}

    T &x() { return vec[0]; }
    T &y() { return vec[1]; }
    T &z() { return vec[2]; }
    constexpr T x() const { return vec[0]; }
    constexpr T y() const { return vec[1]; }
    constexpr T z() const { return vec[2]; }

    T &operator[](std::size_t i) { return vec[i]; }
    constexpr T operator[](std::size_t i) const { return vec[i]; }
    T &operator()(std::size_t i) { return vec[i]; }
    constexpr T operator()(std::size_t i) const { return vec[i]; }

    T *data() { return vec; }
    const T *data() const { return vec; }

    // Exact component-wise comparison (0 == -0, NaN != NaN).
    constexpr bool operator==(const UT_Vector3T &o) const
    {
        return vec[0] == o.vec[0] && vec[1] == o.vec[1] && vec[2] == o.vec[2];
    }
    constexpr bool operator!=(const UT_Vector3T &o) const { return !(*this == o); }

    T vec[3];
};

typedef UT_Vector3T<float> UT_Vector3F;
typedef UT_Vector3T<double> UT_Vector3D;
typedef UT_Vector3T<float> UT_Vector3;
