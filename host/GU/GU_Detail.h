// The detail that nodes cook into and read from.
#pragma once

#include <GEO/GEO_Detail.h>

class UT_API GU_Detail : public GEO_Detail
{
public:
    GU_Detail() = default;
    GU_Detail(const GU_Detail &src) = default;
    GU_Detail &operator=(const GU_Detail &src) = default;
    ~GU_Detail() override;

    // Replaces the contents with a page-sharing copy of src.
    void duplicate(const GEO_Detail &src) { copy(src); }
};
