#include "args/split.h"

#include "plugin/not_built.h"

ArgTable ArgumentTable;

int32_t SplitArguments(const char16_t* text, uint32_t) { return text ? 0 : -1; }
