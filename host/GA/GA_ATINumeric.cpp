#include <GA/GA_ATINumeric.h>

#include <algorithm>

const GA_AttributeType GA_ATINumeric::theAttributeType("numeric");

namespace
{
std::vector<double> expandDefaults(const std::vector<double> &defaults, int tupleSize)
{
    std::vector<double> expanded(size_t(std::max(tupleSize, 0)), 0.0);
    for (size_t i = 0; i < expanded.size() && !defaults.empty(); ++i)
        expanded[i] = defaults[std::min(i, defaults.size() - 1)];
    return expanded;
}
}  // namespace

bool GA_ATINumeric::isValidLayout(int32_t storage, int32_t layout, int tupleSize)
{
    if (!GAisValidStorage(storage) || tupleSize < 1)
        return false;
    if (layout == GA_LAYOUT_COMPONENTS)
        return true;
    return layout == GA_LAYOUT_INTERLEAVED && (storage == GA_STORE_REAL32 || storage == GA_STORE_REAL64);
}

GA_ATINumeric::GA_ATINumeric(const std::string &name, int tupleSize, GA_Storage storage, GA_StorageLayout layout,
                             const std::vector<double> &defaults)
    : GA_Attribute(theAttributeType, name, tupleSize), myStorage(storage),
      myDefaults(expandDefaults(defaults, tupleSize)), myData(storage, layout, getTupleSize(), myDefaults)
{}

double GA_ATINumeric::getDouble(GA_Offset off, int component) const
{
    if (component < 0 || component >= getTupleSize())
        return 0.0;
    if (getLayout() == GA_LAYOUT_INTERLEAVED)
        return myData.array(0).getDouble(off, component);
    return myData.array(component).getDouble(off, 0);
}

void GA_ATINumeric::setDouble(GA_Offset off, int component, double value)
{
    if (component < 0 || component >= getTupleSize())
        return;
    if (getLayout() == GA_LAYOUT_INTERLEAVED)
        myData.array(0).setDouble(off, component, value);
    else
        myData.array(component).setDouble(off, 0, value);
}

GA_Size GA_ATINumeric::size() const { return myData.size(); }

void GA_ATINumeric::setSize(GA_Size n) { myData.setSize(n); }

std::unique_ptr<GA_Attribute> GA_ATINumeric::clone() const
{
    return std::unique_ptr<GA_Attribute>(new GA_ATINumeric(*this));
}
