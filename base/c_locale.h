// The C locale, for every number read from a data file or written into a program text.
#pragma once
#include <locale.h>

// Numbers are written with a decimal point whatever the user's locale; one handle for the process.
locale_t cLocale();
