// Shared ownership of a detail, as nodes hand geometry to each other.
#pragma once

#include <GU/GU_Detail.h>
#include <memory>

class GU_DetailHandle
{
public:
    GU_DetailHandle() = default;
    explicit GU_DetailHandle(std::shared_ptr<GU_Detail> gdp) : myDetail(std::move(gdp)) {}

    bool isValid() const { return myDetail != nullptr; }
    GU_Detail *gdpNC() const { return myDetail.get(); }
    const GU_Detail *gdp() const { return myDetail.get(); }
    void allocateAndSet(GU_Detail *gdp) { myDetail.reset(gdp); }
    void clear() { myDetail.reset(); }

private:
    std::shared_ptr<GU_Detail> myDetail;
};
