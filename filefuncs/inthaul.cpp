#include "plugin/not_built.h"

int f_inthaul(char16_t* buffer) { return not_built(buffer); }
