#include <GA/GA_DataArray.h>

#include <GA/GA_Convert.h>
#include <algorithm>
#include <cstring>

namespace
{
// Calls f with a null pointer of the storage's element type, so that one
// generic lambda serves every storage. Invalid storage calls nothing.
template <typename F>
void dispatchStorage(GA_Storage storage, F &&f)
{
    switch (storage)
    {
    case GA_STORE_UINT8:
        f(static_cast<uint8_t *>(nullptr));
        break;
    case GA_STORE_INT8:
        f(static_cast<int8_t *>(nullptr));
        break;
    case GA_STORE_INT16:
        f(static_cast<int16_t *>(nullptr));
        break;
    case GA_STORE_INT32:
        f(static_cast<int32_t *>(nullptr));
        break;
    case GA_STORE_INT64:
        f(static_cast<int64_t *>(nullptr));
        break;
    case GA_STORE_REAL16:
        f(static_cast<fpreal16 *>(nullptr));
        break;
    case GA_STORE_REAL32:
        f(static_cast<float *>(nullptr));
        break;
    case GA_STORE_REAL64:
        f(static_cast<double *>(nullptr));
        break;
    case GA_STORE_INVALID:
        break;
    }
}

// Elements are copied with memcpy: blocks hold raw bytes and may be read as
// any element type.
double decodeElement(GA_Storage storage, const unsigned char *bytes)
{
    double result = 0.0;
    dispatchStorage(storage, [&](auto *tag) {
        typedef std::remove_pointer_t<decltype(tag)> ET;
        ET value;
        std::memcpy(&value, bytes, sizeof(ET));
        result = GAconvertValue<double>(value);
    });
    return result;
}

void encodeElement(GA_Storage storage, double value, unsigned char *bytes)
{
    dispatchStorage(storage, [&](auto *tag) {
        typedef std::remove_pointer_t<decltype(tag)> ET;
        const ET stored = GAconvertValue<ET>(value);
        std::memcpy(bytes, &stored, sizeof(ET));
    });
}
// Writes count copies of one tuple to dst. The copies double in size from
// one tuple, so filling a whole page takes a dozen copies instead of one per
// slot.
void fillTuples(unsigned char *dst, const void *tuple, size_t tupleBytes, size_t count)
{
    if (count == 0 || tupleBytes == 0)
        return;
    // The common tuple sizes are copied with a size the compiler knows,
    // without a library call: one element appended copies one tuple.
    switch (tupleBytes)
    {
    case 4:
        std::memcpy(dst, tuple, 4);
        break;
    case 8:
        std::memcpy(dst, tuple, 8);
        break;
    case 12:
        std::memcpy(dst, tuple, 12);
        break;
    case 16:
        std::memcpy(dst, tuple, 16);
        break;
    default:
        std::memcpy(dst, tuple, tupleBytes);
        break;
    }
    size_t done = 1;
    while (done < count)
    {
        const size_t n = std::min(done, count - done);
        std::memcpy(dst + done * tupleBytes, dst, n * tupleBytes);
        done += n;
    }
}
}  // namespace

GA_DataArray::GA_DataArray(GA_Storage storage, int tupleSize, const std::vector<double> &defaults)
    : myStorage(GAisValidStorage(storage) ? storage : GA_STORE_INVALID), myTupleSize(std::max(tupleSize, 0)),
      myTupleBytes(size_t(GAsizeofStorage(myStorage)) * size_t(myTupleSize)), myDefault(myTupleBytes)
{
    const size_t elementBytes = size_t(GAsizeofStorage(myStorage));
    for (int i = 0; i < myTupleSize; ++i)
    {
        // A shorter list repeats its last value; an empty one means 0.
        const double value = defaults.empty() ? 0.0 : defaults[std::min(size_t(i), defaults.size() - 1)];
        encodeElement(myStorage, value, myDefault.data() + size_t(i) * elementBytes);
    }
}

GA_DataArray::GA_DataArray(const GA_DataArray &src)
    : myStorage(src.myStorage), myTupleSize(src.myTupleSize), myTupleBytes(src.myTupleBytes), mySize(src.mySize),
      myDefault(src.myDefault), myPages(src.myPages)
{
    for (GA_Page *pg : myPages)
        pg->addRef();
}

GA_DataArray &GA_DataArray::operator=(const GA_DataArray &src)
{
    if (this == &src)
        return *this;
    std::vector<unsigned char> defaultTuple(src.myDefault);
    std::vector<GA_Page *> pages(src.myPages);
    for (GA_Page *pg : pages)
        pg->addRef();
    releasePages();
    myStorage = src.myStorage;
    myTupleSize = src.myTupleSize;
    myTupleBytes = src.myTupleBytes;
    mySize = src.mySize;
    myDefault.swap(defaultTuple);
    myPages.swap(pages);
    return *this;
}

GA_DataArray::~GA_DataArray() { releasePages(); }

void GA_DataArray::releasePages()
{
    for (GA_Page *pg : myPages)
        pg->release();
    myPages.clear();
}

void GA_DataArray::setSize(GA_Size n)
{
    n = std::max<GA_Size>(n, 0);
    if (n > mySize && (mySize & GA_PAGE_MASK) != 0 && n <= (mySize | GA_PAGE_MASK) + 1)
    {
        // Growth within a last page that is a data block of this array's
        // own, as when points are appended one at a time: only the new slots
        // need the default, and no page changes.
        GA_Page *last = myPages[size_t(mySize >> GA_PAGE_BITS)];
        if (!last->isConstant() && !last->isShared())
        {
            unsigned char *block = static_cast<unsigned char *>(last->data());
            fillTuples(block + size_t(mySize & GA_PAGE_MASK) * myTupleBytes, myDefault.data(), myTupleBytes,
                       size_t(n - mySize));
            mySize = n;
            return;
        }
    }
    resize(n);
}

void GA_DataArray::resize(GA_Size n)
{
    const size_t pagesWanted = size_t((n + GA_PAGE_MASK) >> GA_PAGE_BITS);
    if (n > mySize)
    {
        // Slots past the old end of a partial last page may hold values from
        // before a shrink; new elements must read the default.
        if ((mySize & GA_PAGE_MASK) != 0)
            fillDefault(mySize, std::min(n, (mySize | GA_PAGE_MASK) + 1));
        if (myPages.size() < pagesWanted)
        {
            // Every appended page refers to one constant default page.
            myPages.reserve(pagesWanted);
            GA_Page *fill = GA_Page::allocate(myTupleBytes, true);
            std::memcpy(fill->data(), myDefault.data(), myTupleBytes);
            while (myPages.size() < pagesWanted)
            {
                fill->addRef();
                myPages.push_back(fill);
            }
            fill->release();  // drop the reference allocate() gave
        }
    }
    else
    {
        for (size_t p = pagesWanted; p < myPages.size(); ++p)
            myPages[p]->release();
        myPages.resize(pagesWanted);
    }
    mySize = n;
}

void GA_DataArray::fillDefault(GA_Offset from, GA_Offset to)
{
    unsigned char *block = writableBlock(from >> GA_PAGE_BITS, 0, myTupleBytes, myDefault.data());
    if (!block)
        return;
    fillTuples(block + size_t(from & GA_PAGE_MASK) * myTupleBytes, myDefault.data(), myTupleBytes, size_t(to - from));
}

unsigned char *GA_DataArray::writableBlock(GA_PageNum p, size_t begin, size_t count, const void *bytes)
{
    GA_Page *pg = myPages[size_t(p)];
    const unsigned char *src = static_cast<const unsigned char *>(pg->data());
    if (pg->isConstant())
    {
        if (std::memcmp(src + begin, bytes, count) == 0)
            return nullptr;
        GA_Page *block = GA_Page::allocate(myTupleBytes, false);
        unsigned char *dst = static_cast<unsigned char *>(block->data());
        fillTuples(dst, src, myTupleBytes, size_t(GA_PAGE_SIZE));
        pg->release();
        myPages[size_t(p)] = block;
        return dst;
    }
    if (pg->isShared())
    {
        GA_Page *block = GA_Page::allocate(myTupleBytes, false);
        std::memcpy(block->data(), src, size_t(GA_PAGE_SIZE) * myTupleBytes);
        pg->release();
        myPages[size_t(p)] = block;
        pg = block;
    }
    return static_cast<unsigned char *>(pg->data());
}

void GA_DataArray::setComponentBytes(GA_Offset off, int first, int count, const void *values)
{
    if (off < 0 || off >= mySize || first < 0 || count < 0 || count > myTupleSize - first)
        return;
    const size_t elementBytes = size_t(GAsizeofStorage(myStorage));
    const size_t begin = size_t(first) * elementBytes;
    const size_t bytes = size_t(count) * elementBytes;
    unsigned char *block = writableBlock(off >> GA_PAGE_BITS, begin, bytes, values);
    if (block)
        std::memcpy(block + size_t(off & GA_PAGE_MASK) * myTupleBytes + begin, values, bytes);
}

void GA_DataArray::setTupleBytes(GA_Offset off, const void *tuple) { setComponentBytes(off, 0, myTupleSize, tuple); }

double GA_DataArray::getDouble(GA_Offset off, int component) const
{
    if (off < 0 || off >= mySize || component < 0 || component >= myTupleSize)
        return 0.0;
    const unsigned char *tuple = tupleAt<unsigned char>(off);
    return decodeElement(myStorage, tuple + size_t(component) * size_t(GAsizeofStorage(myStorage)));
}

void GA_DataArray::setDouble(GA_Offset off, int component, double value)
{
    unsigned char element[8] = {};
    encodeElement(myStorage, value, element);
    setComponentBytes(off, component, 1, element);
}
