// How a Windows version and a processor-architecture code are named.
#pragma once

#include <windows.h>

// The edition text for a version that none of the catalogue's entries names (spelled so).
extern const char kUnknownEdition[];

// Position in ModelCatalogue::editionNames for a major/minor version, or -1 for "Unknow". Only
// these two numbers decide: build number and product type are not consulted.
int EditionIndexFor(DWORD major, DWORD minor);

// "x86", "x64", "Intel Itanium-based", "Unknown architecture" or "Unknown" for a native
// processor-architecture code; the texts are fixed and live as long as the program.
const char* ArchitectureNameFor(WORD code);
