// Numeric attributes: tuples of integers or floats in paged storage.
#pragma once

#include <GA/GA_Attribute.h>
#include <GA/GA_DataArrayTuple.h>
#include <vector>

class UT_API GA_ATINumeric : public GA_Attribute
{
public:
    static const GA_AttributeType theAttributeType;

    // True when the storage/layout pair can be created (interleaved only for
    // fpreal32 and fpreal64, storage codes 1 to 8, tuple size 1 or more).
    static bool isValidLayout(int32_t storage, int32_t layout, int tupleSize);

    // defaults: the default tuple for new elements; shorter lists repeat
    // their last value, an empty list means 0. Callers check isValidLayout.
    GA_ATINumeric(const std::string &name, int tupleSize, GA_Storage storage, GA_StorageLayout layout,
                  const std::vector<double> &defaults);

    GA_Storage getStorage() const { return myStorage; }
    GA_StorageLayout getLayout() const { return myData.getLayout(); }
    const std::vector<double> &getDefaults() const { return myDefaults; }

    GA_DataArrayTuple &getData() { return myData; }
    const GA_DataArrayTuple &getData() const { return myData; }

    // Component access through double, for readers, writers and tests.
    double getDouble(GA_Offset off, int component) const;
    void setDouble(GA_Offset off, int component, double value);

    GA_Size size() const override;
    void setSize(GA_Size n) override;
    std::unique_ptr<GA_Attribute> clone() const override;

private:
    GA_ATINumeric(const GA_ATINumeric &src) = default;

    GA_Storage myStorage;
    std::vector<double> myDefaults;  // expanded to the tuple size
    GA_DataArrayTuple myData;
};

// The GA_DataArray getter and setter templates need the class above.
#include <GA/GA_DataArrayAccess.h>
