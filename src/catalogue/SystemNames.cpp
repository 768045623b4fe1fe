#include "catalogue/SystemNames.h"

const char kUnknownEdition[] = "Unknow";

int EditionIndexFor(DWORD major, DWORD minor)
{
    switch (major) {
    case 5:
        return minor <= 2 ? static_cast<int>(minor) : -1;  // 2000, XP, 2003
    case 6:
        return minor >= 3 ? 6 : static_cast<int>(3 + minor);  // Vista, 7, 8, then 8.1 for 6.3 and above
    case 10:
        return minor == 0 ? 7 : 8;
    default:
        return -1;
    }
}

const char* ArchitectureNameFor(WORD code)
{
    switch (code) {
    case PROCESSOR_ARCHITECTURE_INTEL:
        return "x86";
    case PROCESSOR_ARCHITECTURE_IA64:
        return "Intel Itanium-based";
    case PROCESSOR_ARCHITECTURE_AMD64:
        return "x64";
    case PROCESSOR_ARCHITECTURE_UNKNOWN:
        return "Unknown architecture";
    default:
        return "Unknown";
    }
}
