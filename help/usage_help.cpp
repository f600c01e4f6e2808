#include "plugin/not_built.h"

int Usage(const char16_t* name, char16_t* buffer) { return (name && buffer) ? 0 : 0; }
int Help(const char16_t* name) { return name ? 0 : 0; }
