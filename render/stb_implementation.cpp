// stb's PNG writer (used by the previews) and image reader (used by the
// tests to read pictures back), compiled from their headers where no
// prebuilt stb library exists (the Windows build).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
