#include "args/number.h"

int32_t ParseUnsigned32(const char16_t*, uint32_t*, const char16_t**) { return PARSE_NO_NUMBER; }
int32_t ParseInteger64(const char16_t*, int64_t*, const char16_t**) { return PARSE_NO_NUMBER; }
