// SETLOCAL's saved environments, and a variable saved and put back (ENDLOCAL's named ones,
// GOSUB's parameters).
#pragma once
#include <stddef.h>

#include <string>

// SETLOCALs not yet ended.
size_t locals_depth();
// Ends SETLOCALs down to that many, each putting the environment back as it saw it.
void end_locals_down_to(size_t depth);

struct SavedVariable {
    std::u16string name, value;
    bool set;
};

SavedVariable save_variable(const std::u16string& name);
void put_back(const SavedVariable& v);
