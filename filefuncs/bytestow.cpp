#include "plugin/not_built.h"

int f_bytestow(char16_t* buffer) { return not_built(buffer); }
