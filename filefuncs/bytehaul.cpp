#include "plugin/not_built.h"

int f_bytehaul(char16_t* buffer) { return not_built(buffer); }
