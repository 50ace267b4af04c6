#include <GU/GU_Detail.h>

GU_Detail::~GU_Detail() = default;
