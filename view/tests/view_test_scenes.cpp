#include "view/tests/view_test_scenes.h"

#include <string>

GU_Detail makeNumberedPoints(int count)
{
    GU_Detail detail;
    GA_ATINumeric *position = detail.addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *direction = detail.addFloatTuple3("N", GA_TYPE_VECTOR);
    GA_ATINumeric *intensity = detail.addFloatTuple3("Cs", GA_TYPE_NORMAL);
    if (count == 0)
        return detail;
    const GA_Offset first = detail.appendPointBlock(count);
    for (int i = 0; i < count; ++i)
    {
        const GA_Offset off = first + i;
        position->setDouble(off, 0, i);
        position->setDouble(off, 1, 2.0 * i);
        position->setDouble(off, 2, -i);
        direction->setDouble(off, 2, i);
        intensity->setDouble(off, 0, i + 1.0);
    }
    return detail;
}

std::string decodeElement(const std::string &page, const std::string &id)
{
    const std::string open = "id=\"" + id + "\">";
    const size_t start = page.find(open);
    if (start == std::string::npos)
        return "<missing>";
    const size_t begin = start + open.size();
    const std::string text = page.substr(begin, page.find("</script>", begin) - begin);
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text)
    {
        const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const size_t value = alphabet.find(c);
        if (value == std::string::npos)
            break;
        bits = bits << 6 | uint32_t(value);
        if (++count % 4 == 0)
            for (int k = 2; k >= 0; --k)
                bytes += char((bits >> (8 * k)) & 255);
    }
    const int rest = count % 4;
    if (rest >= 2)
        bytes += char((bits >> (rest == 2 ? 4 : 10)) & 255);
    if (rest == 3)
        bytes += char((bits >> 2) & 255);
    return bytes;
}
