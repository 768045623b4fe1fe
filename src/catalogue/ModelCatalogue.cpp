#include "catalogue/ModelCatalogue.h"

ModelCatalogue::ModelCatalogue(InstallPlatform* platform) : editionNames{}, platform_(platform) {}

bool ModelCatalogue::DetectSystem(const char*&, const char*&) const { return false; }

bool ModelCatalogue::InstallPrinter(int, int, int, const std::string&) { return false; }
