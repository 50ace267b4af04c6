#include <GA/GA_Types.h>

int GAsizeofStorage(GA_Storage storage)
{
    switch (storage)
    {
    case GA_STORE_UINT8:
        return 1;
    case GA_STORE_INT8:
        return 1;
    case GA_STORE_INT16:
        return 2;
    case GA_STORE_INT32:
        return 4;
    case GA_STORE_INT64:
        return 8;
    case GA_STORE_REAL16:
        return 2;
    case GA_STORE_REAL32:
        return 4;
    case GA_STORE_REAL64:
        return 8;
    case GA_STORE_INVALID:
        break;
    }
    return 0;
}

bool GAisValidStorage(int32_t storage) { return storage >= GA_STORE_UINT8 && storage <= GA_STORE_REAL64; }
